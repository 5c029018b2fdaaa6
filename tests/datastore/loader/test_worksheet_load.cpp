#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "loader_harness.h"

namespace vantrel::datastore {
namespace {

std::string Header(const std::string& caption, const std::string& formula, const std::string& scale,
                   const std::string& title) {
  return "From: \t" + caption + "\tOrbit\t" + formula + "\t" + scale + "\t" + title +
         "\tDate 2024/03/05 14:07:09\tVantrel data file 2024\t" + std::string(16, '\t') + "\r\n";
}

// The sheet's five data rows (i = 0..4), as the file writes them.
std::string N(double x) { return rt::Format(x, "0.0000000000"); }
std::string X(int i) { return N(1000 + i); }
std::string Y(int i) { return N(2000 + 0.5 * i); }
std::string Z(int i) { return N(-0.25 * i); }
std::string T(int i) { return N(10 + i); }
std::string Label(int i) { return i % 2 == 0 ? "burn " + std::to_string(i / 2 + 1) : ""; }

// Five data lines of 17 fields, field k of line i given by cell(i, k) (k from 0 = column A).
std::string Lines(const std::function<std::string(int, int)>& cell) {
  std::string out;
  for (int i = 0; i < 5; ++i) {
    for (int k = 0; k < 17; ++k) out += (k ? "\t" : "") + cell(i, k);
    out += "\r\n";
  }
  return out + "\r\n";
}

std::string XyzOnly(int i, int k) {
  switch (k) {
    case 0: return X(i);
    case 1: return Y(i);
    case 2: return Z(i);
    default: return "";
  }
}
std::string XyzT(int i, int k) { return k == 3 ? T(i) : XyzOnly(i, k); }
std::string All(int i, int k) {
  switch (k) {
    case 4: return T(i);  // Events given as one column: T in front
    case 5: return Label(i);
    case 6: return T(i);  // Quater given as four columns: T in front
    case 7:
    case 8:
    case 9: return N(0.5);
    case 10: return N(-0.5);
    case 11: return N(20 + i);  // SApY with its own time
    case 12: return N(10 * i);
    case 13: return N(30 + i);  // SAmY with its own time
    case 14: return N(-10 * i);
    case 15: return T(i);  // ValZ given as one column: T in front
    case 16: return N(1.5 * i);
    default: return XyzT(i, k);
  }
}

class WorksheetLoad : public LoaderTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(WorksheetLoad, FormulasGiveTheirDataFileAndTables) {
  const struct {
    int row;              // of the specification cell in column T
    const char* formula;  // as the header holds it
    const char* scale;
    const char* title;
    std::string (*cell)(int, int);
    double x0;  // DataTable(0, 1) read back (metres to kilometres)
  } cases[] = {
      {2, "=MAX(A2:C6)", "1.0000000000", "Vantrel", XyzOnly, 1},
      {3, "=MAX(A2:C6)+MAX(D2:D6)", "1.0000000000", "Vantrel", XyzT, 1},
      {4, "=MAX(A2:C6)+MAX(D2:D6)+MAX(E2:E6)+MAX(G2:J6)+MAX(L2:M6)+MAX(N2:O6)+MAX(P2:P6)", "1.0000000000", "Vantrel",
       All, 1},
      // One row, grown down to the last filled Z cell, in the formula too.
      {5, "=MAX(A2:C6)", "1.0000000000", "Vantrel", XyzOnly, 1},
      // The LEN argument evaluated by the spreadsheet gives the title.
      {6, "=LEN(\"Orbit of Y\")+MAX(A2:C6)", "1.0000000000", "Orbit of Y", XyzOnly, 1},
      {7, "=1000*MAX(A2:C6)", "1000.0000000000", "Vantrel", XyzOnly, 1000},
      // Absolute references read as the plain ones.
      {10, "=MAX($A$2:$C$6)", "1.0000000000", "Vantrel", XyzOnly, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    Run(GetParam(), 0, c.row, 20);
    s().SettingsBlock.LoadDone = 0;
    LoadExcelDataXls();
    EXPECT_EQ(ReadCurrent(), Header(GetParam(), c.formula, c.scale, c.title) + Lines(c.cell));
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(s().LastDataRow, 4);
    EXPECT_EQ(s().DataTable.Get(0, 1), c.x0);
    EXPECT_DOUBLE_EQ(s().DataTable.Get(4, 2), c.x0 * 2.002);
    EXPECT_DOUBLE_EQ(s().DataTable.Get(4, 3), c.x0 * -0.001);
    EXPECT_EQ(s().PlotTitle, c.title);
    EXPECT_EQ(s().SettingsBlock.LoadDone, 1.0);
    EXPECT_EQ(s().LoaderBusy, 0);
    EXPECT_EQ(s().ExcelUsed, 1);
    EXPECT_EQ(s().LastFormula.substr(0, 5), std::string(c.formula).substr(0, 5));
  }
  // The last case left the user's workbook untouched and the gathering workbook closed.
  EXPECT_EQ(connector->app->handle().GetWorkbooks().Count(), 1);
}

TEST_P(WorksheetLoad, AllGroupsFillEveryTable) {
  Run(GetParam(), 0, 4, 20);
  LoadExcelDataXls();
  DataStore& st = s();
  EXPECT_EQ(st.DataTable.Get(3, 0), 13 / 86400.0);  // times in seconds by default
  EXPECT_EQ(st.QuaterTable.Get(2, 1), 0.5);
  EXPECT_EQ(st.QuaterTable.Get(2, 4), -0.5);
  EXPECT_EQ(st.SApYTable.Get(4, 1), 40);
  EXPECT_EQ(st.SAmYTable.Get(4, 1), -40);
  EXPECT_EQ(st.ValZTable.Get(4, 1), 6);
  EXPECT_EQ(st.EventsList.Label(0), "burn 1");
  EXPECT_EQ(st.SettingsBlock.TimeRangeGiven, 1.0);
  // Progress of the ranges step and of every group of the gathering, in order.
  const std::vector<float> steps{10, 15, 20, 25, 27, 28, 30, 32};
  auto it = main->progressValues.begin();
  for (float v : steps) {
    it = std::find(it, main->progressValues.end(), v);
    EXPECT_NE(it, main->progressValues.end()) << v;
  }
  for (const char* line : {"\r\n part NcolumnsUpdated rangeXYZ$A2:C6", "\r\n part rangeT$ D2:D6",
                           "\r\n part rangeEvents$ E2:E6", "\r\n part rangeQuater$ G2:J6", "\r\n part rangeSApY$ L2:M6",
                           "\r\n part rangeSAmY$ N2:O6", "\r\n part rangeValZ$ P2:P6"})
    EXPECT_NE(main->text20.find(line), std::string::npos) << line;
}

TEST_P(WorksheetLoad, AFormulaFoundBySearchWhenTheActiveCellHoldsNone) {
  Run(GetParam(), 0, 1, 1);  // A1, the header "X"
  LoadExcelDataXls();
  EXPECT_EQ(ReadCurrent(), Header(GetParam(), "=MAX(A2:C6)", "1.0000000000", "Vantrel") + Lines(XyzOnly));
  EXPECT_EQ(s().LastFormula, "=MAX(A2:C6)");
}

TEST_P(WorksheetLoad, TooNarrowRangeEndsTheLoadAndKeepsThePreviousData) {
  const std::string previous = dir.Write("_Vantrel.vnx", "previous bytes");
  Run(GetParam(), 0, 8, 20);  // =MAX(A2:B6)
  s().LastDataRow = 7;
  s().SettingsBlock.LoadDone = 1.0;
  s().SettingsBlock.ReloadRequest = 1.0;  // Update from Excel asked for it
  LoadExcelDataXls();
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text,
            "Warning: an Excel sheet is already open without a correct specification for Vantrel:    =MAX(A2:B6)"
            "   . You should open only the one with a correct specification or you can write or use a previous "
            "specification in the scolling textbox");
  EXPECT_EQ(boxes()[0].title, "Information");
  EXPECT_EQ(boxes()[0].style, 64);
  EXPECT_EQ(ReadCurrent(), "previous bytes");
  EXPECT_EQ(s().LastDataRow, 7);
  EXPECT_EQ(s().LoaderBusy, 0);
  EXPECT_EQ(s().SettingsBlock.LoadDone, 1.0);
  EXPECT_EQ(s().SettingsBlock.ReloadRequest, 0);
  EXPECT_FALSE(main->progressVisible);
  EXPECT_TRUE(view->cameraSets.empty());
}

TEST_P(WorksheetLoad, ADataFileThatCannotBeWrittenIsToldNotPassedOver) {
  // A working folder under a plain file: nobody, root included, can write there.
  dir.Write("plain", "x");
  Run(GetParam(), 0, 2, 20);
  s().WorkDir = (dir.path() / "plain" / "work").string() + "/";
  LoadExcelDataXls();
  // The reason first; then the reader's own word on the file it shows instead.
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[0].title, "Error");
  EXPECT_EQ(boxes()[0].style, 16);
  EXPECT_NE(boxes()[0].text.find(s().WorkDir), std::string::npos) << boxes()[0].text;
  EXPECT_EQ(s().LoaderBusy, 0);
  EXPECT_EQ(s().SettingsBlock.LoadDone, 1.0);
}

TEST_P(WorksheetLoad, TooWideRangeIsCutAlongTheColumnLayout) {
  Run(GetParam(), 0, 9, 20);  // =MAX(A2:R6)
  LoadExcelDataXls();
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Specification VanexExcel: too many columns, truncated to :3 + 1 + 2 + 5 + 2 + 2 + 2");
  EXPECT_EQ(boxes()[0].style, 64);
  EXPECT_EQ(boxes()[0].title, "Vantrel");
  // Columns A to O come over as the sheet holds them; ValZ is not cut from the range.
  const std::string file = ReadCurrent();
  const std::string line2 =
      file.substr(file.find("\r\n") + 2, file.find("\r\n", file.find("\r\n") + 2) - file.find("\r\n") - 2);
  EXPECT_EQ(line2, X(0) + "\t" + Y(0) + "\t" + Z(0) + "\t" + T(0) + "\tburn 1\t\t" + N(0.5) + "\t" + N(0.5) + "\t" +
                       N(0.5) + "\t" + N(-0.5) + "\t\t" + N(20) + "\t" + N(0) + "\t" + N(30) + "\t" + N(0) + "\t\t");
}

INSTANTIATE_TEST_SUITE_P(Files, WorksheetLoad, ::testing::Values("loader.xlsx", "loader.ods"));

}  // namespace
}  // namespace vantrel::datastore
