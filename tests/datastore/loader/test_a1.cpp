#include <gtest/gtest.h>

#include <string>

#include "datastore/a1.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/rterror.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

TEST(CellAddress, ColumnsOfOneAndTwoLettersAndTheColumnWarning) {
  const struct {
    double row, col;
    const char* text;
    size_t boxes;
  } cases[] = {
      {60, 3, "C60", 0},  {1, 26, "Z1", 0},   {1, 27, "AA1", 0},   {12, 52, "AZ12", 0},
      {1, 256, "IV1", 0}, {1, 257, "IW1", 1}, {7, 3.255, "C7", 0}, {65536, 1, "A65536", 0},
  };
  for (const auto& c : cases) {
    test::MsgBoxGuard boxes;
    EXPECT_EQ(CellAddressXls(c.row, c.col), c.text) << c.text;
    ASSERT_EQ(boxes.boxes().boxes().size(), c.boxes) << c.text;
    if (c.boxes) {
      EXPECT_EQ(boxes.boxes().boxes()[0].text, "ERROR: last column shall be less than 255 ie iv");
      EXPECT_EQ(boxes.boxes().boxes()[0].title, "Retry   or    Voir Halvorn");
      EXPECT_EQ(boxes.boxes().boxes()[0].style, 16);
    }
  }
}

TEST(ConvertA1LC, RangesCellsAndRejectedShapes) {
  const char* kShape =
      "Entry seems not compatible with the req. Excel for the range of cells: should be like A10:C200. Here  ";
  const char* kHigh =
      "High Entry not compatible with the requirements Excel form for the range of cells: should be like A10:C200 ";
  const struct {
    const char* text;
    bool ok;
    double c1, c2, r1, r2;  // -1: untouched
    std::string box;
  } cases[] = {
      {"a10 : c200", true, 1, 3, 10, 200, ""},
      {"AB12", true, 28, 0, 12, 0, ""},
      {"A2:C60", true, 1, 3, 2, 60, ""},
      // Absolute references read as the plain ones.
      {"$A$2:$C$60", true, 1, 3, 2, 60, ""},
      {"$AB$7", true, 28, 0, 7, 0, ""},
      {"A10:C", false, -1, -1, -1, -1, std::string(kShape) + "A10:C and A10:C In asciiW 6549485867"},
      {"10", false, -1, -1, -1, -1, std::string(kShape) + "10 and 10 In asciiW 4948"},
      {"Data", false, -1, -1, -1, -1, std::string(kShape) + "Data and DATA In asciiW 68658465"},
      {"A010", false, 1, 0, 10, 0, kHigh},
      {"ABC12", false, 28, 0, 0, 0, kHigh},
      {"S1!A2:C60", false, 19, 3, 1, 60, kHigh},
  };
  for (const auto& c : cases) {
    test::MsgBoxGuard boxes;
    double c1 = -1, c2 = -1, r1 = -1, r2 = -1;
    EXPECT_EQ(ConvertA1LC(c.text, c1, c2, r1, r2), c.ok) << c.text;
    EXPECT_EQ(c1, c.c1) << c.text;
    EXPECT_EQ(c2, c.c2) << c.text;
    EXPECT_EQ(r1, c.r1) << c.text;
    EXPECT_EQ(r2, c.r2) << c.text;
    const auto& shown = boxes.boxes().boxes();
    if (c.box.empty()) {
      EXPECT_TRUE(shown.empty()) << c.text;
    } else {
      ASSERT_EQ(shown.size(), 1u) << c.text;
      EXPECT_EQ(shown[0].text, c.box);
      EXPECT_EQ(shown[0].title, "Error entry");
      EXPECT_EQ(shown[0].style, 16);
    }
  }
}

TEST(ConvertA1LC, EmptyTextLeavesOutputsAndTooLongTextIsASubscriptError) {
  test::MsgBoxGuard boxes;
  double c1 = 5, c2 = 5, r1 = 5, r2 = 5;
  EXPECT_FALSE(ConvertA1LC("   ", c1, c2, r1, r2));
  EXPECT_EQ(c1 + c2 + r1 + r2, 20);
  EXPECT_EQ(rt::Try([&] { ConvertA1LC(std::string(101, 'A'), c1, c2, r1, r2); }), rt::kErrSubscript);
  EXPECT_EQ(c1, 5);
  EXPECT_TRUE(boxes.boxes().boxes().empty());
}

