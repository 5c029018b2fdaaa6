#include <QAction>
#include <QMenu>

#include "command_fixture.h"
#include "ui/main_window.h"

namespace vantrel::ui::test {
namespace {

using MenusTest = CommandsTest;

struct Item {
  int depth;
  std::string caption;
  int enabled;  // 1 on, 0 off at start, -1 either (follows interactive mode)
  bool operator==(const Item&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Item& i) {
  return o << i.depth << " '" << i.caption << "' " << i.enabled;
}

void Walk(const QList<QAction*>& actions, int depth, std::vector<Item>& out) {
  for (QAction* a : actions) {
    out.push_back({depth, a->isSeparator() ? "-" : a->text().toStdString(), a->isEnabled() ? 1 : 0});
    if (a->menu()) Walk(a->menu()->actions(), depth + 1, out);
  }
}

// The main window's menu bar, captions typos included, with the items that are off at start.
TEST_F(MenusTest, MainWindowMenuTreeHasTheCaptionsInMenuOrder) {
  const std::vector<Item> expected = {
      {0, "&File", 1},
      {1, "&Open *.vnx files", 1},
      {1, "&SaveImage", 1},
      {1, "&MovieFrames", 1},
      {1, "&To run in PowerPoint", 1},
      {1, "-", 1},
      {1, "&Options", 1},
      {1, "&Print", 0},
      {1, "-", 1},
      {1, "E&xit", 1},
      {0, "&Edit", 0},
      {1, "&Move", 1},
      {1, "&Rotate", 1},
      {1, "&Scale", 1},
      {1, "-", 1},
      {1, "&Delete", 1},
      {1, "-", 1},
      {1, "&Properties", 1},
      {0, "&OptionsInteractive", -1},
      {1, "&Interactive", -1},
      {0, "&View", 1},
      {1, "&Grid", 1},
      {1, "&Camera", 0},
      {1, "&Reset", 0},
      {1, "-", 1},
      {1, "&View", 1},
      {2, "&Perspecdtive", 0},
      {2, "&Top", 0},
      {2, "&Left", 0},
      {2, "&Front", 0},
      {0, "&Help", 1},
      {1, "&Contents", 1},
      {1, "-", 1},
      {1, "&About", 1},
      {0, "&UpdateExcel", 1},
  };
  MainWindowOptions options;
  options.withViewControl = false;
  MainWindow main(options);
  std::vector<Item> got;
  Walk(main.menuBar()->actions(), 0, got);
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) {
    Item e = expected[i];
    if (e.enabled < 0) e.enabled = got[i].enabled;
    EXPECT_EQ(got[i], e) << "item " << i;
  }
}

TEST_F(MenusTest, AboutEndsWithTheReleaseDigits) {
  MainShared().VersionDigits = VersionDigitsOf(2, 8, 6);
  w->menus.mnuHAbout_Click();
  ASSERT_EQ(boxes.boxes().boxes().size(), 1u);
  const auto& box = boxes.boxes().boxes()[0];
  const std::string tail = "\n\nRelease Vantrel: 002008006";
  ASSERT_GE(box.text.size(), tail.size());
  EXPECT_EQ(box.text.substr(box.text.size() - tail.size()), tail);
  EXPECT_EQ(box.style, 64);
  EXPECT_EQ(box.title.rfind("Vantrel, ", 0), 0u);
}

TEST_F(MenusTest, TwoGridClicksLeaveGridsAndItsMarkAsBefore) {
  w->menus.mnuVGrids_Click();
  EXPECT_TRUE(w->grids);
  EXPECT_TRUE(w->mnuVGrids->Checked());
  w->menus.mnuVGrids_Click();
  EXPECT_FALSE(w->grids);
  EXPECT_FALSE(w->mnuVGrids->Checked());
  EXPECT_EQ(w->redraws, 2);
}

TEST_F(MenusTest, ResetLooksDownTheZAxisWithYUp) {
  w->menus.mnuVReset_Click();
  EXPECT_EQ(w->lookAt, (std::vector<float>{0, 0, 0, 0, 0, -1, 0, 1, 0}));
  EXPECT_EQ(w->redraws, 1);
}

TEST_F(MenusTest, InteractiveItemTogglesTheInteractiveBox) {
  w->menus.mnuOinteractive_Click();
  EXPECT_EQ(w->Check1(7).Value(), 1);
  w->menus.mnuOinteractive_Click();
  EXPECT_EQ(w->Check1(7).Value(), 0);
  EXPECT_EQ(w->log, (std::vector<std::string>{"Check1_Click(7)", "Check1_Click(7)"}));
}

TEST_F(MenusTest, OptionsShowsThePanel) {
  w->menus.mnuFOptions_Click();
  EXPECT_TRUE(w->Options->Visible());
}

TEST_F(MenusTest, ExitShowsOnlyUnexpectedErrors) {
  struct Case {
    int error;
    size_t boxes;
  };
  for (const Case& c : {Case{0, 0}, Case{53, 0}, Case{52, 0}, Case{5, 0}, Case{7, 1}}) {
    SCOPED_TRACE(c.error);
    vantrel::test::MsgBoxGuard guard;
    w->unloadError = c.error;
    w->menus.mnuFExit_Click();
    ASSERT_EQ(guard.boxes().boxes().size(), c.boxes);
    if (c.boxes) {
      EXPECT_EQ(guard.boxes().boxes()[0].text, "Failure 7");
      EXPECT_EQ(guard.boxes().boxes()[0].style, 16);
      EXPECT_EQ(guard.boxes().boxes()[0].title, "Error");
    }
  }
}

TEST_F(MenusTest, UpdateExcelLeavesInteractiveAndDataFileModeAndReloadsAtOnce) {
  w->Check1(7).SetValue(1);
  st().SettingsBlock.InteractiveOpt = 1.0;
  st().CmdLineInfo.DataFileMode = 1;
  w->Text14->SetVisible(true);
  w->log.clear();
  std::vector<std::pair<int, double>> loads;  // data-file mode and reload request at each start
  datastore::SetLoadBody([&] {
    loads.emplace_back(st().CmdLineInfo.DataFileMode, st().SettingsBlock.ReloadRequest);
    w->log.push_back("load");
    st().SettingsBlock.ReloadRequest = 0;
  });
  w->menus.mnuUpdateExcel_Click();
  EXPECT_FALSE(w->mnuOptions->Enabled());
  EXPECT_FALSE(w->mnuOinteractive->Enabled());
  EXPECT_EQ(w->Check1(7).Value(), 0);
  EXPECT_FALSE(w->Text14->Visible());
  EXPECT_EQ(st().CmdLineInfo.DataFileMode, 0);
  EXPECT_EQ(loads, (std::vector<std::pair<int, double>>{{0, 1.0}}));
  EXPECT_EQ(w->log, (std::vector<std::string>{"Check1_Click(7)", "load", "Form_Activate"}));
}

// Asked for while a data-file load runs: that load keeps its mode and flags, and the reload
// from the worksheet runs once it has returned, never inside it.
TEST_F(MenusTest, UpdateExcelDuringALoadWaitsForItInTheQueue) {
  st().CmdLineInfo.DataFileMode = 1;
  st().SceneFitDone = 1;
  int depth = 0, deepest = 0;
  std::vector<std::pair<int, double>> loads;
  std::pair<int, double> afterClick{};
  datastore::SetLoadBody([&] {
    deepest = std::max(deepest, ++depth);
    loads.emplace_back(st().CmdLineInfo.DataFileMode, st().SettingsBlock.ReloadRequest);
    if (loads.size() == 1) {
      w->menus.mnuUpdateExcel_Click();
      afterClick = {st().CmdLineInfo.DataFileMode, st().SceneFitDone};
    }
    st().SettingsBlock.ReloadRequest = 0;
    --depth;
  });
  datastore::RequestLoad();
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(afterClick, (std::pair<int, double>{1, 1}));
  EXPECT_EQ(loads, (std::vector<std::pair<int, double>>{{1, 0}, {0, 1.0}}));
  EXPECT_EQ(st().SceneFitDone, 0);
  EXPECT_FALSE(w->Text14->Visible());
}

}  // namespace
}  // namespace vantrel::ui::test
