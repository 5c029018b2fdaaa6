#include <gtest/gtest.h>

#include <random>
#include <string>

#include "datastore/line_split.h"
#include "numerics/valloc.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

std::string Tabs(std::initializer_list<const char*> fields) {
  std::string s;
  bool first = true;
  for (const char* f : fields) {
    if (!first) s += '\t';
    s += f;
    first = false;
  }
  return s;
}

TEST(SplitTabLineW, FieldsCountsAndEmptyFlags) {
  test::LocaleGuard loc(".", ",");
  SplitFields f;
  SplitTabLineW("1\t2\t3", f, false);
  EXPECT_EQ(f.count, 3);
  EXPECT_EQ(f.values[1], 1);
  EXPECT_EQ(f.values[3], 3);
  EXPECT_EQ(f.empty1 + f.empty5 + f.empty7 + f.empty12 + f.empty14, 0);
  EXPECT_EQ(f.label, "");

  SplitTabLineW("1\t\t3", f, false);
  EXPECT_EQ(f.count, 3);
  EXPECT_EQ(f.values[2], 0);
  EXPECT_EQ(f.empty1 + f.empty5 + f.empty7 + f.empty12 + f.empty14, 0);

  SplitTabLineW(std::string(16, '\t'), f, false);
  EXPECT_EQ(f.count, 17);
  for (int k = 1; k <= 17; ++k) EXPECT_EQ(f.values[k], 0) << k;
  EXPECT_EQ(f.empty1 + f.empty5 + f.empty7 + f.empty12 + f.empty14, 5);
  EXPECT_EQ(f.label, "0");

  // A trailing TAB adds an empty last field; a field the line lacks is not "empty".
  SplitTabLineW("5\t", f, false);
  EXPECT_EQ(f.count, 2);
  EXPECT_EQ(f.empty1, 0);
  EXPECT_EQ(f.empty5, 0);
}

TEST(SplitTabLineW, LinesOfMoreThanTwentyFieldsAreCountedNotStored) {
  test::LocaleGuard loc(".", ",");
  SplitFields f;
  f.values[20] = 99;
  std::string line;
  for (int k = 1; k <= 25; ++k) line += (k > 1 ? "\t" : "") + std::to_string(k);
  SplitTabLineW(line, f, false);
  EXPECT_EQ(f.count, 25);
  EXPECT_EQ(f.values[20], 20);
  EXPECT_EQ(f.values[17], 17);
}

TEST(SplitTabLineW, LabelsAndTheStartEndRule) {
  test::LocaleGuard loc(".", ",");
  struct Case {
    const char* field6;
    bool penUpLabel;
    double value;
    const char* label;
  } cases[] = {
      {"Start S", false, 1, "1"},
      {"stop E", false, 0, "0"},
      {"end e", false, 0, "0"},
      {"  event 7 ", false, 0, "event 7"},
      {"3", false, 3, "3"},
      {"S ", false, 0, "S"},  // a blank after the letter defeats it
      {"", false, 0, "0"},
      {"   ", false, 0, "0"},
      {"Start S", true, 0, "Start S"},
      {"5S", false, 5, "5S"},
  };
  for (const Case& c : cases) {
    SplitFields f;
    SplitTabLineW(Tabs({"1", "2", "3", "4", "5", c.field6}), f, c.penUpLabel);
    EXPECT_EQ(f.values[6], c.value) << c.field6;
    EXPECT_EQ(f.label, c.label) << c.field6;
    if (c.penUpLabel) {
      EXPECT_EQ(f.texts[6], c.field6);
    }
  }
}

TEST(ValNumW, LocaleRulesAndTheWritersDecimalComma) {
  struct Case {
    const char* decimal;
    const char* thousands;
    const char* text;
    double value;
  } cases[] = {
      {".", ",", "", 0},
      {".", ",", "12.5", 12.5},
      {".", ",", "-0.0000000001", -1e-10},
      {".", ",", "1,5", 15},  // grouping comma removed
      {",", "\xC2\xA0", "2,5", 2.5},
      {",", "\xC2\xA0", "1 234,5", 1234.5},
      {",", ".", "1.5", 15},  // "." is the grouping mark here
      {".", "\xC2\xA0", "2,500", 2500},
      {".", ",", "12abc", 12},
      {".", ",", "1.5E3", 1500},
      // The writer's form: one separator and exactly ten decimals is decimal in every locale.
      {".", ",", "1,2345678901", 1.2345678901},
      {".", ",", "-1,5000000000", -1.5},
      {",", ".", "1.2345678901", 1.2345678901},
      {",", ".", "12345,0000000000", 12345},
      {".", ",", "1,234", 1234},  // three decimals: still a grouping comma
  };
  for (const Case& c : cases) {
    test::LocaleGuard loc(c.decimal, c.thousands);
    EXPECT_DOUBLE_EQ(ValNumW(c.text), c.value) << c.text << " decimal " << c.decimal << " thousands " << c.thousands;
  }
}

}  // namespace
}  // namespace vantrel::datastore

namespace vantrel::datastore {
namespace {

// The fast conversion must give the locale parser's value, to the last bit, outside the
// writer's-form rule.
TEST(ValNumW, AgreesWithTheLocaleParserOnPlainNumbers) {
  test::LocaleGuard loc(".", ",");
  std::mt19937 rng(7);
  for (int i = 0; i < 50000; ++i) {
    std::string t = rng() % 2 ? "-" : "";
    for (int k = 1 + rng() % 9; k > 0; --k) t += static_cast<char>('0' + rng() % 10);
    if (rng() % 4) {
      t += '.';
      for (int k = rng() % 13; k > 0; --k) t += static_cast<char>('0' + rng() % 10);
    }
    int flag;
    ASSERT_EQ(ValNumW(t), numerics::ValLocV(t, flag)) << t;
  }
}

}  // namespace
}  // namespace vantrel::datastore
