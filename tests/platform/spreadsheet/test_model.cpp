// The calls the loader and the watcher make, on the in-memory spreadsheet.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/runtime/vb.h"
#include "platform/spreadsheet/model.h"
#include "tests/support/guards.h"

namespace ss = vantrel::spreadsheet;
using ss::CellValue;
using vantrel::rt::RtError;
using vantrel::rt::Try;

namespace {

// A source workbook like a user's: data in A2:D4, a specification cell in F2.
struct Fixture {
  std::shared_ptr<ss::model::App> app = ss::model::App::Create();
  std::shared_ptr<ss::model::Book> book = app->AddBook("orbit.xlsx");
  ss::model::Sheet& notes = book->AddSheet("Notes");
  ss::model::Sheet& data = book->AddSheet("Data");
  ss::Application xl = app->handle();

  Fixture() {
    notes.SetText(1, 2, "Smart probe");
    data.SetText(1, 1, "X");
    data.SetNumber(2, 1, 7000.123456789012);
    data.SetNumber(2, 2, -1.5);
    data.SetNumber(2, 3, 0.00000000004);
    data.SetNumber(2, 4, 45356.5, "yyyy-mm-dd hh:mm:ss");
    data.SetNumber(3, 1, 1);
    data.SetText(3, 2, "burn\r\nstart");
    data.SetNumber(4, 1, 2.5);
    data.SetFormula(2, 6, "=0.01+LEN(\"title kmday\")+MAX(A2:C4)", CellValue::Num(7011.1));
    data.SetFormula(5, 6, "=MAX(A2:A4)", CellValue::Num(0));
    data.SetFormula(6, 6, "=max(A2)", CellValue::Num(1));
    book->SetActiveSheet(1);
    data.SetActiveCell(3, 1);
  }
};

TEST(SpreadsheetAttach, NoRunningInstanceIs429) {
  ss::SetConnector(nullptr);
  EXPECT_EQ(Try([] { ss::GetRunning(); }), 429);
  auto c = std::make_shared<ss::model::InMemoryConnector>();
  ss::SetConnector(c);
  EXPECT_EQ(Try([] { ss::GetRunning(); }), 429);
  Fixture f;
  c->set(f.app);
  EXPECT_EQ(ss::GetRunning().ActiveWorkbook().Name(), "orbit.xlsx");
  EXPECT_GE(vantrel::rt::Val(ss::GetRunning().Version()), 12);
  f.xl.Quit();
  EXPECT_EQ(Try([] { ss::GetRunning(); }), 429);
  ss::SetConnector(nullptr);
}

TEST(SpreadsheetModel, WorkbookWindowsAndSheets) {
  Fixture f;
  ss::Workbook wb = f.xl.ActiveWorkbook();
  EXPECT_EQ(wb.Windows().Count(), 1);
  EXPECT_EQ(wb.Windows()(1).Caption(), "orbit.xlsx");
  EXPECT_EQ(wb.ActiveSheet().Name(), "Data");
  EXPECT_EQ(Try([&] { wb.Windows()(2); }), 9);

  ss::Workbook gather = f.xl.GetWorkbooks().Add();
  EXPECT_EQ(f.xl.Windows().Count(), 2);
  EXPECT_EQ(f.xl.Windows()(1).Caption(), gather.Name());  // the new window is Windows(1)
  EXPECT_EQ(f.xl.ActiveWorkbook().Name(), gather.Name());
  EXPECT_EQ(f.xl.ActiveSheet().Name(), "Sheet1");
  EXPECT_EQ(Try([&] { f.xl.GetWorkbooks()("missing.xlsx").Activate(); }), 9);

  f.xl.GetWorkbooks()("ORBIT.xlsx").Activate();  // names compare in any letter case
  EXPECT_EQ(f.xl.ActiveWorkbook().Name(), "orbit.xlsx");
  EXPECT_EQ(f.xl.Windows()(2).Caption(), gather.Name());
  gather.Activate();
  f.xl.ActiveWindow().Close(false, false);
  EXPECT_EQ(f.xl.GetWorkbooks().Count(), 1);
  EXPECT_EQ(f.xl.ActiveWorkbook().Name(), "orbit.xlsx");
  EXPECT_EQ(Try([&] { gather.Name(); }), 1004);  // closed

  f.xl.ActiveWindow().Close();
  EXPECT_TRUE(f.xl.ActiveWorkbook().IsNothing());
  EXPECT_EQ(Try([&] { f.xl.ActiveWorkbook().Name(); }), 91);
  EXPECT_EQ(Try([&] { f.xl.ActiveWindow().ActiveCell(); }), 91);
}

TEST(SpreadsheetModel, ActiveCellReadAndWrite) {
  Fixture f;
  ss::Range cell = f.xl.ActiveWorkbook().Windows()(1).ActiveCell();
  EXPECT_EQ(cell.Row(), 3);
  EXPECT_EQ(cell.Column(), 1);
  EXPECT_EQ(cell.Formula(), "1");
  f.xl.Cells(3, 2).Select();
  ss::Range text = f.xl.ActiveCell();
  EXPECT_EQ(text.Value().AsDouble(), 0);  // text gives 0
  EXPECT_EQ(text.Value().AsString(), "burn\r\nstart");
  f.xl.Cells(2, 6).Activate();
  ss::Range spec = f.xl.ActiveCell();
  EXPECT_EQ(spec.Formula(), "=0.01+LEN(\"title kmday\")+MAX(A2:C4)");
  EXPECT_DOUBLE_EQ(spec.Value().AsDouble(), 7011.1);
  EXPECT_EQ(f.xl.Cells(2, 4).Value().kind, CellValue::Kind::Date);
  EXPECT_EQ(f.xl.Cells(2, 4).Text(), "2024-03-05 12:00:00");
  EXPECT_EQ(f.xl.Cells(9, 9).Value().AsString(), "");

  spec.SetFormula("=\"Orbit of \"&Notes!B1");
  EXPECT_EQ(spec.Value().AsString(), "Orbit of Smart probe");
  spec.SetFormula("12.5");
  EXPECT_EQ(spec.Value(), CellValue::Num(12.5));
  spec.SetValue("From: \tx\t");
  EXPECT_EQ(spec.Formula(), "From: \tx\t");

  // Select and Activate act on the active sheet only.
  ss::Worksheet notes = f.xl.ActiveWorkbook().Sheets("Notes");
  EXPECT_EQ(Try([&] { notes.Cells(1, 1).Select(); }), 1004);
  EXPECT_EQ(Try([&] { f.xl.Cells(0, 1); }), 1004);
  EXPECT_EQ(Try([&] { f.xl.GetRange("A0"); }), 1004);
  EXPECT_EQ(Try([&] { f.xl.GetRange("Sheet1!A1"); }), 1004);
}

struct FindCase {
  const char* what;
  int lookAt;
  bool matchCase;
  int64_t startRow, startCol;
  int64_t row, col;  // 0: nothing found
};

TEST(SpreadsheetModel, FindByRowsAfterTheActiveCellWrapping) {
  const FindCase cases[] = {
      {"MAX", ss::kLookAtPart, true, 3, 1, 5, 6},   // after A3: F5 comes before F6 and F2
      {"MAX", ss::kLookAtPart, true, 5, 6, 2, 6},   // after F5 the search wraps to F2
      {"MAX", ss::kLookAtPart, false, 5, 6, 6, 6},  // in any case: =max(A2) in F6
      {"max", ss::kLookAtPart, true, 1, 1, 6, 6},
      {"=MAX(A2:A4)", ss::kLookAtWhole, true, 1, 1, 5, 6},
      {"MAX(A?:A4)", ss::kLookAtPart, true, 1, 1, 5, 6},
      {"LEN(*kmday", ss::kLookAtPart, true, 1, 1, 2, 6},
      {"~*", ss::kLookAtPart, true, 1, 1, 0, 0},  // a real asterisk: none
      {"MIN", ss::kLookAtPart, true, 1, 1, 0, 0},
      {"2.5", ss::kLookAtWhole, true, 1, 1, 4, 1},  // constants by their text
      {"burn*", ss::kLookAtWhole, true, 1, 1, 3, 2},
  };
  for (const FindCase& c : cases) {
    Fixture f;
    f.xl.Cells(c.startRow, c.startCol).Select();
    ss::Range found = f.xl.ActiveCell().Cells().Find(c.what, ss::kLookInFormulas, c.lookAt, c.matchCase);
    SCOPED_TRACE(c.what);
    if (c.row == 0) {
      EXPECT_TRUE(found.IsNothing());
      EXPECT_EQ(Try([&] { found.Activate(); }), 91);
      EXPECT_TRUE(f.xl.Cells().Find(c.what, ss::kLookInFormulas, c.lookAt, c.matchCase, false).IsNothing());
      continue;
    }
    ASSERT_FALSE(found.IsNothing());
    EXPECT_EQ(found.Row(), c.row);
    EXPECT_EQ(found.Column(), c.col);
    found.Activate();
    EXPECT_EQ(f.xl.ActiveCell().Row(), c.row);
  }
}

TEST(SpreadsheetModel, FindInsideARangeOnly) {
  Fixture f;
  ss::Range r = f.xl.GetRange("A1:E10").Find("MAX", ss::kLookInFormulas, ss::kLookAtPart, true);
  EXPECT_TRUE(r.IsNothing());
  r = f.xl.GetRange("F3:F10").Find("MAX", ss::kLookInFormulas, ss::kLookAtPart, true);
  EXPECT_EQ(r.Row(), 5);
}

TEST(SpreadsheetModel, GatheringWorkbookCopyPasteAndText) {
  vantrel::test::LocaleGuard locale(",", " ");
  Fixture f;
  const std::string source = f.xl.ActiveWorkbook().Windows()(1).Caption();
  ss::Workbook gather = f.xl.GetWorkbooks().Add();
  const std::string caption = f.xl.Windows()(1).Caption();
  f.xl.GetRange("A1").Select();
  f.xl.ActiveCell().SetValue("From: \torbit.xlsx\t");

  auto paste = [&](const char* from, const char* to) {
    f.xl.GetWorkbooks()(source).Activate();
    f.xl.GetRange(from).Copy();
    f.xl.GetWorkbooks()(caption).Activate();
    f.xl.GetRange(to).PasteSpecial(ss::kPasteValues, ss::kPasteOperationNone, false, false);
    f.xl.SetCutCopyMode(false);
  };
  paste("A2:C4", "A2");
  paste("D2:D4", "D2");
  paste("D2:D4", "E2");  // the time column in front of a values-only part
  paste("F2:F2", "F2");  // a formula gives its value
  for (const char* cols : {"A:R", "D:E", "G:G"}) {
    f.xl.Columns(cols).Select();
    f.xl.Selection().SetColumnWidth(20);
    f.xl.SetCutCopyMode(false);
    f.xl.Selection().SetNumberFormat("0.0000000000");
  }
  EXPECT_EQ(f.xl.Columns("B").ColumnWidth(), 20);
  EXPECT_EQ(f.xl.Cells(3, 2).NumberFormat(), "0.0000000000");
  EXPECT_EQ(Try([&] { f.xl.GetRange("A1").PasteSpecial(); }), 1004);  // nothing copied

  f.xl.GetRange("A1:G5").Copy();
  const std::string text = f.xl.CopiedText();
  EXPECT_EQ(text,
            "From: \torbit.xlsx\t\t\t\t\t\t\t\r\n"
            "7000,1234567890\t-1,5000000000\t0,0000000000\t45356,5000000000\t45356,5000000000\t7011,1000000000\t\r\n"
            "1,0000000000\tburn start\t\t\t\t\t\r\n"
            "2,5000000000\t\t\t\t\t\t\r\n"
            "\t\t\t\t\t\t\r\n");
  f.xl.SetCutCopyMode(false);
  EXPECT_EQ(f.xl.CopiedText(), "");

  f.xl.ActiveWindow().Close(false, false);
  EXPECT_EQ(f.xl.ActiveWorkbook().Name(), source);
  EXPECT_EQ(f.book->sheet(1).GetFormula(2, 6), "=0.01+LEN(\"title kmday\")+MAX(A2:C4)");  // source untouched
  (void)gather;
}

TEST(SpreadsheetModel, PasteOverwritesAndSkipsBlanks) {
  Fixture f;
  f.data.SetText(10, 1, "old");
  f.data.SetText(12, 1, "keep");
  f.xl.GetRange("A2:A4").Copy();
  f.xl.GetRange("A10").PasteSpecial(ss::kPasteValues, ss::kPasteOperationNone, true, false);
  EXPECT_EQ(f.data.GetValue(10, 1), CellValue::Num(7000.123456789012));
  f.xl.GetRange("C2:C3").Copy();
  f.xl.GetRange("A12").PasteSpecial(ss::kPasteValues, ss::kPasteOperationNone, true, false);
  EXPECT_EQ(f.data.GetValue(13, 1).kind, CellValue::Kind::Empty);
  f.xl.GetRange("C2:C3").Copy();
  f.xl.GetRange("A11").PasteSpecial();  // blanks overwrite
  EXPECT_EQ(f.data.GetValue(12, 1).kind, CellValue::Kind::Empty);
  f.xl.GetRange("A2:C2").Copy();
  f.xl.GetRange("H1").PasteSpecial(ss::kPasteValues, ss::kPasteOperationNone, false, true);
  EXPECT_EQ(f.data.GetValue(2, 8), CellValue::Num(-1.5));
  EXPECT_EQ(Try([&] { f.xl.GetRange("A1").PasteSpecial(ss::kPasteValues, 2); }), 1004);
}

TEST(SpreadsheetModel, EvaluateTextExpressionsWithoutWriting) {
  vantrel::test::LocaleGuard locale(",", ".");
  Fixture f;
  auto other = f.book->AddSheet("My sheet");
  (void)other;
  f.book->SheetNamed("My sheet")->SetText(1, 1, "it's");
  struct {
    const char* expr;
    const char* text;
  } cases[] = {
      {"\"Orbit of \"&Notes!B1", "Orbit of Smart probe"},
      {"\"title \"\"q\"\" \" & A1", "title \"q\" X"},
      {"'My sheet'!A1&\"!\"", "it's!"},
      {"A2&\"\"", "7000,12345678901"},
      {"A2+1", "7001,12345678901"},
      {"(\"a\"&\"b\")&$B$3", "abburn\r\nstart"},
      {"Z99&\"x\"", "x"},
  };
  for (auto& c : cases) EXPECT_EQ(f.xl.Evaluate(c.expr).AsString(), c.text) << c.expr;
  EXPECT_EQ(f.xl.Evaluate("B2").AsDouble(), -1.5);
  for (const char* bad : {"MAX(A2)", "\"open", "A2+", "Nowhere!A1", "A2:A3", ""})
    EXPECT_EQ(Try([&] { f.xl.Evaluate(bad); }), 1004) << bad;
  EXPECT_EQ(f.data.GetFormula(3, 1), "1");  // the active cell is not written
}

TEST(SpreadsheetModel, InjectedBusyErrors) {
  Fixture f;
  f.app->InjectError(ss::kErrBusy, 2);
  EXPECT_EQ(Try([&] { f.xl.Name(); }), ss::kErrBusy);
  EXPECT_EQ(Try([&] { f.xl.ActiveWorkbook(); }), ss::kErrBusy);
  EXPECT_EQ(f.xl.ActiveWorkbook().Name(), "orbit.xlsx");
  f.app->InjectError(static_cast<int>(0x80010001u), -1);
  EXPECT_NE(Try([&] { f.xl.Version(); }), 0);
  EXPECT_NE(Try([&] { f.xl.Version(); }), 0);
  f.app->ClearInjectedError();
  EXPECT_EQ(Try([&] { f.xl.Version(); }), 0);
  f.xl.SetVisible(false);
  EXPECT_FALSE(f.xl.Visible());
}

struct FormatCase {
  double x;
  const char* format;
  const char* text;
};

TEST(SpreadsheetModel, DisplayedTextOfNumbers) {
  vantrel::test::LocaleGuard locale(".", ",");
  const FormatCase cases[] = {
      {7000.123456789012, "0.0000000000", "7000.1234567890"},
      {-1.5, "0.0000000000", "-1.5000000000"},
      {0.00000000004, "0.0000000000", "0.0000000000"},
      {0.1, "General", "0.1"},
      {1.0 / 3, "General", "0.333333333333333"},
      {1234567.891, "#,##0.00", "1,234,567.89"},
      {0.125, "0.00%", "12.50%"},
      {12345.678, "0.00E+00", "1.23E+04"},
      {-3, "0.0;[Red](0.0)", "(3.0)"},
      {45356.588483796, "yyyy/mm/dd hh:mm:ss", "2024/03/05 14:07:25"},
      {45356.588483796, "YYYY-MM-DD HH:MM:SS", "2024-03-05 14:07:25"},
      {45356.75, "h:mm AM/PM", "6:00 PM"},
      {45356.0, "d-mmm-yy", "5-Mar-24"},
      {5, "[$€-407] #,##0.00", "€ 5.00"},
  };
  for (const FormatCase& c : cases) {
    Fixture f;
    f.data.SetNumber(20, 1, c.x, c.format);
    EXPECT_EQ(f.xl.Cells(20, 1).Text(), c.text) << c.format;
  }
}

}  // namespace

