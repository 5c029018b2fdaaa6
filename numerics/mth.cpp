#include "numerics/mth.h"

#include <cmath>

#include "numerics/mathas.h"

namespace vantrel::numerics {

double ULongToDouble(int32_t l) { return l < 0 ? static_cast<double>(l) + 2.0 * 2147483648.0 : static_cast<double>(l); }

double Clamp(double x, double lo, double hi) { return VMax(VMin(x, hi), lo); }

float Atn2Sng(float xs, float ys) {
  const double x = xs, y = ys;
  double r;
  if (y != 0 && x > 0) r = std::atan(y / x);
  else if (y != 0 && x < 0) r = (kPi - std::atan(std::fabs(y) / std::fabs(x))) * (y > 0 ? 1 : -1);
  else if (y != 0) r = y < 0 ? -kPi / 2 : kPi / 2;
  else r = x < 0 ? kPi : 0;
  return static_cast<float>(r);
}

}  // namespace vantrel::numerics
