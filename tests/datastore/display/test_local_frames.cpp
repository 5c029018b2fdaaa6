#include <gtest/gtest.h>

#include <cmath>

#include "datastore/local_frames.h"
#include "datastore/state.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

struct Frames : ::testing::Test {
  ScopedStore scope;
  DataStore& s = scope.store();
  LoadWork w;
  test::MsgBoxGuard boxes;

  void Rows(std::initializer_list<std::array<double, 3>> rows) {
    int r = 0;
    for (const auto& v : rows) {
      s.DataTable.Set(r, 0, 100 + r);
      for (int c = 0; c < 3; ++c) s.DataTable.Set(r, c + 1, v[c]);
      s.DataTable.Set(r, 4, -1);
      ++r;
    }
    s.LastDataRow = r - 1;
  }
  void ExpectRow(int r, double x, double y, double z, double tol = 1e-6) {
    EXPECT_NEAR(s.DataTable.Get(r, 1), x, tol) << "row " << r;
    EXPECT_NEAR(s.DataTable.Get(r, 2), y, tol) << "row " << r;
    EXPECT_NEAR(s.DataTable.Get(r, 3), z, tol) << "row " << r;
    EXPECT_EQ(s.DataTable.Get(r, 0), 100 + r);  // time and break flag untouched
    EXPECT_EQ(s.DataTable.Get(r, 4), -1);
  }
};

TEST_F(Frames, LocalSiteRowsBecomeEarthCentredKilometres) {
  w.NedSiteGiven = 1;
  w.SiteLatitude = 0;
  w.SiteLongitude = 87.5;
  w.SiteHeight = 0;
  w.ScaleBeforeNed = 2;
  w.SpecScale = 1.0001;
  // Offsets as the table holds them, times the formula's factor 2.
  Rows({{0, 0, 0}, {2000, 0, 0}, {0, 2000, 0}, {0, 0, 2000}});
  LocalSiteStep(w);
  ExpectRow(0, 6378.137, 0, 0);
  ExpectRow(1, 6378.137, 0, 1);  // north is +Z at the equator
  ExpectRow(2, 6378.137, 1, 0);  // east
  ExpectRow(3, 6377.137, 0, 0);  // down
  EXPECT_EQ(w.SpecScale, 2);
}

TEST_F(Frames, LocalSiteStepNeedsTheSiteKeyword) {
  Rows({{1, 2, 3}});
  w.SpecScale = 1.0001;
  LocalSiteStep(w);
  ExpectRow(0, 1, 2, 3, 0);
  EXPECT_EQ(w.SpecScale, 1.0001);
}

TEST_F(Frames, EarthMoonSplitJoinsTheSegmentsAndTurnsAlongTheMove) {
  s.EarthMoonMode = 1;
  w.SpecScale = 1;
  Rows({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {10, 0, 0}, {10, 1, 0}});
  EarthMoonStep(w);
  EXPECT_EQ(s.SettingsBlock.EarthMoonOpt, 1.0);
  EXPECT_NEAR(s.MoonDistance, 10440.3065, 1e-4);
  // Before the turn: (1,0,0) (2,0,0) (3,0,0) (3,0,0) (4,0,0); X then lies along (3, 10, 0).
  ExpectRow(0, 0.287348, -0.957826, 0);
  ExpectRow(2, 3 * 0.287348, 3 * -0.957826, 0);
  ExpectRow(3, 3 * 0.287348, 3 * -0.957826, 0);  // the second segment starts where the first ends
  ExpectRow(4, 1.149392, -3.831305, 0);
  EXPECT_TRUE(boxes.boxes().boxes().empty());
}

TEST_F(Frames, EarthMoonScaleDividesAndMultipliesBack) {
  s.EarthMoonMode = 1;
  w.SpecScale = 2;
  Rows({{2, 0, 0}, {4, 0, 0}, {6, 0, 0}, {20, 0, 0}, {20, 2, 0}});
  EarthMoonStep(w);
  EXPECT_NEAR(s.MoonDistance, 10440.3065, 1e-4);  // measured on the unscaled rows
  ExpectRow(0, 2 * 0.287348, 2 * -0.957826, 0);
  ExpectRow(4, 2 * 1.149392, 2 * -3.831305, 0);
}

TEST_F(Frames, EarthMoonSplitRules) {
  const struct {
    std::vector<std::array<double, 3>> rows;
    double moonDistance;
  } cases[] = {
      // Exact halving and doubling are not splits: row 0 alone in its own frame.
      {{{1, 0, 0}, {2, 0, 0}, {4, 0, 0}, {2, 0, 0}}, 1000},
      // The first split decides (1 to 3), not the larger later jump (3.2 to 30).
      {{{1, 0, 0}, {3, 0, 0}, {3, 1, 0}, {30, 1, 0}}, 1000 * std::sqrt(10.0)},
      // A split just before the last row: the one-row second segment lands on the first's end.
      {{{1, 0, 0}, {2, 0, 0}, {9, 9, 0}}, 1000 * std::sqrt(130.0)},
  };
  for (const auto& c : cases) {
    s.EarthMoonMode = 1;
    w.SpecScale = 1;
    int r = 0;
    for (const auto& v : c.rows) {
      for (int k = 0; k < 3; ++k) s.DataTable.Set(r, k + 1, v[k]);
      ++r;
    }
    s.LastDataRow = r - 1;
    EarthMoonStep(w);
    EXPECT_NEAR(s.MoonDistance, c.moonDistance, 1e-6);
  }
}

TEST_F(Frames, EarthMoonWithoutTheKeywordChangesNothing) {
  Rows({{1, 0, 0}, {10, 0, 0}});
  s.MoonDistance = 5;
  EarthMoonStep(w);
  ExpectRow(1, 10, 0, 0, 0);
  EXPECT_EQ(s.MoonDistance, 5);
  EXPECT_EQ(s.SettingsBlock.EarthMoonOpt, 0);
}

TEST_F(Frames, EarthMoonZeroDirectionWarnsAndGoesOn) {
  s.EarthMoonMode = 1;
  w.SpecScale = 1;
  // Two equal rows at the split: the motion there has no direction.
  Rows({{1, 0, 0}, {1, 0, 0}, {5, 0, 0}, {5, 1, 0}});
  EarthMoonStep(w);
  ASSERT_FALSE(boxes.boxes().boxes().empty());
  EXPECT_NE(boxes.boxes().boxes()[0].text.find("normafaute"), std::string::npos);
  for (int r = 0; r <= s.LastDataRow; ++r)
    for (int c = 1; c <= 3; ++c) EXPECT_TRUE(std::isfinite(s.DataTable.Get(r, c)));
}

}  // namespace
}  // namespace vantrel::datastore
