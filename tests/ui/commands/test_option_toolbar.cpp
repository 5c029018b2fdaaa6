#include "command_fixture.h"

namespace vantrel::ui::test {
namespace {

using OptionToolbarTest = CommandsTest;

// Pressed then up, as the user clicks a check button twice.
TEST_F(OptionToolbarTest, EachButtonSetsItsOptionPressedAndUp) {
  w->Click(*w->ToolBoptions, "optSat");
  EXPECT_EQ(w->Check3->Value(), 1);
  EXPECT_TRUE(w->HScroll10->Visible());
  EXPECT_TRUE(w->Text18->Visible());
  w->Click(*w->ToolBoptions, "optSat");
  EXPECT_EQ(w->Check3->Value(), 0);
  EXPECT_FALSE(w->HScroll10->Visible());
  EXPECT_FALSE(w->Text18->Visible());

  w->Click(*w->ToolBoptions, "optCub");
  EXPECT_EQ(w->Check9->Value(), 1);
  EXPECT_TRUE(w->HScroll8->Visible());
  EXPECT_TRUE(w->Text16->Visible());
  w->Click(*w->ToolBoptions, "optCub");
  EXPECT_EQ(w->Check9->Value(), 0);
  EXPECT_FALSE(w->HScroll8->Visible());
  EXPECT_FALSE(w->Text16->Visible());

  w->Click(*w->ToolBoptions, "optEarth");
  EXPECT_EQ(w->Check1(0).Value(), 1);
  w->Click(*w->ToolBoptions, "optEarth");
  EXPECT_EQ(w->Check1(0).Value(), 0);

  w->Click(*w->ToolBoptions, "optMoon");
  EXPECT_EQ(view::Shared().OptMoonState, 0);
  w->Click(*w->ToolBoptions, "optMoon");
  EXPECT_EQ(view::Shared().OptMoonState, 1);

  // The boxes' own handlers ran on every change.
  EXPECT_EQ(w->log, (std::vector<std::string>{"Check3_Click 1", "Check3_Click 0", "Check9_Click 1", "Check9_Click 0",
                                              "Check1_Click(0)", "Check1_Click(0)"}));
}

TEST_F(OptionToolbarTest, OptionsButtonShowsThePanelAndCloseReleasesIt) {
  forms::ToolbarButton& b = w->ToolBoptions->Button(9);
  w->Click(*w->ToolBoptions, "optOpt");
  EXPECT_TRUE(w->Options->Visible());
  EXPECT_EQ(w->Command2->Tag, "ToolBoptions");
  EXPECT_EQ(b.Value(), forms::kButtonPressed);

  w->log.clear();
  w->buttons.Command2_Click();  // "Close" on the panel
  EXPECT_FALSE(w->Options->Visible());
  EXPECT_EQ(b.Value(), forms::kButtonUp);
  EXPECT_EQ(w->Command2->Tag, "");
  EXPECT_EQ(w->log, (std::vector<std::string>{"Command2_Click", "Options_Click"}));
  EXPECT_EQ(st().SettingsBlock.SceneInitDone, 0);

  // Shown again from the toolbar and released there: closed the same way.
  w->Click(*w->ToolBoptions, "optOpt");
  w->Click(*w->ToolBoptions, "optOpt");
  EXPECT_FALSE(w->Options->Visible());
  EXPECT_EQ(w->Command2->Tag, "");
}

// Two clicks restore the width; a transfer of the panel in between (every load runs one) no
// longer leaves it ten times too thick.
TEST_F(OptionToolbarTest, PenUpWidthIsATenthOfItsBoxAndComesBack) {
  w->Text4(0).SetText("2");
  st().SettingsBlock.LinePlotThickness = 2;
  w->Click(*w->ToolBoptions, "optPenup");
  EXPECT_EQ(st().PenUpMode, 1);
  EXPECT_DOUBLE_EQ(st().SettingsBlock.LinePlotThickness, 0.2);
  st().SettingsBlock.LinePlotThickness = 2;  // the panel's transfer reads the box again
  w->Click(*w->ToolBoptions, "optPenup");
  EXPECT_EQ(st().PenUpMode, 0);
  EXPECT_DOUBLE_EQ(st().SettingsBlock.LinePlotThickness, 2);
  w->Click(*w->ToolBoptions, "optPenup");
  w->Click(*w->ToolBoptions, "optPenup");
  EXPECT_DOUBLE_EQ(st().SettingsBlock.LinePlotThickness, 2);

  // Pen-up mode set by the title, toggled off from the toolbar: the box's width, not ten times it.
  st().PenUpMode = 1;
  w->Click(*w->ToolBoptions, "optPenup");
  EXPECT_DOUBLE_EQ(st().SettingsBlock.LinePlotThickness, 2);
}

TEST_F(OptionToolbarTest, LocalFrameButtonRestartsTheRedrawAndFollowsTheCurrentPoint) {
  st().LastDataRow = 1000;
  w->HScroll7->SetValue(50);
  w->Click(*w->ToolBoptions, "optW");
  EXPECT_EQ(w->log, (std::vector<std::string>{"HScroll1_Change 0", "DoEvents", "Command7_Click", "Check9_Click 2",
                                              "DoEvents", "Command7_KeyPress 87", "DoEvents"}));
  EXPECT_EQ(w->Command7->Tag, "NEDfree");
  EXPECT_EQ(st().SettingsBlock.NedViewOn, 1.0);
  EXPECT_EQ(st().SettingsBlock.LocalViewIndex, -1);
  // Its state is not read: the next click (button up) switches the local view off.
  w->Click(*w->ToolBoptions, "optW");
  EXPECT_EQ(w->Command7->Tag, "");
  EXPECT_EQ(st().SettingsBlock.NedViewOn, 0);
}

}  // namespace
}  // namespace vantrel::ui::test
