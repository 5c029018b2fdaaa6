// Tool modes with their cursors and one-shot commands (zoom out and in by 3, the white
// background), the grid flag, and the walk of the selection buffer after a pick.
#include <GL/gl.h>

#include <QOpenGLContext>

#include <cmath>

#include "datastore/state.h"
#include "numerics/mth.h"
#include "platform/glview/glview.h"
#include "platform/runtime/rterror.h"
#include "view/class_gl.h"
#include "view/gl_colour.h"

namespace vantrel::view {
namespace {

// Runs f with the control's context current (it already is during the control's events).
template <class F>
void WithContext(glview::GlView& ctl, F&& f) {
  QOpenGLContext* cur = QOpenGLContext::currentContext();
  if (cur && cur == ctl.context()) {
    f();
    return;
  }
  if (!ctl.MakeCurrent()) return;
  f();
  ctl.DoneCurrent();
}

}  // namespace

void ClassGl::SetEditState(long state) {
  if (OrthoZoom == 0) OrthoZoom = SceneExtent;
  EditState = state;
  glview::GlView* ctl = GlCtlRef();

  // The square box of the zoom commands; one that is empty, inverted or unbounded is not put.
  auto putBox = [&] {
    const double z = OrthoZoom;
    if (ctl && z > 0 && std::isfinite(z)) ctl->Camera().SetOrtho(-z, z, -z, z);
  };

  switch (state) {
    case 1: SetCursor(0); break;     // select
    case 2: SetCursor(210); break;   // move
    case 3: SetCursor(211); break;   // rotate
    case 4: SetCursor(203); break;   // arcrotate
    case 5: SetCursor(212); break;   // scale
    case 6: SetCursor(200); break;   // zoom
    case 7: SetCursor(202); break;   // dolly
    case 8: SetCursor(201); break;   // pan
    case 9: SetCursor(207); break;   // orbit
    case 10: SetCursor(204); break;  // pitch
    case 11: SetCursor(205); break;  // yaw
    case 12: SetCursor(206); break;  // roll
    case 13:                         // zminus: zoom out
      OrthoZoom = OrthoZoom * 3;
      putBox();
      break;
    case 14:  // zplus: zoom in
      OrthoZoom = OrthoZoom / 3;
      putBox();
      break;
    case 15: {  // lightback: white background and back
      SetCursor(0);
      const datastore::Rgb& bg = datastore::Store().SettingsBlock.ColourBackground;
      float r = 1, g = 1, b = 1, a = 0;
      if (LightBackOn == 0) {
        LightBackOn = 1;
      } else {
        LightBackOn = 0;
        const auto gl = GlColour(bg);
        r = gl[0], g = gl[1], b = gl[2], a = 1;
      }
      if (ctl) WithContext(*ctl, [&] { glClearColor(r, g, b, a); });
      break;
    }
    case 16: SetCursor(0); break;  // stop
    case 17: SetCursor(0); break;  // frozenstart
    default: break;
  }
}

void ClassGl::SetGrids(bool on) { Grids = on; }

void ClassGl::SetCursor(long ID) {
  glview::GlView* ctl = GlCtlRef();
  if (!ctl) return;
  if (ID == 0 || (ID >= 200 && ID <= 207) || (ID >= 210 && ID <= 212)) ctl->SetMousePointer(int(ID));
}

long ClassGl::PickNearest(const std::vector<std::int32_t>& buffer, long hitCount) {
  auto at = [&](size_t i) {
    if (i >= buffer.size()) throw rt::RtError(9);
    return buffer[i];
  };
  double best = 3.402823466E+38;
  long picked = 0;
  size_t i = 0;
  for (long hit = 0; hit < hitCount; ++hit) {
    const long n = at(i);
    const double zmin = numerics::ULongToDouble(at(i + 1));
    i += 3;  // the maximum depth is not used
    for (long k = 0; k < n; ++k) {
      const std::int32_t name = at(i);
      if (name != -1 && zmin < best) {
        best = zmin;
        picked = name;
      }
      ++i;
    }
  }
  return picked;
}

void ClassGl::Pick(std::vector<std::int32_t>& buffer) {
  glview::GlView* ctl = GlCtlRef();
  const long count = ctl ? ctl->HitCount() : 0;
  PickedName = PickNearest(buffer, count);
}

}  // namespace vantrel::view