namespace {

// The gathered columns are rendered by a short road: it must give what the general pattern
// routine gives, digit for digit.
TEST(SpreadsheetModel, FixedDecimalsMatchTheFormatRoutine) {
  vantrel::test::LocaleGuard locale(",", " ");
  std::vector<double> xs = {0,
                            -0.0,
                            0.5,
                            1.5,
                            2.5,
                            -2.5,
                            0.00000000005,
                            0.00000000004999,
                            -0.00000000004,
                            0.1 + 0.2,
                            1e14 + 0.5,
                            999999.99999999995,
                            45356.5881597222,
                            7000.123456789012,
                            123456789.123456789,
                            0.30000000000000004,
                            1.0000000000049999,
                            9.99999999995};
  uint64_t seed = 12345;
  for (int k = 0; k < 20000; ++k) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    double m = static_cast<double>(seed >> 11) / 9007199254740992.0;
    int e = static_cast<int>((seed >> 3) % 30) - 15;
    xs.push_back((k % 2 ? -1 : 1) * m * std::pow(10.0, e));
  }
  for (const char* fmt : {"0.0000000000", "0.00", "0"}) {
    for (double x : xs) {
      auto app = ss::model::App::Create();
      auto book = app->AddBook("b");
      auto& s = book->AddSheet("s");
      s.SetNumber(1, 1, x, fmt);
      ASSERT_EQ(s.DisplayText(1, 1), vantrel::rt::Format(x, fmt)) << fmt << " " << x;
    }
  }
}

}  // namespace
