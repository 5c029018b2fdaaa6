// The central body, the other bodies and the Moon (not drawn yet).
#include "view/class_gl.h"

namespace vantrel::view {

void ClassGl::DrawCentralBodies() {}
void ClassGl::DrawMoon() {}

}  // namespace vantrel::view
