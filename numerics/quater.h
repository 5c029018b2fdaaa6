#pragma once
// Attitude quaternions (single precision, scalar first) and the rotation of a vector by one.

#include <array>

#include "numerics/vect.h"

namespace vantrel::numerics {

// q(1) = w, the scalar part; q(2), q(3), q(4) = x, y, z. Not normalised by the routines.
struct Quat {
  std::array<float, 4> e{1.0f, 0.0f, 0.0f, 0.0f};

  constexpr Quat() = default;
  constexpr Quat(float w, float x, float y, float z) : e{w, x, y, z} {}

  constexpr float& operator()(int i) {
    if (i < 1 || i > 4) throw rt::RtError(rt::kErrSubscript);
    return e[static_cast<std::size_t>(i - 1)];
  }
  constexpr float operator()(int i) const {
    if (i < 1 || i > 4) throw rt::RtError(rt::kErrSubscript);
    return e[static_cast<std::size_t>(i - 1)];
  }
};

// Single-precision 3x3 matrix, M(i, j) row i, column j, 1-based.
struct Mat3f {
  std::array<std::array<float, 3>, 3> e{};

  constexpr float& operator()(int i, int j) {
    if (i < 1 || i > 3 || j < 1 || j > 3) throw rt::RtError(rt::kErrSubscript);
    return e[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)];
  }
  constexpr float operator()(int i, int j) const {
    if (i < 1 || i > 3 || j < 1 || j > 3) throw rt::RtError(rt::kErrSubscript);
    return e[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)];
  }
};

// M := the rotation matrix of q acting on column vectors (M v = q v q* for a unit q).
void QuaterToMat(const Quat& q, Mat3f& M);
// out := M(q) v, summed in double. out may be v.
void QuatRotateVector(const Vec3& v, const Quat& q, Vec3& out);
// The same for a 0-based array: its elements 0, 1, 2.
void QuatRotateVector(const std::array<double, 3>& v, const Quat& q, Vec3& out);

}  // namespace vantrel::numerics
