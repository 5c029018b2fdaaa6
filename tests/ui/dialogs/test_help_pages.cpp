#include <gtest/gtest.h>

#include "tests/ui/dialogs/dialog_fixture.h"
#include "ui/help_pages.h"

namespace vantrel::test {
namespace {

using forms::kCancel;
using forms::kOK;

class HelpPages : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    st().SettingsBlock.OptNoEarth = 7;         // the user's values
    st().FactorySettingsBlock.OptNoEarth = 0;  // the factory's
    st().SettingsBlock.SceneInitDone = 1;
  }
  // Runs Help/Contents answering the last page with `last`.
  void Help(int last) {
    MsgBoxGuard g({kOK, kOK, kOK, last});
    demo.mnuHContents_Click("Vantrel, 2014-2026");
    boxes = g.boxes().boxes();
  }
  ui::HelpDemo demo;
  std::vector<forms::ScriptedMessageBoxes::Box> boxes;
};

TEST_F(HelpPages, FourPagesWithTheirMarksStylesAndTexts) {
  Help(kCancel);
  ASSERT_EQ(boxes.size(), 4u);
  const char* marks[] = {"1/4 ", "2/4 ", "31/4 ", "4/4 "};
  const int styles[] = {64, 64, 64, 1};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(boxes[i].title, std::string(marks[i]) + "Vantrel, 2014-2026");
    EXPECT_EQ(boxes[i].style, styles[i]);
    EXPECT_EQ(boxes[i].text, ui::HelpPageTexts()[i]);
  }
  // Pieces where blanks, quotes and line feeds matter.
  struct Piece {
    size_t page;
    std::string text;
  } pieces[] = {
      {0, "\n\nShow in live a real Vanexial 3D trajectory"},
      {0, "formula like      = MAX(A2:C2000)      for the range of cells X,Y,Z  And run this program. It's all.\n\n"},
      {0, "size.\n ** Dble Click"},
      {0, "Maximum number of points= 1 0485 756 (instead of 32000 for Excel plots)."},
      {1, "Note : The full syntax of the formula is      = 0.01 +  LEN(\"MyTitle kmday\") + MAX(A2:C2000) + "
          "MAX(D2:D2000)+MAX(E2:F30)+...etc\n\nIn this example  0.01   is"},
      {1, "non-defautl units\nA2:C2000   is the range"},
      {1, "Time with angle\u00b0 of rotation of each panel ...\n\nNote : The order"},
      {2, "is not selected. \n\nNote : YOU CAN"},
      {2, "If a X data is empty (ie its cell equal \"\"), the plot line is interrupted. YOU CAN DRAW MANY OBJECTS."},
      {3, "with the name \"_Vantrel.vnx\". You can rename"},
      {3, "located at : \"C:\\Users\\...\\AppData\\Local\\VirtualStore\\...\"\n\n   Click on   OK    to run the    "
          "Demo  ! "},
  };
  for (const Piece& p : pieces)
    EXPECT_NE(boxes[p.page].text.find(p.text), std::string::npos) << p.page << ": " << p.text;
  EXPECT_EQ(boxes[1].text.rfind("Note : The full syntax", 0), 0u);  // no line feed before it
  EXPECT_EQ(boxes[2].text.rfind("Note : The program will", 0), 0u);
  EXPECT_EQ(boxes[3].text.rfind("\n\nImportant Note:", 0), 0u);
  const std::string& last = boxes[3].text;
  EXPECT_EQ(last.substr(last.size() - 8), "Demo  ! ");
}

TEST_F(HelpPages, OkTwiceThenCancelRestoresTheValuesBeforeTheFirstOk) {
  Help(kOK);
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].SourceMode, 1);
  EXPECT_EQ(loads[0].OptNoEarth, 0);  // the demo loads with the factory values
  EXPECT_EQ(demo.DemoRunning, 1);
  EXPECT_EQ(st().SettingsBlock.SceneInitDone, 0);

  Help(kOK);  // a second demo keeps the user's values aside
  ASSERT_EQ(loads.size(), 2u);
  EXPECT_EQ(st().DemoBackupBlock.OptNoEarth, 7);

  Help(kCancel);
  EXPECT_EQ(st().SettingsBlock.OptNoEarth, 7);
  EXPECT_EQ(demo.DemoRunning, 0);
  ASSERT_EQ(loads.size(), 3u);
  EXPECT_EQ(loads[2].SourceMode, 0);  // back to the worksheet
  EXPECT_EQ(loads[2].OptNoEarth, 7);
}

TEST_F(HelpPages, CancelWithoutDemoFromTheWorksheetReloadsAndKeepsTheValues) {
  Help(kCancel);
  EXPECT_EQ(st().SettingsBlock.OptNoEarth, 7);
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].SourceMode, 0);
}

TEST_F(HelpPages, CancelInDataFileModeReloadsTheNamedFileOnce) {
  st().CmdLineInfo.DataFileMode = 1;
  st().CmdLineInfo.DataFilePath = "/data/a.vnx";
  Help(kOK);
  Help(kCancel);
  ASSERT_EQ(loads.size(), 2u);
  EXPECT_EQ(loads[1].SourceMode, 2);
  EXPECT_EQ(loads[1].DataFilePath, "/data/a.vnx");
  Help(kCancel);
  EXPECT_EQ(loads.size(), 2u);
  EXPECT_EQ(st().SourceMode, 2);
}

TEST_F(HelpPages, ADemoAskedForDuringALoadWaitsForItsEnd) {
  double duringRunningLoad = -1;
  duringLoad = [&] {
    Help(kOK);  // the event loop runs inside the load: the user asks for the demo
    duringRunningLoad = st().SettingsBlock.OptNoEarth;
  };
  datastore::RequestLoad();
  EXPECT_EQ(duringRunningLoad, 7);  // the running load keeps the user's values
  ASSERT_EQ(loads.size(), 2u);
  EXPECT_EQ(loads[1].SourceMode, 1);
  EXPECT_EQ(loads[1].OptNoEarth, 0);
  EXPECT_EQ(st().DemoBackupBlock.OptNoEarth, 7);
}

TEST_F(HelpPages, CancelWhileTheDemoStillWaitsLeavesItAfterItsLoad) {
  duringLoad = [&] {
    Help(kOK);
    Help(kCancel);
  };
  datastore::RequestLoad();
  ASSERT_EQ(loads.size(), 3u);
  EXPECT_EQ(loads[1].SourceMode, 1);
  EXPECT_EQ(loads[2].SourceMode, 0);
  EXPECT_EQ(st().SettingsBlock.OptNoEarth, 7);
  EXPECT_EQ(demo.DemoRunning, 0);
}

}  // namespace
}  // namespace vantrel::test
