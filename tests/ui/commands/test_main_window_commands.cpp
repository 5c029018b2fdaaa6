// The command units wired on the real main window, after its start-up, with its own view object
// (no view control).

#include <QMenu>

#include "command_fixture.h"
#include "ui/main_commands_host.h"
#include "ui/main_window.h"
#include "view/class_gl.h"

namespace vantrel::ui::test {
namespace {

class MainCommandsTest : public CommandsTest {
 protected:
  MainCommandsTest() {
    datastore::SetLoadBody([] {});
    MainWindowOptions o;
    o.withViewControl = false;
    main = std::make_unique<MainWindow>(std::move(o));
    main->Form_Load();
    commands = std::make_unique<MainWindowCommands>(*main);
    commands->Connect();
  }
  ~MainCommandsTest() override {
    commands.reset();
    main.reset();
  }
  void Click(forms::Toolbar& bar, const std::string& key) { bar.Button(key).action()->trigger(); }

  vantrel::test::LocaleGuard locale{".", ","};
  std::unique_ptr<MainWindow> main;
  std::unique_ptr<MainWindowCommands> commands;
};

TEST_F(MainCommandsTest, ViewToolbarButtonsReachTheViewObject) {
  view::ClassGl& v = *main->GlInstance;
  ASSERT_EQ(v.OrthoZoom, 100);     // taken at the start-up's pan tool
  Click(*main->Toolbar1, "zoom");  // the first command of the run is the ISO view
  EXPECT_EQ(v.EditState, 8);
  Click(*main->Toolbar1, "zoom");
  EXPECT_EQ(v.EditState, 6);
  Click(*main->Toolbar1, "zminus");
  EXPECT_EQ(v.OrthoZoom, 300);
  EXPECT_EQ(v.EditState, 6);
  Click(*main->Toolbar1, "select");
  EXPECT_EQ(v.EditState, 1);
  // Without a view control the rotation toggle and its tag are passed over.
  EXPECT_NO_THROW(Click(*main->Toolbar1, "stop"));
  EXPECT_EQ(v.EditState, 1);
}

TEST_F(MainCommandsTest, OptionToolbarRunsTheBoxHandlersOfThePanel) {
  Click(*main->ToolBoptions, "optSat");
  EXPECT_EQ(main->Check3->Value(), 1);
  EXPECT_EQ(st().SettingsBlock.OptSatellite, 1);  // the box's own handler
  EXPECT_TRUE(main->HScroll10->Visible());
  Click(*main->ToolBoptions, "optOpt");
  EXPECT_TRUE(main->Options->Visible());
  main->Command2->PerformClick();
  EXPECT_FALSE(main->Options->Visible());
  EXPECT_EQ(main->ToolBoptions->Button("optOpt").Value(), forms::kButtonUp);
}

TEST_F(MainCommandsTest, MenusListsAndButtonsOfTheMainWindow) {
  main->mnuVGrids->PerformClick();
  EXPECT_TRUE(main->GlInstance->Grids);
  EXPECT_TRUE(main->mnuVGrids->Checked());
  main->mnuHAbout->PerformClick();
  ASSERT_EQ(boxes.boxes().boxes().size(), 1u);
  EXPECT_NE(boxes.boxes().boxes()[0].text.find("Release Vantrel: 002008006"), std::string::npos);

  main->Combo2->SetText("CubeSat");
  EXPECT_EQ(st().SettingsBlock.SatShapeIndex, 3);
  EXPECT_EQ(ShapeParams(), (std::array<double, 5>{1, 0, 0, 0, 1}));

  main->Command6->PerformClick();
  EXPECT_EQ(main->Command6->Tag, "demo");
  st().LastDataRow = 1000;
  main->HScroll7->SetValue(50);
  main->Command7->PerformClick();
  EXPECT_EQ(main->Command7->Tag, "NED");
  EXPECT_EQ(st().SettingsBlock.LocalViewIndex, 500);
  EXPECT_EQ(main->Check9->Value(), 2);
}

}  // namespace
}  // namespace vantrel::ui::test