TEST(CellToR1C1, CellsWholeRowsAndBadAddresses) {
  const struct {
    const char* text;
    double row, col;
    const char* r1c1;  // nullptr: left as it was
    const char* box;   // nullptr: none
  } cases[] = {
      {"$B$12", 12, 2, "R12C2", nullptr},
      {"12", 12, kWholeRowColumn, "R12C1:R12C255", nullptr},
      {" c7 ", 7, 3, "R7C3", nullptr},
      {"B", 0, 2, "RC2", "Error Address: B not allowed, voir Halvorn"},
      {"ABC1", 0, 0, nullptr, "Erreur Adresse, voir Halvorn"},
      {"IW1", 1, 257, "R1C257", "Error Address: IW1 not allowed, voir Halvorn"},
      {"", 0, 0, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    test::MsgBoxGuard boxes;
    double row = -1, col = -1;
    std::string r1c1 = "old";
    CellToR1C1Xls(c.text, row, col, r1c1);
    EXPECT_EQ(row, c.row) << c.text;
    EXPECT_EQ(col, c.col) << c.text;
    EXPECT_EQ(r1c1, c.r1c1 ? c.r1c1 : "old") << c.text;
    const auto& shown = boxes.boxes().boxes();
    if (!c.box) {
      EXPECT_TRUE(shown.empty()) << c.text;
    } else {
      ASSERT_EQ(shown.size(), 1u) << c.text;
      EXPECT_EQ(shown[0].text, c.box);
      EXPECT_EQ(shown[0].title, kProgramTitle);
    }
  }
}

TEST(OffsetCell, MovesRightAlsoFromAWholeRow) {
  test::MsgBoxGuard boxes;
  EXPECT_EQ(OffsetCellXls("A2", 3), "D2");
  EXPECT_EQ(OffsetCellXls("7", 2), "C7");
  EXPECT_EQ(OffsetCellXls("$Z$9", 1), "AA9");
}

TEST(GrowRange, GrowsOneRowRangesAndTheFormulaOnce) {
  const struct {
    const char* range;
    double flag, first, last, base, end;
    const char* formula;
    const char* rangeAfter;
    const char* formulaAfter;
    double lastAfter;
  } cases[] = {
      {"A2:C2", 1, 2, 2, 2, 60, "=MAX(A2:C2)", "A2:C60", "=MAX(A2:C60)", 60},
      {"A2:C2", 0, 2, 2, 2, 60, "=MAX(A2:C2)", "A2:C2", "=MAX(A2:C2)", 2},
      {"A2:C5", 1, 2, 5, 2, 60, "=MAX(A2:C5)", "A2:C5", "=MAX(A2:C5)", 5},
      // Only the first occurrence after "(" is rewritten.
      {"A2:C2", 1, 2, 2, 2, 9, "=MAX(A2:C2)+MAX(A2:C2)", "A2:C9", "=MAX(A2:C9)+MAX(A2:C2)", 9},
      // A text that does not follow "(" leaves the formula.
      {"A2:C2", 1, 2, 2, 2, 9, "=MAX( A2:C2)", "A2:C9", "=MAX( A2:C2)", 9},
      {"", 1, 2, 2, 2, 9, "=MAX()", "", "=MAX()", 2},
  };
  for (const auto& c : cases) {
    std::string range = c.range, formula = c.formula;
    double last = c.last;
    GrowRangeXls(range, 1, 3, c.first, last, c.flag, c.base, c.end, formula);
    EXPECT_EQ(range, c.rangeAfter) << c.formula;
    EXPECT_EQ(formula, c.formulaAfter) << c.formula;
    EXPECT_EQ(last, c.lastAfter) << c.formula;
  }
}

}  // namespace
}  // namespace vantrel::datastore
