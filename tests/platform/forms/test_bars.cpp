#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <string>
#include <vector>

#include "platform/forms/layout_store.h"
#include "platform/forms/qt/bars.h"
#include "platform/forms/qt/menu.h"
#include "platform/runtime/rterror.h"
#include "tests/support/wait_window.h"

namespace vantrel::forms {
namespace {

QPixmap Square(QColor c) {
  QPixmap p(16, 16);
  p.fill(c);
  return p;
}

// The view toolbar's first buttons: a group of three tools, a separator, a one-shot button and
// two check buttons.
struct Bar {
  QMainWindow window;
  ImageList images;
  Toolbar bar{&window, "Toolbar1"};
  std::vector<std::string> clicks;
  Bar() {
    for (QColor c : {Qt::red, Qt::green, Qt::blue}) images.Add(Square(c));
    bar.SetImageList(&images);
    bar.AddButton("select", kButtonGroup, 1, kButtonUp, "Move with left button, Orient with right");
    bar.AddButton("pan", kButtonGroup, 2, kButtonPressed);
    bar.AddButton("zoom", kButtonGroup, 3);
    bar.AddButton("", kButtonSeparator);
    bar.AddButton("zminus", kButtonDefault);
    bar.AddButton("lightback", kButtonCheck);
    bar.AddButton("stop", kButtonCheck);
    bar.ButtonClick = [this](ToolbarButton& b) { clicks.push_back(b.Key() + "=" + std::to_string(b.Value())); };
  }
  std::vector<int> Values() {
    std::vector<int> v;
    for (int i = 1; i <= bar.ButtonCount(); ++i) v.push_back(bar.Button(i).Value());
    return v;
  }
};

TEST(Toolbar, SettingAButtonStateRaisesNoClick) {
  Bar b;
  b.bar.Button(7).SetValue(kButtonPressed);
  b.bar.Button("select").SetValue(kButtonPressed);  // releases pan, its group neighbour
  EXPECT_TRUE(b.clicks.empty());
  EXPECT_EQ(b.Values(), (std::vector<int>{1, 0, 0, 0, 0, 0, 1}));
  EXPECT_TRUE(b.bar.Button(7).action()->isChecked());
  EXPECT_FALSE(b.bar.Button(2).action()->isChecked());
  EXPECT_EQ(rt::Try([&] { b.bar.Button(7).SetValue(2); }), 380);
  EXPECT_EQ(rt::Try([&] { b.bar.Button(8); }), 35600);
}

TEST(Toolbar, UserClicksFollowTheButtonStyles) {
  const struct {
    const char* key;
    const char* click;
    std::vector<int> values;
  } steps[] = {
      {"zoom", "zoom=1", {0, 0, 1, 0, 0, 0, 0}},
      {"zoom", "zoom=1", {0, 0, 1, 0, 0, 0, 0}},  // a pressed group button stays pressed
      {"zminus", "zminus=0", {0, 0, 1, 0, 0, 0, 0}},
      {"lightback", "lightback=1", {0, 0, 1, 0, 0, 1, 0}},
      {"lightback", "lightback=0", {0, 0, 1, 0, 0, 0, 0}},
      {"select", "select=1", {1, 0, 0, 0, 0, 0, 0}},
  };
  Bar b;
  for (const auto& s : steps) {
    b.clicks.clear();
    b.bar.Button(s.key).action()->trigger();
    EXPECT_EQ(b.clicks, std::vector<std::string>{s.click}) << s.key;
    EXPECT_EQ(b.Values(), s.values) << s.key;
    EXPECT_EQ(b.bar.Button(s.key).action()->isChecked(), b.bar.Button(s.key).Value() == 1);
  }
}

TEST(Toolbar, PicturesComeFromTheImageList) {
  Bar b;
  EXPECT_EQ(b.bar.Button(2).Image(), 2);
  EXPECT_EQ(b.bar.Button(2).action()->icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::green));
  b.bar.Button(2).SetImage(0);
  EXPECT_TRUE(b.bar.Button(2).action()->icon().isNull());
  EXPECT_EQ(rt::Try([&] { b.bar.Button(2).SetImage(4); }), 380);
  EXPECT_EQ(b.bar.Button(1).ToolTipText(), "Move with left button, Orient with right");
}

TEST(Toolbar, LayoutIsSavedAndRestoredWithTheWindowState) {
  SetLayoutStore(std::make_shared<MemoryLayoutStore>());
  {
    Bar b;
    b.window.addToolBar(Qt::LeftToolBarArea, static_cast<QToolBar*>(b.bar.widget()));
    b.bar.SaveToolbar("UserVantrelann", "ToolBars", "5");
  }
  Bar again;
  EXPECT_EQ(again.window.toolBarArea(static_cast<QToolBar*>(again.bar.widget())), Qt::TopToolBarArea);
  EXPECT_FALSE(again.bar.RestoreToolbar("UserVantrelann", "ToolBars", "6"));
  EXPECT_TRUE(again.bar.RestoreToolbar("UserVantrelann", "ToolBars", "5"));
  EXPECT_EQ(again.window.toolBarArea(static_cast<QToolBar*>(again.bar.widget())), Qt::LeftToolBarArea);
  SetLayoutStore(nullptr);
}

TEST(StatusBar, PanelsAndTheirClicks) {
  QMainWindow w;
  StatusBar s(&w, "StatusBar1");
  s.AddPanel("Options", 1500);
  s.AddPanel("");
  s.SetPanelText(2, "Loading...");
  EXPECT_EQ(s.PanelText(2), "Loading...");
  EXPECT_EQ(w.statusBar(), s.widget());
  std::vector<int> clicked;
  int dbl = 0;
  s.PanelClick = [&](int p) { clicked.push_back(p); };
  s.DblClick = [&] { ++dbl; };
  w.show();
  ASSERT_TRUE(vantrel::test::WaitForWindowExposed(&w));
  auto labels = s.widget()->findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 2);
  QTest::mouseClick(labels[0], Qt::LeftButton);
  QTest::mouseClick(labels[1], Qt::LeftButton);
  EXPECT_EQ(clicked, (std::vector<int>{1, 2}));
  QTest::mouseDClick(labels[1], Qt::LeftButton);
  EXPECT_EQ(dbl, 1);
  EXPECT_EQ(rt::Try([&] { s.PanelText(3); }), 35600);
}

