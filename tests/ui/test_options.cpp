// The options panel: transfer to and from the option record, check boxes, text settings.

#include <gtest/gtest.h>

#include "tests/ui/ui_fixture.h"

namespace vantrel::ui {
namespace {

TEST_F(UiTest, ColourBoxesAreClampedOnTheWayIn) {
  MainWindow& m = Start();
  struct Case {
    const char* typed;
    const char* shown;
    double value;
  } cases[] = {{"300", "255", 255}, {"-5", "0", 0}, {"12.5", "12.5", 12.5}, {"abc", "0", 0}, {"255", "255", 255}};
  for (const Case& c : cases) {
    m.Text5(16).SetText(c.typed);
    m.Options_Click();
    EXPECT_EQ(m.Text5(16).Text(), c.shown) << c.typed;
    EXPECT_EQ(sb().ColourBackground[1], c.value) << c.typed;
  }
}

TEST_F(UiTest, PanelTransferTakesEveryControl) {
  MainWindow& m = Start();
  m.Check1(3).SetValue(1);
  m.Check1(8).SetValue(0);
  m.Text4(2).SetText("2.5");
  m.HScroll3->SetValue(300);
  m.Check1(10).SetValue(1);
  m.Options_Click();
  EXPECT_EQ(sb().OptNoPlotAxis, 1);
  EXPECT_EQ(sb().MoonFactor, 1);
  EXPECT_EQ(sb().AxisLineThickness, 2.5);
  EXPECT_EQ(sb().SatelliteSize, 300);
  EXPECT_EQ(sb().EarthMoonOpt, 1);
  m.Check1(8).SetValue(1);
  EXPECT_EQ(sb().MoonFactor, 10);
  // Cubic View sets the option toolbar's button without running its command.
  m.Check9->SetValue(1);
  m.Options_Click();
  EXPECT_EQ(m.ToolBoptions->Button(2).Value(), forms::kButtonPressed);
  m.Check9->SetValue(2);
  m.Options_Click();
  EXPECT_EQ(m.ToolBoptions->Button(2).Value(), forms::kButtonPressed);
  m.Check9->SetValue(0);
  m.Options_Click();
  EXPECT_EQ(m.ToolBoptions->Button(2).Value(), forms::kButtonUp);
}

TEST_F(UiTest, StoredOptionSetReachesThePanel) {
  struct Case {
    int entry;
    const char* stored;
    int box;  // Check1 index
    int value;
  } cases[] = {
      {29, "10", 8, 1},   {29, "1", 8, 0},    {29, "5.5", 8, 1}, {34, "2", 9, 2},
      {34, "2.01", 9, 2}, {34, "0.01", 9, 0}, {3, "1", 3, 1},    {35, "1", 10, 1},
  };
  for (const Case& c : cases) {
    settings = std::make_shared<platform::MemorySettingsStore>();
    platform::SetSettingsStore(settings);
    Store(datastore::SettingsKey(7), "2");  // something stored besides the case's entry
    Store(datastore::SettingsKey(c.entry), c.stored);
    MainWindow& m = Start();
    EXPECT_EQ(m.Check1(c.box).Value(), c.value) << c.entry << "=" << c.stored;
    EXPECT_EQ(m.Text4(0).Text(), "2");
  }
}

TEST_F(UiTest, AllZeroOptionSetLeavesThePanel) {
  MainWindow& m = Start();
  m.Check1(7).SetValue(1);
  m.Check1(2).SetValue(1);
  for (auto& e : st().SettingsArr) e = {datastore::SettingsEntry::kText, 0, "0"};
  m.mnuOinteractive->SetChecked(false);
  m.OptionAffecteUser();
  EXPECT_EQ(m.Check1(2).Value(), 1);
  EXPECT_EQ(m.Check1(8).Value(), 1);
  EXPECT_TRUE(m.mnuOinteractive->Checked());  // only the menu mark follows the box
}

TEST_F(UiTest, SunRayCycle) {
  MainWindow& m = Start();
  std::vector<double> lengths;
  for (int i = 0; i < 4; ++i) {
    m.Check1(9).SetValue(1);
    EXPECT_EQ(sb().SunRayLength, 1.0);
    m.Check1(9).SetValue(0);
    lengths.push_back(sb().SunRayLength);
  }
  EXPECT_EQ(lengths, (std::vector<double>{2, 0.01, 2.01, 0.01}));
  m.Check1(4).SetValue(1);  // any other box of the array takes the box's own value again
  EXPECT_EQ(sb().SunRayLength, 0);
}

TEST_F(UiTest, NoPlotEarthKeepsTheMoonAtRealSize) {
  MainWindow& m = Start();
  m.Check1(0).SetValue(1);
  EXPECT_EQ(sb().MoonFactor, 1.0);
  m.Check1(5).SetValue(1);
  EXPECT_EQ(sb().MoonFactor, 1.0);
  // Interactive with box 0 on: the mode and its mark change, the menu entries stay off.
  m.mnuOptions->SetEnabled(false);
  m.Check1(7).SetValue(1);
  EXPECT_EQ(sb().InteractiveOpt, 1);
  EXPECT_TRUE(m.mnuOinteractive->Checked());
  EXPECT_FALSE(m.mnuOptions->Enabled());
  m.Check1(0).SetValue(0);
  EXPECT_EQ(sb().MoonFactor, 10);
  m.Check1(7).SetValue(0);
  m.Check1(7).SetValue(1);
  EXPECT_TRUE(m.mnuOptions->Enabled());
}

TEST_F(UiTest, SatelliteBoxSizesTheModelFromTheScale) {
  struct Case {
    double scale, ned;
    int slider;
  } cases[] = {{1, 0, 87}, {1, 1, 0}, {0, 0, 64}};
  for (const Case& c : cases) {
    settings = std::make_shared<platform::MemorySettingsStore>();
    platform::SetSettingsStore(settings);
    MainWindow& m = Start();
    st().ScaleFactor = c.scale;
    sb().NedViewOn = c.ned;
    m.Check3->SetValue(1);
    EXPECT_EQ(m.HScroll3->Value(), c.slider) << c.scale << " " << c.ned;
    EXPECT_EQ(Stored("Setstr14.00"), "1");
    EXPECT_TRUE(m.Check4->Visible());
    EXPECT_TRUE(m.HScroll10->Visible());
    EXPECT_EQ(view::Shared().SatAxisOpt, 1);  // "Sat. Axis" is on at design time
    m.Check3->SetValue(0);
    EXPECT_FALSE(m.HScroll3->Visible());
    EXPECT_FALSE(m.Text18->Visible());
    EXPECT_EQ(Stored("Setstr14.00"), "0");
  }
}

TEST_F(UiTest, ThrusterList) {
  MainWindow& m = Start();
  struct Case {
    std::string list;
    std::string message;  // "" when the list is taken
    double count;
  } cases[] = {
      {"", " Wrong data count. Number of thruster =0  but number data = 1  which should be 6n=0", 0},
      {"1,2,3,4,5,6", "", 1},
      {"1 2 3 4 5", " Wrong data count. Number of thruster =1  but number data = 5  which should be 6n=6", 1},
  };
  for (const Case& c : cases) {
    m.Check8->SetValue(1);
    EXPECT_TRUE(m.Text13->Visible());
    m.Text13->SetText(c.list);
    const size_t before = boxes().size();
    m.Check8->SetValue(0);
    if (c.message.empty()) {
      EXPECT_EQ(boxes().size(), before);
      EXPECT_FALSE(m.Text13->Visible());
      EXPECT_EQ(m.ThrusterTable[1][1], 1);
      EXPECT_EQ(m.ThrusterTable[1][3], 3);
    } else {
      ASSERT_EQ(boxes().size(), before + 1);
      EXPECT_EQ(boxes().back().text, c.message);
      EXPECT_EQ(boxes().back().title, "Error");
      EXPECT_TRUE(m.Text13->Visible());
    }
    EXPECT_EQ(m.ThrusterTable[0][0], c.count);
  }
}

TEST_F(UiTest, DesignThrusterListHoldsSixteenThrusters) {
  MainWindow& m = Start();
  m.Check8->SetValue(1);
  m.Check8->SetValue(0);
  EXPECT_EQ(m.ThrusterTable[0][0], 16);
  EXPECT_EQ(m.ThrusterTable[1][1], 0.05);
  EXPECT_EQ(m.ThrusterTable[1][2], -1.15);
  EXPECT_EQ(m.ThrusterTable[16][1], -1);
  EXPECT_EQ(m.ThrusterTable[16][3], -0.08);
}

TEST_F(UiTest, WhiteBackgroundAndBack) {
  MainWindow& m = Start();
  m.Check7->SetValue(1);
  EXPECT_EQ(m.Text5(15).Text(), "255");
  EXPECT_EQ(m.Text5(17).Text(), "255");
  m.Check7->SetValue(0);
  EXPECT_EQ(m.Text5(15).Text(), "10");
  EXPECT_EQ(m.Text5(17).Text(), "70");
}

TEST_F(UiTest, CubicViewBoxShowsItsControls) {
  MainWindow& m = Start();
  m.Check9->SetValue(1);
  EXPECT_TRUE(m.HScroll8->Visible());
  EXPECT_TRUE(m.Text4(4).Visible());
  m.Check9->SetValue(0);
  EXPECT_FALSE(m.HScroll8->Visible());
  EXPECT_EQ(m.Label1(1).Caption(), "Length Axis Factor");
  m.Check9->SetValue(2);  // grey (the local view): the box shows, the slider stays as it was
  EXPECT_TRUE(m.Text4(4).Visible());
  EXPECT_EQ(m.Label1(1).Caption(), "Length Axis Factor/Cubic");
  EXPECT_FALSE(m.HScroll8->Visible());
  EXPECT_EQ(sb().OptCubicView, 2);
}

TEST_F(UiTest, ExtendedColoursWidenThePanel) {
  MainWindow& m = Start();
  const double frame = m.Options->Width();
  m.Check2->SetValue(1);
  const double screen = forms::ScreenWidth();
  // Twips land on whole pixels (15 twips each).
  EXPECT_NEAR(m.Options->Width(), screen < 11210 ? screen - 1450 : 9695, 15);
  EXPECT_TRUE(m.Text5(0).Visible());
  EXPECT_TRUE(m.Text9->Visible());
  m.Check2->SetValue(0);
  EXPECT_EQ(m.Options->Width(), frame);
  EXPECT_FALSE(m.Text5(0).Visible());
  EXPECT_FALSE(m.Text9->Visible());
}

TEST_F(UiTest, KeywordBoxKeepsTheTrimmedUpperCaseKeyword) {
  MainWindow& m = Start();
  m.Text9->SetText(" max");
  EXPECT_EQ(m.Text9->Text(), "MAX");
  EXPECT_EQ(st().StringSettings.FormulaKeyWord, "MAX");
  EXPECT_EQ(Stored("Setstr12.00"), "MAX");
  EXPECT_EQ(m.Text9->SelStart(), 3);
  m.Text9->SetText("sum ");
  EXPECT_EQ(m.Text9->Text(), "SUM");
  EXPECT_EQ(Stored("Setstr12.00"), "SUM");
}

TEST_F(UiTest, AxisLengthBoxesMirrorEachOther) {
  MainWindow& m = Start();
  struct Case {
    int box;
    const char* text;
    int slider;  // -1: unchanged
    double factor;
  } cases[] = {{4, "2", 2000, 2}, {4, "40", -1, 40}, {1, "3.5", 3500, 3.5}, {1, "a", -1, 0}};
  for (const Case& c : cases) {
    const int before = m.HScroll8->Value();
    m.Text4(c.box).SetText(c.text);
    EXPECT_EQ(m.Text4(1).Text(), c.text);
    EXPECT_EQ(m.Text4(4).Text(), c.text);
    EXPECT_EQ(m.HScroll8->Value(), c.slider < 0 ? before : c.slider) << c.text;
    EXPECT_EQ(sb().AxisLengthFactor, c.factor) << c.text;
  }
  // The slider writes the box back only when the box did not move it.
  m.HScroll8->SetValue(1500);
  EXPECT_EQ(m.Text4(4).Text(), "1.5");
  EXPECT_EQ(m.Text4(1).Text(), "1.5");
}

TEST_F(UiTest, TexturesAndImageFolderAreStored) {
  MainWindow& m = Start();
  m.Text7->SetText("2k_earth.jpg");
  m.Text8->SetText("2k_moon.jpg");
  m.Text6->SetText("/srv/images/");
  EXPECT_EQ(st().StringSettings.EarthTexture, "2k_earth.jpg");
  EXPECT_EQ(st().StringSettings.MoonTexture, "2k_moon.jpg");
  EXPECT_EQ(Stored("Setstr01.00"), "2k_earth.jpg");
  EXPECT_EQ(Stored("Setstr11.00"), "2k_moon.jpg");
  EXPECT_EQ(Stored("SetDirBMP"), "/srv/images/");
}

TEST_F(UiTest, LogBoxFromTheStatusBar) {
  MainWindow& m = Start();
  EXPECT_FALSE(m.Text20->Visible());
  m.StatusBar1_DblClick();
  EXPECT_TRUE(m.Text20->Visible());
  m.StatusBar1_DblClick();
  EXPECT_FALSE(m.Text20->Visible());
  m.Text21_DblClick();
  EXPECT_TRUE(m.Text20->Visible());
  m.Text20_DblClick();
  EXPECT_FALSE(m.Text20->Visible());
  m.StatusBar1_PanelClick(1);
  EXPECT_TRUE(m.Options->Visible());
  // The loader's log lines go to the log box.
  datastore::AddLogLine(st().Main(), "read /data/run.vnx");
  EXPECT_NE(m.Text20->Text().find("read /data/run.vnx"), std::string::npos);
}

}  // namespace
}  // namespace vantrel::ui

