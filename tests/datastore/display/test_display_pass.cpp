#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "datastore/display_pass.h"
#include "tests/support/fake_services.h"
#include "datastore/state.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

// A store with a fake main window, and a load that read one data row at scale 1.
struct Pass : ::testing::Test {
  std::shared_ptr<FakeMainWindow> main = std::make_shared<FakeMainWindow>();
  ScopedStore scope{main};
  DataStore& s = scope.store();
  LoadWork w;
  test::MsgBoxGuard boxes;

  Pass() {
    w.ReadRows = 1;
    w.SpecScale = 1;
    w.ScaleBeforeNed = 1;
    s.DataTable.Set(0, 1, 1);
  }
  void Rows(std::initializer_list<std::array<double, 4>> rows) {
    int r = 0;
    for (const auto& v : rows) {
      for (int c = 0; c < 4; ++c) s.DataTable.Set(r, c, v[c]);
      ++r;
    }
    s.LastDataRow = r - 1;
  }
};

TEST_F(Pass, TitleKeywordsSetModesAndAreCutWhenWrittenInLowerCase) {
  const struct {
    const char* title;
    double valuesMode, valAxis, quaterAlt, moon, body, logo;
    const char* after;
  } cases[] = {
      {"Orbit VALZ", 1, 3, 0, 0, 4, 0, "Orbit VALZ"},
      {"valy valz", 1, 3, 0, 0, 4, 0, "valy "},
      {"a valy b", 1, 2, 0, 0, 4, 0, "a   b"},
      {"x valx", 1, 1, 0, 0, 4, 0, "x "},
      {"Plot", 0, 3, 0, 0, 4, 0, "Plot"},
      {"Mesa", 0, 3, 1, 0, 4, 0, "Mesa"},
      {"XYZW run", 0, 3, 1, 0, 4, 0, "XYZW run"},
      {"a xyzw", 0, 3, 1, 0, 4, 0, "a "},
      {"Moon", 0, 3, 0, 0, 4, 0, "Moon"},
      {"moonlight", 0, 3, 0, 1, 4, 0, " light"},
      {"la lune", 0, 3, 0, 1, 4, 0, "la "},
      {"sun mars", 0, 3, 0, 0, 5, 0, "  "},
      {"Sunday", 0, 3, 0, 0, 4, 0, "Sunday"},
      {"sunday", 0, 3, 0, 0, 1, 0, " day"},
      {"Focus earth", 0, 3, 0, 0, 4, 0, " "},
      {"jupiter and venus", 0, 3, 0, 0, 6, 0, "  and "},
      {"QUORVEL demo", 0, 3, 0, 0, 4, 0.5, "QUORVEL demo"},
      {"quorvel demo", 0, 3, 0, 0, 4, 0.5, "  demo"},
  };
  for (const auto& c : cases) {
    s.PlotTitle = c.title;
    DisplayPass(w);
    EXPECT_EQ(s.ValuesMode, c.valuesMode) << c.title;
    EXPECT_EQ(s.ValAxis, c.valAxis) << c.title;
    EXPECT_EQ(s.QuaterOrderAlt, c.quaterAlt) << c.title;
    EXPECT_EQ(s.MoonMode, c.moon) << c.title;
    EXPECT_EQ(s.CentralBody, c.body) << c.title;
    EXPECT_EQ(s.SettingsBlock.LogoMode, c.logo) << c.title;
    EXPECT_EQ(s.PlotTitle, c.after) << c.title;
  }
}

TEST_F(Pass, ValuesWordShowsTheValueBoxesAndNothingHidesThem) {
  s.PlotTitle = "valz";
  DisplayPass(w);
  EXPECT_TRUE(main->checks[CheckBox::Check5].visible);
  EXPECT_EQ(main->Count("Check5.Visible=1"), 1);
  EXPECT_EQ(main->Count("Check11.Visible=1"), 1);
  s.PlotTitle = "plain";
  DisplayPass(w);
  EXPECT_EQ(main->Count("Check5.Visible=0"), 0);
}

TEST_F(Pass, EsaPutsTheLastQuaternionComponentFirstIncludingOneRowPastTheCount) {
  s.QuaterRows = 1;
  const double rows[3][5] = {{1, .1, .2, .3, .9}, {2, .4, .5, .6, .7}, {3, 1, 2, 3, 4}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 5; ++c) s.QuaterTable.Set(r, c, rows[r][c]);
  s.PlotTitle = "ESA";
  DisplayPass(w);
  const double want[3][5] = {{1, .9, .1, .2, .3}, {2, .7, .4, .5, .6}, {3, 1, 2, 3, 4}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 5; ++c) EXPECT_EQ(s.QuaterTable.Get(r, c), want[r][c]) << r << "," << c;
}

