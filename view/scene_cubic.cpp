// The cubic view's frame in the axes list (not drawn yet).
#include "view/class_gl.h"

namespace vantrel::view {

void ClassGl::DrawAxisCubic(double width, double length) { (void)width, (void)length; }

}  // namespace vantrel::view
