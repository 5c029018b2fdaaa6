#pragma once
// Positions of the Sun, the planets and the Moon from mean orbital elements that change
// linearly with time, Kepler's equation and a short series for the Moon.
//
// Time T: days since 1900 December 31, 0 h (Julian day 2415384.5), the jd0 of DateToJD; a
// date serial (days since 1899 December 30) minus 366. Results in metres, on the ecliptic
// axes of the mean equinox of date; the astronomical unit is taken as 1.5e11 m.

#include <array>
#include <string>

#include "numerics/vect.h"

namespace vantrel::numerics {

inline constexpr double kAU = 1.5e11;

// Body codes of PlanetPos (not those of the central body nor of the PlanetTable records).
inline constexpr double kBodySun = 0;
inline constexpr double kBodyEarth = 3;
inline constexpr double kBodyMoon = 31;

// pos := the heliocentric position of the body, pos2 := its geocentric position.
// body: 0 the Sun (pos = 0), 1 to 9 the planets of the element table (3 the Earth, 4 Mars,
// ...), rounded half to even; 10 to 17 are empty rows (pos = 0, pos2 = the Sun); 31 the Moon.
// Any other code raises error 9 before pos and pos2 are written. spare is not read.
// The Sun and the Earth are cached by T between calls; a call for the Sun recomputes it.
void PlanetPos(double T, double body, double spare, Vec3& pos, Vec3& pos2);

// Physical constants of the Sun, the planets and the Moon, filled by the first PlanetPos
// call of the run. Records 0 to 10: Sun, Mercury, Venus, Earth, Moon, Mars, Jupiter,
// Saturn, Uranus, Neptune, Pluto; record 11 stays empty.
struct PlanetRecord {
  double InclDeg = 0, CosIncl = 0, SinIncl = 0;  // orbital inclination, its cosine and sine
  std::string Name;
  double GM = 0;         // m3/s2
  double GMPrimary = 0;  // GM of the body it orbits
  double PeriodDays = 0;
  double Inclination = 0;  // degrees
  double Eccentricity = 0;
  double NodeDeg = 0;        // longitude of the ascending node
  double PerihelionDeg = 0;  // longitude of perihelion
  std::string Primary;       // "mlkwy", "Sun" or "Earth"
  double RadiusKm = 0;
  double RotationDays = 0;  // negative for a retrograde rotation
  double TiltDeg = 0;       // axial tilt
};
const std::array<PlanetRecord, 12>& PlanetTable();

}  // namespace vantrel::numerics
