// The animation and view sliders.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/ui/ui_fixture.h"

namespace vantrel::ui {
namespace {

TEST_F(UiTest, RedrawStartMovesTheCurrentRowAndResetsTheSpeed) {
  MainWindow& m = Start();
  st().LastDataRow = 999;
  st().AnimState = 0;
  m.HScroll1->SetValue(5000);
  EXPECT_EQ(m.GlInstance->CURRINDEXI, 500);
  EXPECT_EQ(m.Text3->Text(), "Redraw  5000");
  EXPECT_EQ(m.HScroll2->Value(), 0);
  EXPECT_EQ(m.Text2->Text(), "Redraw speed 1");
  EXPECT_EQ(st().STEPPT, 1);
  EXPECT_EQ(st().AnimState, 0);
  m.HScroll1->SetValue(0);
  EXPECT_EQ(m.HScroll1->Value(), 1);
  EXPECT_EQ(m.GlInstance->CURRINDEXI, 0);
  EXPECT_EQ(m.Text3->Text(), "Redraw  0");
}

TEST_F(UiTest, RedrawStartWhileHeldSynchronisesTheSlider) {
  MainWindow& m = Start();
  st().LastDataRow = 1000;
  m.GlInstance->CURRINDEXI = 250;
  st().AnimState = 1;
  m.HScroll1_Change();
  EXPECT_EQ(m.HScroll1->Value(), 2500);
  EXPECT_EQ(m.Text3->Text(), "Redraw  2500");
  EXPECT_EQ(m.GlInstance->CURRINDEXI, 250);
  EXPECT_EQ(st().AnimState, 0);
}

TEST_F(UiTest, HeldAnimationWithOneDataRowDoesNotDivideByZero) {
  MainWindow& m = Start();
  st().LastDataRow = 0;
  st().AnimState = 1;
  m.HScroll1_Change();
  EXPECT_EQ(m.HScroll1->Value(), 10000);
  EXPECT_EQ(m.Text3->Text(), "Redraw  10000");
  st().AnimState = 0;
  m.HScroll4->SetValue(500);
  st().AnimState = 1;
  m.HScroll4_Change();
  EXPECT_EQ(m.Text10->Text(), "Starting 1000");
  EXPECT_EQ(st().AnimState, 2);
}

TEST_F(UiTest, RedrawSpeedAndStartingPoint) {
  MainWindow& m = Start();
  struct Case {
    int value;
    double steppt;
    const char* text;
  } cases[] = {{16, 65536, "Redraw speed 65536"}, {0, 1, "Redraw speed 1"}, {9, 512, "Redraw speed 512"}};
  for (const Case& c : cases) {
    m.HScroll2->SetValue(c.value);
    EXPECT_EQ(st().STEPPT, c.steppt);
    EXPECT_EQ(m.Text2->Text(), c.text);
  }
  st().LastDataRow = 1000;
  st().AnimState = 0;
  m.HScroll4->SetValue(250);
  EXPECT_EQ(m.GlInstance->CURRINDEXMINI, 250);
  EXPECT_EQ(m.Text10->Text(), "Starting 250");
  EXPECT_EQ(st().AnimState, 0);
}

TEST_F(UiTest, SatelliteSizeSlidersFollowEachOther) {
  MainWindow& m = Start();
  m.HScroll3->SetValue(640);
  EXPECT_EQ(m.HScroll10->Value(), 640);
  EXPECT_EQ(m.Check3->Value(), 0);  // the panel's slider does not switch the satellite on
  EXPECT_EQ(sb().SatelliteSize, 640);
  EXPECT_EQ(Stored("Setstr13.00"), "640");
  EXPECT_EQ(m.Label1(12).Caption(), "Satellite size 641");
  st().ScaleFactor = 0;  // keeps the satellite box from resizing the model
  m.HScroll10->SetValue(5000);
  EXPECT_EQ(m.HScroll3->Value(), 5000);
  EXPECT_EQ(m.Check3->Value(), 1);
  EXPECT_EQ(Stored("Setstr14.00"), "1");
}

TEST_F(UiTest, LocalViewCentre) {
  MainWindow& m = Start();
  st().LastDataRow = 1000;
  m.HScroll7->SetValue(50);
  EXPECT_EQ(sb().LocalViewIndex, 500);
  st().LastDataRow = 999;
  m.HScroll7->SetValue(25);
  EXPECT_EQ(sb().LocalViewIndex, 250);  // 249.75
}

}  // namespace
}  // namespace vantrel::ui
