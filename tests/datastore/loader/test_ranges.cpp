#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "tests/support/fake_services.h"
#include "tests/support/fake_sheet_link.h"
#include "datastore/state.h"
#include "datastore/worksheet_road.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

// A sheet whose only content is column C: filled from row 2 to `last`, except the row `gap`.
class ColumnC : public FakeSheetLink {
 public:
  int64_t last = 0, gap = 0;
  std::string version = "16.0";
  long reads = 0;
  int64_t failFrom = 0;  // reads of this row and below fail with `failure`
  rt::RtError failure{0};
  SheetCell CellValue(BookId, int64_t row, int64_t col) override {
    ++reads;
    if (failFrom && row >= failFrom) throw failure;
    SheetCell c;
    if (col == 3 && row >= 2 && row <= last && row != gap) c.text = "1";
    return c;
  }
  std::string Version() override { return version; }
};

TEST(ProbeLastRow, SamplesTheZColumnDown) {
  const struct {
    int64_t last, gap;
    const char* version;
    double start, expected;
  } cases[] = {
      {60, 0, "16.0", 2, 60},           {1, 0, "16.0", 2, 2},  // the start row's own cell is empty
      {5000, 1002, "16.0", 2, 1001},                           // a gap on a sampled row ends the range
      {5000, 3000, "16.0", 2, 5000},                           // one between two samples is passed over
      {1048576, 0, "16.0", 2, 1048572},                        // filled to the end of the sheet
      {1048576, 0, "11.0", 2, 65532},
  };
  for (const auto& c : cases) {
    ColumnC sheet;
    sheet.last = c.last;
    sheet.gap = c.gap;
    EXPECT_EQ(ProbeLastRowXls(sheet, 1, 3, c.start, c.version), c.expected) << c.last << " " << c.gap;
  }
}

