#include <gtest/gtest.h>

#include "datastore/formula_parser.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

struct Parsed {
  double scale = -7;
  std::string title = "?";
  std::array<std::string, kSpecParts> parts{"x", "x", "x", "x", "x", "x", "keep"};
  std::string keyWord = "MAX";
};

Parsed Parse(const std::string& formula, const std::string& prefix = "", const std::string& keyWord = "MAX") {
  Parsed p;
  p.keyWord = keyWord;
  Extraction_info(formula, prefix, p.scale, p.title, p.parts, p.keyWord);
  return p;
}

TEST(ExtractionInfo, GroupsTitleAndScale) {
  auto p = Parse("=MAX(A2:C60)");
  EXPECT_EQ(p.parts[kPartXYZ], "A2:C60");
  for (int k = 1; k < kPartValZ; ++k) EXPECT_EQ(p.parts[k], "") << k;
  EXPECT_EQ(p.parts[kPartValZ], "keep");
  EXPECT_EQ(p.title, "Vantrel");
  EXPECT_EQ(p.scale, 1.0);

  p = Parse("=1000*MAX(A2:C60)+MAX(D2:D60)+MAX(E2:F60)+LEN(\"Orbit km\")", "Site: ");
  EXPECT_EQ(p.parts[kPartXYZ], "A2:C60");
  EXPECT_EQ(p.parts[kPartT], "D2:D60");
  EXPECT_EQ(p.parts[kPartEvents], "E2:F60");
  EXPECT_EQ(p.title, "Site: Orbit km");
  EXPECT_EQ(p.scale, 1000);

  p = Parse("=MAX( A2:C60 )");
  EXPECT_EQ(p.parts[kPartXYZ], " A2:C60 ");
}

TEST(ExtractionInfo, EightGroupsAndTheSeventhKeptAcrossCalls) {
  std::string f = "=MAX(A)+MAX(B)+MAX(C)+MAX(D)+MAX(E)+MAX(F)+MAX(G)+MAX(H)";
  Parsed p;
  Extraction_info(f, "", p.scale, p.title, p.parts, p.keyWord);
  EXPECT_EQ(p.parts[kPartValZ], "G");
  Extraction_info("=MAX(A2:C9)+MAX(D2:D9)", "", p.scale, p.title, p.parts, p.keyWord);
  EXPECT_EQ(p.parts[kPartT], "D2:D9");
  EXPECT_EQ(p.parts[kPartEvents], "");
  EXPECT_EQ(p.parts[kPartValZ], "G");
}

TEST(ExtractionInfo, KeywordFallbackAndCase) {
  auto p = Parse("=MAX(A2:C60)", "", "SUM");
  EXPECT_EQ(p.keyWord, "MAX");
  EXPECT_EQ(p.parts[kPartXYZ], "A2:C60");
  p = Parse("=max(a2:c60)");
  EXPECT_EQ(p.parts[kPartXYZ], "");
  EXPECT_EQ(p.scale, 1.0);
  p = Parse("=SUM(A2:C60)+SUM(D2:D60)", "", "SUM");
  EXPECT_EQ(p.keyWord, "SUM");
  EXPECT_EQ(p.parts[kPartT], "D2:D60");
}

TEST(ExtractionInfo, TitleQuotes) {
  struct Case {
    const char* formula;
    const char* prefix;
    const char* title;
  } cases[] = {
      {"=MAX(A2:C6)+LEN(\"\")", "P ", ""},              // only an adjacent pair: empty, no prefix
      {"=MAX(A2:C6)+LEN(\"x", "", "Vantrel"},           // one lone quote
      {"=MAX(A2:C6)+LEN(\"\"Orbit\"\")", "", "Orbit"},  // doubled quotes of a quoted cell
      {"=MAX(A2:C6)+LEN(\"T\")", "Pre", "PreT"},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.formula, c.prefix).title, c.title) << c.formula;
}

TEST(ExtractionInfo, BrokenGroupsEndTheParseWithDefaults) {
  // The title term's ")" comes before the group's "(": no part, default title and scale.
  auto p = Parse("=LEN(\"MAX orbit\")+MAX(A2:C6)");
  EXPECT_EQ(p.parts[kPartXYZ], "");
  EXPECT_EQ(p.title, "Vantrel");
  EXPECT_EQ(p.scale, 1.0);
  p = Parse("=2*MAX(A2:C6");
  EXPECT_EQ(p.parts[kPartXYZ], "");
  EXPECT_EQ(p.scale, 1.0);
  p = Parse("=3*MAX A2:C6)");
  EXPECT_EQ(p.parts[kPartXYZ], "=3*MAX A2:C6");
  EXPECT_EQ(p.scale, 3);
}

TEST(ExtractionInfo, ScaleUsesTheDecimalPointInEveryLocale) {
  for (auto [dec, th] : {std::pair{".", ","}, std::pair{",", "."}, std::pair{",", "\xC2\xA0"}}) {
    test::LocaleGuard loc(dec, th);
    EXPECT_DOUBLE_EQ(Parse("=0.001*MAX(A2:C60)").scale, 0.001) << dec;
    EXPECT_DOUBLE_EQ(Parse("=1000*MAX(A2:C60)").scale, 1000) << dec;
    EXPECT_DOUBLE_EQ(Parse("=0*MAX(A2:C60)").scale, 1.0) << dec;
    EXPECT_DOUBLE_EQ(Parse("=LEN(\"t\")+MAX(A2:C6)").scale, 1.0) << dec;
  }
}

}  // namespace
}  // namespace vantrel::datastore
