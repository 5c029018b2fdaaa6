// The camera presets: the isometric views turning about a vertical axis, the real isometric
// views on the cube diagonals, the six "plus" views and the eight axis views. Every preset
// looks at the origin with the orthographic projection; the control is not asked to repaint.
#include <array>
#include <cmath>

#include "datastore/state.h"
#include "numerics/mathas.h"
#include "platform/glview/glview.h"
#include "platform/runtime/vb.h"
#include "view/class_gl.h"

namespace vantrel::view {
namespace {

constexpr float kR = 100;  // eye distance of the presets
constexpr std::array<float, 4> kSignA{1, -1, -1, 1};
constexpr std::array<float, 4> kSignB{1, 1, -1, -1};

struct AxisView {
  glview::Vec3f up, eye;
};

constexpr std::array<AxisView, 8> kAxisViews{{
    {{0, 0, 1}, {100, 0, 0}},
    {{0, 0, 1}, {0, -100, 0}},
    {{1, 0, 0}, {0, 0, 100}},
    {{1, 0, 0}, {0, 100, 0}},
    {{0, 1, 0}, {0, 0, 100}},
    {{0, 1, 0}, {100, 0, 0}},
    {{0, 1, 0}, {100, 100, 100}},
    {{0, 1, 0}, {-100, 100, -100}},
}};

}  // namespace

void ClassGl::CameraSet(const std::string& mode, double a, double b) {
  // The vertical axis: an X or Z axis is always taken, Y only when forced or while none is set.
  if (a > 0 && a != 2) IsoAxis = a;
  if (b == 1 || IsoAxis == 0) IsoAxis = a;

  datastore::DataStore& st = datastore::Store();
  if (st.SettingsBlock.ReloadRequest == 1.0) return;

  // Up and eye start as the camera has them: a preset that sets neither keeps them.
  glview::GlView* ctl = GlCtlRef();
  glview::Vec3f up{0, 1, 0}, eye{kR, kR, kR};
  if (ctl) up = ctl->Camera().Up(), eye = ctl->Camera().Eye();

  const std::string word = rt::UCase(rt::Trim(mode));
  const bool advance = st.ResizeDone != 0 && st.SceneFitDone != 0;
  if (word == "ISONEW") {
    if (advance) IsoStep = (IsoStep + 1) % 8;
    IsoQuadrant = (IsoQuadrant + 1) % 4;
    const double theta = numerics::DegToRad(double(IsoStep) * 45);
    const float c = float(kR * std::cos(theta)), s = float(kR * std::sin(theta));
    const float sA = kSignA[size_t(IsoQuadrant)], sB = kSignB[size_t(IsoQuadrant)];
    const bool realIso = st.Main().CheckTag(datastore::CheckBox::Check9) == "REAL_ISO";
    if (IsoAxis == 1) {
      up = {1, 0, 0};
      eye = realIso ? glview::Vec3f{100, 100 * sA, 100 * sB} : glview::Vec3f{kR, c, s};
    } else if (IsoAxis == 2) {
      up = {0, 1, 0};
      eye = realIso ? glview::Vec3f{100 * sB, 100, 100 * sA} : glview::Vec3f{s, kR, c};
    } else if (IsoAxis == 3) {
      up = {0, 0, 1};
      eye = realIso ? glview::Vec3f{100 * sA, 100 * sB, 100} : glview::Vec3f{c, s, kR};
    }
  } else if (word == "ISONEWPLUS") {
    if (advance) IsoStep = (IsoStep + 1) % 6;
    // Steps 6 and 7, left by the isometric views when the step did not move, keep the up vector.
    switch (IsoStep) {
      case 0:
      case 3: up = {0, 0, 1}; break;
      case 1:
      case 4: up = {1, 0, 0}; break;
      case 2:
      case 5: up = {0, 1, 0}; break;
      default: break;
    }
    eye = IsoStep <= 2 ? glview::Vec3f{-100, 100, 100} : glview::Vec3f{-100, -100, 100};
  } else {
    ProjStep = word == "PROJINVERSE" ? (ProjStep + 7) % 8 : (ProjStep + 1) % 8;
    up = kAxisViews[size_t(ProjStep)].up;
    eye = kAxisViews[size_t(ProjStep)].eye;
  }

  if (!ctl) return;
  glview::GlCamera& cam = ctl->Camera();
  cam.SetTarget(0, 0, 0);
  cam.SetUp(up.x, up.y, up.z);
  cam.SetEye(eye.x, eye.y, eye.z);
  cam.SetFarPlane(10000.0);
  cam.SetNearPlane(-10000.0);
  cam.SetViewAngle(180.0);
  cam.SetProjectionType(1);
}

}  // namespace vantrel::view
