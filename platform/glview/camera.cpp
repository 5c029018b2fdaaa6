#include "platform/glview/camera.h"

#include <algorithm>
#include <cmath>

namespace vantrel::glview {
namespace {

struct V {
  double x, y, z;
};
V Of(Vec3f v) { return {v.x, v.y, v.z}; }
Vec3f F(V v) { return {float(v.x), float(v.y), float(v.z)}; }
V operator+(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V operator-(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V operator*(double k, V a) { return {k * a.x, k * a.y, k * a.z}; }
double Dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V Cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Len(V a) { return std::sqrt(Dot(a, a)); }
V Unit(V a) {
  double l = Len(a);
  return l > 0 ? (1.0 / l) * a : a;
}

constexpr double kPi = 3.14159265358979323846;

// Rodrigues' rotation of v about the unit axis k.
V Rotate(V v, V k, double degrees) {
  double a = degrees * kPi / 180.0, c = std::cos(a), s = std::sin(a);
  return c * v + s * Cross(k, v) + (Dot(k, v) * (1 - c)) * k;
}

struct Basis {
  V right, up, forward;
};

Basis MakeBasis(Vec3f eye, Vec3f target, Vec3f up) {
  V f = Of(target) - Of(eye);
  if (Len(f) <= 0) f = {0, 0, -1};
  f = Unit(f);
  V u = Of(up);
  V s = Cross(f, u);
  if (Len(u) <= 0 || Len(s) <= 1e-6 * Len(u)) {
    // Up along the view direction: take the axis most across it (Y first on ties).
    const V axes[3] = {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    double best = 2;
    for (const V& a : axes) {
      double d = std::fabs(Dot(a, f));
      if (d < best - 1e-12) {
        best = d;
        u = a;
      }
    }
    s = Cross(f, u);
  }
  s = Unit(s);
  return {s, Cross(s, f), f};
}

}  // namespace

void GlCamera::SetOrtho(double l, double r, double b, double t) {
  left_ = l;
  right_ = r;
  bottom_ = b;
  top_ = t;
}

void GlCamera::GetOrtho(double& l, double& r, double& b, double& t) const {
  l = left_;
  r = right_;
  b = bottom_;
  t = top_;
}

void GlCamera::LookAt(float ex, float ey, float ez, float tx, float ty, float tz, float ux, float uy, float uz) {
  eye_ = {ex, ey, ez};
  target_ = {tx, ty, tz};
  up_ = {ux, uy, uz};
}

void GlCamera::Axes(Vec3f& right, Vec3f& up, Vec3f& forward) const {
  Basis b = MakeBasis(eye_, target_, up_);
  right = F(b.right);
  up = F(b.up);
  forward = F(b.forward);
}

void GlCamera::Pan(float dx, float dy) {
  Basis b = MakeBasis(eye_, target_, up_);
  V shift = (-double(dx)) * b.right + (-double(dy)) * b.up;
  eye_ = F(Of(eye_) + shift);
  target_ = F(Of(target_) + shift);
}

void GlCamera::Zoom(float factor) {
  if (!(factor > 0)) return;
  if (type_ == kPerspective) {
    double half = std::tan(std::clamp(angle_, 0.1, 179.0) * kPi / 360.0) / factor;
    angle_ = std::clamp(2.0 * std::atan(half) * 180.0 / kPi, 0.1, 179.0);
    return;
  }
  double cx = (left_ + right_) / 2, cy = (bottom_ + top_) / 2;
  double hw = (right_ - left_) / 2 / factor, hh = (top_ - bottom_) / 2 / factor;
  SetOrtho(cx - hw, cx + hw, cy - hh, cy + hh);
}

void GlCamera::Dolly(float fraction) {
  V e = Of(eye_), t = Of(target_);
  V d = t - e;
  double k = std::min(double(fraction), 0.999);
  eye_ = F(e + k * d);
}

void GlCamera::Pitch(float degrees) {
  Basis b = MakeBasis(eye_, target_, up_);
  V d = Of(target_) - Of(eye_);
  target_ = F(Of(eye_) + Rotate(d, b.right, degrees));
  up_ = F(Rotate(b.up, b.right, degrees));
}

void GlCamera::Yaw(float degrees) {
  Basis b = MakeBasis(eye_, target_, up_);
  V d = Of(target_) - Of(eye_);
  target_ = F(Of(eye_) + Rotate(d, b.up, degrees));
  up_ = F(b.up);
}

void GlCamera::Roll(float degrees) {
  Basis b = MakeBasis(eye_, target_, up_);
  up_ = F(Rotate(b.up, b.forward, degrees));
}

Mat4 GlCamera::Projection(int w, int h) const {
  Mat4 m{};
  w = std::max(w, 1);
  h = std::max(h, 1);
  double aspect = double(w) / h;
  if (type_ == kPerspective) {
    double fov = (angle_ > 0 && angle_ < 180) ? angle_ : 45.0;
    double n = near_ > 0 ? near_ : 0.1;
    double f = far_ > n ? far_ : n * 10000;
    double c = 1.0 / std::tan(fov * kPi / 360.0);
    m[0] = c / aspect;
    m[5] = c;
    m[10] = (f + n) / (n - f);
    m[11] = -1;
    m[14] = 2 * f * n / (n - f);
    return m;
  }
  double l = left_, r = right_, b = bottom_, t = top_;
  double bw = r - l, bh = t - b;
  if (bw != 0 && bh != 0) {
    // Widen the shorter side so a unit is as long across as up.
    double box = std::fabs(bw / bh);
    if (aspect > box) {
      double k = aspect / box, c = (l + r) / 2;
      l = c - bw / 2 * k;
      r = c + bw / 2 * k;
    } else if (aspect < box) {
      double k = box / aspect, c = (b + t) / 2;
      b = c - bh / 2 * k;
      t = c + bh / 2 * k;
    }
  }
  if (r == l) r = l + 1;
  if (t == b) t = b + 1;
  double n = near_, f = far_;
  if (f == n) f = n + 1;
  m[0] = 2 / (r - l);
  m[5] = 2 / (t - b);
  m[10] = -2 / (f - n);
  m[12] = -(r + l) / (r - l);
  m[13] = -(t + b) / (t - b);
  m[14] = -(f + n) / (f - n);
  m[15] = 1;
  return m;
}

Mat4 GlCamera::ModelView() const {
  Basis b = MakeBasis(eye_, target_, up_);
  V e = Of(eye_);
  Mat4 m{};
  m[0] = b.right.x;
  m[4] = b.right.y;
  m[8] = b.right.z;
  m[1] = b.up.x;
  m[5] = b.up.y;
  m[9] = b.up.z;
  m[2] = -b.forward.x;
  m[6] = -b.forward.y;
  m[10] = -b.forward.z;
  m[12] = -Dot(b.right, e);
  m[13] = -Dot(b.up, e);
  m[14] = Dot(b.forward, e);
  m[15] = 1;
  return m;
}

}  // namespace vantrel::glview
