#include "numerics/quater.h"

namespace vantrel::numerics {

void QuaterToMat(const Quat& q, Mat3f& M) {
  const float w = q.e[0], x = q.e[1], y = q.e[2], z = q.e[3];
  // Squares in double, cross products rounded to single, elements evaluated in double.
  const double x2 = double(x) * x, y2 = double(y) * y, z2 = double(z) * z;
  const double xy = float(x * y), yz = float(y * z), zx = float(z * x);
  const double xw = float(x * w), yw = float(y * w), zw = float(z * w);
  M.e[0] = {float(1 - 2 * (y2 + z2)), float(2 * (xy - zw)), float(2 * (zx + yw))};
  M.e[1] = {float(2 * (xy + zw)), float(1 - 2 * (x2 + z2)), float(2 * (yz - xw))};
  M.e[2] = {float(2 * (zx - yw)), float(2 * (yz + xw)), float(1 - 2 * (x2 + y2))};
}

namespace {
Vec3 Rotate(double v1, double v2, double v3, const Quat& q) {
  Mat3f M;
  QuaterToMat(q, M);
  Vec3 r;
  for (std::size_t i = 0; i < 3; ++i) {
    double s = 0;
    s += double(M.e[i][0]) * v1;
    s += double(M.e[i][1]) * v2;
    s += double(M.e[i][2]) * v3;
    r.e[i] = s;
  }
  return r;
}
}  // namespace

void QuatRotateVector(const Vec3& v, const Quat& q, Vec3& out) { out = Rotate(v.e[0], v.e[1], v.e[2], q); }

void QuatRotateVector(const std::array<double, 3>& v, const Quat& q, Vec3& out) { out = Rotate(v[0], v[1], v[2], q); }

}  // namespace vantrel::numerics
