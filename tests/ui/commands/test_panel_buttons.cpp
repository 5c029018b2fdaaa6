#include <QClipboard>
#include <QGuiApplication>

#include "command_fixture.h"
#include "datastore/settings_persist.h"

namespace vantrel::ui::test {
namespace {

using PanelButtonsTest = CommandsTest;

TEST_F(PanelButtonsTest, SaveStoresTheHundredAndOneValuesAndTheImageFolder) {
  st().SettingsBlock.LinePlotThickness = 3;
  st().SettingsBlock.SceneInitDone = 1;
  vantrel::test::LocaleGuard locale(".", ",");
  w->Text6->SetText("/tmp/shots/");
  w->buttons.Command1_Click();
  EXPECT_EQ(w->log, (std::vector<std::string>{"Options_Click"}));
  for (int i = 0; i <= 100; ++i) {
    const std::string key = "Set" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".00";
    EXPECT_NE(Stored("Use", key), "<none>") << key;
  }
  EXPECT_EQ(Stored("Use", "Set07.00"), "3");
  EXPECT_NE(Stored("Use", "Set100.00"), "<none>");
  EXPECT_EQ(Stored("Use", "SetDirBMP"), "/tmp/shots/");
  EXPECT_EQ(st().SettingsBlock.SceneInitDone, 0);
}

TEST_F(PanelButtonsTest, FactorySettingsLeaveTheStoredValues) {
  st().SettingsBlock.LinePlotThickness = 3;
  w->buttons.Command1_Click();
  const int writes = settings->writes();
  st().FactorySettingsBlock.LinePlotThickness = 1;
  w->Text6->SetText("/tmp/shots/");
  w->Text9->SetText("KEY");
  w->log.clear();
  w->buttons.Command3_Click();
  EXPECT_EQ(settings->writes(), writes);
  EXPECT_EQ(Stored("Use", "Set07.00"), "3");
  EXPECT_EQ(st().SettingsBlock, st().FactorySettingsBlock);
  EXPECT_EQ(st().SettingsArr[7].kind, datastore::SettingsEntry::kNumber);  // the list follows, unsaved
  EXPECT_EQ(st().SettingsArr[7].number, 1);
  EXPECT_EQ(w->log, (std::vector<std::string>{"OptionAffecteUser"}));
  EXPECT_EQ(w->Text6->Text(), "");
  EXPECT_EQ(w->Text9->Text(), "MAX");
}

TEST_F(PanelButtonsTest, CloseTransfersAndHidesThePanel) {
  w->menus.mnuFOptions_Click();
  st().SettingsBlock.SceneInitDone = 1;
  w->buttons.Command2_MouseMove(0, 0, 10, 10);  // the pointer over "Close" is enough
  EXPECT_FALSE(w->Options->Visible());
  EXPECT_EQ(w->log, (std::vector<std::string>{"Command2_Click", "Options_Click"}));
  EXPECT_EQ(st().SettingsBlock.SceneInitDone, 0);
}

TEST_F(PanelButtonsTest, LocalViewGoesThroughItsStates) {
  st().LastDataRow = 1000;
  w->HScroll7->SetValue(50);
  w->Check9->SetValue(1);
  int key = 87;
  // A key while the local view is off does nothing.
  w->buttons.Command7_KeyPress(key);
  EXPECT_EQ(w->Command7->Tag, "");
  EXPECT_EQ(st().SettingsBlock.NedViewOn, 0);

  w->buttons.Command7_Click();
  EXPECT_EQ(w->Command7->Tag, "NED");
  EXPECT_EQ(st().SettingsBlock.NedViewOn, 1.0);
  EXPECT_EQ(st().SettingsBlock.LocalViewIndex, 500);
  EXPECT_EQ(w->Check9->Value(), 2);

  w->buttons.Command7_KeyPress(key);
  EXPECT_EQ(w->Command7->Tag, "NEDfree");
  EXPECT_EQ(st().SettingsBlock.LocalViewIndex, -1);

  w->HScroll7->SetValue(25);
  w->buttons.Command7_KeyPress(key);
  EXPECT_EQ(w->Command7->Tag, "NED");
  EXPECT_EQ(st().SettingsBlock.LocalViewIndex, 250);

  w->Check9->SetValue(0);  // the user changes the box meanwhile
  w->HScroll7->SetValue(0);
  w->buttons.Command7_Click();
  EXPECT_EQ(w->Command7->Tag, "");
  EXPECT_EQ(st().SettingsBlock.NedViewOn, 0);
  EXPECT_EQ(w->Check9->Value(), 1);  // as it was when the local view went on
  EXPECT_EQ(st().SettingsBlock.LocalViewIndex, 0);
}

TEST_F(PanelButtonsTest, LocalViewRowRoundsHalfToEven) {
  struct Case {
    int slider;
    int32_t lastRow;
    int32_t row;
  };
  for (const Case& c : {Case{50, 1000, 500}, Case{0, 1000, 0}, Case{50, 1, 0}, Case{50, 3, 2}, Case{100, 7, 7}}) {
    w->Command7->Tag = "";
    st().LastDataRow = c.lastRow;
    w->HScroll7->SetValue(c.slider);
    w->buttons.Command7_Click();
    EXPECT_EQ(st().SettingsBlock.LocalViewIndex, c.row) << c.slider << " of " << c.lastRow;
  }
}

TEST_F(PanelButtonsTest, CopyPutsTheCommandLineOnTheClipboard) {
  QGuiApplication::clipboard()->setText("previous");
  w->Text1->SetText("\"/opt/vantrel/vantrel\" \"/home/ada/PowerPoint20261210_101500.vnx\"");
  w->buttons.Command4_Click();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), w->Text1->Text());
}

TEST_F(PanelButtonsTest, RunDemoTagsTheButtonAndCloseHidesThePowerPointPanel) {
  w->buttons.Command6_Click();
  EXPECT_EQ(w->Command6->Tag, "demo");
  w->Frame1->SetVisible(true);
  w->buttons.Command5_Click();
  EXPECT_FALSE(w->Frame1->Visible());
}

}  // namespace
}  // namespace vantrel::ui::test
