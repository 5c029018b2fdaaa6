#include <gtest/gtest.h>

#include "datastore/number_text.h"
#include "datastore/state.h"
#include "platform/runtime/rterror.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

// The fixed-path files of the view and the pushed time cells read their numbers through these
// two functions. The grouped texts below once read as 1 in the fixed-path files.
TEST(NumberText, NumbersInTheUserWritingReadTheSameForEveryCaller) {
  struct Case {
    const char* decimal;
    const char* thousands;
    const char* text;
    bool number;
    double value;
  };
  const Case cases[] = {
      {".", "'", "1'000.5", true, 1000.5},  // grouping by apostrophe
      {",", "\xC2\xA0",
       "1\xC2\xA0"
       "000,5",
       true, 1000.5},  // grouping by no-break space
      {",", ".", "1.000,5", true, 1000.5},
      {",", ".", "1,5", true, 1.5},
      {".", ",", "1.5", true, 1.5},
      {".", ",", "-2.25E+3", true, -2250},
      {".", ",", "  12  ", true, 12},
      {".", ",", "1e", true, 1},    // an exponent without digits
      {".", ",", "1 2", true, 12},  // a blank inside
      {".", ",", "1.5e3.2", true, 1500},
      {".", ",", "abc", false, 0},
      {".", ",", "-", false, 0},
      {".", ",", "1-", false, 1},
      {",", " ", "3,75x", false, 3.75},  // not a number: the first comma is a point
  };
  for (const Case& c : cases) {
    ScopedStore scope;
    test::MsgBoxGuard boxes;
    test::LocaleGuard loc(c.decimal, c.thousands);
    EXPECT_EQ(IsNumberText(c.text), c.number) << c.text;
    EXPECT_DOUBLE_EQ(UserWrittenNumber(c.text), c.value) << c.text;
  }
}

TEST(NumberText, AnOverflowOutsideANumberTextIsTheParsersError) {
  ScopedStore scope;
  test::LocaleGuard loc(".", ",");
  try {
    UserWrittenNumber("1e999x");
    FAIL() << "no error";
  } catch (const rt::RtError& e) {
    EXPECT_EQ(e.number(), rt::kErrOverflow);
  }
}

}  // namespace
}  // namespace vantrel::datastore
