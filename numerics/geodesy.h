#pragma once
// Points on a sphere from longitude and latitude, WGS84 geodetic to Earth-centred
// Earth-fixed coordinates, and north-east-down offsets from a site. Angles in degrees;
// lengths in metres, the unit of the semi-major axis.

namespace vantrel::numerics {

inline constexpr double kWgs84A = 6378137.0;
inline constexpr double kWgs84InvF = 298.257223563;

// (x, y, z) := the point at distance r from (cx, cy, cz) at longitude lon and latitude lat.
// Longitude 0 lies on the second axis and longitude 90 on the first (not the Earth-fixed
// orientation of GeodeticToEcef).
void LonLatToXYZ(double lon, double lat, double r, double cx, double cy, double cz, double& x, double& y, double& z);

// (X, Y, Z) := the Earth-fixed coordinates of the geodetic latitude, longitude and height h:
// X towards longitude 0 in the equator, Y towards 90 east, Z to the north pole. Returns 1.
int GeodeticToEcef(double lat, double lon, double h, double& X, double& Y, double& Z);

// (X, Y, Z) := scale * (the site + n north + e east + d down). The local axes follow the
// site's geocentric latitude (computed in single precision), so down points exactly to the
// Earth's centre. The scale applies to the site as well (1/1000 gives kilometres). Returns 1.
int LocalToEcefW(double lat, double lon, double h, double n, double e, double d, double& X, double& Y, double& Z,
                 double scale);

// The angle of the point (x, y) in (-pi, pi], in single precision. Note the order: y first,
// unlike Atn2(x, y) and Atn2Sng(x, y).
float Atan2Var(double y, double x);

}  // namespace vantrel::numerics
