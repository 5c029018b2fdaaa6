#include "numerics/geodesy.h"

#include <cmath>

#include "numerics/mathas.h"
#include "numerics/mth.h"

namespace vantrel::numerics {

void LonLatToXYZ(double lon, double lat, double r, double cx, double cy, double cz, double& x, double& y, double& z) {
  const double lam = kPi * (lon / 180), phi = kPi * (lat / 180);
  x = cx + r * std::cos(phi) * std::sin(lam);
  y = cy + r * std::cos(phi) * std::cos(lam);
  z = cz + r * std::sin(phi);
}

int GeodeticToEcef(double lat, double lon, double h, double& X, double& Y, double& Z) {
  const double phi = kPi * (lat / 180), lam = kPi * (lon / 180);
  const double f = 1 / kWgs84InvF;
  const double e2 = 2 * f - f * f;
  const double sp = std::sin(phi);
  const double s = std::sqrt(1 - e2 * sp * sp);
  const double N = kWgs84A / s;  // radius of curvature in the prime vertical
  const double x = std::cos(lam) * std::cos(phi) * (h + N);
  const double y = std::sin(lam) * std::cos(phi) * (h + N);
  const double z = sp * (h + kWgs84A * (1 - e2) / s);
  X = x;
  Y = y;
  Z = z;
  return 1;
}

int LocalToEcefW(double lat, double lon, double h, double n, double e, double d, double& X, double& Y, double& Z,
                 double scale) {
  double X0, Y0, Z0;
  GeodeticToEcef(lat, lon, h, X0, Y0, Z0);
  const double lam = DegToRad(lon);
  const double phic = Atan2Var(Z0, std::sqrt(X0 * X0 + Y0 * Y0));  // geocentric latitude
  const double sl = std::sin(lam), cl = std::cos(lam), sp = std::sin(phic), cp = std::cos(phic);
  const double x = scale * (X0 - sl * e - cl * sp * n - cl * cp * d);
  const double y = scale * (Y0 + cl * e - sl * sp * n - sl * cp * d);
  const double z = scale * (Z0 + cp * n - sp * d);
  X = x;
  Y = y;
  Z = z;
  return 1;
}

float Atan2Var(double y, double x) { return Atn2Sng(static_cast<float>(x), static_cast<float>(y)); }

}  // namespace vantrel::numerics
