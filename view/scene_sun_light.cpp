// The scene's one light, put at the Sun's position of the scene time, and the Sun's direction
// that the spacecraft model reads in the next frame.
#include <GL/gl.h>

#include "datastore/state.h"
#include "numerics/planets.h"
#include "numerics/vect.h"
#include "view/class_gl.h"

namespace vantrel::view {

void ClassGl::DrawSunLighting() {
  const datastore::SettingsRecord& sb = datastore::Store().SettingsBlock;
  SceneValues& sv = Scene;
  BodyValues& bv = Bodies;

  glClearDepth(1.0);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);

  auto& lc = bv.LightColours;
  lc[0][0] = 0.2f, lc[1][0] = 0.2f, lc[2][0] = 0.3f;  // ambient
  lc[0][1] = 1.0f, lc[1][1] = 1.0f, lc[2][1] = 0.7f;  // diffuse
  lc[0][2] = 0.9f, lc[1][2] = 0.9f, lc[2][2] = 0.9f;  // specular
  for (int i = 0; i < 3; ++i) {
    const GLfloat colour[4] = {lc[0][size_t(i)], lc[1][size_t(i)], lc[2][size_t(i)], 1.0f};
    const GLenum which[3] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR};
    glLightfv(GL_LIGHT0, which[i], colour);
  }

  SceneStep([&] {
    numerics::Vec3 helio;
    numerics::PlanetPos(sv.PointTime - 366, numerics::kBodySun, 0, helio, bv.BodyPos);
  });
  SceneStep([&] {
    numerics::EclToEqu(bv.BodyPos, bv.SunEquatorial);
    for (int k = 0; k < 3; ++k) sv.SunLightPos[size_t(k)] = Sng(bv.SunEquatorial(k + 1) / 1e6);
    sv.SunLightPos[3] = 1;
  });
  glLightfv(GL_LIGHT0, GL_POSITION, sv.SunLightPos.data());
  glLineWidth(float(sb.LinePlotThickness));
  for (int k = 0; k < 3; ++k) sv.SunVector[size_t(k)] = -bv.BodyPos(k + 1);
}

}  // namespace vantrel::view