TEST(Menu, CheckMarksAreTheProgramsAndWritesRaiseNoClick) {
  QMainWindow w;
  Menu options(w.menuBar(), "mnuOptions", "&OptionsInteractive");
  Menu interactive(options, "mnuOinteractive", "&Interactive");
  Menu sep(options, "mnuFSep1", "-");
  Menu update(w.menuBar(), "mnuUpdateExcel", "&UpdateExcel", false);
  int clicks = 0;
  interactive.Click = [&] { ++clicks; };
  interactive.SetChecked(true);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(interactive.action()->isChecked());
  // The user's choice runs Click and leaves the mark to the program.
  interactive.action()->trigger();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(interactive.Checked());
  EXPECT_TRUE(interactive.action()->isChecked());
  interactive.SetChecked(false);
  EXPECT_FALSE(interactive.action()->isCheckable());
  EXPECT_TRUE(sep.IsSeparator());
  EXPECT_EQ(options.Caption(), "&OptionsInteractive");
  options.SetEnabled(false);
  EXPECT_FALSE(options.menu()->menuAction()->isEnabled());
  update.SetVisible(false);
  EXPECT_FALSE(update.Visible());
  int updates = 0;
  update.Click = [&] { ++updates; };
  update.action()->trigger();
  EXPECT_EQ(updates, 1);
}

}  // namespace
}  // namespace vantrel::forms
