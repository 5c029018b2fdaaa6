#include "numerics/julian.h"

#include <cmath>

#include "platform/runtime/rterror.h"

namespace vantrel::numerics {

namespace {
constexpr double kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

[[noreturn]] void Overflow() { throw rt::RtError(rt::kErrOverflow); }
}  // namespace

void DateToJD(double y, double m, double d, double& jd, double& jd0) {
  double s = -0.5;
  for (int i = 1; i <= m - 1; ++i) {
    if (i > 12) throw rt::RtError(rt::kErrSubscript);  // a month beyond December
    s += kMonthDays[i - 1];
  }
  const double base = (y + 4712) * 365;
  const double leap = m >= 3 ? std::floor(std::fabs((y + 4712) / 4)) : std::floor(std::fabs((y + 4712 - 1) / 4));
  const double first = (m < 3 && y == -4712) ? 0 : 1;
  const bool gregorian = y > 1582 || (y == 1582 && m > 10) || (y == 1582 && m == 10 && d > 14);
  double g = 0;  // Julian calendar, the ten missing days of October 1582 included
  if (gregorian) {
    const double yy = m >= 3 ? y : y - 1;
    g = std::floor(yy / 400) - std::floor(yy / 100) + 2;
  }
  const double r = (d - 1) + s + base + leap + first + g;
  if (!std::isfinite(r)) Overflow();
  jd = r;
  jd0 = r - kJd0Epoch;
}

void JDToDate(double jd, double& year, double& month, double& day) {
  if (!std::isfinite(jd)) Overflow();
  const double Z = std::floor(jd + 0.5);
  const double F = (jd + 0.5) - Z;
  double A = Z;
  if (static_cast<float>(Z) >= 2299161.0f) {
    const double alpha = std::floor((Z - 1867216.25) / 36524.25);
    A = Z + 1 + alpha - std::floor(alpha / 4);
  }
  const double B = A + 1524;
  const double C = std::floor((B - 122.1) / 365.25);
  const double D = std::floor(C * 365.25);
  const double E = std::floor((B - D) / 30.6001);
  const double dd = B - D - std::floor(E * 30.6001) + F;
  const double mm = E <= 13.5 ? E - 1 : E - 13;
  const double yy = mm < 2.5 ? C - 4716 + 1 : C - 4716;
  year = yy;
  month = mm;
  day = dd;
}

}  // namespace vantrel::numerics
