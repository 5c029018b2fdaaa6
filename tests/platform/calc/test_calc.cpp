// The Calc backend against a real LibreOffice Calc, started once per test with a profile and a
// pipe of its own, and driven as its user would drive it (calc_driver.py).

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/spreadsheet/calc.h"
#include "tests/platform/calc/live_calc.h"

namespace vantrel::datastore {
namespace {

namespace fs = std::filesystem;
namespace ss = vantrel::spreadsheet;

// Counts the attaches a road makes, and the failed ones.
class CountingConnector : public ss::Connector {
 public:
  explicit CountingConnector(std::shared_ptr<ss::Connector> c) : c_(std::move(c)) {}
  ss::Application Attach() override {
    ++attaches;
    try {
      return c_->Attach();
    } catch (...) {
      ++failures;
      throw;
    }
  }
  int attaches = 0, failures = 0;

 private:
  std::shared_ptr<ss::Connector> c_;
};

class LiveCalc : public LiveCalcTest {
 protected:
  void SetUp() override {
    LiveCalcTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    for (const char* f : {"loader.xlsx", "loader.ods"}) fs::copy_file(LoaderFixture(f), dir.File(f));
  }

  // A load of the running spreadsheet that `connector` gives; the data file it writes.
  // The header's date is the clock's at the load, and the clock runs on with every pass of the
  // event loop, which a call into Calc makes while it waits: the date is left out.
  std::string Load(std::shared_ptr<ss::Connector> c) {
    ss::SetConnector(std::move(c));
    s().SettingsBlock.LoadDone = 0;
    LoadExcelDataXls();
    return Current();
  }
  std::string Current() {
    std::string text = ReadCurrent();
    if (const size_t at = text.find("\tDate "); at != std::string::npos)
      text.erase(at + 6, text.find('\t', at + 1) - (at + 6));
    return text;
  }
};

TEST_F(LiveCalc, ReadsAsTheWorkbookFileFollowsTheCursorAndEditsAndWritesNothing) {
  // The same data file as the workbook-file backend, for specifications of every kind and for
  // one found by the search from a plain cell.
  const struct { int row, col; } cells[] = {{2, 20}, {3, 20}, {4, 20}, {5, 20}, {6, 20}, {7, 20}, {10, 20}, {1, 1}};
  for (const char* file : {"loader.xlsx", "loader.ods"}) {
    calc->Do("open " + dir.File(file));
    for (const auto& c : cells) {
      SCOPED_TRACE(std::string(file) + " row " + std::to_string(c.row));
      Run(file, 0, c.row, c.col);
      const std::string fromFile = Load(connector);
      calc->Do("select Orbit " + spreadsheet::formula::ColumnLetters(c.col) + std::to_string(c.row));
      EXPECT_EQ(Load(live), fromFile);
      EXPECT_TRUE(boxes().empty());
    }
  }

  // The watcher: another specification cell reloads at the next call, a plain cell keeps the data.
  ss::SetConnector(live);
  calc->Do("select Orbit T2");
  Load(live);
  s().SettingsBlock.InteractiveOpt = 1.0;
  ExcelWatchXls();  // takes in the caption and sheet
  const std::string xyzOnly = Current();
  ExcelWatchXls();
  EXPECT_EQ(Current(), xyzOnly);
  calc->Do("select Orbit T3");
  ExcelWatchXls();
  const std::string withTime = Current();
  EXPECT_NE(withTime, xyzOnly);
  EXPECT_EQ(s().LastFormula, "=MAX(A2:C6)+MAX(D2:D6)");
  calc->Do("select Orbit B4");
  ExcelWatchXls();
  ExcelWatchXls();
  EXPECT_EQ(Current(), withTime);
  EXPECT_EQ(s().LastFormula, "=MAX(A2:C6)+MAX(D2:D6)");

  // An edit inside the range is read at the next load; our reads change neither the document's
  // cells nor its modified flag.
  calc->Do("select Orbit T2");
  calc->Do("set Orbit B3 2345.5");
  // A date and a boolean read as the workbook files give them.
  calc->Do("set Orbit Z1 45356.5 YYYY-MM-DD");
  calc->Do("set Orbit Z2 1 BOOLEAN");
  {
    ss::Worksheet sheet = live->Attach().ActiveWorkbook().ActiveSheet();
    EXPECT_EQ(sheet.Cells(1, 26).Value(), ss::CellValue::DateSerial(45356.5));
    EXPECT_EQ(sheet.Cells(2, 26).Value().AsString(), "True");
    EXPECT_EQ(sheet.Cells(3, 26).Value(), ss::CellValue{});
  }
  calc->Do("unmodified");
  const std::string before = calc->Do("cells Orbit A1:T12");
  const std::string edited = Load(live);
  EXPECT_NE(edited.find(rt::Format(2345.5, "0.0000000000")), std::string::npos) << edited;
  EXPECT_EQ(calc->Do("modified"), "0");
  EXPECT_EQ(calc->Do("cells Orbit A1:T12"), before);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(LiveCalc, CalcClosedWhileRunningIsTheNotRunningRoad) {
  calc->Do("open " + dir.File("loader.ods"));
  calc->Do("select Orbit T2");
  const std::string data = Load(live);
  ASSERT_NE(data.find("=MAX(A2:C6)"), std::string::npos);
  s().SettingsBlock.InteractiveOpt = 1.0;
  ExcelWatchXls();
  calc->Close();

  // Each watcher call attaches once, fails and stays quiet: no retry loop, no box.
  auto counting = std::make_shared<CountingConnector>(live);
  ss::SetConnector(counting);
  ExcelWatchXls();
  ExcelWatchXls();
  EXPECT_EQ(counting->attaches, 2);
  EXPECT_EQ(counting->failures, 2);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(Current(), data);

  // A load asks for the spreadsheet to be started, tries once more after OK, then keeps the data.
  counting->attaches = counting->failures = 0;
  Load(counting);
  EXPECT_EQ(counting->attaches, 2);
  EXPECT_EQ(counting->failures, 2);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].title, "Excel not running!");
  EXPECT_EQ(Current(), data);
}

// The real program started beside the running Calc, from a folder of its own, with a home folder of
// its own (where it writes its data file): its first load shows the specification of Calc's
// active cell.
TEST_F(LiveCalc, TheProgramBesideCalcShowsTheActiveSpecification) {
  calc->Do("open " + dir.File("loader.ods"));
  calc->Do("unmodified");
  StartProgram();
  calc->Do("select Orbit T3");
  // The header of the data file the program wrote, once it names the formula.
  EXPECT_TRUE(ProgramDataFileShows({"\tOrbit\t=MAX(A2:C6)+MAX(D2:D6)\t", "1004.0000000000"}))
      << test::TempDir::Read(ProgramDataFile());
  EndProgram();
  EXPECT_EQ(calc->Do("modified"), "0");
}

}  // namespace
}  // namespace vantrel::datastore
