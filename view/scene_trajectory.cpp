// The trajectory section of the scene. For now only its frame preparation: the clear values
// of the next frame follow the background option.
#include <GL/gl.h>

#include "datastore/state.h"
#include "view/class_gl.h"

namespace vantrel::view {

void ClassGl::DrawTrajectory() {
  const datastore::Rgb& bg = datastore::Store().SettingsBlock.ColourBackground;
  glClearColor(float(bg[0] / 256), float(bg[1] / 256), float(bg[2] / 256), 1);
  glClearDepth(1);
  glShadeModel(GL_FLAT);
}

}  // namespace vantrel::view
