#include <gtest/gtest.h>

#include "tests/support/fake_services.h"
#include "datastore/title_keywords.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

TEST(CutWordW, ReplacesTheFirstExactOccurrenceByABlank) {
  struct Case {
    const char* word;
    const char* text;
    const char* result;
  } cases[] = {
      {"km", "Orbit km data", "Orbit   data"},
      {"km", "Orbit km", "Orbit "},
      {"km", "Orbit KM", "Orbit KM"},
      {"km", "km km", "  km"},
      {" s", "Orbit of sat s data", "Orbit of at s data"},
      {"x", "", ""},
  };
  for (const Case& c : cases) {
    std::string t = c.text;
    CutWordW(c.word, t);
    EXPECT_EQ(t, c.result) << c.word << " in " << c.text;
  }
}

TEST(QuietConvertA1, RangesAndCells) {
  double c1 = -1, c2 = -1, r1 = -1, r2 = -1;
  QuietConvertA1("a10 : c200", c1, c2, r1, r2);
  EXPECT_EQ(c1, 1);
  EXPECT_EQ(c2, 3);
  EXPECT_EQ(r1, 10);
  EXPECT_EQ(r2, 200);
  QuietConvertA1("AB12", c1, c2, r1, r2);
  EXPECT_EQ(c1, 28);
  EXPECT_EQ(c2, 0);
  EXPECT_EQ(r2, 0);
  QuietConvertA1("$A$2:$C$60", c1, c2, r1, r2);
  EXPECT_EQ(c2, 3);
  EXPECT_EQ(r2, 60);
  QuietConvertA1("A10:C", c1, c2, r1, r2);  // not a range: untouched
  EXPECT_EQ(r2, 60);
}

class KeywordPass : public ::testing::Test {
 protected:
  KeywordPass() : main(std::make_shared<FakeMainWindow>()), scope(main) {}
  LoadWork& Run(const std::string& title, const std::string& xyz = "A2:C60") {
    w = std::make_unique<LoadWork>();
    w->ranges[kPartXYZ] = xyz;
    w->SpecScale = 1;
    scope.store().PlotTitle = title;
    ReadingPassKeywords(scope.store(), *w);
    return *w;
  }
  DataStore& s() { return scope.store(); }
  test::MsgBoxGuard msg;
  std::shared_ptr<FakeMainWindow> main;
  ScopedStore scope;
  std::unique_ptr<LoadWork> w;
};

TEST_F(KeywordPass, Units) {
  struct Case {
    const char* title;
    bool seconds, metres;
    const char* after;
  } cases[] = {
      {"Orbit", true, true, "Orbit"},
      {"Orbit km", true, false, "Orbit "},
      {"Orbit days", false, true, "Orbit "},
      {"Orbit kmdays", false, false, "Orbit "},
      {"seconds then days", false, true, "  then "},
      {"Orbit ESA", false, false, "Orbit ESA"},
      {"mesange", false, false, "mesange"},  // "esa" inside a word counts too
      {"a ms b", true, true, "a  b"},
      {"Orbit KM", true, false, "Orbit KM"},  // recognised, not cut
  };
  for (const Case& c : cases) {
    LoadWork& lw = Run(c.title);
    EXPECT_EQ(lw.TimeInSeconds != 0, c.seconds) << c.title;
    EXPECT_EQ(lw.LengthsInMetres != 0, c.metres) << c.title;
    EXPECT_EQ(s().LengthsInKm, c.metres ? 0 : -1) << c.title;
    EXPECT_EQ(s().PlotTitle, c.after) << c.title;
  }
}

TEST_F(KeywordPass, PenUpLabelUnchecksCubicViewAndModes) {
  main->checks[CheckBox::Check9].value = 1;
  Run("Orbit penuplabel");
  EXPECT_EQ(s().PenUpLabelMode, 1);
  EXPECT_EQ(s().PenUpMode, 1);
  EXPECT_EQ(main->checks[CheckBox::Check9].value, 0);
  EXPECT_EQ(s().PlotTitle, "Orbit ");
  EXPECT_EQ(w->PenUpXyzOnly, 1);

  Run("Orbit PenUpLabel data");
  EXPECT_EQ(s().PlotTitle, "Orbit PenUpLabel data");
  Run("One column", "A2:A60");
  EXPECT_EQ(s().OneColumnMode, 1);
  EXPECT_EQ(s().PlotTitle, "One ");
}

TEST_F(KeywordPass, AxisOrderTheLastWordInTestOrderDecides) {
  Run("yxz zxy");
  EXPECT_EQ(w->AxisShiftCode, "");
  EXPECT_EQ(w->AxisSwapCode, "1 echange x y");
  Run("quat xyzw");
  EXPECT_EQ(w->AxisShiftCode, "0 rien \xC3\xA0 faire");
  EXPECT_EQ(s().PlotTitle, "quat  w");
}

TEST_F(KeywordPass, LocalSiteAndEarthMoon) {
  Run("Site ned 43.6 1.44 150");
  EXPECT_EQ(w->NedSiteGiven, 1);
  EXPECT_EQ(s().SettingsBlock.NedViewOn, 1.0);
  EXPECT_DOUBLE_EQ(w->SiteLatitude, 43.6);
  EXPECT_DOUBLE_EQ(w->SiteLongitude, 1.44);
  EXPECT_DOUBLE_EQ(w->SiteHeight, 150);
  EXPECT_EQ(w->SpecScale, 1.0001);
  EXPECT_EQ(w->ScaleBeforeNed, 1);
  EXPECT_EQ(s().PlotTitle, "Site  43.6 1.44 150");

  Run("Site ned 5.1, -52.65, 10");
  EXPECT_DOUBLE_EQ(w->SiteLongitude, -52.65);
  EXPECT_DOUBLE_EQ(w->SiteHeight, 10);
  Run("Site ned 5.1 -52.65");  // no height: the Earth's radius
  EXPECT_DOUBLE_EQ(w->SiteHeight, 6378137);
  EXPECT_DOUBLE_EQ(w->SiteLongitude, -52.65);

  Run("Transfer em_system");
  EXPECT_EQ(s().EarthMoonMode, 1);
  EXPECT_EQ(s().SettingsBlock.NedViewOn, 0);
  Run("Transfer");
  EXPECT_EQ(s().EarthMoonMode, 0);
}

TEST_F(KeywordPass, TimeRangeAndTheStrangeBox) {
  w = std::make_unique<LoadWork>();
  w->ranges[kPartXYZ] = "A2:C2";
  w->ranges[kPartT] = "D2:D2";
  w->SpecFound = 1;
  s().PlotTitle = "x";
  ReadingPassKeywords(s(), *w);
  EXPECT_EQ(s().SettingsBlock.TimeRangeGiven, 1.0);
  ASSERT_EQ(msg.boxes().boxes().size(), 1u);
  EXPECT_EQ(msg.boxes().boxes()[0].text, "Strange <num1 = num2 And SpecFound = 1> , see Quorvel");
  EXPECT_EQ(w->num1, 2);
}

}  // namespace
}  // namespace vantrel::datastore
