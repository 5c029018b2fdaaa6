#pragma once
// Remembered values of the spacecraft model, the box builder and the bodies, and the pure
// computations of those sections (attitude from a quaternion row, table searches, turning
// angles), kept apart from the drawing so that they can be checked on their own.

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "datastore/tables.h"
#include "numerics/quater.h"
#include "numerics/vect.h"

namespace vantrel::glview {
class Material;
}

namespace vantrel::view {

// Values the spacecraft model keeps from one frame to the next.
struct SpacecraftValues {
  double LastDrawnIndex = 0;
  double AttitudeRow = 0, PlusYRow = 0, MinusYRow = 0;
  numerics::Quat AttitudeQuat{0, 0, 0, 0};
  double ModelAngle = 0;  // degrees
  std::array<double, 3> RotationAxis{};
  numerics::Vec3 BodyAxisX, BodyAxisZ;  // the model's X and Z axes in scene axes
  double PanelSunAngle = 0;             // degrees
  double ModelSize = 0;
  double BodyHalfX = 0, BodyHalfY = 0, BodyHalfZ = 0;
  double BodyAxisWidth = 0;
  double AppendageLength = 0;
  double MinusYAxisSign = 0;
  std::shared_ptr<glview::Material> ModelMaterial;
  std::mt19937 Jitter{std::random_device{}()};  // the sun-tracking jitter
};

// Values the box builder keeps: the corner sign tables (elements 1 to 4 as 0 to 3) and the
// corners of the face being drawn (corner 1 to 4, axis X, Y, Z as 0 to 3, 0 to 2).
struct BoxValues {
  double FaceSignsReady = 0;
  std::array<double, 4> FaceSignU{}, FaceSignW{};
  std::array<std::array<double, 3>, 4> FaceCorners{};
};

// Values of the bodies section: the last ephemeris result (elements 1 to 3, in metres) and
// the Sun's position on equatorial axes.
struct BodyValues {
  numerics::Vec3 BodyPos;
  numerics::Vec3 SunEquatorial;
  std::array<std::array<float, 3>, 3> LightColours{};  // [component][ambient, diffuse, specular]
};

// The attitude of one quaternion row (q1 the scalar part): the turn to apply and the
// quaternion that stands for it. A row that gives no axis of length 1 +- 0.45 falls back to
// a quarter turn about X.
struct AttitudeTurn {
  numerics::Quat Quat{0, 0, 0, 0};
  double Angle = 0;  // degrees
  std::array<double, 3> Axis{};
  bool FellBack = false;
};
AttitudeTurn AttitudeFromRow(double q1, double q2, double q3, double q4);

// Walks row k of a table (time in column 0, n rows) to the row whose time interval holds T,
// starting from the row found last time: k stops at 0 before the first row and at n past
// the last one.
template <int N>
void SearchTimeRow(const datastore::NumTable<N>& table, double T, double& k, double n) {
  auto time = [&](double row) { return table(std::int64_t(row), 0); };
  if (T <= time(k)) {
    for (;;) {
      if (k < 1) {
        k = 0;
        return;
      }
      k = k - 1;
      if (time(k) <= T && T <= time(k + 1)) return;
    }
  }
  for (;;) {
    if (k > n || k > double(datastore::kTableRows)) {
      k = n;
      return;
    }
    if (time(k) <= T && T <= time(k + 1)) return;
    k = k + 1;
  }
}

// The turning angle of the central body about its polar axis, in degrees, at the time t (a
// day number; the fraction is the time of day): the sidereal angle of the day's 0 h, plus the
// turn of the elapsed seconds, folded into (-180, 180], plus 90. RtError 6 for a time past
// the calendar's range.
double SiderealTurn(double t);

// The turning angle of the Moon about its polar axis at pointTime, in degrees: 0 while the
// animation stands on the last row, 1 on the first row of the plotted range.
double MoonTurn(double pointTime, bool atLastRow, bool atFirstRow);

// The radius in km of the central body numbered body (1 Sun ... 6 Jupiter, 11 Moon; any other
// number the Earth's), or 1738 when moonOnly is 1.
double CentralBodyRadius(double moonOnly, double body);

// The texture file of the central body for the Moon flag and the body number, from the two
// texture names of the settings; empty when the combination has none.
std::string CentralTextureName(double moonMode, double body, const std::string& earthTexture,
                               const std::string& moonTexture);

// The folder the textures are read from: the program folder set in the view's shared values,
// else the running program's read-only data folder (platform::DataFolder).
std::filesystem::path ProgramFolder();

// A number handed to GL as a float. RtError 6 (overflow) when it does not fit.
float Sng(double x);

}  // namespace vantrel::view
