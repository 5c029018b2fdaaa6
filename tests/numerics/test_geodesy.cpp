#include <gtest/gtest.h>

#include <cmath>

#include "numerics/geodesy.h"
#include "numerics/mathas.h"

namespace vantrel::numerics {
namespace {

struct Xyz {
  double x, y, z;
};

// WGS84 Earth-fixed coordinates to 0.1 mm. The pi of the routines puts about 1e-8 m where
// an exact cosine would give 0.
TEST(GeodeticToEcef, Wgs84Values) {
  const double s45 = std::sqrt(0.5);
  const struct {
    double lat, lon, h;
    Xyz want;
  } cases[] = {
      {0, 0, 0, {6378137, 0, 0}},
      {90, 0, 0, {0, 0, 6356752.3142}},
      {-90, 0, 0, {0, 0, -6356752.3142}},
      {45, 0, 0, {4517590.8788, 0, 4487348.4089}},
      {0, 90, 0, {0, 6378137, 0}},
      {0, 180, 0, {-6378137, 0, 0}},
      {0, -90, 100, {0, -6378237, 0}},
      // the height goes along the normal, (cos 45, 0, sin 45) at 45 degrees
      {45, 0, 1000, {4517590.8788 + 1000 * s45, 0, 4487348.4089 + 1000 * s45}},
      {45, 90, 0, {0, 4517590.8788, 4487348.4089}},
  };
  for (auto c : cases) {
    double X = -1, Y = -1, Z = -1;
    EXPECT_EQ(GeodeticToEcef(c.lat, c.lon, c.h, X, Y, Z), 1);
    EXPECT_NEAR(X, c.want.x, 1e-4) << c.lat << "," << c.lon;
    EXPECT_NEAR(Y, c.want.y, 1e-4) << c.lat << "," << c.lon;
    EXPECT_NEAR(Z, c.want.z, 1e-4) << c.lat << "," << c.lon;
  }
  double X, Y, Z;
  GeodeticToEcef(90, 0, 0, X, Y, Z);
  EXPECT_GT(std::fabs(X), 1e-9);  // the pi literal
  EXPECT_LT(std::fabs(X), 1e-7);
}

TEST(LocalToEcefW, NorthEastDownOffsets) {
  const struct {
    double lat, lon, h, n, e, d, scale;
    Xyz want;
    double tol;
  } cases[] = {
      {0, 0, 0, 1000, 0, 0, 1, {6378137, 0, 1000}, 1e-6},  // north is +Z at the equator
      {0, 0, 0, 0, 1000, 0, 1, {6378137, 1000, 0}, 1e-6},
      {0, 0, 0, 0, 0, 1000, 1, {6377137, 0, 0}, 1e-6},
      {0, 90, 0, 0, 1000, 0, 1, {-1000, 6378137, 0}, 1e-6},  // east is -X at 90 east
      // the axes follow the geocentric latitude, 44.80758 degrees here
      {45, 0, 0, 1000, 0, 0, 1, {4517590.8788 - 704.728, 0, 4487348.4089 + 709.478}, 2e-3},
      {45, 0, 0, 0, 0, 0, 0.001, {4517.5909, 0, 4487.3484}, 1e-4},  // kilometres, site too
      {45, 0, 0, 0, 0, 0, 1, {4517590.8788, 0, 4487348.4089}, 1e-4},
  };
  for (auto c : cases) {
    double X, Y, Z;
    EXPECT_EQ(LocalToEcefW(c.lat, c.lon, c.h, c.n, c.e, c.d, X, Y, Z, c.scale), 1);
    EXPECT_NEAR(X, c.want.x, c.tol) << c.lat << " " << c.n << c.e << c.d;
    EXPECT_NEAR(Y, c.want.y, c.tol) << c.lat << " " << c.n << c.e << c.d;
    EXPECT_NEAR(Z, c.want.z, c.tol) << c.lat << " " << c.n << c.e << c.d;
  }
}

// Down points to the Earth's centre: going down by the site's distance from it reaches it
// (within the single-precision latitude, under a metre).
TEST(LocalToEcefW, DownPointsToTheCentre) {
  const struct { double lat, lon, h; } sites[] = {{45, 30, 0}, {-33.9, 151.2, 50}, {60, -120, 3000}, {0, 10, 0}};
  for (auto s : sites) {
    double X0, Y0, Z0;
    GeodeticToEcef(s.lat, s.lon, s.h, X0, Y0, Z0);
    const double r = std::sqrt(X0 * X0 + Y0 * Y0 + Z0 * Z0);
    double X, Y, Z;
    LocalToEcefW(s.lat, s.lon, s.h, 0, 0, r, X, Y, Z, 1);
    EXPECT_LT(std::sqrt(X * X + Y * Y + Z * Z), 1.0) << s.lat << "," << s.lon;
    // north and east are horizontal: they keep the distance from the centre to first order
    LocalToEcefW(s.lat, s.lon, s.h, 10, 10, 0, X, Y, Z, 1);
    EXPECT_NEAR(std::sqrt(X * X + Y * Y + Z * Z), r, 1e-3) << s.lat << "," << s.lon;
  }
}

TEST(LonLatToXYZ, SphereAroundACentre) {
  const struct {
    double lon, lat, r, cx, cy, cz;
    Xyz want;
  } cases[] = {
      {0, 0, 1, 0, 0, 0, {0, 1, 0}},  // longitude 0 on the second axis
      {90, 0, 1, 0, 0, 0, {1, 0, 0}},  {0, 90, 1, 0, 0, 0, {0, 0, 1}},   {180, 0, 2, 0, 0, 0, {0, -2, 0}},
      {0, -90, 3, 1, 2, 3, {1, 2, 0}}, {-90, 0, 1, 10, 0, 0, {9, 0, 0}},
  };
  for (auto c : cases) {
    double x, y, z;
    LonLatToXYZ(c.lon, c.lat, c.r, c.cx, c.cy, c.cz, x, y, z);
    EXPECT_NEAR(x, c.want.x, 1e-14) << c.lon << "," << c.lat;
    EXPECT_NEAR(y, c.want.y, 1e-14) << c.lon << "," << c.lat;
    EXPECT_NEAR(z, c.want.z, 1e-14) << c.lon << "," << c.lat;
  }
}

// Atan2Var takes y first; Atn2Sng and Atn2 take x first.
TEST(Atan2Var, ArgumentOrderAndRange) {
  EXPECT_EQ(Atan2Var(1, 0), static_cast<float>(kPi / 2));
  EXPECT_EQ(Atan2Var(0, -1), static_cast<float>(kPi));
  EXPECT_EQ(Atan2Var(-1, 0), static_cast<float>(-kPi / 2));
  EXPECT_EQ(Atan2Var(0, 1), 0.0f);
  EXPECT_EQ(Atan2Var(0, 0), 0.0f);
  EXPECT_FLOAT_EQ(Atan2Var(1, 1), static_cast<float>(kPi / 4));
  EXPECT_FLOAT_EQ(Atan2Var(-1, -1), static_cast<float>(-3 * kPi / 4));
  EXPECT_FLOAT_EQ(Atan2Var(1, -1), static_cast<float>(3 * kPi / 4));
}

}  // namespace
}  // namespace vantrel::numerics
