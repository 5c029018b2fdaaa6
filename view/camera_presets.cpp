// The camera presets (not built yet: the camera stays as it is).
#include "view/class_gl.h"

namespace vantrel::view {

void ClassGl::CameraSet(const std::string& mode, double a, double b) {
  (void)mode, (void)a, (void)b;
}

}  // namespace vantrel::view
