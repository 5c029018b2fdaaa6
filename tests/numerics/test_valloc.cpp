#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

#include "numerics/valloc.h"
#include "platform/locale/locale.h"
#include "tests/support/guards.h"

namespace vantrel::numerics {
namespace {

using test::LocaleGuard;
using test::MsgBoxGuard;

constexpr const char* kNbsp = "\xC2\xA0";
constexpr const char* kNnbsp = "\xE2\x80\xAF";  // U+202F

struct Case {
  const char* text;
  const char* decimal;
  const char* thousands;
  double result;
  int flag;
};

TEST(ValLocale, ResultsByLocale) {
  const Case cases[] = {
      {"1 234,5", ",", kNbsp, 1234.5, 1},
      {"1,234", ",", kNbsp, 1.234, 1},
      {"1,2,3", ",", kNbsp, 123, 0},
      {"1,234.5", ",", kNbsp, 1234.5, 0},
      {"1,5", ".", ",", 15, -1},
      {"1,234.5", ".", ",", 1234.5, -1},
      {"1.234,5", ",", ".", 1234.5, 1},
      {"1.5", ",", ".", 15, -1},
      {"2,5", ".", kNbsp, 2.5, 1},
      {"2,500", ".", kNbsp, 2500, 0},
      {"2,5000", ".", kNbsp, 2.5, 1},
      // A narrow no-break space as the thousands separator.
      {"1\xE2\x80\xAF"
       "234,5",
       ",", kNnbsp, 1234.5, 1},
      {"12\xE2\x80\xAF"
       "345",
       ",", kNnbsp, 12345, -1},
      {"2,125", ",", kNnbsp, 2.125, 1},
      // Quotes, trailing text, exponents.
      {"\"2,5\"", ",", kNbsp, 2.5, 1},
      {"\"2.5", ".", ",", 2.5, -1},
      {"2.5\"", ".", ",", 2.5, -1},
      {"12abc", ".", ",", 12, -1},
      {"abc", ".", ",", 0, -1},
      {"1.5E3", ".", ",", 1500, -1},
      {"-6778.137", ".", ",", -6778.137, -1},
      {"  -6778,137  ", ",", ".", -6778.137, 1},
      {"1 000 000", ".", ",", 1000000, -1},
  };
  for (const Case& c : cases) {
    LocaleGuard loc(c.decimal, c.thousands);
    MsgBoxGuard boxes;
    int flag = 99;
    EXPECT_DOUBLE_EQ(ValLocV(c.text, flag), c.result) << c.text << " [" << c.decimal << "]";
    EXPECT_EQ(flag, c.flag) << c.text << " [" << c.decimal << "]";
    EXPECT_TRUE(boxes.boxes().boxes().empty()) << c.text;
  }
}

TEST(ValLocale, EmptyTextDoesNotReadTheLocale) {
  LocaleGuard loc(",", ".");
  const int before = platform::LocaleQueryCount();
  int flag = 5;
  EXPECT_EQ(ValLocV("", flag), 0);
  EXPECT_EQ(flag, -1);
  EXPECT_EQ(ValLocV("    ", flag), 0);
  EXPECT_EQ(flag, -1);
  EXPECT_EQ(platform::LocaleQueryCount(), before);
  EXPECT_TRUE(Numerics().DecimalSep.empty());
  ValLocV("1", flag);
  EXPECT_EQ(Numerics().DecimalSep, ",");
  EXPECT_EQ(Numerics().ThousandSep, ".");
}

TEST(ValLocale, SeparatorsAreReadOncePerRun) {
  LocaleGuard loc(",", ".");
  int flag;
  ValLocV("1,5", flag);
  // A later change of the locale is not seen.
  platform::SetFixedLocale({".", ",", "/", ":"});
  EXPECT_DOUBLE_EQ(ValLocV("1.5", flag), 15);
  EXPECT_EQ(Numerics().DecimalSep, ",");
}

// Threads that need the separators before anyone read them get the same ones, asked of the
// provider once.
TEST(UserLocale, ThreadsStartingTogetherAskTheProviderOnce) {
  LocaleGuard loc(",", ".");
  std::promise<void> go;
  std::shared_future<void> start = go.get_future().share();
  std::vector<std::future<std::string>> seen;
  for (int i = 0; i < 8; ++i)
    seen.push_back(std::async(std::launch::async, [start] {
      start.wait();
      return platform::UserLocale().decimal + platform::UserLocale().thousands;
    }));
  go.set_value();
  for (auto& f : seen) EXPECT_EQ(f.get(), ",.");
  EXPECT_EQ(platform::LocaleQueryCount(), 1);
}

TEST(ValLocale, FieldsThatEmptyOutReadAsZeroWithoutABox) {
  const Case cases[] = {
      {"\xC2\xA0", ",", ".", 0, -1}, {"\xC2\xA0\xC2\xA0", ",", kNbsp, 0, -1},
      {".", ",", ".", 0, -1},   // only the thousands separator
      {"\"", ".", ",", 0, -1},  // a lone double quote
      {"\"\"", ".", ",", 0, -1},     {"\xE2\x80\xAF", ",", kNnbsp, 0, -1},
  };
  for (const Case& c : cases) {
    LocaleGuard loc(c.decimal, c.thousands);
    MsgBoxGuard boxes;
    int flag = 99;
    EXPECT_EQ(ValLocV(c.text, flag), c.result);
    EXPECT_EQ(flag, c.flag);
    EXPECT_TRUE(boxes.boxes().boxes().empty()) << c.text;
  }
}

TEST(ValLocale, RunTimeErrorShowsItsDescription) {
  LocaleGuard loc(".", ",");
  MsgBoxGuard boxes;
  int flag;
  EXPECT_EQ(ValLocV("1,5E999", flag), 0);
  ASSERT_EQ(boxes.boxes().boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes().boxes()[0].text, "Overflow");
  EXPECT_EQ(boxes.boxes().boxes()[0].title, "ERROR n\xC2\xB0 6");
  EXPECT_EQ(boxes.boxes().boxes()[0].style, 64);
}

// Each thread's errors go to its own scope: a conversion on another thread neither reaches the
// calling thread's scope nor loses its error to it.
TEST(NumberErrorScope, HoldsForItsOwnThreadOnly) {
  LocaleGuard loc(".", ",");
  MsgBoxGuard boxes;
  ValLoc(std::string_view("0"));  // the separators, read before other threads convert
  std::vector<int> here, there;
  NumberErrorScope scope([&](const rt::RtError& e) { here.push_back(e.number()); });
  std::promise<void> installed, converted;
  std::thread other([&] {
    NumberErrorScope own([&](const rt::RtError& e) { there.push_back(e.number()); });
    installed.set_value();
    converted.get_future().wait();  // the calling thread converts while this scope lives
    int flag;
    ValLocV("1E999", flag);
    ValLocV("2E999", flag);
  });
  installed.get_future().wait();
  int flag;
  ValLocV("3E999", flag);
  converted.set_value();
  other.join();
  EXPECT_EQ(here, std::vector<int>{6});
  EXPECT_EQ(there, (std::vector<int>{6, 6}));
  EXPECT_TRUE(boxes.boxes().boxes().empty());
}

TEST(ValLoc, DoubleRoundTripsThroughItsText) {
  const struct {
    const char* d;
    const char* t;
  } locales[] = {{".", ","}, {",", "."}, {",", kNnbsp}};
  for (auto l : locales) {
    LocaleGuard loc(l.d, l.t);
    EXPECT_DOUBLE_EQ(ValLoc(2.5), 2.5) << l.d;
    EXPECT_DOUBLE_EQ(ValLoc(2.125), 2.125) << l.d;
    EXPECT_DOUBLE_EQ(ValLoc(-1234.5), -1234.5) << l.d;
    EXPECT_DOUBLE_EQ(ValLoc(3), 3) << l.d;
  }
}

}  // namespace
}  // namespace vantrel::numerics
