#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "datastore/state.h"
#include "platform/runtime/rterror.h"
#include "tests/support/guards.h"
#include "view/class_gl.h"
#include "view/scene_colour_scale.h"
#include "view/view_shared.h"

namespace vantrel::view {
namespace {

using datastore::DataStore;

struct Row {
  double x, y, z, flag = 0;
};

class ViewTables : public ::testing::Test {
 protected:
  ViewTables() : gl_(nullptr) {}
  DataStore& st() { return store_.store(); }

  // Loaded data as the loader leaves them: rows, one events row, load finished.
  void Load(const std::vector<Row>& rows) {
    for (size_t r = 0; r < rows.size(); ++r) {
      st().DataTable.Set(int64_t(r), 1, rows[r].x);
      st().DataTable.Set(int64_t(r), 2, rows[r].y);
      st().DataTable.Set(int64_t(r), 3, rows[r].z);
      st().DataTable.Set(int64_t(r), 4, rows[r].flag);
    }
    st().LastDataRow = int32_t(rows.size()) - 1;
    st().EventCount = 1;
    st().SettingsBlock.LoadDone = 1.0;
  }
  std::array<double, 3> At(int64_t r) { return {st().DataTable(r, 1), st().DataTable(r, 2), st().DataTable(r, 3)}; }

