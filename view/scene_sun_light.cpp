// The Sun's ephemeris and the scene's light (not computed yet).
#include "view/class_gl.h"

namespace vantrel::view {

void ClassGl::DrawSunLighting() {}

}  // namespace vantrel::view
