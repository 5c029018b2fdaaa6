#include "numerics/planets.h"

#include <cmath>
#include <optional>

#include "numerics/mathas.h"
#include "numerics/numerics_state.h"
#include "platform/runtime/vb.h"

namespace vantrel::numerics {

namespace {

// Mean elements at T = 0 and their rates per day (radians, AU); k sets 2k + 1 iterations of
// Kepler's equation. Rows 0 and 3 both hold the apparent orbit of the Sun about the Earth.
struct Elements {
  const char* label;
  double L0, Lrate;  // mean longitude
  double w0, wrate;  // longitude of perihelion
  double O0, Orate;  // longitude of the ascending node
  double e, i, a;
  int k;
};

// Rows 10 to 17 exist and are empty.
constexpr int kRows = 18;
constexpr Elements kElements[kRows] = {
    {"SUN", 4.8689, 0.0172027914, 4.9085, 8.1856e-07, 0, 0, 0.01675104, 0, 1.00000023, 3},
    {"MERCURE", 4.0117, 0.0714254534, 1.3249, 7.4229e-07, 0.82304, 5.6618e-07, 0.205615, 0.1222, 0.387098, 5},
    {"VENUS", 3.6086, 0.0279631195, 2.2716, 6.5572e-07, 1.3229, 4.3668e-07, 0.006816, 0.05923, 0.72333, 3},
    {"EARTH", 4.8689, 0.0172027914, 4.9085, 8.1856e-07, 0, 0, 0.01675104, 0, 1.00000023, 3},
    {"MARS", 2.1776, 0.00914676594, 5.8338, 8.793e-07, 0.8516, 3.712e-07, 0.093309, 0.032294, 1.523678, 5},
    {"JUPITER", 4.6879, 0.0014509868, 0.2289, 8.57e-07, 1.7358, 4.83e-07, 0.048376, 0.02284, 5.202799, 4},
    {"SATURNE", 4.8567, 0.00058484028, 1.5974, 4.12e-07, 1.9686, 4.17e-07, 0.054311, 0.0435, 9.552098, 4},
    {"URANUS", 4.3224, 0.000205424, 2.9523, 7.62e-07, 1.2825, 2.3824e-07, 0.047319, 0.013482, 19.21694, 4},
    {"NEPTUNE", 1.5223, 0.000105061, 0.7637, 3.93e-07, 2.281, 5.25e-07, 0.008262, 0.031054, 30.112912, 3},
    {"PLUTON", 1.6406, 7.01214e-05, 3.8978, 6.672e-07, 1.9034, 6.672e-07, 0.250236, 0.29968, 39.438712, 7},
    {"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};

// A position computed for one T. Both caches start empty: no T is known at the start.
struct Cached {
  double T = 0;
  Vec3 pos;
};

}  // namespace

// The planet table and the last positions, for the run.
struct PlanetState {
  bool filled = false;
  std::optional<Cached> sun;    // the Sun seen from the Earth
  std::optional<Cached> earth;  // the Earth seen from the Sun
  std::array<PlanetRecord, 12> table{};
};

namespace {

PlanetState& St() {
  std::shared_ptr<PlanetState>& p = Numerics().planets;
  if (!p) p = std::make_shared<PlanetState>();
  return *p;
}

void InitPlanetTable(std::array<PlanetRecord, 12>& t) {
  // name, GM, period, inclination, eccentricity, node, perihelion, primary, radius,
  // rotation, tilt
  struct Row {
    const char* name;
    double gm, period, incl, ecc, node, peri;
    const char* primary;
    double radius, rotation, tilt;
  };
  static constexpr Row rows[11] = {
      {"Sun", 1.32715e20, 0, 0, 0, 0, 0, "mlkwy", 695000, 25, 7.25},
      {"Mercury", 2.2032e13, 87.969, 7.005, 0.2056, 48.33, 77.46, "Sun", 2439.7, 58.6462, 0.034},
      {"Venus", 3.24859e14, 224.701, 3.3947, 0.0068, 76.68, 131.53, "Sun", 6051.8, -243.0187, 177.36},
      {"Earth", 3.986005e14, 365.256, 0, 0.0167, 354.9, 102.83, "Sun", 6378.14, 0.99727, 23.45},
      {"Moon", 4.902e12, 27.32166, 5.15, 0.05, 125.08, 83.23, "Earth", 1737.4, 27.32166, 6.68},
      {"Mars", 4.282837e13, 686.98, 1.85, 0.0934, 49.56, 336.04, "Sun", 3389.5, 1.02596, 25.19},
      {"Jupiter", 1.26686534e17, 4332.589, 1.305, 0.0484, 100.46, 14.75, "Sun", 69911, 0.41354, 3.13},
      {"Saturn", 3.7931187e16, 10759.22, 2.484, 0.0542, 113.67, 92.43, "Sun", 58232, 0.44401, 26.73},
      {"Uranus", 5.793939e15, 30685.4, 0.770, 0.0472, 74.02, 170.96, "Sun", 25362, -0.71833, 97.77},
      {"Neptune", 6.836529e15, 60189, 1.769, 0.0086, 131.78, 44.97, "Sun", 24622, 0.67125, 28.32},
      {"Pluto", 8.71e11, 90465, 17.14, 0.2488, 110.30, 224.07, "Sun", 1188.3, -6.3872, 122.53},
  };
  for (std::size_t n = 0; n < 11; ++n) {
    const Row& r = rows[n];
    PlanetRecord& p = t[n];
    p.InclDeg = r.incl;
    p.CosIncl = std::cos(DegToRad(r.incl));
    p.SinIncl = std::sin(DegToRad(r.incl));
    p.Name = r.name;
    p.GM = r.gm;
    p.PeriodDays = r.period;
    p.Inclination = r.incl;
    p.Eccentricity = r.ecc;
    p.NodeDeg = r.node;
    p.PerihelionDeg = r.peri;
    p.Primary = r.primary;
    p.RadiusKm = r.radius;
    p.RotationDays = r.rotation;
    p.TiltDeg = r.tilt;
  }
  for (std::size_t n = 0; n < 11; ++n)
    for (std::size_t m = 0; m < 11; ++m)
      if (t[n].Primary == t[m].Name) t[n].GMPrimary = t[m].GM;
}

void FirstCall() {
  if (St().filled) return;
  InitPlanetTable(St().table);
  St().filled = true;
}

// The position of one row of the table at T; addPi turns the Sun seen from the Earth into
// the Earth seen from the Sun.
Vec3 Orbit(const Elements& el, double T, bool addPi) {
  const double w = el.w0 + el.wrate * T;
  const double L = el.L0 + el.Lrate * T;
  const double M = L - w;
  double E = M;
  for (int n = 0; n < 2 * el.k + 1; ++n) E = M + el.e * std::sin(E);
  const double nu = 2 * std::atan(std::sqrt((1 + el.e) / (1 - el.e)) * std::tan(E / 2));
  const double node = el.O0 + el.Orate * T;
  const double u = w - node + nu;
  double lam1;
  if (std::cos(u) == 0) {
    lam1 = u;
  } else {
    lam1 = std::atan(std::cos(el.i) * std::tan(u));
    if (std::cos(u) < 0) lam1 += kPi;
  }
  double lam = lam1 + node;
  if (addPi) lam += kPi;
  const double beta = std::atan(std::tan(el.i) * std::sin(lam1));
  const double r = kAU * el.a * (1 - el.e * std::cos(E));
  return Vec3(std::cos(beta) * r * std::cos(lam), std::cos(beta) * r * std::sin(lam), std::sin(beta) * r);
}

const Vec3& Cache(std::optional<Cached>& c, double T, const Elements& el, bool addPi) {
  if (!c || c->T != T) c = Cached{T, Orbit(el, T, addPi)};
  return c->pos;
}

const Vec3& Sun(double T) { return Cache(St().sun, T, kElements[0], false); }
const Vec3& Earth(double T) { return Cache(St().earth, T, kElements[3], true); }

Vec3 Moon(double T) {
  const Elements& s = kElements[0];
  const double ws = s.w0 + s.wrate * T;
  const double Ls = s.L0 + s.Lrate * T;
  const double Ms = Ls - ws;
  const double Lm = 0.229971503 * T + 0.57999;
  const double Om = 4.1867 - 0.00092422 * T;
  const double Mm = 0.228027133 * T + 0.3193;
  const double D = Lm - Ls;
  const double F = Lm - Om;
  double lam = Lm;
  lam += 0.1098 * std::sin(Mm);
  lam += 0.003728 * std::sin(2 * Mm);
  lam += 0.01149 * std::sin(2 * D);
  lam += -0.003329 * std::sin(Ms);
  lam += 0.02224 * std::sin(2 * D - Mm);
  lam += -0.001945 * std::sin(2 * F);
  lam += 0.001026 * std::sin(2 * D - 2 * Mm);
  lam += 0.0009983 * std::sin(2 * D - Mm - Ms);
  lam += 0.0009903 * std::sin(2 * D + Mm);
  lam += 0.0008011 * std::sin(2 * D - Ms);
  lam += 0.0007156 * std::sin(Mm - Ms);
  lam += -0.0005323 * std::sin(Mm + Ms);
  lam += -0.0006074 * std::sin(D);
  double beta = 0;
  beta += 0.08995 * std::sin(F);
  beta += 0.0049 * std::sin(Mm + F);
  beta += 0.00485 * std::sin(Mm - F);
  beta += 0.003 * std::sin(2 * D - F);
  beta += 0.00097 * std::sin(2 * D - Mm + F);
  beta += 0.0008 * std::sin(2 * D - Mm - F);
  beta += 0.00057 * std::sin(2 * D + F);
  const double P = (0.9508 + 0.0518 * std::cos(Mm)) * kPi / 180;  // horizontal parallax
  const double r = 6378137 / std::sin(P);
  return Vec3(std::cos(beta) * r * std::cos(lam), std::cos(beta) * r * std::sin(lam), std::sin(beta) * r);
}

}  // namespace

void PlanetPos(double T, double body, double /*spare*/, Vec3& pos, Vec3& pos2) {
  FirstCall();
  if (body == kBodyMoon) {
    const Vec3 geo = Moon(T);
    const Vec3& earth = Earth(T);
    pos = Vec3(geo.e[0] + earth.e[0], geo.e[1] + earth.e[1], geo.e[2] + earth.e[2]);
    pos2 = geo;
    return;
  }
  Vec3 helio;
  if (body == kBodySun) {
    St().sun.reset();
  } else {
    const double row = rt::RoundHalfEven(body);
    if (!(row >= 0 && row < kRows)) throw rt::RtError(rt::kErrSubscript);
    helio = Orbit(kElements[static_cast<int>(row)], T, body == kBodyEarth);
  }
  const Vec3& sun = Sun(T);
  pos = helio;
  pos2 = Vec3(helio.e[0] + sun.e[0], helio.e[1] + sun.e[1], helio.e[2]);
}

const std::array<PlanetRecord, 12>& PlanetTable() { return St().table; }

}  // namespace vantrel::numerics
