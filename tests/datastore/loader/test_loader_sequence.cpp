#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "datastore/display_pass.h"
#include "datastore/load_queue.h"
#include "datastore/recent_specs.h"
#include "loader_harness.h"

namespace vantrel::datastore {
namespace {

// A data file of two points at (x, 0, 0) and (x, 1, 0) in metres.
std::string DataFile(int x, const std::string& title = "Vantrel") {
  return "From: \tBook1\tSheet1\t=MAX(A2:C3)\t1.0000000000\t" + title +
         "\tDate 2024/03/05 14:07:09\tVantrel data file 2024\t" + std::string(16, '\t') + "\r\n" + std::to_string(x) +
         "\t0\t0" + std::string(14, '\t') + "\r\n" + std::to_string(x) + "\t1\t0" + std::string(14, '\t') + "\r\n\r\n";
}

const char* kNotRunning = "You can open your Excel speadsheet NOW, and after click on OK.  \r\n"
                          "Else, click on Cancel to show, if exist, the previous plot, or the original demo.";

size_t Index(const std::vector<std::string>& calls, const std::string& c, size_t from = 0) {
  auto it = std::find(calls.begin() + static_cast<long>(from), calls.end(), c);
  return static_cast<size_t>(it - calls.begin());
}

TEST_F(LoaderTest, DataFileModeAndTheDemoMakeNoSpreadsheetCall) {
  const std::string named = dir.Write("trip.vnx", DataFile(5000));
  dir.Write("VantrelDemo.vnx", DataFile(7000));
  const struct {
    const char* what;
    int dataFileMode;
    double sourceMode;
    double x0;
    size_t boxes;  // the reader's "Demo default" box for the demo
  } cases[] = {
      {"command line", 1, 0, 5, 0},
      {"named file", 0, 2, 5, 0},
      {"demo", 0, 1, 7, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::MsgBoxGuard box;
    s().CmdLineInfo.DataFileMode = c.dataFileMode;
    s().CmdLineInfo.DataFilePath = named;
    s().SourceMode = c.sourceMode;
    s().ExcelUsed = 0;
    LoadExcelDataXls();
    EXPECT_EQ(connector->attaches, 0);
    ASSERT_EQ(box.boxes().boxes().size(), c.boxes);
    if (c.boxes) {
      EXPECT_EQ(box.boxes().boxes()[0].title, "Demo default");
    }
    EXPECT_EQ(s().ExcelUsed, 0);
    EXPECT_EQ(s().LastDataRow, 1);
    EXPECT_EQ(s().DataTable.Get(0, 1), c.x0);
    EXPECT_EQ(s().SettingsBlock.LoadDone, 1.0);
  }
  // The association runs at every load, its records are written once.
  EXPECT_EQ(platform::GetSetting(platform::kSettingsApp, "App", "associateEXT"), ".vnx");
  EXPECT_EQ(settings->writes(), 2);
}

TEST_F(LoaderTest, EndOfALoadInItsOrder) {
  dir.Write("_Vantrel.vnx", DataFile(1000));
  s().CmdLineInfo.DataFileMode = 1;
  s().CmdLineInfo.DataFilePath = CurrentFile();
  main->text9 = "  MAX ";
  main->hscroll2 = 4;
  double busyAtResize = -1, loadDoneAtCamera = -1, reloadAtResize = -1;
  main->onFormResize = [&] {
    busyAtResize = s().LoaderBusy;
    reloadAtResize = s().SettingsBlock.ReloadRequest;
  };
  main->handlers["HScroll2"] = [&] { s().STEPPT = 512; };
  view->onCameraSet = [&](const FakeView::Call&) { loadDoneAtCamera = s().SettingsBlock.LoadDone; };
  s().SettingsBlock.ReloadRequest = 1.0;
  LoadExcelDataXls();

  EXPECT_EQ(s().StringSettings.FormulaKeyWord, "MAX");
  const auto& calls = main->calls;
  const size_t start = Index(calls, "Command2_Click");
  const size_t shown = Index(calls, "ProgressBar1.Visible=1");
  const size_t resize = Index(calls, "Form_Resize");
  const size_t hidden = Index(calls, "ProgressBar1.Visible=0", resize);
  const size_t slider = Index(calls, "HScroll2.Value=9");
  const size_t close = Index(calls, "Command2_Click", start + 1);
  EXPECT_LT(start, shown);
  EXPECT_LT(shown, resize);
  EXPECT_LT(resize, hidden);
  EXPECT_LT(hidden, slider);
  EXPECT_LT(slider, close);
  EXPECT_LT(close, calls.size());
  EXPECT_EQ(busyAtResize, 1);
  EXPECT_EQ(reloadAtResize, 0);
  ASSERT_EQ(view->cameraSets.size(), 2u);
  for (const auto& c : view->cameraSets) {
    EXPECT_EQ(c.mode, "isonew");
    EXPECT_EQ(c.a, 2);
    EXPECT_EQ(c.b, 0);
  }
  EXPECT_EQ(loadDoneAtCamera, 0);
  EXPECT_EQ(s().STEPPT, 512);
  EXPECT_EQ(s().LoaderBusy, 0);
  EXPECT_EQ(s().ResizeDone, 1);
  EXPECT_EQ(s().SettingsBlock.LoadDone, 1.0);
}

// The reader's last steps and the display pass run without a pass of the event loop, and the
// layout at the end repaints the whole window: a pass comes between, so the two do not add up to
// one long stretch.
TEST_F(LoaderTest, TheWindowRunsAPassBetweenTheDisplayPassAndTheLayout) {
  dir.Write("_Vantrel.vnx", DataFile(1000));
  s().CmdLineInfo.DataFileMode = 1;
  s().CmdLineInfo.DataFilePath = CurrentFile();
  SetLoaderSteps({nullptr, [&](DataStore&, LoadWork& w) {
                    DisplayPass(w);
                    main->calls.push_back("display pass");
                  }});
  LoadExcelDataXls();
  SetLoaderSteps({});
  const auto& calls = main->calls;
  const size_t display = Index(calls, "display pass");
  const size_t resize = Index(calls, "Form_Resize", display);
  ASSERT_LT(resize, calls.size());
  EXPECT_LT(Index(calls, "DoEvents", display), resize);
}

TEST_F(LoaderTest, NoSpreadsheetGivesOneBoxAndOneRetry) {
  const struct {
    int answer;
    int attaches;
  } cases[] = {{forms::kCancel, 1}, {forms::kOK, 2}};
  for (const auto& c : cases) {
    test::MsgBoxGuard box({c.answer});
    connector->attaches = 0;
    dir.Write("_Vantrel.vnx", DataFile(3000));
    LoadExcelDataXls();
    EXPECT_EQ(connector->attaches, c.attaches);
    ASSERT_EQ(box.boxes().boxes().size(), 1u);
    EXPECT_EQ(box.boxes().boxes()[0].text, kNotRunning);
    EXPECT_EQ(box.boxes().boxes()[0].title, "Excel not running!");
    EXPECT_EQ(box.boxes().boxes()[0].style, 1);
    // The previous data file is shown; the watcher keeps looking for the spreadsheet.
    EXPECT_EQ(s().DataTable.Get(0, 1), 3);
    EXPECT_EQ(s().ExcelUsed, 1);
    EXPECT_EQ(s().SettingsBlock.LoadDone, 1.0);
  }
}

TEST_F(LoaderTest, OkAfterStartingTheSpreadsheetLoadsFromIt) {
  msg.boxes().SetWhileOpen([&] { Run("loader.xlsx", 0, 2, 20); });
  LoadExcelDataXls();
  EXPECT_EQ(connector->attaches, 2);
  EXPECT_EQ(s().LastDataRow, 4);
  EXPECT_EQ(s().LastFormula, "=MAX(A2:C6)");
}

TEST_F(LoaderTest, ALoadAskedForInsideALoadRunsAfterIt) {
  dir.Write("_Vantrel.vnx", DataFile(1000));
  const std::string named = dir.Write("trip.vnx", DataFile(5000));
  s().CmdLineInfo.DataFileMode = 1;
  s().CmdLineInfo.DataFilePath = CurrentFile();
  int resizes = 0;
  std::vector<double> firstRowAtResize;
  main->onFormResize = [&] {
    ++resizes;
    firstRowAtResize.push_back(s().DataTable.Get(0, 1));
    if (resizes == 1) {
      // File Open while the first load lets the event loop run, then a repeated activation.
      RequestLoad([&] { s().CmdLineInfo.DataFilePath = named; });
      LoadExcelDataXls();
      EXPECT_EQ(resizes, 1);  // nothing ran inside
      EXPECT_EQ(s().CmdLineInfo.DataFilePath, CurrentFile());
      EXPECT_EQ(QueuedLoads(), 2u);
    }
  };
  LoadExcelDataXls();
  EXPECT_EQ(resizes, 3);
  EXPECT_EQ(firstRowAtResize, (std::vector<double>{1, 5, 5}));
  EXPECT_FALSE(LoadRunning());
  EXPECT_EQ(QueuedLoads(), 0u);
  EXPECT_EQ(s().SettingsBlock.LoadDone, 1.0);
}

TEST_F(LoaderTest, NoWorkbookOpenSetsTheDemoTagAndReadsThePreviousFile) {
  connector->app = spreadsheet::model::App::Create();
  dir.Write("_Vantrel.vnx", DataFile(3000));
  LoadExcelDataXls();
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(main->command6Tag, "demo");
  EXPECT_EQ(s().DataTable.Get(0, 1), 3);
  EXPECT_EQ(s().LastFormula, "");
}

class TypedSpecification : public LoaderTest {
 protected:
  TypedSpecification() {
    // The active sheet holds no keyword.
    Run("loader.xlsx", 1, 1, 1);
    dir.Write("_Vantrel.vnx", DataFile(3000));
  }
  int passes = 0;
};

TEST_F(TypedSpecification, PromptWaitsForTheTypedText) {
  main->onDoEvents = [&] {
    if (++passes == 5) {
      s().UserSpecText = "=MAX(A1:C2)";
      s().UserSpecGiven = 1;
    }
  };
  LoadExcelDataXls();
  EXPECT_GE(passes, 5);
  EXPECT_EQ(main->textTempo,
            "Please enter the specification of the range of cells like \"=MAX(A2:C60)\" in the blue scroll "
            "textbox and  press the Enter Key.");
  EXPECT_FALSE(main->textTempoVisible);
  EXPECT_FALSE(main->command6Visible);
  EXPECT_EQ(main->Count("Combo1_GotFocusRoutine"), 1);
  EXPECT_EQ(s().LastFormula, "=MAX(A1:C2)");
  EXPECT_EQ(RecentSpecs()[0], "=MAX(A1:C2)");
  // The typed ranges were gathered from the active sheet: A1 holds a text, B2 the number 5.
  const std::string file = ReadCurrent();
  EXPECT_NE(file.find("\r\nnothing here\t\t\t"), std::string::npos);
  EXPECT_NE(file.find("\r\n\t5.0000000000\t\t"), std::string::npos);
  EXPECT_EQ(s().LastDataRow, 1);
  EXPECT_TRUE(boxes().empty());
}

// A later wait (a specification was typed or a prompt shown before) shows the prompt and the
// button too: without them nothing tells the user the load waits.
TEST_F(TypedSpecification, ALaterWaitShowsThePromptAndRunDemoAgain) {
  s().UserSpecGiven = 1;
  bool promptShown = false, buttonShown = false;
  main->onDoEvents = [&] {
    if (++passes == 3) {
      promptShown = main->textTempoVisible && !main->textTempo.empty();
      buttonShown = main->command6Visible;
      main->command6Tag = "demo";
    }
  };
  LoadExcelDataXls();
  EXPECT_TRUE(promptShown);
  EXPECT_TRUE(buttonShown);
  EXPECT_FALSE(main->textTempoVisible);
  EXPECT_FALSE(main->command6Visible);
  EXPECT_EQ(s().UserSpecGiven, 1);
}

TEST_F(TypedSpecification, RunDemoEndsTheWaitAndTheInformationBoxFollows) {
  main->onDoEvents = [&] {
    if (++passes == 3) main->command6Tag = "demo";
  };
  LoadExcelDataXls();
  EXPECT_EQ(s().LastFormula, "");
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].title, "Information");
  EXPECT_EQ(boxes()[0].text,
            "Warning: an Excel sheet may already be open without a correct specification for Vantrel:    "
            "   . You should open only the one with a correct specification or you can write or use a previous "
            "specification in the scolling textbox");
  EXPECT_EQ(s().DataTable.Get(0, 1), 3);
}

TEST_F(TypedSpecification, QuittingEndsTheWaitAndTheLoad) {
  s().SettingsBlock.LoadDone = 1.0;
  main->onDoEvents = [&] {
    if (++passes == 3) NotifyQuit();
  };
  LoadExcelDataXls();
  EXPECT_LT(passes, 10);
  EXPECT_EQ(s().LoaderBusy, 0);
  EXPECT_FALSE(main->textTempoVisible);
  EXPECT_TRUE(view->cameraSets.empty());
  EXPECT_EQ(ReadCurrent(), DataFile(3000));
}

TEST_F(TypedSpecification, FileOpenDuringTheWaitTakesOver) {
  const std::string named = dir.Write("trip.vnx", DataFile(5000));
  main->onDoEvents = [&] {
    if (++passes == 3)
      RequestLoad([&] {
        s().CmdLineInfo.DataFileMode = 1;
        s().CmdLineInfo.DataFilePath = named;
      });
  };
  LoadExcelDataXls();
  EXPECT_LT(passes, 10);
  EXPECT_TRUE(boxes().empty());
  EXPECT_FALSE(main->textTempoVisible);
  EXPECT_EQ(s().DataTable.Get(0, 1), 5);
  EXPECT_EQ(view->cameraSets.size(), 2u);  // only the File Open load reached its end
  EXPECT_EQ(s().SettingsBlock.LoadDone, 1.0);
}

TEST_F(TypedSpecification, TheWaitSleepsBetweenItsLooks) {
  const double t0 = clock.clock().Monotonic();
  main->onDoEvents = [&] {
    if (++passes == 40) main->command6Tag = "demo";
  };
  LoadExcelDataXls();
  // Each look sleeps: about twenty looks took at least a second of the clock.
  EXPECT_GT(clock.clock().Monotonic() - t0, 1.0);
}

}  // namespace
}  // namespace vantrel::datastore