namespace vantrel::ui {
namespace {

TEST_F(UiTest, ThrusterListLongerThanTheTableIsRefused) {
  MainWindow& m = Start();
  std::string list;
  for (int i = 0; i < 26 * 6; ++i) list += std::to_string(i % 7) + ",";
  m.Check8->SetValue(1);
  m.Text13->SetText(list);
  m.Check8->SetValue(0);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes().back().title, "Error");
  EXPECT_TRUE(m.Text13->Visible());
  EXPECT_EQ(m.ThrusterTable[0][0], 0);
}

TEST_F(UiTest, SatelliteShapeList) {
  MainWindow& m = Start();
  EXPECT_EQ(m.Combo2->ListCount(), 7);
  m.Combo2->SetText("CubeSat");
  EXPECT_EQ(sb().SatShapeIndex, 3);
  const view::ViewShared& vs = view::Shared();
  EXPECT_EQ((std::array<double, 5>{vs.SatShapeParam1, vs.SatShapeParam2, vs.SatShapeParam3, vs.SatShapeParam4,
                                   vs.SatShapeParam5}),
            (std::array<double, 5>{1, 0, 0, 0, 1}));
  m.Combo2->SetText("cubesat");  // not a name: nothing changes
  EXPECT_EQ(sb().SatShapeIndex, 3);
  sb().SatShapeIndex = 9;  // an edited store: the first shape
  m.Combo2_InitList(0);
  EXPECT_EQ(m.Combo2->Text(), "GEO satcom");
  EXPECT_EQ(sb().SatShapeIndex, 0);
}

}  // namespace
}  // namespace vantrel::ui
