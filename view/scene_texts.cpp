// The texts at the current point and the date and time overlays (not drawn yet).
#include "view/class_gl.h"

namespace vantrel::view {

void ClassGl::DrawPointTexts() {}
void ClassGl::DrawDateOverlays() {}

}  // namespace vantrel::view
