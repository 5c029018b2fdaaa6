#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/runtime/clock.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "tests/support/guards.h"

namespace vantrel::rt {
namespace {

using test::LocaleGuard;

struct ValCase {
  const char* text;
  double expected;
};

TEST(Val, ReadsTheLongestLeadingNumber) {
  const ValCase cases[] = {
      {"", 0},
      {"abc", 0},
      {"12abc", 12},
      {"1.5E3", 1500},
      {"1.5e-3", 0.0015},
      {"2D2", 200},
      {"  -3.25", -3.25},
      {"+7", 7},
      {"1 2 3", 123},  // blanks inside the number are skipped
      {"\t\n 4.5", 4.5},
      {"1,5", 1},  // only "." is a decimal point
      {".5", 0.5},
      {"-.5", -0.5},
      {"5.", 5},
      {"1.5E", 1.5},  // an exponent without digits is not read
      {"1.5E+", 1.5},
      {"&H10", 16},
      {"&HFFFF", -1},  // four hex digits read as a signed Integer
      {"&HFFFFFF", 16777215},
      {"&O17", 15},
      {"1e-400", 0},  // underflow reads as 0
      {"-", 0},
      {".", 0},
      {"0.0000000000", 0},
      {"6778.1370000000", 6778.137},
  };
  for (const ValCase& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.expected) << c.text;
}

TEST(Val, OverflowIsError6) {
  try {
    Val("1E400");
    FAIL();
  } catch (const RtError& e) {
    EXPECT_EQ(e.number(), 6);
    EXPECT_EQ(e.description(), "Overflow");
  }
}

TEST(CStr, UsesFifteenDigitsAndTheLocaleDecimal) {
  LocaleGuard loc(",", "\xC2\xA0");
  EXPECT_EQ(CStr(2.5), "2,5");
  EXPECT_EQ(CStr(-1234.125), "-1234,125");
  EXPECT_EQ(CStr(0.1 + 0.2), "0,3");
  EXPECT_EQ(CStr(1.0 / 3.0), "0,333333333333333");
  EXPECT_EQ(CStr(1e15), "1E+15");
  EXPECT_EQ(CStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(CStr(0.0001), "0,0001");
  EXPECT_EQ(CStr(0.00001), "1E-05");
  EXPECT_EQ(CStr(-2.5e-7), "-2,5E-07");
  EXPECT_EQ(CStr(0), "0");
  EXPECT_EQ(CStr(100), "100");
}

struct FormatCase {
  double x;
  const char* pattern;
  const char* dot;    // locale "." and ","
  const char* comma;  // locale "," and NBSP
};

TEST(Format, PatternsUnderTwoLocales) {
  const FormatCase cases[] = {
      {5, "00.00", "05.00", "05,00"},
      {100, "00.00", "100.00", "100,00"},
      {6778.137, "0.0000000000", "6778.1370000000", "6778,1370000000"},
      {-0.5, "0.0000000000", "-0.5000000000", "-0,5000000000"},
      {1.23456789012345e-11, "0.0000000000", "0.0000000000", "0,0000000000"},
      {2.00000000005, "#0.0000000000", "2.0000000001", "2,0000000001"},  // half away from zero
      {0.5, "#.##", ".5", ",5"},
      {2, "#.##", "2.", "2,"},
      {1.005, "#.##", "1.01", "1,01"},
      {0, "#", "", ""},
      {42, "#", "42", "42"},
      {2.5, "#", "3", "3"},
      {3.5, "#", "4", "4"},
      {-2.5, "#0", "-3", "-3"},
      {512, " #0", " 512", " 512"},
      {1234567.891, " #,##0.000 ", " 1,234,567.891 ",
       " 1\xC2\xA0"
       "234\xC2\xA0"
       "567,891 "},
      {0, " 0. ", " 0. ", " 0, "},
      {0.0004, "##0.0E+00", "400.0E-06", "400,0E-06"},
      {12345, "#0.####E+00", "12.345E+03", "12,345E+03"},  // as many integer digits as places
      {-12.5, " 0.0 ; -0.0 ", " -12.5 ", " -12,5 "},
      {12.5, " 0.0 ; -0.0 ", " 12.5 ", " 12,5 "},
      {0.256, "0%", "26%", "26%"},
      {1234567, "#,##0,", "1,235",
       "1\xC2\xA0"
       "235"},
      {7, "\"N=\"0", "N=7", "N=7"},
      {0, "0;(0);\"zero\"", "zero", "zero"},
      {-3, "0;(0)", "(3)", "(3)"},
      {3.14159, "", "3.14159", "3,14159"},
      {5, "# ### ### ###", "   5", "   5"},  // literals between places stay in place
      {1234567, "# ### ### ###", " 1 234 567", " 1 234 567"},
      {12345678901234.0, "# ### ### ###", "12345 678 901 234",
       "12345 678 901 234"},  // surplus digits at the leftmost place
      {42, "0-0-0", "0-4-2", "0-4-2"},
  };
  for (const FormatCase& c : cases) {
    {
      LocaleGuard loc(".", ",");
      EXPECT_EQ(Format(c.x, c.pattern), c.dot) << c.x << " " << c.pattern;
    }
    {
      LocaleGuard loc(",", "\xC2\xA0");
      EXPECT_EQ(Format(c.x, c.pattern), c.comma) << c.x << " " << c.pattern;
    }
  }
}

TEST(Format, ExponentRoundingCarriesIntoTheExponent) {
  LocaleGuard loc(".", ",");
  EXPECT_EQ(Format(9.99999, "0.00E+00"), "1.00E+01");
  EXPECT_EQ(Format(0, "0.00E+00"), "0.00E+00");
  EXPECT_EQ(Format(123456, "0.0e-00"), "1.2e05");
}

TEST(FormatDate, PatternsWithLocaleSeparators) {
  const double t = DateSerial(2024, 3, 5) + TimeSerial(14, 7, 9);
  {
    LocaleGuard loc(platform::LocaleSeparators{".", ",", "/", ":"});
    EXPECT_EQ(FormatDate(t, "yyyy/MM/dd hh:mm:ss"), "2024/03/05 14:07:09");
    EXPECT_EQ(FormatDate(t, " dd  MMM yyyy hh:mm "), " 05  Mar 2024 14:07 ");
    EXPECT_EQ(FormatDate(t, " hh:mm:ss.ss "), " 14:07:09.09 ");
    EXPECT_EQ(FormatDate(t, "yyyymmdd"), "20240305");
  }
  {
    LocaleGuard loc(platform::LocaleSeparators{",", ".", ".", "h"});
    EXPECT_EQ(FormatDate(t, "yyyy/MM/dd hh:mm:ss"), "2024.03.05 14h07h09");
  }
}

TEST(Dates, SerialsAroundTheEpoch) {
  EXPECT_EQ(DateSerial(1899, 12, 30), 0);
  EXPECT_EQ(DateSerial(1900, 1, 1), 2);
  EXPECT_EQ(DateSerial(2000, 1, 1), 36526);
  EXPECT_EQ(DateSerial(2024, 13, 1), DateSerial(2025, 1, 1));
  DateParts p = SerialToParts(36526.75);
  EXPECT_EQ(p.year, 2000);
  EXPECT_EQ(p.month, 1);
  EXPECT_EQ(p.day, 1);
  EXPECT_EQ(p.hour, 18);
  EXPECT_EQ(p.weekday, 7);  // a Saturday
  // Before the epoch the fraction is still the time of day.
  p = SerialToParts(-1.25);
  EXPECT_EQ(p.day, 29);
  EXPECT_EQ(p.hour, 6);
  // A time that rounds up to midnight moves to the next day.
  p = SerialToParts(1.0 - 1e-9);
  EXPECT_EQ(p.day, 31);
  EXPECT_EQ(p.hour, 0);
}

TEST(Rounding, HalfToEven) {
  const struct {
    double x;
    double r;
  } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {7, 7}};
  for (auto c : cases) {
    EXPECT_EQ(RoundHalfEven(c.x), c.r) << c.x;
    EXPECT_EQ(CLng(c.x), c.r) << c.x;
  }
  EXPECT_EQ(CInt(32767.4), 32767);
  EXPECT_THROW(CInt(32767.5), RtError);  // rounds to 32768
  EXPECT_THROW(CLng(3e9), RtError);
  EXPECT_THROW(CLng(std::numeric_limits<double>::quiet_NaN()), RtError);
  EXPECT_EQ(Int(-1.5), -2);
  EXPECT_EQ(Fix(-1.5), -1);
  EXPECT_EQ(Mod(-7, 3), -1);
  EXPECT_EQ(Mod(7.5, 3), 2);  // 7.5 rounds to 8
  EXPECT_THROW(Mod(1, 0.4), RtError);
}

TEST(Strings, InStrMidOnCharacters) {
  EXPECT_EQ(InStr("abc", ""), 1);
  EXPECT_EQ(InStr(3, "abc", ""), 3);
  EXPECT_EQ(InStr(5, "abc", ""), 0);
  EXPECT_EQ(InStr("abcabc", "c"), 3);
  EXPECT_EQ(InStr(4, "abcabc", "c"), 6);
  EXPECT_EQ(InStr("abc", "C"), 0);
  EXPECT_THROW(InStr(0, "abc", "a"), RtError);
  // Positions count characters, not bytes.
  const std::string s = "1\xE2\x80\xAF"
                        "234,5";  // U+202F inside
  EXPECT_EQ(Len(s), 7);
  EXPECT_EQ(InStr(s, ","), 6);
  EXPECT_EQ(Mid(s, 2, 1), "\xE2\x80\xAF");
  EXPECT_EQ(Mid(s, 3), "234,5");
  EXPECT_EQ(Mid("abc", 5), "");
  EXPECT_EQ(Left(s, 2), "1\xE2\x80\xAF");
  EXPECT_EQ(Right(s, 2), ",5");
  EXPECT_EQ(UCase("caf\xC3\xA9 x"), "CAF\xC3\x89 X");
  EXPECT_EQ(LCase("ISONEW"), "isonew");
  EXPECT_EQ(Trim("  a b \t "), "a b \t");
  EXPECT_EQ(Replace("a,b,,c", ",", ";"), "a;b;;c");
}

TEST(Clock, FakeClockAdvancesOnSleep) {
  test::ClockGuard g(DateSerial(2024, 3, 5) + TimeSerial(23, 59, 59));
  EXPECT_NEAR(Timer(), 86399, 1e-6);
  Sleep(2000);
  EXPECT_NEAR(Timer(), 1, 1e-6);  // midnight passed
}

}  // namespace
}  // namespace vantrel::rt
