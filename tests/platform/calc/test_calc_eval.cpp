// Titles built with spreadsheet functions, evaluated by a real LibreOffice Calc in a hidden
// document of the program's own: Calc's text becomes the title, the user's document is only read.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/platform/calc/live_calc.h"

namespace vantrel::datastore {
namespace {

namespace ss = vantrel::spreadsheet;

// A flat ODF spreadsheet: on the sheet Orbit, points in A:C and times in days in D (rows 2 to
// 21), the number 2026 in H1, and in F2 the specification whose LEN argument is `lenArgument`
// (ODF syntax); the sheet Notes holds "GEO" in A1.
std::string FlatSheet(const std::string& lenArgument) {
  auto number = [](double x) {
    const std::string t = rt::Format(x, "0.####");
    return "<table:table-cell office:value-type=\"float\" office:value=\"" + t + "\"><text:p>" + t +
           "</text:p></table:table-cell>";
  };
  std::string rows = "<table:table-row><table:table-cell table:number-columns-repeated=\"7\"/>" + number(2026) +
                     "</table:table-row>";
  for (int i = 0; i < 20; ++i) {
    rows += "<table:table-row>" + number(std::round(7000 * std::cos(i * 0.314159))) +
            number(std::round(7000 * std::sin(i * 0.314159))) + number(0) + number(46000 + 0.5 * i);
    if (i == 0)
      rows += "<table:table-cell/><table:table-cell table:formula=\"of:=LEN(" + lenArgument +
              ")+MAX([.A2:.C21])+MAX([.D2:.D21])\" office:value-type=\"float\" office:value=\"0\"/>";
    rows += "</table:table-row>";
  }
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet><table:table table:name="Orbit">)" +
         rows +
         R"(</table:table><table:table table:name="Notes"><table:table-row><table:table-cell office:value-type="string"><text:p>GEO</text:p></table:table-cell></table:table-row></table:table>
</office:spreadsheet></office:body></office:document>
)";
}

// ROMAN and DEC2HEX (an add-in's) are Calc's alone; the second sheet is read as well. (The LEN
// step drops the blanks after the argument's first ")".)
constexpr const char* kRomanTitle =
    "&quot;Orbit &quot;&amp;ROMAN([.H1])&amp;&quot;-&quot;&amp;[$Notes.A1]&amp;&quot;-&quot;&amp;DEC2HEX([.H1];4)&amp;"
    "&quot;-days&quot;";

class CalcTitles : public LiveCalcTest {
 protected:
  // Opens the sheet in Calc with the specification as its active cell, marked saved.
  void OpenTitled(const std::string& lenArgument) {
    const std::string path = dir.File("titled.fods");
    std::ofstream(path) << FlatSheet(lenArgument);
    calc->Do("open " + path);
    calc->Do("select Orbit F2");
    calc->Do("unmodified");
    cellsBefore = calc->Do("cells Orbit A1:H21") + calc->Do("cells Notes A1:C3");
  }
  // The same, loaded through the live backend: the data file written.
  std::string LoadTitled(const std::string& lenArgument) {
    OpenTitled(lenArgument);
    ss::SetConnector(live);
    s().SettingsBlock.LoadDone = 0;
    LoadExcelDataXls();
    return ReadCurrent();
  }
  // The user's document as it was before the load: not modified, the same cells.
  void ExpectDocumentUnchanged() {
    EXPECT_EQ(calc->Do("modified"), "0");
    EXPECT_EQ(calc->Do("cells Orbit A1:H21") + calc->Do("cells Notes A1:C3"), cellsBefore);
  }

  std::string cellsBefore;
};

TEST_F(CalcTitles, AFunctionOurEvaluatorDoesNotKnowGivesCalcsText) {
  const std::string data = LoadTitled(kRomanTitle);
  EXPECT_NE(data.find("LEN(\"Orbit MMXXVI-GEO-07EA-days\")"), std::string::npos) << data.substr(0, 300);
  EXPECT_NE(s().PlotTitle.find("Orbit MMXXVI-GEO-07EA"), std::string::npos) << s().PlotTitle;
  // "days": the times stay in days.
  EXPECT_EQ(s().DataTable(3, 0), 46001.5);
  EXPECT_EQ(main->text20.find("not evaluated"), std::string::npos) << main->text20;
  ExpectDocumentUnchanged();
  // The program's own hidden document is none of the user's workbooks.
  ss::Application app = live->Attach();
  EXPECT_EQ(app.GetWorkbooks().Count(), 1);
  EXPECT_EQ(app.ActiveWorkbook().Name(), "titled.fods");
  EXPECT_TRUE(boxes().empty());
}

// The real program beside Calc: its first load writes Calc's title into the data file it shows,
// and leaves the document as it was.
TEST_F(CalcTitles, TheProgramBesideCalcTakesCalcsTitle) {
  OpenTitled(kRomanTitle);
  StartProgram();
  EXPECT_TRUE(ProgramDataFileShows({"LEN(\"Orbit MMXXVI-GEO-07EA-days\")", "\tOrbit MMXXVI-GEO-07EA-days\t"}))
      << test::TempDir::Read(ProgramDataFile()).substr(0, 300);
  EndProgram();
  ExpectDocumentUnchanged();
}

TEST_F(CalcTitles, WhatNeitherCanEvaluateFallsBackToTheCellAndIsLogged) {
  const std::string data = LoadTitled("&quot;Orbit &quot;&amp;NOSUCHFN([.H1])&amp;&quot; days&quot;");
  // The cell's own value stands as the title; the log names the function.
  EXPECT_EQ(data.find("LEN(\"Orbit"), std::string::npos) << data.substr(0, 300);
  EXPECT_NE(main->text20.find("function NOSUCHFN"), std::string::npos) << main->text20;
  ExpectDocumentUnchanged();
}

}  // namespace
}  // namespace vantrel::datastore
