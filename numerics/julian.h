#pragma once
// Calendar dates and Julian days. Julian calendar up to 4 October 1582, Gregorian from
// 15 October 1582. Years are astronomical (year 0 exists; -4712 is 4713 BC); the day may
// carry a fraction. A whole-number Julian day begins at noon.

namespace vantrel::numerics {

// Julian day at which the day count jd0 of DateToJD starts: 31 December 1900, 0 h.
inline constexpr double kJd0Epoch = 2415384.5;

// jd := the Julian day of (year, month, day); jd0 := jd - kJd0Epoch.
// The dates 5 to 14 October 1582, which neither calendar has, are read in the Julian
// calendar: 5 October gives the day of 15 October. A day above 14 (14.5 for instance)
// already counts as Gregorian. A month beyond 13 raises error 9, a result beyond the double range
// error 6.
void DateToJD(double year, double month, double day, double& jd, double& jd0);

// The calendar date of the Julian day jd (Meeus' method; valid from jd -0.5 on); day
// carries the fraction of the day. A value that is not finite raises error 6.
void JDToDate(double jd, double& year, double& month, double& day);

}  // namespace vantrel::numerics
