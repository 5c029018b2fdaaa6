// Activation, layout and keys of the main window.

#include <gtest/gtest.h>

#include <filesystem>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "platform/forms/keys.h"
#include "platform/glview/glview.h"
#include "tests/ui/ui_fixture.h"
#include "tests/support/wait_window.h"

namespace vantrel::ui {
namespace {

using Call = datastore::FakeView::Call;

std::vector<std::tuple<std::string, double, double>> Calls(const datastore::FakeView& v) {
  std::vector<std::tuple<std::string, double, double>> out;
  for (const Call& c : v.cameraSets) out.emplace_back(c.mode, c.a, c.b);
  return out;
}

TEST_F(UiTest, FirstActivationLoadsOnceAndSetsTheKnownState) {
  MainWindow& m = Start();
  m.Form_Activate();
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(m.FirstActivationDone, 1);
  EXPECT_EQ(m.Text4(1).Text(), "1.75");
  EXPECT_EQ(m.Text4(4).Text(), "1.75");
  EXPECT_EQ(sb().AxisLengthFactor, 1.75);
  EXPECT_EQ(m.HScroll8->Value(), 1750);
  // Seven ISO steps: the first call of the run forces the vertical axis Z.
  std::vector<std::tuple<std::string, double, double>> expected(7, {"isonew", 3, 0});
  std::get<2>(expected[0]) = 1;
  EXPECT_EQ(Calls(*camera), expected);
  EXPECT_EQ(m.Check9->Value(), 1);
  EXPECT_TRUE(m.HScroll8->Visible());
  EXPECT_TRUE(m.Text4(4).Visible());
  EXPECT_EQ(m.Label1(1).Caption(), "Length Axis Factor/Cubic");
  EXPECT_EQ(m.ToolBoptions->Button(2).Value(), forms::kButtonPressed);
  EXPECT_EQ(view::Shared().ShowLabels, 1);
  // The working folder: the per-user data folder (never the program's, which may be
  // read-only), created, shown in the image-folder box and the button tip.
  EXPECT_EQ(st().WorkDir, view::UserDataFolder().string() + "/");
  EXPECT_TRUE(std::filesystem::is_directory(view::UserDataFolder()));
  EXPECT_EQ(m.Text6->Text(), st().WorkDir);
  EXPECT_EQ(m.Toolbar1->Button("imagespot").ToolTipText(), "Save Image " + st().WorkDir);
  EXPECT_EQ(m.Combo1->Width(), 390);

  // Later activations load nothing more but re-apply the known state.
  m.Text4(1).SetText("3");
  m.Form_Activate();
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(m.Text4(4).Text(), "1.75");
  EXPECT_EQ(camera->cameraSets.size(), 14u);
  EXPECT_EQ(camera->cameraSets.back().b, 0);
}

TEST_F(UiTest, ActivationWritesTheLocalesDecimalSeparator) {
  test::LocaleGuard comma(",", ".");
  MainWindow& m = Start();
  m.Form_Activate();
  EXPECT_EQ(m.Text4(1).Text(), "1,75");
  EXPECT_EQ(m.Text4(4).Text(), "1,75");
  EXPECT_EQ(sb().AxisLengthFactor, 1.75);
}

TEST_F(UiTest, ActivationSetsTheSatelliteBoxesFromTheData) {
  struct Case {
    double timeRange;
    std::string title;
    int satellite;
  } cases[] = {
      {0, "", 0}, {1, "", -1}, {0, "The Saturn flyby", 1}, {0, "satellite", 1}, {1, "Orbit", -1},
  };
  for (const Case& c : cases) {
    MainWindow& m = Start();
    m.Check3->SetValue(1);
    m.Check4->SetValue(1);
    sb().TimeRangeGiven = c.timeRange;
    st().PlotTitle = c.title;
    m.Form_Activate();
    const int expected = c.satellite < 0 ? 1 : c.satellite;  // -1: left as it was (ticked)
    EXPECT_EQ(m.Check3->Value(), expected) << c.title;
    EXPECT_EQ(m.Check4->Value(), expected) << c.title;
  }
}

TEST_F(UiTest, PenUpModeLeavesTheCubicViewAlone) {
  MainWindow& m = Start();
  st().PenUpMode = 1;
  m.Form_Activate();
  EXPECT_EQ(m.Check9->Value(), 0);
  EXPECT_FALSE(m.HScroll8->Visible());
}

TEST_F(UiTest, ActivationWhileTheFirstLoadRunsDoesNotLoadAgain) {
  MainWindow& m = Start();
  int nested = 0;
  datastore::SetLoadBody([&] {
    ++loads;
    if (nested++ == 0) m.Form_Activate();
  });
  m.Form_Activate();
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(m.FirstActivationDone, 1);
}

TEST_F(UiTest, CommandLineDataFileReachesTheFirstLoad) {
  std::string seen;
  datastore::SetLoadBody(
      [&] { seen = st().CmdLineInfo.DataFilePath + "|" + std::to_string(st().CmdLineInfo.DataFileMode); });
  MainWindow& m = Start({"/data/orbit.vnx"});
  m.Form_Activate();
  EXPECT_EQ(seen, "/data/orbit.vnx|1");
}

// Keys reach the window first (key preview); letter shortcuts act only outside text entry.
class KeyTest : public UiTest {
 protected:
  MainWindow& Shown() {
    MainWindow& m = Start();
    m.show();
    EXPECT_TRUE(vantrel::test::WaitForWindowExposed(&m));
    QApplication::setActiveWindow(&m);
    QApplication::processEvents();
    EXPECT_EQ(loads, 1);  // the activation of the shown window ran the first load
    camera->cameraSets.clear();
    return m;
  }
};

TEST_F(KeyTest, TypingASpecificationDoesNotTurnTheCamera) {
  MainWindow& m = Shown();
  m.Combo1->SetFocus();
  QApplication::processEvents();
  ASSERT_TRUE(forms::FocusInTextEntry());
  QTest::keyClicks(QApplication::focusWidget(), "=MAX(XYZ)");
  EXPECT_EQ(m.Combo1->Text(), "=MAX(XYZ)");
  EXPECT_TRUE(camera->cameraSets.empty());
  m.Text9->SetVisible(true);
  m.Options->SetVisible(true);
  m.Text9->SetFocus();
  m.Text9->SetSelStart(3);
  QTest::keyClicks(QApplication::focusWidget(), "it");
  EXPECT_EQ(m.Text9->Text(), "MAXIT");
  EXPECT_TRUE(camera->cameraSets.empty());
  EXPECT_EQ(view::Shared().ShowLabels, 1);
}

TEST_F(KeyTest, LetterShortcutsOutsideTextEntry) {
  MainWindow& m = Shown();
  m.Command7->SetFocus();
  QApplication::processEvents();
  ASSERT_FALSE(forms::FocusInTextEntry());
  QWidget* f = QApplication::focusWidget();
  QTest::keyClick(f, Qt::Key_X);
  ASSERT_EQ(camera->cameraSets.size(), 1u);
  EXPECT_EQ(Calls(*camera)[0], std::make_tuple(std::string("isonew"), 1.0, 1.0));
  EXPECT_EQ(MainShared().LastKeyCode, 0);  // released
  QTest::keyClick(f, Qt::Key_T);
  EXPECT_EQ(view::Shared().ShowLabels, 0);
  QTest::keyClick(f, Qt::Key_I);
  EXPECT_EQ(m.Check9->Tag, "REAL_ISO");
  QTest::keyClick(f, Qt::Key_I, Qt::ShiftModifier);
  EXPECT_EQ(m.Check9->Tag, "");
  // A later click of the ISO button keeps the X axis, without forcing it.
  m.Toolbar1_ButtonClick(m.Toolbar1->Button(12));
  EXPECT_EQ(Calls(*camera).back(), std::make_tuple(std::string("isonew"), 1.0, 0.0));
}

TEST_F(KeyTest, EnterClosesTheVisibleOptionsPanel) {
  MainWindow& m = Shown();
  m.mnuFOptions_Click();
  m.Text4(0).SetFocus();
  QApplication::processEvents();
  m.Text4(0).SetText("2");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(m.Options->Visible());
  EXPECT_EQ(sb().LinePlotThickness, 2);
}

// The view control between the bars, on a window too small for them.
TEST_F(UiTest, LayoutKeepsTheViewBetweenTheBars) {
  MainWindow& m = Start({}, true);
  m.show();
  ASSERT_TRUE(vantrel::test::WaitForWindowExposed(&m));
  QApplication::processEvents();
  m.Form_Resize();
  QWidget* client = m.Client();
  EXPECT_EQ(m.glxCtl1->geometry(), QRect(0, 0, client->width(), client->height()));
  EXPECT_EQ(m.Combo1->widget()->geometry().bottom(), client->height() - 1);
  EXPECT_EQ(m.Text14->Top(), m.Combo1->Top());
  EXPECT_EQ(m.TextTempo->Top() + m.TextTempo->Height(), m.Combo1->Top());
  EXPECT_EQ(m.Command6->Top() + m.Command6->Height(), m.TextTempo->Top());
  m.resize(40, 40);
  QApplication::processEvents();
  m.Form_Resize();
  EXPECT_GE(m.glxCtl1->height(), 1);
  EXPECT_GE(m.glxCtl1->width(), 1);
}

}  // namespace
}  // namespace vantrel::ui
