#include <unistd.h>

#include <filesystem>

#include "reader_harness.h"

namespace vantrel::datastore {
namespace {

TEST_F(ReaderTest, UnitsMetresAndSecondsByDefault) {
  ReadNamed(Fixture("units_metres_seconds.vnx"));
  EXPECT_EQ(w->ReadRows, 2);
  EXPECT_EQ(s().LastDataRow, 1);
  EXPECT_DOUBLE_EQ(s().DataTable(0, 1), 1);
  EXPECT_DOUBLE_EQ(s().DataTable(0, 2), 2);
  EXPECT_DOUBLE_EQ(s().DataTable(0, 3), 3);
  EXPECT_DOUBLE_EQ(s().DataTable(0, 0), 1);
  EXPECT_DOUBLE_EQ(s().DataTable(1, 1), -0.5);
  EXPECT_DOUBLE_EQ(s().DataTable(1, 0), 0.5);
  EXPECT_EQ(s().DataTable(0, 4), 0);
  EXPECT_EQ(s().PlotTitle, "Orbit");
  EXPECT_EQ(s().LengthsInKm, 0);
  EXPECT_EQ(w->cellFormula, "=MAX(A2:C3)+MAX(D2:D3)+LEN(\"Orbit\")");
  EXPECT_EQ(main->text14, Fixture("units_metres_seconds.vnx"));
  EXPECT_TRUE(main->text14Visible);
  EXPECT_EQ(main->progressValues.back(), 90.0f);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(ReaderTest, KilometresWithAScaleFactorAndDays) {
  ReadNamed(Fixture("units_km.vnx"));
  EXPECT_EQ(s().LengthsInKm, -1);
  EXPECT_EQ(w->SpecScale, 1000);
  EXPECT_DOUBLE_EQ(s().DataTable(0, 1), 1000);
  EXPECT_DOUBLE_EQ(s().DataTable(1, 3), -1000);
  EXPECT_DOUBLE_EQ(s().DataTable(1, 0), 2);  // seconds
  EXPECT_EQ(s().PlotTitle, "Orbit ");

  ReadNamed(Fixture("units_days.vnx"));
  EXPECT_EQ(s().LengthsInKm, 0);
  EXPECT_DOUBLE_EQ(s().DataTable(0, 1), 1);  // metres
  EXPECT_DOUBLE_EQ(s().DataTable(0, 0), 2.5);
  EXPECT_EQ(s().PlotTitle, "Orbit ");
}

TEST_F(ReaderTest, BreaksEmptyLinesAndLfLineEnds) {
  ReadNamed(Fixture("breaks.vnx"));
  EXPECT_EQ(w->ReadRows, 4);
  EXPECT_EQ(s().LastDataRow, 3);
  const double flags[] = {0, -1, -1, 0};
  for (int r = 0; r < 4; ++r) EXPECT_EQ(s().DataTable(r, 4), flags[r]) << r;
  EXPECT_EQ(s().DataTable(1, 2), 5);
  EXPECT_EQ(s().DataTable(2, 1), 0);  // a line of TABs only: zeros
  EXPECT_EQ(s().DataTable(3, 0), 12);
}

TEST_F(ReaderTest, EventsCommitTheChangesOfLabel) {
  ReadNamed(Fixture("events.vnx"));
  EXPECT_EQ(w->EventRows, 4);
  EXPECT_EQ(w->EventsListLast, 5);
  const double committed[] = {1.5, 2.5, 4.5, 6.5};  // lines 1, 2, 4, 6
  for (int e = 0; e < 4; ++e) EXPECT_EQ(s().EventsTable(e, 0), committed[e]) << e;
  const char* labels = "AAABBA";
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(s().EventsList.Label(i), std::string(1, labels[i])) << i;
    EXPECT_EQ(s().EventsList.Time(i), i + 1.5) << i;
  }
}

TEST_F(ReaderTest, OneColumnModeTakesXYZFromSuccessiveLines) {
  ReadNamed(Fixture("one_column.vnx"));
  EXPECT_EQ(s().OneColumnMode, 1);
  EXPECT_EQ(w->ReadRows, 7);
  EXPECT_EQ(s().LastDataRow, 2);
  const double xyz[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 0, 0}};
  for (int p = 0; p < 3; ++p)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(s().DataTable(p, c + 1), xyz[p][c]) << p << c;
  for (int r = 0; r < 7; ++r) {
    EXPECT_DOUBLE_EQ(s().DataTable(r, 0), (r + 1) / 10.0) << r;
    EXPECT_EQ(s().DataTable(r, 4), 0) << r;
  }
}

TEST_F(ReaderTest, PenUpModeKeepsTimesAndMakesSecondPolylineLengths) {
  ReadNamed(Fixture("penup.vnx"));  // CR line ends
  EXPECT_EQ(s().PenUpMode, 1);
  EXPECT_EQ(w->ReadRows, 2);
  EXPECT_EQ(s().DataTable(0, 0), 86400);  // not converted in pen-up mode
  EXPECT_EQ(s().EventsTable(0, 0), 43200);
  EXPECT_EQ(s().DataTable(0, 4), -1);
  EXPECT_EQ(s().DataTable(1, 4), -1);
  EXPECT_EQ(s().DataTable(0, 1), 1);
  EXPECT_EQ(s().QuaterTable(0, 0), 7);  // (value / 1000) * scale
  EXPECT_EQ(s().QuaterTable(0, 2), 9);
  EXPECT_EQ(s().QuaterTable(0, 3), 0);   // field 7 given
  EXPECT_EQ(s().QuaterTable(1, 3), -1);  // field 7 empty
  EXPECT_EQ(s().QuaterTable(1, 4), 0.004);
  EXPECT_EQ(s().QuaterRows, 2);
  EXPECT_EQ(w->EventRows, 1);  // the second line's field 5 is empty
}

TEST_F(ReaderTest, QuotedHeaderWithDoubledQuotes) {
  ReadNamed(Fixture("quoted_header.vnx"));
  EXPECT_EQ(w->cellFormula, "=MAX(A2:C2)+LEN(\"\"Quoted km\"\")");
  EXPECT_EQ(s().PlotTitle, "Quoted ");
  EXPECT_EQ(s().LengthsInKm, -1);
  EXPECT_EQ(w->ReadRows, 1);
  EXPECT_EQ(s().DataTable(0, 0), 4.0 / 86400);
}

TEST_F(ReaderTest, ALineOfTwentyFiveFieldsFillsEveryTable) {
  ReadNamed(Fixture("fields25.vnx"));
  EXPECT_EQ(w->ReadRows, 1);
  EXPECT_EQ(s().DataTable(0, 3), 3);
  EXPECT_EQ(s().DataTable(0, 0), 4);
  EXPECT_EQ(s().EventsTable(0, 0), 5);
  EXPECT_EQ(s().EventsTable(0, 1), 6);
  EXPECT_EQ(s().QuaterTable(0, 4), 11);
  EXPECT_EQ(s().SApYTable(0, 1), 13);
  EXPECT_EQ(s().SAmYTable(0, 1), 15);
  EXPECT_EQ(s().ValZTable(0, 0), 16);
  EXPECT_EQ(s().ValZTable(0, 1), 17);
  EXPECT_EQ(s().QuaterRows, 1);
  EXPECT_EQ(s().SApYRows, 1);
  EXPECT_EQ(s().SAmYRows, 1);
  EXPECT_EQ(s().ValZRows, 1);
}

TEST_F(ReaderTest, ValueSeriesOnlyWithAValueRange) {
  // The same line with a formula of two groups: fields 16 and 17 are not read.
  ReadCurrent(Header("=MAX(A2:C2)+MAX(D2)+LEN(\"km days\")", "km days") + "\r\n" +
              std::string("1\t2\t3\t4\t\t\t\t\t\t\t\t\t\t\t\t16\t17\r\n\r\n"));
  EXPECT_EQ(w->ReadRows, 1);
  EXPECT_EQ(s().ValZRows, 0);
  EXPECT_EQ(s().ValZTable(0, 1), 0);
  EXPECT_EQ(s().QuaterRows, 1);  // seven fields or more, empty ones included
  EXPECT_EQ(s().SApYRows, 0);    // field 12 empty
}

TEST_F(ReaderTest, AFileWithOnlyItsHeaderChangesNothing) {
  ReadNamed(Fixture("units_days.vnx"));
  s().PenUpMode = 1;
  s().QuaterRows = 5;
  const size_t progressWrites = main->progressValues.size();
  ReadNamed(Fixture("header_only.vnx"));
  EXPECT_EQ(w->ReadRows, 0);
  EXPECT_EQ(s().LastDataRow, 1);
  EXPECT_EQ(s().PenUpMode, 1);
  EXPECT_EQ(s().QuaterRows, 5);
  EXPECT_EQ(s().PlotTitle, "Orbit ");  // line 1 was not interpreted
  EXPECT_EQ(main->progressValues.size(), progressWrites);
}

TEST_F(ReaderTest, AnEmptyFileLogsTheFailedReadAndChangesNothing) {
  ReadCurrent("");
  EXPECT_TRUE(LogHas("error:62 Input past end of file"));
  EXPECT_EQ(w->ReadRows, 0);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(ReaderTest, Windows1252LabelsBecomeUtf8) {
  ReadNamed(Fixture("cp1252_labels.vnx"));
  EXPECT_EQ(s().EventsList.Label(0), "P\xC3\xA9rig\xC3\xA9"
                                     "e n\xC2\xB0"
                                     "1");
  EXPECT_EQ(s().EventsList.Label(1), "Apog\xC3\xA9"
                                     "e n\xC2\xB0"
                                     "2");
}

TEST_F(ReaderTest, LogLinesOfTheFileChoice) {
  ReadCurrent(Header("=MAX(A2:C2)", "t") + "\r\n1\t2\t3\r\n");
  const std::string current = dir.File("_Vantrel.vnx");
  EXPECT_TRUE(LogHas("NameTempo$ " + current));
  EXPECT_TRUE(LogHas(current + " is open"));
  EXPECT_TRUE(LogHas(" The demo will be shown False"));
  EXPECT_TRUE(LogHas("Extraction_info cellFormula =MAX(A2:C2)"));
  EXPECT_TRUE(LogHas(" Check SpecialCasesPermutUnitsmoon rangeXYZ$ A2:C2"));
  EXPECT_EQ(main->text21, current);
  EXPECT_EQ(s().DataTable(0, 0), 0);  // exactly three fields: time 0
}

TEST_F(ReaderTest, DemoFileWhenTheCurrentOneIsMissingAndTheBoxWhenBothAre) {
  NewLoad();
  dir.Write("VantrelDemo.vnx", Header("=MAX(A2:C2)", "demo") + "\r\n1\t2\t3\r\n");
  ReadDataFileStep(s(), *w);
  EXPECT_EQ(w->FileInUse, dir.File("VantrelDemo.vnx"));
  EXPECT_EQ(w->ReadRows, 1);
  EXPECT_TRUE(boxes().empty());

  std::filesystem::remove(dir.File("VantrelDemo.vnx"));
  NewLoad();
  ReadDataFileStep(s(), *w);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "The demo will be shown.");
  EXPECT_EQ(boxes()[0].title, "Demo default");
  EXPECT_EQ(boxes()[0].style, 64);
  EXPECT_EQ(w->DemoShown, 1);
  EXPECT_TRUE(LogHas(" The demo will be shown True"));
  EXPECT_EQ(w->ReadRows, 0);
}

TEST_F(ReaderTest, DemoModeShowsTheBoxAndReadsTheDemoFile) {
  NewLoad();
  dir.Write("_Vantrel.vnx", Header("=MAX(A2:C2)", "cur") + "\r\n9\t9\t9\r\n");
  dir.Write("VantrelDemo.vnx", Header("=MAX(A2:C2)+LEN(\"demo\")", "demo") + "\r\n1\t2\t3\r\n");
  s().SourceMode = 1;
  ReadDataFileStep(s(), *w);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].title, "Demo default");
  EXPECT_EQ(s().PlotTitle, "demo");
}

}  // namespace
}  // namespace vantrel::datastore
