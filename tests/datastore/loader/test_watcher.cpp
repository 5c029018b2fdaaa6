#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "tests/support/fake_services.h"
#include "tests/support/fake_sheet_link.h"
#include "datastore/load_queue.h"
#include "datastore/sheet_link.h"
#include "datastore/state.h"
#include "datastore/watcher.h"
#include "platform/runtime/rterror.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

// A spreadsheet reduced to what the watcher reads: one workbook's last window caption, its
// active sheet and its active cell's formula. Errors can be scripted per call name.
class ScriptedSheet : public FakeSheetLink {
 public:
  std::string caption = "Book1", sheet = "Orbit", formula = "=MAX(A2:C60)";
  bool hasWorkbook = true, visible = true, quitCalled = false;

  std::string Name() override { return Fail("Name"), "Spreadsheet"; }
  bool Visible() override { return visible; }
  void SetVisible(bool v) override { visible = v; }
  void Quit() override { quitCalled = true; }
  BookId ActiveWorkbook() override {
    Fail("ActiveWorkbook");
    if (!hasWorkbook) throw rt::RtError(rt::kErrNoObject);
    return 1;
  }
  std::string WorkbookName(BookId) override { return "Book1"; }
  std::string WindowCaption(BookId, int64_t) override { return Fail("WindowCaption"), caption; }
  std::string ActiveSheetName(BookId) override { return Fail("ActiveSheetName"), sheet; }
  std::string ActiveCellFormula(BookId) override { return Fail("ActiveCellFormula"), formula; }
};

class Watcher : public ::testing::Test {
 protected:
  Watcher() : main(std::make_shared<FakeMainWindow>()), scope(main) {
    SetSheetConnector([this]() -> std::shared_ptr<SheetLink> {
      if (!running) throw rt::RtError(rt::kErrCannotCreate);
      return sheet;
    });
    // A load reads the specification cell: LastFormula becomes its formula.
    SetLoadBody([this] {
      ++loads;
      s().LastFormula = specFormula;
    });
    s().ExcelUsed = 1;
    s().SettingsBlock.InteractiveOpt = 1.0;
  }
  ~Watcher() override {
    SetSheetConnector(nullptr);
    SetLoadBody(nullptr);
  }
  DataStore& s() { return scope.store(); }

  test::MsgBoxGuard msg;
  std::shared_ptr<ScriptedSheet> sheet = std::make_shared<ScriptedSheet>();
  bool running = true;
  int loads = 0;
  std::string specFormula = "=MAX(A2:C60)";
  std::shared_ptr<FakeMainWindow> main;
  ScopedStore scope;
};

TEST_F(Watcher, SequenceOfWorksheetChanges) {
  const struct {
    const char* what;
    const char* caption;
    const char* sheetName;
    const char* formula;
    const char* spec;  // the specification cell's formula at that time
    int loads;         // loads after this call
    const char* lastFormula;
  } steps[] = {
      {"first call", "Book1", "Orbit", "=MAX(A2:C60)", "=MAX(A2:C60)", 1, "=MAX(A2:C60)"},
      {"nothing changed", "Book1", "Orbit", "=MAX(A2:C60)", "=MAX(A2:C60)", 1, "=MAX(A2:C60)"},
      {"range edited", "Book1", "Orbit", "=MAX(A2:C80)", "=MAX(A2:C80)", 2, "=MAX(A2:C80)"},
      {"plain cell: pending", "Book1", "Orbit", "=A1+1", "=MAX(A2:C80)", 2, "=MAX(A2:C80)"},
      {"back to the specification", "Book1", "Orbit", "=MAX(A2:C80)", "=MAX(A2:C80)", 2, "=MAX(A2:C80)"},
      {"the same plain cell", "Book1", "Orbit", "=A1+1", "=MAX(A2:C80)", 2, "=MAX(A2:C80)"},
      {"another plain cell", "Book1", "Orbit", "=B2*3", "=MAX(A2:C80)", 3, "=B2*3"},
      {"another sheet", "Book1", "Notes", "=B2*3", "=MAX(A2:C80)", 4, "=B2*3"},
      {"another window", "Book2", "Notes", "=B2*3", "=MAX(A2:C80)", 5, "=B2*3"},
      {"still there", "Book2", "Notes", "=B2*3", "=MAX(A2:C80)", 5, "=B2*3"},
  };
  for (const auto& st : steps) {
    SCOPED_TRACE(st.what);
    sheet->caption = st.caption;
    sheet->sheet = st.sheetName;
    sheet->formula = st.formula;
    specFormula = st.spec;
    ExcelWatchXls();
    EXPECT_EQ(loads, st.loads);
    EXPECT_EQ(s().LastFormula, st.lastFormula);
    EXPECT_EQ(s().ExcelWatchState, 0);
  }
  EXPECT_TRUE(msg.boxes().boxes().empty());
}