TEST(LayoutSpecRanges, WideRangesSplitAndValuesOnlyMarks) {
  using P = std::array<const char*, kSpecParts>;
  const struct {
    P parsed;
    P laid;
    std::array<bool, 5> valuesOnly;
    double timeRangeGiven;
    const char* formulaAfter;
  } cases[] = {
      {{"A2:D60", "E2:F60", "G2:K60", "", "", "", ""},
       {"A2:C60", "D2:D60", "E2:F60", "G2:K60", "", "", ""},
       {false, false, false, false, false},
       1,
       nullptr},
      {{"A2:E60", "X9:X9", "", "", "", "", ""},
       {"A2:C60", "D2:D60", "E2:F60", "G2:K60", "L2:M60", "N2:O60", ""},
       {false, false, false, false, false},
       1,
       nullptr},
      {{"A2:O60", "P2:Q60", "", "", "", "", ""},
       {"A2:C60", "D2:D60", "E2:F60", "G2:K60", "L2:M60", "N2:O60", "P2:Q60"},
       {false, false, false, false, false},
       1,
       nullptr},
      {{"A2:C60", "", "E2:E60", "G2:J60", "L2:L60", "N2:O60", "P2"},
       {"A2:C60", "", "E2:E60", "G2:J60", "L2:L60", "N2:O60", "P2"},
       {true, true, true, false, true},
       0,
       nullptr},
      {{"A2:C60", "D2:D60", "E2:F60", "G2:K60", "", "", ""},
       {"A2:C60", "D2:D60", "E2:F60", "G2:K60", "", "", ""},
       {false, false, false, false, false},
       1,
       nullptr},
      // A single T cell becomes a column as long as the XYZ range; the formula keeps the cell.
      {{"A5:C20", "D2", "", "", "", "", ""},
       {"A5:C20", "D2:D17", "", "", "", "", ""},
       {false, false, false, false, false},
       1,
       "=MAX(A5:C20)+MAX(D2)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.parsed[0]);
    test::MsgBoxGuard boxes;
    ScopedStore scope(std::make_shared<FakeMainWindow>());
    DataStore& s = scope.store();
    LoadWork w;
    RoadWork r;
    for (int k = 0; k < kSpecParts; ++k) w.ranges[k] = c.parsed[k];
    w.cellFormula = "=MAX(A5:C20)+MAX(D2)";
    w.SpecScale = 2.5;
    ASSERT_TRUE(LayoutSpecRanges(s, w, r));
    for (int k = 0; k < kSpecParts; ++k) EXPECT_EQ(w.ranges[k], c.laid[k]) << k;
    for (int k = 0; k < 5; ++k) EXPECT_EQ(w.valuesOnly[k], c.valuesOnly[k]) << k;
    EXPECT_EQ(s.SettingsBlock.TimeRangeGiven, c.timeRangeGiven);
    if (c.formulaAfter) {
      EXPECT_EQ(w.cellFormula, c.formulaAfter);
    }
    EXPECT_EQ(w.scaleText, "2.5000000000");
    EXPECT_TRUE(boxes.boxes().boxes().empty());
  }
}

TEST(LayoutSpecRanges, OneRowPartsGrowWithTheProbedXyzRange) {
  test::MsgBoxGuard boxes;
  ScopedStore scope(std::make_shared<FakeMainWindow>());
  auto sheet = std::make_shared<ColumnC>();
  sheet->last = 60;
  LoadWork w;
  RoadWork r;
  r.app = sheet;
  r.source = 1;
  r.versionText = "16.0";
  w.ranges = {"A2", "", "E2", "G2", "", "", ""};
  w.cellFormula = "=MAX(A2)+MAX()+MAX(E2)+MAX(G2)";
  ASSERT_TRUE(LayoutSpecRanges(scope.store(), w, r));
  EXPECT_EQ(w.ranges[kPartXYZ], "A2:C60");
  EXPECT_EQ(w.ranges[kPartEvents], "E2:E60");
  EXPECT_EQ(w.ranges[kPartQuater], "G2:J60");
  EXPECT_EQ(w.cellFormula, "=MAX(A2:C60)+MAX()+MAX(E2:E60)+MAX(G2:J60)");
  EXPECT_EQ(w.SpecFound, 1);
  EXPECT_TRUE(w.valuesOnly[0]);
  EXPECT_TRUE(w.valuesOnly[1]);
  EXPECT_EQ(scope.store().QuaterRows, 1);
}

TEST(LayoutSpecRanges, UnreadableOrNarrowXyzRangeEndsTheLoad) {
  const struct {
    const char* xyz;
    const char* title;
    bool goesOn;
    const char* boxTitle;  // nullptr: none
  } cases[] = {
      {"Data", "Vantrel", false, "Error entry"},       // a name
      {"S1!A2:C60", "Vantrel", false, "Error entry"},  // sheet-qualified
      {"A2:B60", "Track", false, "Information"},
      {"A2:B60", "Track COLUMN", true, nullptr},
      {"$A$2:$C$60", "Vantrel", true, nullptr},
      // Reported, but read into cells of the sheet: the load goes on with rows 2 to 60.
      {"A02:C60", "Vantrel", true, "Error entry"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xyz);
    test::MsgBoxGuard boxes;
    ScopedStore scope(std::make_shared<FakeMainWindow>());
    scope.store().PlotTitle = c.title;
    LoadWork w;
    RoadWork r;
    w.ranges[kPartXYZ] = c.xyz;
    EXPECT_EQ(LayoutSpecRanges(scope.store(), w, r), c.goesOn);
    if (c.goesOn) {
      EXPECT_EQ(w.num1, 2);
      EXPECT_EQ(w.num2, 60);
    }
    if (c.boxTitle) {
      ASSERT_EQ(boxes.boxes().boxes().size(), 1u);
      EXPECT_EQ(boxes.boxes().boxes()[0].title, c.boxTitle);
    } else {
      EXPECT_TRUE(boxes.boxes().boxes().empty());
    }
  }
}

TEST(ProbeLastRow, ReadErrorsReachTheLoadsErrorRuleOnce) {
  const struct {
    int number;
    const char* description;
    size_t boxes;  // the rule shows clipboard errors only
  } cases[] = {
      {1004, "Rejected", 0},
      {521, "Can't open Clipboard", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    test::MsgBoxGuard boxes;
    ColumnC sheet;
    sheet.last = 5000;
    sheet.failFrom = 1002;  // every read from the second sample on fails
    sheet.failure = rt::RtError(c.number, c.description);
    LoadWork w;
    ProbeLastRowXls(sheet, 1, 3, 2, "16.0", &w);
    EXPECT_GT(sheet.reads, 10);
    EXPECT_EQ(w.LastErrNumber, c.number);
    EXPECT_EQ(w.NoSpecFlag, c.number == 1004 ? 1 : 0);
    EXPECT_EQ(boxes.boxes().boxes().size(), c.boxes);
  }
}

}  // namespace
}  // namespace vantrel::datastore
