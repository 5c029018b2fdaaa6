// The trajectory pass, read back vertex by vertex through GL feedback.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "tests/view/trajectory/scene_fixture.h"

namespace vantrel::test {
namespace {

constexpr float kTol = 1e-3f;
// Feedback colours come back in the framebuffer's 8 bits.
constexpr double kColourTol = 1.0 / 255 + 1e-4;

bool Near(const FbVertex& v, float x, float y, float z) {
  return std::fabs(v.x - x) < kTol && std::fabs(v.y - y) < kTol && std::fabs(v.z - z) < kTol;
}

bool HasSegment(const std::vector<FbPrim>& lines, float x0, float x1) {
  for (const FbPrim& p : lines)
    if ((std::fabs(p.v[0].x - x0) < kTol && std::fabs(p.v[1].x - x1) < kTol) ||
        (std::fabs(p.v[0].x - x1) < kTol && std::fabs(p.v[1].x - x0) < kTol))
      return true;
  return false;
}

using TrajectoryPass = SceneTest;

TEST_F(TrajectoryPass, BreakLeavesAGapAndTheRowGetsNoVertex) {
  for (int i = 0; i <= 4; ++i) Row(i, i, 10.0 * i, 0, 0, i == 2 ? -1 : 0);
  view->CURRINDEXMINI = 0;
  view->CURRINDEXI = 4;
  auto lines = OfKind(Trajectory(), true);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(HasSegment(lines, 0, 10));
  EXPECT_TRUE(HasSegment(lines, 30, 40));
  EXPECT_FALSE(HasSegment(lines, 10, 30)) << "a break leaves a gap";
  for (const FbPrim& p : lines)
    for (const FbVertex& v : p.v) EXPECT_GT(std::fabs(v.x - 20), kTol) << "the break row";
  // The break row's time is the last time visited; the date follows the rows drawn.
  view->CURRINDEXI = 2;
  Trajectory();
  EXPECT_EQ(view->Scene.PointTime, 2);
  EXPECT_EQ(st().SettingsBlock.PlotDate, 1);
  EXPECT_EQ(view->Traj.DrawRow, 3);
}

TEST_F(TrajectoryPass, CubicViewKeepsTheStripWholeAndAddsThreeWallDots) {
  for (int i = 0; i <= 3; ++i) Row(i, i, 10.0 * i, 20, 30);
  view->CURRINDEXI = 3;
  view->Scene.CubeWallX = view->Scene.CubeWallY = view->Scene.CubeWallZ = -88;
  st().SettingsBlock.OptCubicView = 1.0;
  auto all = Trajectory();
  auto lines = OfKind(all, true), points = OfKind(all, false);
  EXPECT_TRUE(HasSegment(lines, 0, 10));
  EXPECT_TRUE(HasSegment(lines, 10, 20));
  EXPECT_TRUE(HasSegment(lines, 20, 30));
  ASSERT_EQ(points.size(), 12u);
  auto has = [&](float x, float y, float z) {
    for (const FbPrim& p : points)
      if (Near(p.v[0], x, y, z)) return true;
    return false;
  };
  EXPECT_TRUE(has(-88, 20, 30));
  EXPECT_TRUE(has(10, -88, 30));
  EXPECT_TRUE(has(10, 20, -88));
  EXPECT_TRUE(has(30, 20, -88));

  // Only exactly 1.0 switches the cubic view on.
  st().SettingsBlock.OptCubicView = 0.5;
  EXPECT_TRUE(OfKind(Trajectory(), false).empty());
}

TEST_F(TrajectoryPass, DrawCubicEmitsTheThreeProjections) {
  Row(5, 0, 10, 20, 30);
  auto pts = OfKind(Feedback([&] {
                      glBegin(GL_POINTS);
                      view->DrawCubic(st().DataTable, -88, -88, -88, 5, 0.1, 0);
                      glEnd();
                    }),
                    false);
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_TRUE(Near(pts[0].v[0], -88, 20, 30));
  EXPECT_TRUE(Near(pts[1].v[0], 10, -88, 30));
  EXPECT_TRUE(Near(pts[2].v[0], 10, 20, -88));
}

// Events at t = 2 (value 1), 4 (value 5) and 6 (value 0): the colour of each segment (its
// second vertex) follows the event in force at that vertex's time.
TEST_F(TrajectoryPass, EventColours) {
  datastore::SettingsRecord& sb = st().SettingsBlock;
  sb.ColourPlotNominal = {0, 128, 0};
  sb.ColourPlotEvents = {192, 0, 64};
  Event(0, 0, 0);
  Event(1, 2, 1);
  Event(2, 4, 5);
  Event(3, 6, 0);
  for (int i = 0; i <= 7; ++i) Row(i, i, 10.0 * i, 0, 0);
  view->CURRINDEXI = 7;
  auto lines = OfKind(Trajectory(), true);
  ASSERT_EQ(lines.size(), 7u);
  struct Want {
    float x, r, g, b;
  };
  const Want nominal{0, 0, 0.5f, 0}, events{0, 0.75f, 0, 0.25f}, five{0, 0.21875f, 0, 1};
  // Vertex times 1..7: 0, 0, 1 (from t = 3, as t = 2 is still before it), 5, 5, 5, 0.
  const Want want[7] = {nominal, nominal, events, five, five, five, nominal};
  for (int k = 0; k < 7; ++k) {
    const FbVertex* end = nullptr;
    for (const FbPrim& p : lines)
      for (const FbVertex& v : p.v)
        if (std::fabs(v.x - 10.0f * (k + 1)) < kTol && (&v == &p.v[1])) end = &v;
    ASSERT_NE(end, nullptr) << "segment into vertex " << k + 1;
    EXPECT_NEAR(end->r, want[k].r, kColourTol) << "vertex " << k + 1;
    EXPECT_NEAR(end->g, want[k].g, kColourTol) << "vertex " << k + 1;
    EXPECT_NEAR(end->b, want[k].b, kColourTol) << "vertex " << k + 1;
    EXPECT_NEAR(end->a, 0.6, kColourTol);
  }
  EXPECT_EQ(view->Scene.ThrustOn, 0);
  view->CURRINDEXI = 5;
  Trajectory();
  EXPECT_EQ(view->Scene.ThrustOn, 1);
}

TEST_F(TrajectoryPass, WithoutEventsTheTrajectoryStaysNominal) {
  st().SettingsBlock.ColourPlotNominal = {0, 128, 0};
  st().EventCount = 1;
  for (int i = 0; i <= 5; ++i) Row(i, 100 + i, 10.0 * i, 0, 0);
  view->CURRINDEXI = 5;
  for (const FbPrim& p : OfKind(Trajectory(), true)) {
    EXPECT_NEAR(p.v[1].g, 0.5, kColourTol);
    EXPECT_NEAR(p.v[1].r, 0, kColourTol);
  }
}

// Value bars along Z while thrust is on: (v - base) x 2.05 x SceneExtent / 6 / range, base the
// minimum when it is positive, the maximum when it is negative, else 0.
TEST_F(TrajectoryPass, ValueBarLengthFollowsTheBaseRule) {
  struct Case {
    double v0, v1, v2;  // values at times 0, 10, 20
    double t;           // time of the one data row
    double length;
  } cases[] = {
      {10, 30, 30, 15, (30 - 10) * 2.05 * 60 / 6 / 20},     // all positive: base 10
      {-30, -10, -10, 5, (-30 + 10) * 2.05 * 60 / 6 / 20},  // all negative: base -10
      {-10, 30, 30, 15, 30 * 2.05 * 60 / 6 / 40},           // across 0: base 0
      {5, 5, 5, 15, 0},                                     // one value: range 5 to 6, base 5
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    st().ValuesMode = 1;
    st().ValAxis = 3;
    view->SceneExtent = 60;
    Event(0, 0, 1);
    Event(1, 100, 1);  // thrust on from 0 to 100
    double v[3] = {c.v0, c.v1, c.v2};
    for (int j = 0; j < 3; ++j) {
      st().ValZTable.Set(j, 0, 10.0 * j);
      st().ValZTable.Set(j, 1, v[j]);
    }
    st().ValZRows = 3;
    st().ValZMin = std::min({c.v0, c.v1, c.v2});
    st().ValZMax = std::max({c.v0, c.v1, c.v2});
    Row(0, c.t, 1, 2, 3);
    view->CURRINDEXI = 0;
    auto lines = OfKind(Trajectory(), true);
    float tip = 3;
    for (const FbPrim& p : lines)
      for (const FbVertex& q : p.v)
        if (std::fabs(q.z - 3) > std::fabs(tip - 3)) tip = q.z;
    EXPECT_NEAR(tip - 3, c.length, 1e-3);
    EXPECT_EQ(view->Traj.ValueFound, 1);
  }
}

TEST_F(TrajectoryPass, NoBarWithoutThrustAndNoLegendOutsideTheValueTimes) {
  st().ValuesMode = 1;
  st().ValAxis = 1;
  st().EventCount = 1;  // no events: no thrust
  st().ValZTable.Set(0, 0, 10), st().ValZTable.Set(0, 1, 4);
  st().ValZTable.Set(1, 0, 20), st().ValZTable.Set(1, 1, 8);
  st().ValZRows = 2;
  st().ValZMin = 4, st().ValZMax = 8;
  Row(0, 15, 1, 2, 3);
  view->CURRINDEXI = 0;
  for (const FbPrim& p : OfKind(Trajectory(), true))
    for (const FbVertex& q : p.v) EXPECT_TRUE(Near(q, 1, 2, 3));
  EXPECT_EQ(view->Traj.ValueFound, 1);
  view->DrawValueLegend();
  EXPECT_EQ(view->Traj.LegendText.rfind("Value : ", 0), 0u);
  EXPECT_NE(view->Traj.LegendText.find("  limits: "), std::string::npos);
  EXPECT_NE(view->Traj.LegendText.find(" to "), std::string::npos);

  // After the last value time no value is in force: the legend keeps its old text.
  Row(0, 25, 1, 2, 3);
  view->Traj.LegendText = "old";
  Trajectory();
  EXPECT_EQ(view->Traj.ValueFound, 0);
  view->DrawValueLegend();
  EXPECT_EQ(view->Traj.LegendText, "old");
}

TEST_F(TrajectoryPass, EmptyPassKeepsTheTimes) {
  Row(0, 7, 0, 0, 0);
  Row(1, 8, 1, 0, 0);
  view->Scene.PointTime = 3;
  st().SettingsBlock.PlotDate = 3;
  view->CURRINDEXMINI = 1;
  view->CURRINDEXI = 0;
  EXPECT_TRUE(Trajectory().empty());
  EXPECT_EQ(view->Traj.DrawRow, 1);
  EXPECT_EQ(view->Scene.PointTime, 3);
  EXPECT_EQ(st().SettingsBlock.PlotDate, 3);
}

TEST_F(TrajectoryPass, PenUpPolylineBreaksOnItsOwnFlagsAndTheMainPassDrawsPoints) {
  st().PenUpMode = 1;
  st().SettingsBlock.OptSatellite = 1;
  // Second polyline: four vertices, a break before the third.
  double q[4][4] = {{0, 0, 0, 0}, {5, 0, 0, 0}, {0, 0, 0, -1}, {9, 9, 0, 0}};
  for (int k = 0; k < 4; ++k)
    for (int c = 0; c < 4; ++c) st().QuaterTable.Set(k, c, q[k][c]);
  st().QuaterRows = 3;
  // DataTable break flags are ignored in pen-up mode.
  Row(0, 1, 100, 0, 0, -1);
  Row(1, 2, 110, 0, 0, 0);
  st().Col0Min = 1, st().Col0Max = 2;
  view->SceneExtent = 200;  // colour-scale dots from 189 to 220 on each axis
  view->CURRINDEXI = 1;
  auto all = Trajectory();
  auto lines = OfKind(all, true);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(HasSegment(lines, 0, 5));
  EXPECT_EQ(st().SettingsBlock.OptSatellite, 0);
  int trajectoryDots = 0;
  for (const FbPrim& p : OfKind(all, false))
    if (std::fabs(p.v[0].y) < kTol && std::fabs(p.v[0].z) < kTol &&
        (std::fabs(p.v[0].x - 100) < kTol || std::fabs(p.v[0].x - 110) < kTol))
      ++trajectoryDots;
  EXPECT_EQ(trajectoryDots, 2) << "both rows drawn as points, the break flag ignored";
}

TEST_F(TrajectoryPass, NegativeCurrentRowDrawsNothing) {
  Row(0, 1, 5, 5, 5);
  view->CURRINDEXI = -1;
  EXPECT_TRUE(Trajectory().empty());
  EXPECT_EQ(view->Traj.DrawRow, 0);
}

}  // namespace
}  // namespace vantrel::test