TEST_F(Watcher, ReloadRequestReloadsAtOnceAndLeavesNoFormula) {
  ExcelWatchXls();
  ASSERT_EQ(loads, 1);
  s().SettingsBlock.ReloadRequest = 1.0;
  s().LoaderBusy = 1;
  s().CmdLineInfo.DataFileMode = 0;
  specFormula = "=MAX(A2:C60)";
  SetLoadBody([this] {
    ++loads;
    s().LastFormula = specFormula;
    s().SettingsBlock.ReloadRequest = 0;
  });
  ExcelWatchXls();
  EXPECT_EQ(loads, 2);
  EXPECT_EQ(s().LastFormula, "");
  EXPECT_EQ(s().SceneFitDone, 0);
  EXPECT_EQ(s().SourceMode, 0);
}

TEST_F(Watcher, StaysOutOfLoadsFilesAndTheDemo) {
  const struct {
    double excelUsed, busy, dataFileMode, sourceMode;
  } cases[] = {{0, 0, 0, 0}, {1, 1, 0, 0}, {1, 0, 1, 0}, {1, 0, 0, 1}, {1, 0, 0, 2}};
  for (const auto& c : cases) {
    s().Watcher = {};
    s().ExcelUsed = c.excelUsed;
    s().LoaderBusy = c.busy;
    s().CmdLineInfo.DataFileMode = static_cast<int>(c.dataFileMode);
    s().SourceMode = c.sourceMode;
    ExcelWatchXls();
    EXPECT_EQ(loads, 0);
  }
}

TEST_F(Watcher, WithoutASpreadsheetOnlyANewTypedSpecificationReloads) {
  running = false;
  ExcelWatchXls();
  EXPECT_EQ(loads, 0);
  s().UserSpecGiven = 1;
  s().UserSpecText = "=MAX(B2:D9)";
  ExcelWatchXls();
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(s().LastFormula, "=MAX(B2:D9)");
  ExcelWatchXls();
  EXPECT_EQ(loads, 1);
  EXPECT_TRUE(msg.boxes().boxes().empty());
}

TEST_F(Watcher, BusySpreadsheetEndsQuietly) {
  sheet->failures.emplace("WindowCaption", rt::RtError(50290, "busy"));
  ExcelWatchXls();
  EXPECT_EQ(loads, 0);
  EXPECT_TRUE(msg.boxes().boxes().empty());
  EXPECT_EQ(s().ExcelWatchState, 0);
}

TEST_F(Watcher, AnErrorBoxIsNeverStackedByLaterCalls) {
  sheet->failures.emplace("WindowCaption", rt::RtError(1004, "Rejected"));
  int callsWhileOpen = 0;
  msg.boxes().SetWhileOpen([&] {
    // The timer keeps ticking while the box is open.
    for (int i = 0; i < 3; ++i) {
      ++callsWhileOpen;
      ExcelWatchXls();
    }
  });
  ExcelWatchXls();
  EXPECT_EQ(callsWhileOpen, 3);
  ASSERT_EQ(msg.boxes().boxes().size(), 1u);
  EXPECT_EQ(msg.boxes().boxes()[0].text, "Rejected");
  EXPECT_EQ(msg.boxes().boxes()[0].title, "Error");
  EXPECT_EQ(msg.boxes().boxes()[0].style, 16);
  EXPECT_FALSE(WatcherBoxOpen());
  EXPECT_EQ(s().ExcelWatchState, 0);
}

TEST_F(Watcher, NoWorkbookAsksToQuitTheSpreadsheet) {
  const struct {
    bool visible;
    int answer;
    size_t boxes;
    bool quit;
    int loads;
    bool visibleAfter;
  } cases[] = {
      {false, forms::kOK, 0, false, 0, true},     // made visible, no box
      {true, forms::kOK, 1, true, 1, true},       // quit and reload
      {true, forms::kCancel, 2, false, 0, true},  // the help box
  };
  for (const auto& c : cases) {
    test::MsgBoxGuard boxes({c.answer});
    loads = 0;
    sheet = std::make_shared<ScriptedSheet>();
    sheet->hasWorkbook = false;
    sheet->visible = c.visible;
    ExcelWatchXls();
    EXPECT_EQ(boxes.boxes().boxes().size(), c.boxes);
    if (c.boxes) {
      EXPECT_EQ(boxes.boxes().boxes()[0].title, "Excel Still running in the memory");
      EXPECT_EQ(boxes.boxes().boxes()[0].text,
                "The Excel Worksheet do not answer. Do you want to quit Excel (recommended) ?");
    }
    if (c.boxes == 2) {
      EXPECT_EQ(boxes.boxes().boxes()[1].title, "Help");
      EXPECT_EQ(
          boxes.boxes().boxes()[1].text,
          "Close Excel or use  the keys \"Control+Alt+Supp\" and in the task window, terminate the process Excel");
    }
    EXPECT_EQ(sheet->quitCalled, c.quit);
    EXPECT_EQ(loads, c.loads);
    EXPECT_EQ(sheet->visible, c.visibleAfter);
    EXPECT_EQ(s().ExcelWatchState, 0);
  }
}

}  // namespace
}  // namespace vantrel::datastore
