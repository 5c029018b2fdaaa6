#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "platform/runtime/fixed_number.h"

namespace vantrel::rt {
namespace {

std::string Fixed10(double x) {
  std::string s;
  AppendFixedDecimals(s, x, 10, ".");
  return s;
}

TEST(FixedDecimals, FifteenDigitsThenTenDecimals) {
  const struct {
    double x;
    const char* text;
  } cases[] = {
      {12345678901234.25, "12345678901234.2000000000"},  // a tie at the 16th digit: to even
      {12345678901234.75, "12345678901234.8000000000"},
      {999999999999999.9, "1000000000000000.0000000000"},  // carried into a 16th digit
      {0.9999999999999999, "1.0000000000"},
      {99999.99999999999, "100000.0000000000"},
      {1e15, "1000000000000000.0000000000"},
      {1e-8, "0.0000000100"},
      {9.999999999999999e-9, "0.0000000100"},
      {0x1p-30, "0.0000000009"},
      {5e-11, "0.0000000001"},  // halves of the tenth decimal away from zero
      {2.5e-11, "0.0000000000"},
      {-0.00012345678901234567, "-0.0001234568"},
      {0.30000000000000004, "0.3000000000"},
      {1234.5678901234567, "1234.5678901235"},
      {45356.0 + 1.0 / 1440, "45356.0006944444"},
      {123456789.123456789, "123456789.1234570000"},
      {6578.137, "6578.1370000000"},
  };
  for (const auto& c : cases) EXPECT_EQ(Fixed10(c.x), c.text) << c.x;
}

// The 15 digits are those of printf's correctly rounded "%.14e", over doubles of every size.
TEST(FixedDecimals, DigitsAgreeWithTheCorrectlyRoundedScientificForm) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> mant(1, 10);
  std::uniform_int_distribution<int> expo(-12, 17);
  for (int i = 0; i < 200000; ++i) {
    double x = mant(rng) * std::pow(10.0, expo(rng));
    if (i % 3 == 0) x = std::nextafter(std::pow(10.0, expo(rng)), i % 2 ? 0.0 : 1e300);
    char sci[64];
    std::snprintf(sci, sizeof sci, "%.14e", x);
    const std::string digits = std::string(1, sci[0]) + std::string(sci + 2, 14);
    const int point = std::atoi(sci + 17) + 1;
    // As many decimals as show the 15 digits whole: no second rounding.
    const int frac = 15 - point;
    std::string want = "0";
    if (point > 0) {
      want = digits.substr(0, std::min(point, 15));
      if (point > 15) want.append(point - 15, '0');
    }
    if (frac > 0) {
      want += '.';
      if (point < 0) want.append(-point, '0');
      want += digits.substr(std::max(point, 0));
    }
    std::string got;
    AppendFixedDecimals(got, x, std::max(frac, 0), ".");
    ASSERT_EQ(got, want) << sci;
  }
}

}  // namespace
}  // namespace vantrel::rt
