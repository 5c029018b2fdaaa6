#pragma once
// Double 3-vectors with 1-based components, vector algebra, three-angle rotations and the
// ecliptic-to-equatorial turn. Every routine that writes a result accepts an output that is
// the same object as one of its inputs.

#include <array>

#include "platform/runtime/rterror.h"

namespace vantrel::numerics {

// A 3-vector: v(1), v(2), v(3). Other indices raise the subscript error (9). e[0..2] is the
// unchecked storage for loops that need it.
struct Vec3 {
  std::array<double, 3> e{0.0, 0.0, 0.0};

  constexpr Vec3() = default;
  constexpr Vec3(double x, double y, double z) : e{x, y, z} {}

  constexpr double& operator()(int i) {
    if (i < 1 || i > 3) throw rt::RtError(rt::kErrSubscript);
    return e[static_cast<std::size_t>(i - 1)];
  }
  constexpr double operator()(int i) const {
    if (i < 1 || i > 3) throw rt::RtError(rt::kErrSubscript);
    return e[static_cast<std::size_t>(i - 1)];
  }
  friend constexpr bool operator==(const Vec3&, const Vec3&) = default;
};

void VectScaleDbl(const Vec3& v, double k, Vec3& out);                     // out := k v
void VectAddScaledDbl(const Vec3& a, double k, const Vec3& b, Vec3& out);  // out := a k + b
void VectAddScaledDblCore(const Vec3& a, double k, const Vec3& b, Vec3& out);
void VectCrossDbl(const Vec3& a, const Vec3& b, Vec3& out);  // out := a x b
void VectCrossDblCore(const Vec3& a, const Vec3& b, Vec3& out);
double VectDotDbl(const Vec3& a, const Vec3& b);
double VectDotDblCore(const Vec3& a, const Vec3& b);
void VectCopyDbl(const Vec3& src, Vec3& dst);

// Euclidean length. The null vector gives 0 (norm leaves a silent diagnostic); a sum of
// squares that overflows warns ("normfaute", "normseulefaute") and the length is computed
// by scaling instead.
double norm(const Vec3& v);
double normseule(const Vec3& v);
// v divided by its length, in place. The null vector (or one with no finite length) warns
// and is left unchanged; a result whose length is not 1 within 1e-11 warns.
void normalise(Vec3& v);
void norma(Vec3& v);

// out := R3(a3) R1(a2) R3(a1) v: about the third axis by a1, then the first by a2, then the
// third by a3 (radians, counter-clockwise seen from the axis' positive end). The cosines
// and sines of the last angles used at each position are cached for the whole run.
void EulerI(const Vec3& v, double a1, double a2, double a3, Vec3& out);

// The obliquity of the ecliptic, 23.45 degrees through the routines' pi.
double Obliquity();
// out := v turned from ecliptic to equatorial axes, about the first axis by the obliquity.
void EclToEqu(const Vec3& v, Vec3& out);

}  // namespace vantrel::numerics
