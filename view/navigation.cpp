// Keyboard and mouse navigation: the arrow and page keys turn the eye about an axis, "I"
// applies the isometric preset, a character key resets the view, and a mouse move with a
// button held runs the tool of the current mode (pan, zoom, dolly, pitch, yaw, roll).
#include <algorithm>
#include <cmath>

#include "datastore/state.h"
#include "numerics/mth.h"
#include "platform/forms/keys.h"
#include "platform/glview/glview.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "view/class_gl.h"

namespace vantrel::view {
namespace {

constexpr double kKeyStep = 0.01;  // sine of the turn of one key press
constexpr double kPanFactor = 0.0025;
constexpr float kResetDistance = 100;  // eye distance of the view a character key sets

double Clamp1(double v) { return std::clamp(v, -1.0, 1.0); }

long Pixel(float v) { return long(rt::RoundHalfEven(v)); }

// Normalised device coordinates of pixel (px, py) in a w x h view: -1 at the left and bottom
// edges. A view of no area has none: false, and the outputs keep what they held.
bool ToNdc(long w, long h, long px, long py, float& ndcX, float& ndcY) {
  if (w <= 0 || h <= 0) return false;
  ndcX = float(2.0 * double(px) / double(w) - 1);
  ndcY = float(2.0 * (double(h) - double(py)) / double(h) - 1);
  return true;
}

}  // namespace

float ClassGl::noSteps(double old, double now) {
  double result = now;
  const double tolerance = 1 + 0.1 * std::fabs(old);
  if (std::fabs(old - now) > tolerance) {
    // A jump: either the coordinate really turned over (keep the new value's size on the old
    // side) or it only changed its sign (keep the side and move 5 % outwards).
    result = std::fabs(old + now) > tolerance ? -now : 1.05 * old;
  }
  return float(result);
}

void ClassGl::KeyDown(int& KeyCode, int& Shift) {
  datastore::DataStore& st = datastore::Store();
  if (KeyCode == 73) {  // "I"
    rt::Try([&] { st.Main().SetCheckTag(datastore::CheckBox::Check9, Shift == 0 ? "REAL_ISO" : ""); });
    rt::Try([&] { CameraSet("ISONEW", 2, 0); });
    return;
  }
  glview::GlView* ctl = GlCtlRef();
  if (!ctl) return;
  glview::GlCamera& cam = ctl->Camera();
  const glview::Vec3f old = cam.Eye();
  float x = old.x, y = old.y, z = old.z;

  float* p = nullptr;
  float* q = nullptr;
  double s = 0;
  bool keepXSide = false;
  switch (KeyCode) {
    case forms::kKeyLeft: p = &y, q = &z, s = kKeyStep; break;
    case forms::kKeyRight: p = &y, q = &z, s = -kKeyStep; break;
    case forms::kKeyUp: p = &z, q = &x, s = kKeyStep, keepXSide = true; break;
    case forms::kKeyDown: p = &z, q = &x, s = -kKeyStep, keepXSide = true; break;
    case forms::kKeyPageUp: p = &x, q = &y, s = kKeyStep; break;
    case forms::kKeyPageDown: p = &x, q = &y, s = -kKeyStep; break;
    default: break;
  }
  if (p) {
    const float sigma = keepXSide && std::fabs(x) > 1 ? (x < 0 ? -1.0f : 1.0f) : 1.0f;
    const float rho = float(std::sqrt(double(*p) * *p + double(*q) * *q));
    // With the eye on the turning axis there is no circle to turn on: the eye stays.
    if (rho > 0 && std::isfinite(rho)) {
      const double cp = *p / double(rho), cq = *q / double(rho);
      const double k = Clamp1(std::sqrt(1 - s * s));
      const double cn = Clamp1(k * cp + s * cq);
      const double sn = Clamp1(std::sqrt(1 - cn * cn));
      *p = float(rho * cn);
      *q = float(rho * sn);
      if (keepXSide) *q = float(rho * sn * sigma);
    }
  }
  x = noSteps(old.x, x);
  y = noSteps(old.y, y);
  z = noSteps(old.z, z);
  cam.SetEye(x, y, z);
}

void ClassGl::KeyPress(int& KeyAscii) {
  (void)KeyAscii;
  glview::GlView* ctl = GlCtlRef();
  if (!ctl) return;
  glview::GlCamera& cam = ctl->Camera();
  cam.SetUp(0, 1, 0);
  cam.SetEye(-kResetDistance, kResetDistance, kResetDistance);
}

void ClassGl::MouseDown(int& Button, int& Shift, float& X, float& Y) {
  (void)Shift;
  MouseX = Pixel(X);
  MouseY = Pixel(Y);
  if (Button != forms::kLeftButton) return;
  if (EditState == 1 && PickedName != 0) Dragging = true;
  ToNdc(ViewportW, ViewportH, MouseX, MouseY, PressNdcX, PressNdcY);
}

void ClassGl::MouseMove(int& Button, int& Shift, float& X, float& Y) {
  (void)Shift;
  if (Button == 0) return;
  glview::GlView* ctl = GlCtlRef();
  if ((Button == forms::kLeftButton || Button == forms::kRightButton) && ctl) {
    glview::GlCamera& cam = ctl->Camera();
    // The reference point is the previous position, not the new one.
    float ndcX = PressNdcX, ndcY = PressNdcY;
    ToNdc(ViewportW, ViewportH, MouseX, MouseY, ndcX, ndcY);

    auto pan = [&] {
      double l, r, b, t;
      cam.GetOrtho(l, r, b, t);
      const double k = std::sqrt(l * l + r * r + b * b + t * t);
      const float dx = float(k * ((double(X) - double(MouseX)) * kPanFactor));
      const float dy = float(k * ((double(Y) - double(MouseY)) * kPanFactor));
      if (std::isfinite(dx) && std::isfinite(dy)) cam.Pan(dx, -dy);
    };
    auto zoom = [&] {
      if (cam.ProjectionType() == 0) {
        if (Y > MouseY) cam.Zoom(0.95f);
        else if (Y < MouseY) cam.Zoom(1.05f);
        return;
      }
      double l, r, b, t;
      cam.GetOrtho(l, r, b, t);
      const double w = r - l, h = t - b;
      double step = MouseStep;
      if (datastore::Store().OneColumnMode == 1) step /= 10;
      if (Y < MouseY) {
        l += step * w, r -= step * w, b += step * h, t -= step * h;
      } else if (Y > MouseY) {
        l -= step * w, r += step * w, b -= step * h, t += step * h;
      }
      // An empty, inverted or unbounded box is not applied.
      if (r > l && t > b && std::isfinite(r - l) && std::isfinite(t - b)) cam.SetOrtho(l, r, b, t);
    };
    auto dolly = [&] {
      if (Y > MouseY) cam.Dolly(float(-MouseStep / 5));
      else if (Y < MouseY) cam.Dolly(float(MouseStep / 5));
    };
    auto roll = [&] {
      float a = numerics::Atn2Sng(ndcX - PressNdcX, ndcY - PressNdcY);
      if (ndcX < 0) a = -a;
      cam.Roll(a);
    };

    if (Button == forms::kLeftButton) {
      // A picked object being dragged leaves the camera alone.
      if (!(Dragging && PickedName >= 10)) {
        switch (EditState) {
          case 1:
          case 8:
          case 17: pan(); break;
          case 6: zoom(); break;
          case 7: dolly(); break;
          case 10: cam.Pitch(float(double(MouseY) - double(Y))); break;
          case 11: cam.Yaw(float(double(MouseX) - double(X))); break;
          case 12: roll(); break;
          default: break;
        }
      }
    } else {
      switch (EditState) {
        case 1: break;
        case 6: pan(); break;
        default: zoom(); break;
      }
    }
    PressNdcX = ndcX;
    PressNdcY = ndcY;
  }
  MouseX = Pixel(X);
  MouseY = Pixel(Y);
  if (ctl) ctl->Redraw();
}

void ClassGl::MouseUp(int& Button, int& Shift, float& X, float& Y) {
  (void)Shift, (void)X, (void)Y;
  if (Button != 0) Dragging = false;
}

}  // namespace vantrel::view
