#include "numerics/vect.h"

#include <cmath>

#include "numerics/mathas.h"

namespace vantrel::numerics {

// Every result is computed into a local vector first, so that out may be an input.

void VectCopyDbl(const Vec3& src, Vec3& dst) {
  if (&src == &dst) return;
  dst.e = src.e;
}

void VectScaleDbl(const Vec3& v, double k, Vec3& out) {
  const Vec3 t(v.e[0] * k, v.e[1] * k, v.e[2] * k);
  VectCopyDbl(t, out);
}

void VectAddScaledDblCore(const Vec3& a, double k, const Vec3& b, Vec3& out) {
  const Vec3 t(a.e[0] * k + b.e[0], a.e[1] * k + b.e[1], a.e[2] * k + b.e[2]);
  VectCopyDbl(t, out);
}
void VectAddScaledDbl(const Vec3& a, double k, const Vec3& b, Vec3& out) { VectAddScaledDblCore(a, k, b, out); }

void VectCrossDblCore(const Vec3& a, const Vec3& b, Vec3& out) {
  const Vec3 t(a.e[1] * b.e[2] - a.e[2] * b.e[1], a.e[2] * b.e[0] - a.e[0] * b.e[2], a.e[0] * b.e[1] - a.e[1] * b.e[0]);
  VectCopyDbl(t, out);
}
void VectCrossDbl(const Vec3& a, const Vec3& b, Vec3& out) { VectCrossDblCore(a, b, out); }

double VectDotDblCore(const Vec3& a, const Vec3& b) { return a.e[0] * b.e[0] + a.e[1] * b.e[1] + a.e[2] * b.e[2]; }
double VectDotDbl(const Vec3& a, const Vec3& b) { return VectDotDblCore(a, b); }

namespace {

// The length when the plain sum of squares is not finite: scaled, so that a vector whose
// length is representable gets it (NaN components still give NaN).
double ScaledLength(const Vec3& v) { return std::hypot(v.e[0], v.e[1], v.e[2]); }

double Length(const Vec3& v, const char* nullDiagnostic, const char* fault) {
  const double s = v.e[0] * v.e[0] + v.e[1] * v.e[1] + v.e[2] * v.e[2];
  if (!std::isfinite(s)) {
    PetiteErreur(fault);
    return ScaledLength(v);
  }
  if (s == 0) {
    if (nullDiagnostic) PetiteErreur(nullDiagnostic);
    return 0.0;
  }
  return std::sqrt(s);
}

}  // namespace

double norm(const Vec3& v) { return Length(v, "_normfaute norme nulle ", "normfaute"); }

double normseule(const Vec3& v) { return Length(v, nullptr, "normseulefaute"); }

void norma(Vec3& v) {
  const double n = normseule(v);
  if (n == 0 || !std::isfinite(n)) {
    PetiteErreur("normafaute normalise vecteur nul = nul ");
    return;
  }
  v.e[0] /= n;
  v.e[1] /= n;
  v.e[2] /= n;
  if (std::fabs(norm(v) - 1.0) > 1e-11) PetiteErreur("normafaute normalise anormal en normant ");
}
void normalise(Vec3& v) { norma(v); }

namespace {

// The cache of EulerI: per angle position, the angle last used with its cosine and sine.
// Each entry is read and replaced whole, so a call made while another one is suspended
// (in a warning box) leaves both correct.
struct AngleCache {
  double angle = 0.0;
  double c = 1.0;
  double s = 0.0;
};
AngleCache g_euler[3];

AngleCache Turn(int pos, double a) {
  AngleCache k = g_euler[pos];
  if (a != k.angle) k = AngleCache{a, std::cos(a), std::sin(a)};
  return k;
}

}  // namespace

void EulerI(const Vec3& v, double a1, double a2, double a3, Vec3& out) {
  const AngleCache r1 = Turn(0, a1), r2 = Turn(1, a2), r3 = Turn(2, a3);
  double w1, w2, w3, x, y, z;
  CplxMul(r1.c, r1.s, v.e[0], v.e[1], w1, w2);
  CplxMul(r2.c, r2.s, w2, v.e[2], w3, z);
  CplxMul(r3.c, r3.s, w1, w3, x, y);
  g_euler[0] = r1;
  g_euler[1] = r2;
  g_euler[2] = r3;
  out = Vec3(x, y, z);
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) PetiteErreur("EulerIfaute");
}

double Obliquity() { return DegToRad(23.45); }

void EclToEqu(const Vec3& v, Vec3& out) { EulerI(v, 0.0, Obliquity(), 0.0, out); }

}  // namespace vantrel::numerics