  datastore::ScopedStore store_;
  ScopedViewShared shared_;
  ClassGl gl_;
};

// --- creation ---------------------------------------------------------------------------

TEST_F(ViewTables, NewObjectHasDefaultSceneAndIdleTimer) {
  EXPECT_EQ(gl_.SceneExtent, 100);
  EXPECT_EQ(st().ScaleFactor, 1.0);
  EXPECT_EQ(st().PlotTitle, "");
  EXPECT_FALSE(gl_.THEUPDATETIMER().Active());
  EXPECT_EQ(shared_.shared().ProductName, "Vantrel");
  EXPECT_EQ(shared_.shared().TitleSuffix, " ");
}

// --- the fit ------------------------------------------------------------------------------

TEST_F(ViewTables, PerAxisFitStretchesEachAxisTo80) {
  Load({{0, 0, 0}, {5, 10, 20}, {10, 20, 40}});
  gl_.CURRINDEXI = 2;
  gl_.ScaleDataToScene();
  for (int k = 0; k < 3; ++k) EXPECT_EQ(gl_.AxisFit[size_t(k)].Offset, 0) << k;
  auto far = At(2);
  EXPECT_DOUBLE_EQ(far[0], 80);
  EXPECT_DOUBLE_EQ(far[1], 80);
  EXPECT_DOUBLE_EQ(far[2], 80);
  EXPECT_NEAR(gl_.SceneExtent, 138.564, 5e-4);
  EXPECT_DOUBLE_EQ(gl_.MouseStep, 1 / gl_.SceneExtent);
  EXPECT_EQ(st().DataFitted, 1);
  EXPECT_EQ(st().ScaleFactor, 1.0);
  EXPECT_EQ(gl_.CURRINDEXI, 0);
  EXPECT_EQ(gl_.THEUPDATETIMER().Interval(), 1);
}

TEST_F(ViewTables, DataAwayFromTheOriginAreShifted) {
  Load({{200, 0, 0}, {205, 1, 1}, {210, 2, 2}});
  gl_.ScaleDataToScene();
  EXPECT_EQ(gl_.AxisFit[0].Offset, -200);
  EXPECT_EQ(gl_.AxisFit[0].Scale, 8);
  EXPECT_DOUBLE_EQ(At(0)[0], 0);
  EXPECT_DOUBLE_EQ(At(1)[0], 40);
  EXPECT_DOUBLE_EQ(At(2)[0], 80);
}

TEST_F(ViewTables, ScaleFactorKeepsProportions) {
  Load({{100, 0, 0}, {0, 400, 0}, {0, 0, -300}});
  st().ScaleFactor = 2;
  gl_.ScaleDataToScene();
  EXPECT_DOUBLE_EQ(At(0)[0], 20);
  EXPECT_DOUBLE_EQ(At(1)[1], 80);
  EXPECT_DOUBLE_EQ(At(2)[2], -60);
  EXPECT_DOUBLE_EQ(st().ScaleFactor, 0.4);
  EXPECT_DOUBLE_EQ(gl_.SceneExtent, 80);
}

TEST_F(ViewTables, BreakRowsDoNotWidenTheFitButAreRescaledAndCounted) {
  // Row 1 is a break far away: the fit ignores it, the rescale moves it, the extent counts it.
  Load({{0, 0, 0}, {1000, 0, 0, -1}, {10, 10, 10}});
  gl_.ScaleDataToScene();
  EXPECT_EQ(gl_.AxisFit[0].Max, 10);
  EXPECT_DOUBLE_EQ(At(1)[0], 8000);
  EXPECT_DOUBLE_EQ(gl_.SceneExtent, 8000);
}

TEST_F(ViewTables, PenUpModeCountsBreakRowsAndRescalesTheSecondPath) {
  Load({{0, 0, 0}, {20, 10, 10, -1}, {10, 5, 5}});
  st().PenUpMode = 1;
  st().QuaterTable.Set(0, 0, 10);
  st().QuaterTable.Set(0, 1, 5);
  st().QuaterTable.Set(0, 2, 10);
  st().QuaterRows = 0;
  gl_.ScaleDataToScene();
  EXPECT_EQ(gl_.AxisFit[0].Max, 20);
  EXPECT_DOUBLE_EQ(st().QuaterTable(0, 0), 40);
  EXPECT_DOUBLE_EQ(st().QuaterTable(0, 1), 40);
  EXPECT_DOUBLE_EQ(st().QuaterTable(0, 2), 80);
}

TEST_F(ViewTables, FlatAxisEndsAtZeroWithoutNaN) {
  Load({{0, 0, 5}, {10, 10, 5}});
  gl_.ScaleDataToScene();
  EXPECT_EQ(gl_.AxisFit[2].Range, 0);
  for (int64_t r = 0; r <= 1; ++r) {
    EXPECT_EQ(At(r)[2], 0) << r;
    EXPECT_FALSE(std::isnan(At(r)[0]));
  }
}

TEST_F(ViewTables, AllRowsAtTheOriginGiveExtentOne) {
  Load({{0, 0, 0}, {0, 0, 0}});
  gl_.ScaleDataToScene();
  EXPECT_EQ(gl_.SceneExtent, 1);
  EXPECT_EQ(gl_.MouseStep, 1);
  EXPECT_EQ(At(1)[0], 0);
}

TEST_F(ViewTables, SecondCallOnlyResetsRowAndTimer) {
  Load({{0, 0, 0}, {10, 20, 40}});
  gl_.ScaleDataToScene();
  auto fitted = At(1);
  double extent = gl_.SceneExtent;
  gl_.CURRINDEXI = 1;
  st().SettingsBlock.LoadDone = 0;  // a reset needs no finished load
  gl_.ScaleDataToScene();
  EXPECT_EQ(At(1), fitted);
  EXPECT_EQ(gl_.SceneExtent, extent);
  EXPECT_EQ(gl_.CURRINDEXI, 0);
}

TEST_F(ViewTables, RunningLoadIsNotFitted) {
  Load({{0, 0, 0}, {10, 20, 40}});
  st().SettingsBlock.LoadDone = 0;
  gl_.CURRINDEXI = 1;
  gl_.ScaleDataToScene();
  EXPECT_EQ(At(1)[2], 40);
  EXPECT_EQ(st().DataFitted, 0);
  EXPECT_EQ(gl_.CURRINDEXI, 1);
  EXPECT_FALSE(gl_.THEUPDATETIMER().Active());
}

TEST_F(ViewTables, EventFlagStateTellsWhetherBothFlagsOccur) {
  struct Case {
    std::vector<double> flags;
    double startup;
    double want;
  };
  const Case cases[] = {
      {{0, 0, 0}, 0, 1},
      {{0, 1, 0}, 0, 0},
      {{1, 1, 1}, 0, 1},
      {{1, 1, 1}, 1, 0},  // after start-up the state is always 0
  };
  for (const Case& c : cases) {
    Load({{0, 0, 0}, {1, 1, 1}});
    st().DataFitted = 0;
    for (size_t r = 0; r < c.flags.size(); ++r) st().EventsTable.Set(int64_t(r), 1, c.flags[r]);
    st().EventCount = int32_t(c.flags.size()) - 1;
    shared_.shared().StartupFlag = c.startup;
    gl_.ScaleDataToScene();
    EXPECT_EQ(shared_.shared().EventFlagState, c.want) << c.flags[1] << " " << c.startup;
  }
}

// --- the animation indices ----------------------------------------------------------------

TEST_F(ViewTables, ChangeCurrentRowRoundsHalfToEvenAndLetsTheAnimationRun) {
  struct Case {
    double in;
    int32_t row;
  };
  for (Case c : {Case{7.5, 8}, Case{8.5, 8}, Case{9.4, 9}, Case{-0.5, 0}}) {
    gl_.CURRINDEXI = 3;
    st().AnimState = 1;
    double in = c.in, w = 42;
    gl_.ChangeCURRINDEXI(in, w);
    EXPECT_EQ(gl_.CURRINDEXI, c.row) << c.in;
    EXPECT_EQ(st().AnimState, 0);
    EXPECT_EQ(w, 0);
  }
}

TEST_F(ViewTables, ChangeCurrentRowWithOneVariableReadsAndHolds) {
  gl_.CURRINDEXI = 123;
  double v = 77;
  gl_.ChangeCURRINDEXI(v, v);
  EXPECT_EQ(v, 123);
  EXPECT_EQ(gl_.CURRINDEXI, 123);
  EXPECT_EQ(st().AnimState, 1);
}

TEST_F(ViewTables, ChangeCurrentRowBeyondALongRaisesOverflow) {
  gl_.CURRINDEXI = 5;
  double in = 3e9, w = 0;
  try {
    gl_.ChangeCURRINDEXI(in, w);
    FAIL() << "no error";
  } catch (const rt::RtError& e) {
    EXPECT_EQ(e.number(), 6);
  }
  EXPECT_EQ(gl_.CURRINDEXI, 5);
}

TEST_F(ViewTables, ChangeFirstRow) {
  // Different arguments: the state stays; equal ones: 2, and the next step makes it 1.
  gl_.CURRINDEXMINI = 4;
  st().AnimState = 1;
  double in = 10, w = 3;
  gl_.ChangeCURRINDEXMINI(in, w);
  EXPECT_EQ(gl_.CURRINDEXMINI, 10);
  EXPECT_EQ(st().AnimState, 1);
  EXPECT_EQ(w, 4);  // not cleared while the animation is held

  double v = 99;
  gl_.ChangeCURRINDEXMINI(v, v);
  EXPECT_EQ(v, 10);
  EXPECT_EQ(gl_.CURRINDEXMINI, 10);
  EXPECT_EQ(st().AnimState, 2);
  for (int i = 0; i < 5; ++i) gl_.TheUpdateTimer_ThatTime();
  EXPECT_EQ(st().AnimState, 1);
}

// --- the timer tick -----------------------------------------------------------------------

class CountingGl : public ClassGl {
 public:
  int movies = 0;
  void MovieSaveAs() override { ++movies; }
};

class Tick : public ::testing::Test {
 protected:
  Tick() {
    st().LastDataRow = 1000;
    st().STEPPT = 512;
    st().SettingsBlock.InteractiveOpt = 1.0;
    gl_.ExcelWatchXls = [this] { watched_.push_back(tick_); };
  }
  DataStore& st() { return store_.store(); }
  // Runs ticks and returns the row after each fifth one.
  std::vector<int32_t> Run(int ticks) {
    std::vector<int32_t> rows;
    for (int i = 0; i < ticks; ++i) {
      ++tick_;
      gl_.TheUpdateTimer_ThatTime();
      if (tick_ % 5 == 0) rows.push_back(gl_.CURRINDEXI);
    }
    return rows;
  }
  datastore::ScopedStore store_;
  ScopedViewShared shared_;
  CountingGl gl_;
  int tick_ = 0;
  std::vector<int> watched_;
};

TEST_F(Tick, RowAdvancesToTheLastRowAndStays) {
  auto rows = Run(15);
  EXPECT_EQ(rows, (std::vector<int32_t>{512, 1000, 1000}));
}

TEST_F(Tick, WatcherRunsOnceInAHundredTicks) {
  Run(300);
  EXPECT_EQ(watched_, (std::vector<int>{5, 105, 205}));
}

TEST_F(Tick, ZeroStepBecomesAHundred) {
  st().STEPPT = 0;
  auto rows = Run(5);
  EXPECT_EQ(st().STEPPT, 100);
  EXPECT_EQ(rows, std::vector<int32_t>{100});
}

TEST_F(Tick, ReadFirstRowHoldsForOneStepThenStaysHeld) {
  st().AnimState = 2;
  auto rows = Run(10);
  EXPECT_EQ(rows, (std::vector<int32_t>{0, 0}));
  EXPECT_EQ(st().AnimState, 1);
}

TEST_F(Tick, WatcherAndMovieFollowTheirFlags) {
  struct Case {
    double interactive, watchState, loaderBusy, frameNo;
    size_t watched;
    int movies;
  };
  const Case cases[] = {
      {1.0, 0, 0, 0, 1, 0},
      {0, 0, 0, 3, 0, 20},   // no watcher, movie frames still taken
      {1.0, 1, 0, 3, 0, 0},  // no answer last time: neither runs
      {1.0, 0, 1, 0, 0, 0},  // a load is running
  };
  for (const Case& c : cases) {
    st().SettingsBlock.InteractiveOpt = c.interactive;
    st().ExcelWatchState = c.watchState;
    st().LoaderBusy = c.loaderBusy;
    st().SettingsBlock.MovieFrameNo = c.frameNo;
    watched_.clear();
    gl_.movies = 0;
    gl_.CURRINDEXI = 0;
    auto rows = Run(100);
    EXPECT_EQ(watched_.size(), c.watched) << c.interactive << c.watchState << c.loaderBusy;
    EXPECT_EQ(gl_.movies, c.movies);
    EXPECT_EQ(rows[0], 512);  // the row advances in every case
  }
}

TEST_F(Tick, RequestedReloadIdlesUntilFitted) {
  st().SettingsBlock.ReloadRequest = 1.0;
  st().DataFitted = 0;
  auto rows = Run(10);
  EXPECT_EQ(rows, (std::vector<int32_t>{0, 0}));
  EXPECT_EQ(gl_.TickCountB, 0);
  st().DataFitted = 1;
  rows = Run(5);
  EXPECT_EQ(rows, std::vector<int32_t>{512});
}

TEST_F(Tick, StepPastTheLongRangeIsSkipped) {
  st().LastDataRow = 2000000000;
  st().STEPPT = 1e12;
  gl_.CURRINDEXI = 7;
  Run(5);
  EXPECT_EQ(gl_.CURRINDEXI, 2000000000);
  st().LastDataRow = 0;
  st().STEPPT = -5e9;  // a step that would leave the range of a row
  Run(5);
  EXPECT_EQ(gl_.CURRINDEXI, 2000000000);
}

TEST_F(Tick, WatcherErrorsDoNotStopTheTick) {
  gl_.ExcelWatchXls = [] { throw rt::RtError(1004); };
  st().SettingsBlock.MovieFrameNo = 1;
  Run(5);
  EXPECT_EQ(gl_.movies, 1);
}

// --- the per-user data folder -------------------------------------------------------------

// A relative XDG_DATA_HOME is passed over, as the desktop files' folder passes it over: a folder
// that moved with the working folder would lose the files written there.
TEST(UserDataFolder, IsVantrelInTheDataHomeAndPassesOverARelativeOne) {
  struct Case {
    const char* xdgData;
    const char* want;
  };
  const Case cases[] = {
      {"/data/own", "/data/own/Vantrel"},
      {"data/own", "/home/someone/.local/share/Vantrel"},
      {"", "/home/someone/.local/share/Vantrel"},
      {nullptr, "/home/someone/.local/share/Vantrel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xdgData ? c.xdgData : "(unset)");
    test::EnvGuard env("HOME", "/home/someone");
    env.Set("XDG_DATA_HOME", c.xdgData);
    EXPECT_EQ(UserDataFolder(), std::filesystem::path(c.want));
    EXPECT_EQ(FixedEventFile(), std::filesystem::path(c.want) / "VantrelEvents.txt");
  }
}

// --- the fixed-path files -----------------------------------------------------------------

class FixedFiles : public ViewTables {
 protected:
  FixedFiles() { std::filesystem::create_directories(UserDataFolder()); }
  ~FixedFiles() override {
    std::filesystem::remove(FixedEventFile());
    std::filesystem::remove(FixedTrajectoryFile());
  }
  static void Write(const std::filesystem::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
  }
};

TEST_F(FixedFiles, NumbersReadInTheUserWriting) {
  struct Case {
    const char* decimal;
    const char* thousands;
    const char* text;
    double want;
  };
  const Case cases[] = {
      {".", ",", "1.5", 1.5},
      {",", ".", "1,5", 1.5},
      {".", ",", "-2.25E+3", -2250},
      {".", ",", "  12  ", 12},
      {".", ",", "abc", 0},
      {",", " ", "3,75x", 3.75},      // not a number: the first comma is a point, the rest ignored
      {".", "'", "1'000.5", 1000.5},  // the locale's own grouping marks
      {",", "\xC2\xA0",
       "1\xC2\xA0"
       "000,5",
       1000.5},
      {".", ",", "1e999x", 0},  // the parser's overflow reads as 0
  };
  for (const Case& c : cases) {
    test::LocaleGuard loc(c.decimal, c.thousands);
    EXPECT_DOUBLE_EQ(FixedFileNumber(c.text), c.want) << c.text;
  }
}

TEST_F(FixedFiles, EmptyTablesAreFilledFromTheFiles) {
  test::LocaleGuard loc(",", ".");
  Write(FixedEventFile(), "h1\r\nh2\r\nh3\r\n10,5\tstart\tS\r\n11\tend\tE\r\n12\tother\tX\r\n");
  Write(FixedTrajectoryFile(),
        "h1\nh2\nh3\n1\ta\tb\tc\t1000\t2000\t3000\n2\ta\tb\tc\t4000\t5000\t6000,5\n3\t\t\t\t7000\n");
  st().SettingsBlock.LoadDone = 1.0;
  st().EventsTable.Set(2, 1, 9);
  gl_.ScaleDataToScene();
  EXPECT_EQ(st().EventCount, 2);
  EXPECT_EQ(st().EventsTable(0, 0), 10.5);
  EXPECT_EQ(st().EventsTable(0, 1), 1);
  EXPECT_EQ(st().EventsTable(1, 1), 0);
  EXPECT_EQ(st().EventsTable(2, 0), 12);
  EXPECT_EQ(st().EventsTable(2, 1), 9);  // an unknown flag is not written
  EXPECT_EQ(st().LastDataRow, 2);
  EXPECT_EQ(st().DataTable(1, 0), 2);
  EXPECT_EQ(st().DataFitted, 1);
  // Before the fit row 1 held (4, 5, 6.0005) in km; row 2 only its X (7).
  EXPECT_EQ(gl_.AxisFit[0].Max, 7);
  EXPECT_DOUBLE_EQ(gl_.AxisFit[2].Max, 6.0005);
  EXPECT_EQ(gl_.AxisFit[2].Min, 0);
  EXPECT_EQ(gl_.MouseStep, 1 / gl_.SceneExtent);
}

TEST_F(FixedFiles, MissingFilesLeaveTheTablesAlone) {
  st().SettingsBlock.LoadDone = 1.0;
  st().DataTable.Set(0, 1, 5);
  gl_.ScaleDataToScene();
  EXPECT_EQ(st().EventCount, 0);
  EXPECT_EQ(st().LastDataRow, 0);
  EXPECT_EQ(st().DataFitted, 1);
  EXPECT_EQ(gl_.MouseStep, 1 / gl_.SceneExtent);
}

// --- where the colour-scale labels stand -------------------------------------------------------

struct PlacementCase {
  const char* name;
  bool barRunsUp;
  int dx, dy;  // step between two anchors, pixels
};

// Six labels 30 x 12 pixels (baseline 3 above their bottom edge), anchors a step apart: no two
// overlap after placement, and none is moved across the bar: beside an upright bar each keeps
// the row of its point when they do not touch; large labels on a short bar stand in one line
// along it, in the ramp's order, centred on their points (never a sideways staircase).
TEST(ScaleLabelPlacement, LabelsNeverOverlapAndStandInOneLineBesideTheBar) {
  const PlacementCase cases[] = {
      {"upright, close", true, 0, 5},      {"upright, apart", true, 0, 40},  {"upright, leaning", true, 3, 6},
      {"upright, downwards", true, 0, -4}, {"upright, one row", true, 0, 0}, {"across, close", false, 6, 0},
      {"across, apart", false, 50, 0},
  };
  for (const PlacementCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<ScaleLabelBox> in;
    for (int k = 0; k < 6; ++k) in.push_back({QPoint(100 + c.dx * k, 50 + c.dy * k), QRect(6, -3, 30, 12)});
    const std::vector<QPoint> shifts = PlaceScaleLabels(in, c.barRunsUp);
    ASSERT_EQ(shifts.size(), in.size());
    std::vector<QRect> placed;
    auto along = [&](const QPointF& p) { return c.barRunsUp ? p.y() : p.x(); };
    for (size_t k = 0; k < in.size(); ++k) {
      placed.push_back(in[k].glyphs.translated(in[k].anchor + shifts[k]));
      if (c.barRunsUp && c.dy == 40) {
        EXPECT_EQ(placed[k].y() + placed[k].height() / 2.0, in[k].anchor.y()) << k;
      }
      EXPECT_EQ(c.barRunsUp ? shifts[k].x() : shifts[k].y(), 0) << k << " moved across the bar";
    }
    for (size_t a = 0; a < placed.size(); ++a)
      for (size_t b = a + 1; b < placed.size(); ++b) {
        EXPECT_FALSE(placed[a].intersects(placed[b])) << a << " " << b;
      }
    // In the ramp's order along the bar, the line's middle at the middle of the points.
    const double dir = c.dy < 0 ? -1 : 1;
    for (size_t k = 1; k < placed.size(); ++k)
      EXPECT_GT(dir * along(placed[k].center()), dir * along(placed[k - 1].center())) << k;
    const QPointF lineMiddle = (QPointF(placed.front().center()) + QPointF(placed.back().center())) / 2;
    const QPointF pointsMiddle = (QPointF(in.front().anchor) + QPointF(in.back().anchor)) / 2;
    const double glyphsMiddle = along(QPointF(QRectF(in[0].glyphs).center()));
    EXPECT_NEAR(along(lineMiddle), along(pointsMiddle) + (c.barRunsUp ? 0 : glyphsMiddle), 1.5);
  }
}

// Large labels on a short upright bar near the top of a small view: the line they stand in is
// brought inside as one, and no two overlap.
TEST(ScaleLabelPlacement, ALineOfLargeLabelsIsBroughtInsideAsOne) {
  const QRect view(0, 0, 300, 200);
  std::vector<ScaleLabelBox> in;
  for (int k = 0; k < 6; ++k) in.push_back({QPoint(120, 170 + 2 * k), QRect(14, -8, 40, 30)});
  const std::vector<QPoint> s = PlaceScaleLabels(in, true, view);
  ASSERT_EQ(s.size(), in.size());
  for (size_t a = 0; a < in.size(); ++a) {
    const QRect pa = in[a].glyphs.translated(in[a].anchor + s[a]);
    EXPECT_TRUE(view.contains(pa)) << a;
    EXPECT_EQ(s[a].x(), 0) << a;
    for (size_t b = a + 1; b < in.size(); ++b)
      EXPECT_FALSE(pa.intersects(in[b].glyphs.translated(in[b].anchor + s[b]))) << a << " " << b;
  }
}

// A view 200 x 120 pixels (y up): labels near its edges are brought inside it, each by the
// least move; labels well inside stay where the placement put them.
TEST(ScaleLabelPlacement, LabelsStayInsideTheView) {
  const QRect view(0, 0, 200, 120);
  const QRect glyphs(6, -3, 30, 12);
  const struct {
    const char* name;
    QPoint anchor;
    QPoint shift;  // beside an upright bar, after the centring on the row (-3)
  } cases[] = {
      {"inside", QPoint(50, 60), QPoint(0, -3)},
      {"over the top edge", QPoint(50, 118), QPoint(0, -3 - 4)},
      {"under the bottom edge", QPoint(50, 1), QPoint(0, -3 + 5)},
      {"past the right edge", QPoint(180, 60), QPoint(-16, -3)},
      {"left of the left edge", QPoint(-20, 60), QPoint(14, -3)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<QPoint> s = PlaceScaleLabels({{c.anchor, glyphs}}, true, view);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0], c.shift);
    EXPECT_TRUE(view.contains(glyphs.translated(c.anchor + s[0])));
  }
}

}  // namespace
}  // namespace vantrel::view