TEST_F(Pass, ValueRange) {
  const struct {
    std::vector<double> values;
    double min, max;
  } cases[] = {
      {{7, 7, 7}, 7, 7.07},
      {{0, 0}, 0, 1},
      {{-2, -2, -2}, -2, -1.98},  // widened upwards: the maximum stays above the minimum
      {{}, 0, 1},
      {{3, -1, 5}, -1, 5},
  };
  w.ranges[kPartValZ] = "P2:Q4";
  for (const auto& c : cases) {
    for (size_t i = 0; i < 4; ++i) s.ValZTable.Set(i, 1, i < c.values.size() ? c.values[i] : 0);
    s.ValZRows = static_cast<double>(c.values.size());
    DisplayPass(w);
    EXPECT_DOUBLE_EQ(s.ValZMin, c.min);
    EXPECT_DOUBLE_EQ(s.ValZMax, c.max);
    EXPECT_LT(s.ValZMin, s.ValZMax);
  }
}

TEST_F(Pass, MinusYArrayBecomesTheValueSeries) {
  const double rows[3][2] = {{0, 5}, {10, 6}, {20, 7}};
  for (int r = 0; r < 3; ++r) {
    s.SAmYTable.Set(r, 0, rows[r][0]);
    s.SAmYTable.Set(r, 1, rows[r][1]);
  }
  s.SAmYRows = 3;
  s.PlotTitle = "valz";
  DisplayPass(w);
  EXPECT_EQ(s.ValZRows, 2);
  EXPECT_EQ(s.SAmYRows, 0);
  EXPECT_EQ(s.ValZTable.Get(0, 0), 10);
  EXPECT_EQ(s.ValZTable.Get(0, 1), 6);
  EXPECT_EQ(s.ValZTable.Get(1, 0), 20);
  EXPECT_EQ(s.ValZTable.Get(1, 1), 7);
  EXPECT_EQ(s.ValZMin, 6);
  EXPECT_EQ(s.ValZMax, 7);
  // Without a series or a value range the range of the earlier load stays.
  s.PlotTitle = "";
  DisplayPass(w);
  EXPECT_EQ(s.ValZMin, 6);
  EXPECT_EQ(s.ValZMax, 7);
}

TEST_F(Pass, PenUpColourColumnAndItsRange) {
  s.PenUpMode = 1;
  const struct {
    double t0, t1, t2;
    double mn, mx;
  } cases[] = {{0, 5, 9, 0, 9}, {3, 0, 8, 3, 8}, {4, 4, 4, 4, 4.04}, {0, 0, 0, 0, 1}};
  for (const auto& c : cases) {
    Rows({{c.t0, 1, 1, 1}, {c.t1, 1, 1, 1}, {c.t2, 1, 1, 1}});
    DisplayPass(w);
    EXPECT_DOUBLE_EQ(s.Col0Min, c.mn);
    EXPECT_DOUBLE_EQ(s.Col0Max, c.mx);
  }
  // Pen-up with only X Y Z: Z colours the point.
  w.PenUpXyzOnly = 1;
  Rows({{0, 1, 2, 30}, {0, 1, 2, 10}});
  DisplayPass(w);
  EXPECT_EQ(s.DataTable.Get(0, 0), 30);
  EXPECT_EQ(s.DataTable.Get(1, 0), 10);
  EXPECT_EQ(s.Col0Min, 10);
  EXPECT_EQ(s.Col0Max, 30);
}

TEST_F(Pass, DemoLoadSizesTheSatelliteToTheData) {
  const struct {
    double distance;
    int max, slider;
  } cases[] = {{42164000, 100, 69}, {1537500, 100, 2}, {42164000, 50, 50}};
  for (const auto& c : cases) {
    main->hscroll3Max = c.max;
    main->hscroll3 = 0;
    w.DemoShown = 1;
    Rows({{0, 0, 0, 100}, {0, 0, c.distance, 0}});
    DisplayPass(w);
    EXPECT_EQ(main->hscroll3, c.slider) << c.distance;
    EXPECT_EQ(main->checks[CheckBox::Check3].value, 1);
    EXPECT_EQ(main->checks[CheckBox::Check4].value, 1);
    EXPECT_EQ(main->combo2, "GEO satcom");
  }
}

TEST_F(Pass, AxisOrderOfTheReadingPass) {
  const struct {
    const char* shift;
    const char* swap;
    double x, y, z;
  } cases[] = {
      {"1 permutcirculaire", "", 3, 1, 2},  // yzx
      {"2 permutcirculaire", "", 2, 3, 1},  // zxy
      {"", "1 echange x y", 2, 1, 3},       // yxz
      {"", "2 echange y z", 1, 3, 2},       // xzy
      {"", "3 echange x z", 3, 2, 1},       // zyx
      {"0 rien à faire", "", 1, 2, 3},      // xyz
  };
  for (const auto& c : cases) {
    Rows({{9, 1, 2, 3}, {9, 1, 2, 3}});
    s.DataTable.Set(1, 4, -1);
    w.AxisShiftCode = c.shift;
    w.AxisSwapCode = c.swap;
    DisplayPass(w);
    for (int r = 0; r < 2; ++r) {
      EXPECT_EQ(s.DataTable.Get(r, 1), c.x) << c.shift << c.swap;
      EXPECT_EQ(s.DataTable.Get(r, 2), c.y) << c.shift << c.swap;
      EXPECT_EQ(s.DataTable.Get(r, 3), c.z) << c.shift << c.swap;
      EXPECT_EQ(s.DataTable.Get(r, 0), 9);
    }
    EXPECT_EQ(s.DataTable.Get(1, 4), -1);
  }
}

