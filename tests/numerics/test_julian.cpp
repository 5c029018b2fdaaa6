#include <gtest/gtest.h>

#include <cmath>

#include "numerics/julian.h"
#include "platform/runtime/rterror.h"

namespace vantrel::numerics {
namespace {

// Julian days of calendar dates. Exact where the value is a binary fraction; 1e-6 day
// (0.09 s) where the day has a decimal fraction.
TEST(DateToJD, PublishedValues) {
  const struct {
    double y, m, d, jd;
  } cases[] = {
      // Meeus, Astronomical Algorithms, examples 7.a, 7.b and table 7.a
      {1957, 10, 4.81, 2436116.31},
      {333, 1, 27.5, 1842713.0},
      {2000, 1, 1.5, 2451545.0},
      {1999, 1, 1.0, 2451179.5},
      {1987, 1, 27.0, 2446822.5},
      {1987, 6, 19.5, 2446966.0},
      {1988, 1, 27.0, 2447187.5},
      {1988, 6, 19.5, 2447332.0},
      {1900, 1, 1.0, 2415020.5},
      {1600, 1, 1.0, 2305447.5},
      {1600, 12, 31.0, 2305812.5},
      {837, 4, 10.3, 2026871.8},
      {-123, 12, 31.0, 1676496.5},
      {-122, 1, 1.0, 1676497.5},
      {-1000, 7, 12.5, 1356001.0},
      {-1000, 2, 29.0, 1355866.5},
      {-1001, 8, 17.9, 1355671.4},
      {-4712, 1, 1.5, 0.0},
      // the meeting of the calendars and the start of the count
      {2000, 1, 1, 2451544.5},
      {1582, 10, 15, 2299160.5},
      {1582, 10, 4, 2299159.5},
      {-4712, 1, 1, -0.5},
      {-4712, 3, 1, 59.5},      // -4712 is a leap year
      {1900, 3, 1, 2415079.5},  // 1900 is not a Gregorian leap year
      {2000, 3, 1, 2451604.5},  // 2000 is
      {1500, 3, 1, 2268992.5},  // 1500 is a Julian leap year (29 February exists)
  };
  for (auto c : cases) {
    double jd = -1, jd0 = -1;
    DateToJD(c.y, c.m, c.d, jd, jd0);
    EXPECT_NEAR(jd, c.jd, 1e-6) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(jd0, jd - 2415384.5);
  }
}

TEST(DateToJD, DayCountFromEndOf1900) {
  double jd, jd0;
  DateToJD(2000, 1, 1, jd, jd0);
  EXPECT_EQ(jd0, 36160);
  DateToJD(1900, 12, 31, jd, jd0);
  EXPECT_EQ(jd0, 0);
}

// The ten days 5 to 14 October 1582 are read in the Julian calendar, so that 5 October is
// the day that the Gregorian calendar calls 15 October. A day above 14 is Gregorian.
TEST(DateToJD, MissingDaysOfOctober1582) {
  const struct {
    double d, jd;
  } cases[] = {
      {5, 2299160.5},     // = 15 October
      {10, 2299165.5},    // = 20 October
      {14, 2299169.5},    // = 24 October
      {14.5, 2299160.0},  // Gregorian, noon before 15 October
  };
  for (auto c : cases) {
    double jd, jd0;
    DateToJD(1582, 10, c.d, jd, jd0);
    EXPECT_EQ(jd, c.jd) << c.d;
  }
}

TEST(DateToJD, BadInputRaisesTheRunTimeError) {
  double jd = 7, jd0 = 7;
  try {
    DateToJD(2000, 14, 1, jd, jd0);
    FAIL() << "no error";
  } catch (const rt::RtError& e) {
    EXPECT_EQ(e.number(), 9);
  }
  try {
    DateToJD(1e308, 6, 1, jd, jd0);
    FAIL() << "no error";
  } catch (const rt::RtError& e) {
    EXPECT_EQ(e.number(), 6);
  }
  EXPECT_EQ(jd, 7);  // outputs untouched
}

TEST(JDToDate, PublishedValues) {
  const struct {
    double jd, y, m, d;
  } cases[] = {
      {2436116.31, 1957, 10, 4.81},  // Meeus 7.c
      {1842713.0, 333, 1, 27.5},    {1507900.13, -584, 5, 28.63}, {2451545.0, 2000, 1, 1.5},
      {2299160.5, 1582, 10, 15.0},  {2299159.5, 1582, 10, 4.0},   {2299160.0, 1582, 10, 4.5},
      {-0.5, -4712, 1, 1.0},        {0.0, -4712, 1, 1.5},
  };
  for (auto c : cases) {
    double y, m, d;
    JDToDate(c.jd, y, m, d);
    EXPECT_EQ(y, c.y) << c.jd;
    EXPECT_EQ(m, c.m) << c.jd;
    EXPECT_NEAR(d, c.d, 1e-6) << c.jd;
  }
  double y, m, d;
  EXPECT_THROW(JDToDate(std::nan(""), y, m, d), rt::RtError);
}

bool LeapYear(int y) {
  if (y < 1582) return ((y % 4) + 4) % 4 == 0;  // Julian, astronomical years
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// Walks the calendar day by day from 1 January 4713 BC to the end of 3000: every date's
// Julian day is one more than the day before (across the change of calendar too), and
// JDToDate gives the date back, with and without a fraction of a day.
TEST(JulianDays, DayByDayRoundTrip) {
  static const int kLen[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  double expected = -0.5;
  long checked = 0, faults = 0;
  for (int y = -4712; y <= 3000; ++y) {
    for (int m = 1; m <= 12; ++m) {
      const int len = kLen[m - 1] + (m == 2 && LeapYear(y) ? 1 : 0);
      for (int d = 1; d <= len; ++d) {
        if (y == 1582 && m == 10 && d > 4 && d < 15) continue;
        double jd, jd0, yy, mm, dd;
        const double frac = (checked % 4) * 0.25;
        DateToJD(y, m, d + frac, jd, jd0);
        JDToDate(jd, yy, mm, dd);
        if (jd != expected + frac || yy != y || mm != m || std::fabs(dd - (d + frac)) > 1e-9) {
          if (++faults < 10)
            ADD_FAILURE() << y << "-" << m << "-" << d + frac << ": jd " << jd << " (expected " << expected + frac
                          << "), back " << yy << "-" << mm << "-" << dd;
        }
        expected += 1;
        ++checked;
      }
    }
  }
  EXPECT_EQ(faults, 0);
  EXPECT_GT(checked, 2700000);
}

}  // namespace
}  // namespace vantrel::numerics
