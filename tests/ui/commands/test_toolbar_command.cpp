#include <QTest>
#include <QToolBar>

#include "command_fixture.h"
#include "ui/toolbar_layout.h"
#include "tests/support/wait_window.h"

namespace vantrel::ui::test {
namespace {

class ToolbarCommandTest : public CommandsTest {
 protected:
  // Spends the first call of the run (it turns any key into the ISO command) and clears the log.
  void Started() {
    std::string key;
    w->toolbar.ToolbarCommand(key);
    w->editStates.clear();
    w->cameraCalls.clear();
  }
  std::vector<long> Run(std::string key) {
    w->editStates.clear();
    w->toolbar.ToolbarCommand(key);
    return w->editStates;
  }
};

// Each word puts its mode, then the mouse tool in force is put back (pan until a tool word).
TEST_F(ToolbarCommandTest, EachWordPutsItsModeThenTheCurrentTool) {
  struct Case {
    const char* key;
    std::vector<long> states;
  };
  const Case cases[] = {
      {"zminus", {13, 8}},
      {"zplus", {14, 8}},
      {"dolly", {7, 8}},
      {"orbit", {9, 8}},
      {"pitch", {10, 8}},
      {"yaw", {11, 8}},
      {"roll", {12, 8}},
      {"move", {2, 8}},
      {"rotate", {3, 8}},
      {"scale", {5, 8}},
      {"arcrotate", {4, 8}},
      {"lightback", {15, 8}},
      {"stop", {16, 8}},
      {"frozenstart", {17, 8}},
      {"vanexxyz", {8}},
      {"vanexxy", {8}},
      {"imagespot", {8}},
      {"movieframes", {8}},
      // Words are case-sensitive: a word of another case runs nothing but the re-send.
      {"Pan", {8}},
      {"ZOOM", {8}},
      {"", {8}},
      {"unknown", {8}},
  };
  Started();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(Run(c.key), c.states);
  }
}

TEST_F(ToolbarCommandTest, ToolWordsChangeTheToolPutBackAfterEveryCommand) {
  Started();
  EXPECT_EQ(Run("select"), (std::vector<long>{1, 1}));
  EXPECT_EQ(Run("zminus"), (std::vector<long>{13, 1}));
  EXPECT_EQ(Run("zoom"), (std::vector<long>{6, 6}));
  EXPECT_EQ(Run("roll"), (std::vector<long>{12, 6}));
  EXPECT_EQ(Run("pan"), (std::vector<long>{8, 8}));
  EXPECT_EQ(w->toolbar.ToolRadio, (std::array<double, 6>{0, 1, 0, 0, 0, 0}));
}

TEST_F(ToolbarCommandTest, FirstCallTurnsAnyKeyIntoTheIsoCommandWithZUpAndForce) {
  std::string key = "zminus";
  w->toolbar.ToolbarCommand(key);
  EXPECT_EQ(key, "vanexxyz");
  EXPECT_EQ(w->cameraCalls, (std::vector<CameraCall>{{"isonew", 3, 1}}));
  EXPECT_EQ(w->editStates, (std::vector<long>{8}));  // no zoom-out, the pan tool
  // The next plain click passes the axis without the force flag.
  w->Click(*w->Toolbar1, "vanexxyz");
  EXPECT_EQ(w->cameraCalls.back(), (CameraCall{"isonew", 3, 0}));
}

TEST_F(ToolbarCommandTest, AxisKeysSetTheVerticalAxisAndForceTheIsoCommand) {
  Started();
  struct Case {
    int code;
    double axis;
  };
  for (const Case& c : {Case{88, 1}, Case{120, 1}, Case{89, 2}, Case{121, 2}, Case{90, 3}, Case{122, 3}}) {
    SCOPED_TRACE(c.code);
    MainShared().LastKeyCode = c.code;
    std::string key;  // the key handler's call
    w->toolbar.ToolbarCommand(key);
    EXPECT_EQ(key, "vanexxyz");
    EXPECT_EQ(w->cameraCalls.back(), (CameraCall{"isonew", c.axis, 1}));
  }
  // After the key is up, a click keeps the axis of the last key, without force.
  MainShared().LastKeyCode = 88;
  std::string key;
  w->toolbar.ToolbarCommand(key);
  MainShared().LastKeyCode = 0;
  w->Click(*w->Toolbar1, "vanexxyz");
  EXPECT_EQ(w->cameraCalls.back(), (CameraCall{"isonew", 1, 0}));
  // Other keys run nothing but the re-send.
  MainShared().LastKeyCode = 65;
  const size_t before = w->cameraCalls.size();
  EXPECT_EQ(Run(""), (std::vector<long>{8}));
  EXPECT_EQ(w->cameraCalls.size(), before);
}

TEST_F(ToolbarCommandTest, ModifierKeysStepTheViewsBackward) {
  Started();
  struct Case {
    int shift;
    const char* key;
    CameraCall call;
  };
  const Case cases[] = {
      {0, "vanexxyz", {"isonew", 3, 0}},     {1, "vanexxyz", {"isonewPlus", 2, 0}},
      {2, "vanexxyz", {"isonewPlus", 2, 0}}, {4, "vanexxyz", {"isonewPlus", 2, 0}},
      {0, "vanexxy", {"proj", 2, 0}},        {2, "vanexxy", {"projinverse", 2, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " shift " + std::to_string(c.shift));
    MainShared().LastShift = c.shift;
    Run(c.key);
    EXPECT_EQ(w->cameraCalls.back(), c.call);
  }
}

TEST_F(ToolbarCommandTest, EveryCallEndsAReloadRequest) {
  for (const char* key : {"pan", "nothing", ""}) {
    st().SettingsBlock.ReloadRequest = 1.0;
    Run(key);
    EXPECT_EQ(st().SettingsBlock.ReloadRequest, 0) << key;
  }
}

TEST_F(ToolbarCommandTest, FrozenStartHoldsThenLetsThePlotGrowFromTheHeldRow) {
  Started();
  w->currentRow = 1234;
  w->Click(*w->Toolbar1, "frozenstart");
  ASSERT_EQ(w->rowCalls.size(), 1u);
  EXPECT_EQ(w->rowCalls[0].first, -1);
  EXPECT_EQ(w->Text3->Text(), "Redraw Start 1234");
  EXPECT_EQ(st().AnimState, 1);
  EXPECT_EQ(w->toolbar.FrozenStartArmed, 1);

  st().AnimState = 0;
  w->log.clear();
  w->Click(*w->Toolbar1, "frozenstart");
  EXPECT_EQ(w->log, (std::vector<std::string>{"HScroll1_Change 10000"}));
  EXPECT_EQ(st().AnimState, 1);  // held for the slider's handler, which moves it to the row
  EXPECT_EQ(w->toolbar.FrozenStartArmed, 0);
  EXPECT_EQ(w->rowCalls.size(), 1u);
}

TEST_F(ToolbarCommandTest, StopTogglesTheRotationByTheSharedTag) {
  Started();
  Run("stop");
  EXPECT_TRUE(w->animationRunning);
  EXPECT_EQ(w->viewTag, "Animate");
  Run("stop");
  EXPECT_FALSE(w->animationRunning);
  EXPECT_EQ(w->viewTag, "");
  // The view's double-click emptied the tag: the next stop starts the rotation again.
  Run("stop");
  w->viewTag = "";
  Run("stop");
  EXPECT_TRUE(w->animationRunning);
  EXPECT_EQ(w->viewTag, "Animate");
  EXPECT_EQ(w->animationUpdates, 4);
}

TEST_F(ToolbarCommandTest, MovieFramesRunsTheMenuCommandAndTogglesMovieArmed) {
  Started();
  for (double expected : {1.0, 0.0, 1.0}) {
    w->log.clear();
    Run("movieframes");
    EXPECT_EQ(w->log, (std::vector<std::string>{"mnuFMovieSaveAs_Click"}));
    EXPECT_EQ(st().SettingsBlock.MovieArmed, expected);
  }
  // A value other than 1.0 (a movie window that stopped halfway) arms it.
  st().SettingsBlock.MovieArmed = 0.5;
  Run("movieframes");
  EXPECT_EQ(st().SettingsBlock.MovieArmed, 1.0);
  w->log.clear();
  Run("imagespot");
  EXPECT_EQ(w->log, (std::vector<std::string>{"mnuFSaveAs_Click"}));
}

TEST_F(ToolbarCommandTest, AMissingViewSkipsEveryStatementAndTheToolStillChanges) {
  w->viewMissing = true;
  for (const char* key : {"", "zoom", "stop", "frozenstart", "vanexxy", "movieframes"}) {
    std::string k = key;
    EXPECT_NO_THROW(w->toolbar.ToolbarCommand(k)) << key;
  }
  EXPECT_EQ(w->toolbar.ToolRadio[2], 1);
  EXPECT_EQ(w->Text3->Text().rfind("Redraw Start", 0), 0u);
  EXPECT_EQ(st().SettingsBlock.MovieArmed, 1.0);
}

TEST_F(ToolbarCommandTest, EmptyImageFolderTakesTheUserDataFolder) {
  w->toolbar.SetImageDirectory();
  const std::string folder = view::UserDataFolder().string() + "/";
  EXPECT_EQ(st().WorkDir, folder);
  EXPECT_EQ(w->Text6->Text(), folder);
  EXPECT_TRUE(std::filesystem::is_directory(view::UserDataFolder()));
  EXPECT_EQ(w->Toolbar1->Button("imagespot").ToolTipText(), "Save Image " + folder);

  w->Text6->SetText("/tmp/shots");
  w->toolbar.SetImageDirectory();
  EXPECT_EQ(st().WorkDir, "/tmp/shots");  // taken as typed
  EXPECT_EQ(w->Toolbar1->Button("imagespot").ToolTipText(), "Save Image /tmp/shots");
}

TEST_F(ToolbarCommandTest, LayoutIsKeptUnderTheUserKeyAndRefreshesTheImageTip) {
  MainShared().UserName = "ada";
  EXPECT_EQ(ToolbarLayoutKey(), "UserVantrelada");
  auto layouts = std::make_shared<forms::MemoryLayoutStore>();
  forms::SetLayoutStore(layouts);
  w->Text6->SetText("/tmp/x/");
  w->toolbar.SaveToolbarLayout();
  QCoreApplication::processEvents();
  EXPECT_FALSE(layouts->Read("UserVantrelada", "ToolBars", "5").empty());
  EXPECT_EQ(st().WorkDir, "/tmp/x/");
  EXPECT_EQ(w->Toolbar1->Button("imagespot").ToolTipText(), "Save Image /tmp/x/");
}

// The bar moved to the left edge is saved by its change event and comes back in the next run,
// where only the settings store remains.
TEST_F(ToolbarCommandTest, MovedToolbarComesBackAfterARestart) {
  MainShared().UserName = "ada";
  forms::SetLayoutStore(std::make_shared<SettingsToolbarLayouts>());
  auto bar = [](FakeMain& m) { return static_cast<QToolBar*>(m.Toolbar1->widget()); };
  w->show();
  ASSERT_TRUE(vantrel::test::WaitForWindowExposed(w.get()));
  ASSERT_EQ(w->toolBarArea(bar(*w)), Qt::TopToolBarArea);
  w->addToolBar(Qt::LeftToolBarArea, bar(*w));  // orientation changes: the bar's Change event
  QCoreApplication::processEvents();
  EXPECT_NE(Stored("Toolbars", "UserVantrelada.ToolBars.5"), "<none>");
  w.reset();

  forms::SetLayoutStore(std::make_shared<SettingsToolbarLayouts>());
  w = std::make_unique<FakeMain>();
  w->show();
  ASSERT_TRUE(vantrel::test::WaitForWindowExposed(w.get()));
  EXPECT_EQ(w->toolBarArea(bar(*w)), Qt::TopToolBarArea);
  EXPECT_TRUE(w->toolbar.RestoreToolbarLayout());
  EXPECT_EQ(w->toolBarArea(bar(*w)), Qt::LeftToolBarArea);
  EXPECT_EQ(w->toolBarArea(static_cast<QToolBar*>(w->ToolBoptions->widget())), Qt::TopToolBarArea);

  // Nothing saved for another user: nothing moves.
  MainShared().UserName = "bob";
  w = std::make_unique<FakeMain>();
  EXPECT_FALSE(w->toolbar.RestoreToolbarLayout());
  EXPECT_EQ(w->toolBarArea(bar(*w)), Qt::TopToolBarArea);
}

}  // namespace
}  // namespace vantrel::ui::test