TEST_F(Pass, SatelliteBoxFollowsAttitudeDataAndRemembersItSwitchedItOff) {
  main->checks[CheckBox::Check3].value = 1;
  int clicks = 0;
  main->handlers["Check3"] = [&] { ++clicks; };
  s.QuaterRows = 0;
  DisplayPass(w);
  EXPECT_EQ(main->checks[CheckBox::Check3].value, 0);
  EXPECT_EQ(main->checks[CheckBox::Check3].tag, "1");
  s.QuaterRows = 5;
  DisplayPass(w);
  EXPECT_EQ(main->checks[CheckBox::Check3].value, 1);
  // The user unticks it; the next load with attitude data ticks it again.
  main->checks[CheckBox::Check3].value = 0;
  DisplayPass(w);
  EXPECT_EQ(main->checks[CheckBox::Check3].value, 1);
  EXPECT_EQ(clicks, 3);
}

TEST_F(Pass, NoPlotEarthBoxFollowsTheScaleFactor) {
  DisplayPass(w);  // no scale factor: ticked, and remembered
  EXPECT_EQ(s.IsoScaleMode, 0);
  EXPECT_EQ(main->checks[CheckBox::Check1_0].value, 1);
  EXPECT_EQ(main->checks[CheckBox::Check1_0].tag, "1");
  w.SpecScale = 2;
  w.ScaleBeforeNed = 2;
  DisplayPass(w);
  EXPECT_EQ(s.IsoScaleMode, 1);
  EXPECT_EQ(s.ScaleFactor, 2);
  EXPECT_EQ(main->checks[CheckBox::Check1_0].value, 0);
  // A box the user ticked is left ticked by a load with a scale factor.
  FakeMainWindow& m = *main;
  m.checks[CheckBox::Check1_0] = {1, "", true};
  DisplayPass(w);
  EXPECT_EQ(m.checks[CheckBox::Check1_0].value, 1);
}

TEST_F(Pass, NothingReadDrawsTheSampleWithEvents) {
  w.ReadRows = 0;
  w.EventsListLast = 0;
  DisplayPass(w);
  EXPECT_EQ(s.LastDataRow, 7);
  EXPECT_DOUBLE_EQ(s.DataTable.Get(2, 1), 307049.106105);
  EXPECT_EQ(w.SpecScale, 0.001);
  EXPECT_EQ(s.ScaleFactor, 0.001);
  EXPECT_EQ(s.IsoScaleMode, 1);
  EXPECT_EQ(w.EventRows, 1);
  EXPECT_EQ(s.EventsGiven, 1);
  EXPECT_EQ(s.EventCount, 1);
}

// EventsGiven is only ever set here; the watcher clears it before a reload.
TEST_F(Pass, DataWithoutEventsClearTheEventRowsAndKeepEventsGiven) {
  w.EventRows = 3;
  w.EventsListLast = 2;
  DisplayPass(w);
  EXPECT_EQ(s.EventsGiven, 1);
  EXPECT_EQ(s.EventCount, 3);
  s.EventsTable.Set(0, 0, 5);
  s.EventsTable.Set(1, 1, 1);
  LoadWork next;
  next.ReadRows = 1;
  next.SpecScale = next.ScaleBeforeNed = 1;
  DisplayPass(next);
  EXPECT_EQ(s.EventsGiven, 1);
  EXPECT_EQ(s.EventCount, 1);
  EXPECT_EQ(s.EventsTable.Get(0, 0), 0);
  EXPECT_EQ(s.EventsTable.Get(1, 1), 0);
}

}  // namespace
}  // namespace vantrel::datastore

namespace vantrel::datastore {
namespace {

TEST_F(Pass, ClosesTheDataFileTheReaderLeftOpen) {
  const std::string path = std::string(std::getenv("XDG_DATA_HOME")) + "/open-by-reader.vnx";
  { std::ofstream(path) << "header\r\n1\t2\t3\r\n"; }
  ASSERT_EQ(w.file1.Open(path), 0);
  DisplayPass(w);
  EXPECT_FALSE(w.file1.IsOpen());
  DisplayPass(w);  // nothing open: nothing happens
  EXPECT_FALSE(w.file1.IsOpen());
}

}  // namespace
}  // namespace vantrel::datastore
