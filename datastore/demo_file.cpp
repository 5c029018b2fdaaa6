#include "datastore/demo_file.h"

#include <cmath>
#include <vector>

#include "datastore/datafile_writer.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

namespace {

constexpr double kMu = 398600.4418;  // km^3 / s^2
constexpr double kPi = 3.14159265358979;
constexpr double kStep = 300;  // seconds between rows
constexpr double kEnd = 5.5 * 86400;

struct V3 {
  double x = 0, y = 0, z = 0;
};
V3 operator-(V3 a) { return {-a.x, -a.y, -a.z}; }
V3 operator*(double k, V3 a) { return {k * a.x, k * a.y, k * a.z}; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Unit(V3 a) { return (1 / std::sqrt(Dot(a, a))) * a; }

// One arc of the transfer: an orbit with its perigee on +X, turned about X by its inclination.
struct Arc {
  double start;  // seconds from the departure
  double rp, ra, inclinationDeg;
  double perigeeTime;  // a time of perigee passage
  const char* burn;    // the burn that starts the arc ("" for the parking orbit)
  const char* name;    // the orbit after the burn

  double a() const { return (rp + ra) / 2; }
  double e() const { return (ra - rp) / (ra + rp); }
  double Period() const { return 2 * kPi * std::sqrt(a() * a() * a() / kMu); }

  void State(double t, V3& r, V3& v) const {
    const double n = 2 * kPi / Period();
    const double M = n * (t - perigeeTime);
    double E = M;
    for (int k = 0; k < 30; ++k) E -= (E - e() * std::sin(E) - M) / (1 - e() * std::cos(E));
    const double b = a() * std::sqrt(1 - e() * e());
    const double dE = n / (1 - e() * std::cos(E));
    const double px = a() * (std::cos(E) - e()), py = b * std::sin(E);
    const double vx = -a() * std::sin(E) * dE, vy = b * std::cos(E) * dE;
    const double i = inclinationDeg * kPi / 180;
    r = {px, py * std::cos(i), py * std::sin(i)};
    v = {vx, vy * std::cos(i), vy * std::sin(i)};
  }
};

std::vector<Arc> Transfer() {
  std::vector<Arc> arcs;
  // Parking orbit at 300 km, 28.5 degrees; the perigee burn after one revolution, on +X.
  Arc leo{0, 6678.137, 6678.137, 28.5, 0, "", "Parking orbit"};
  arcs.push_back(leo);
  Arc gto{leo.Period(), 6678.137, 42164.0, 28.5, 0, "Perigee burn", "Transfer orbit"};
  gto.perigeeTime = gto.start;
  arcs.push_back(gto);
  // Three apogee burns raise the perigee and take the inclination out; each one starts at an
  // apogee (on -X), so the new orbit's perigee stays on +X.
  const struct {
    double rp, inc;
    int revolutions;  // of the previous arc before the burn
    const char* burn;
    const char* name;
  } burns[] = {{20000, 12, 3, "Apogee burn 1", "Drift orbit 1"},
               {36000, 3, 3, "Apogee burn 2", "Drift orbit 2"},
               {42164, 0, 2, "Apogee burn 3", "Geostationary orbit"}};
  for (const auto& b : burns) {
    const Arc& prev = arcs.back();
    // The first apogee after the previous arc's start, then whole revolutions.
    double firstApogee = prev.perigeeTime + prev.Period() / 2;
    while (firstApogee < prev.start) firstApogee += prev.Period();
    const double t = firstApogee + (b.revolutions - 1) * prev.Period();
    Arc next{t, b.rp, 42164.0, b.inc, 0, b.burn, b.name};
    next.perigeeTime = t - next.Period() / 2;
    arcs.push_back(next);
  }
  return arcs;
}

// Scalar-first quaternion of the rotation whose matrix has the columns x, y, z.
void Quaternion(V3 x, V3 y, V3 z, double q[4]) {
  const double m00 = x.x, m11 = y.y, m22 = z.z;
  const double tr = m00 + m11 + m22;
  if (tr > 0) {
    const double s = std::sqrt(tr + 1) * 2;
    q[0] = s / 4;
    q[1] = (y.z - z.y) / s;
    q[2] = (z.x - x.z) / s;
    q[3] = (x.y - y.x) / s;
  } else if (m00 > m11 && m00 > m22) {
    const double s = std::sqrt(1 + m00 - m11 - m22) * 2;
    q[0] = (y.z - z.y) / s;
    q[1] = s / 4;
    q[2] = (y.x + x.y) / s;
    q[3] = (z.x + x.z) / s;
  } else if (m11 > m22) {
    const double s = std::sqrt(1 + m11 - m00 - m22) * 2;
    q[0] = (z.x - x.z) / s;
    q[1] = (y.x + x.y) / s;
    q[2] = s / 4;
    q[3] = (z.y + y.z) / s;
  } else {
    const double s = std::sqrt(1 + m22 - m00 - m11) * 2;
    q[0] = (x.y - y.x) / s;
    q[1] = (z.x + x.z) / s;
    q[2] = (z.y + y.z) / s;
    q[3] = s / 4;
  }
  if (q[0] < 0)
    for (int k = 0; k < 4; ++k) q[k] = -q[k];
}

}  // namespace

std::string DemoFileText() {
  const std::vector<Arc> arcs = Transfer();
  const double t0 = rt::DateSerial(2026, 3, 20) + rt::TimeSerial(6, 0, 0);
  const V3 sun{1, 0, 0};  // the Sun's direction at the March equinox
  GatheredBlock block;
  int64_t row = 0;
  for (double t = 0; t <= kEnd + 1e-6; t += kStep, ++row) {
    size_t k = 0;
    while (k + 1 < arcs.size() && t >= arcs[k + 1].start) ++k;
    V3 r, v;
    arcs[k].State(t, r, v);
    const double day = t0 + t / 86400;
    block.SetNumber(row, 0, r.x);
    block.SetNumber(row, 1, r.y);
    block.SetNumber(row, 2, r.z);
    block.SetNumber(row, 3, day);
    // Events on every row: the orbit's name, or the burn during its first ten minutes (a label
    // ending in S gives the event value 1).
    block.SetNumber(row, 4, day);
    const bool burning = arcs[k].burn[0] && t < arcs[k].start + 600;
    block.SetText(row, 5, burning ? std::string(arcs[k].burn) + " S" : std::string(arcs[k].name));
    // Earth pointing: Z to the Earth's centre, Y against the orbit's normal, X forwards.
    const V3 zb = Unit(-r), yb = Unit(-Cross(r, v)), xb = Cross(yb, zb);
    double q[4];
    Quaternion(xb, yb, zb, q);
    block.SetNumber(row, 6, day);
    for (int c = 0; c < 4; ++c) block.SetNumber(row, 7 + c, q[c]);
    // The arrays turn about Y to face the Sun.
    const double angle = std::atan2(Dot(sun, xb), Dot(sun, zb)) * 180 / kPi;
    block.SetNumber(row, 11, day);
    block.SetNumber(row, 12, angle);
    block.SetNumber(row, 13, day);
    block.SetNumber(row, 14, angle);
    block.SetNumber(row, 15, day);
    block.SetNumber(row, 16, std::sqrt(Dot(v, v)));
  }
  const std::string last = std::to_string(row + 1);
  HeaderFields h;
  h.sourceCaption = "VantrelDemo.xlsx";
  h.sheetName = "Transfer";
  h.cellFormula = "=0.001*MAX(A2:C" + last + ")+MAX(D2:D" + last + ")+MAX(E2:F" + last + ")+MAX(G2:K" + last +
                  ")+MAX(L2:M" + last + ")+MAX(N2:O" + last + ")+MAX(P2:Q" + last +
                  ")+LEN(\"GEO satcom transfer kmdays valz\")";
  h.specScale = 0.001;
  h.plotTitle = "GEO satcom transfer kmdays valz";
  return RenderDataFile(h, block, rt::DateSerial(2026, 1, 5) + rt::TimeSerial(9, 0, 0), ".");
}

}  // namespace vantrel::datastore
