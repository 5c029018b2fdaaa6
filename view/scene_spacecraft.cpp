// The spacecraft model and the central body's radius (not drawn yet).
#include "view/class_gl.h"

namespace vantrel::view {

void ClassGl::DrawSpacecraft() {}

// Leaves the radius as it was until the body table is built.
void ClassGl::MainFocus(double& Rastre, double MOONONLY, double MAINnum) {
  (void)Rastre, (void)MOONONLY, (void)MAINnum;
}

}  // namespace vantrel::view
