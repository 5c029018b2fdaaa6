// The colour ramp, its dots along the value axis and the point size they leave.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "tests/view/trajectory/scene_fixture.h"

namespace vantrel::test {
namespace {

struct Rgb3 {
  double r, g, b;
};

Rgb3 Scale(view::ClassGl& gl, double v, double lo, double& hi, Rgb3 before = {0.5, 0.5, 0.5}) {
  double r = before.r, g = before.g, b = before.b, a = 0;
  gl.ColorScale(v, r, g, b, a, lo, hi);
  EXPECT_EQ(a, 1);
  return {r, g, b};
}

TEST(ColorScale, Ramp) {
  datastore::ScopedStore store;
  view::ScopedViewShared shared;
  view::ClassGl gl;
  struct Case {
    double v, lo, hi;
    Rgb3 want;
  } cases[] = {
      {0.5, 0, 1, {0, 1, 0.5}},      {0, 0, 1, {1, 0, 1}},  // magenta at the low end
      {1, 0, 1, {1, 0.00000005, 0}},                        // nearly red at the high end
      {7, 0, 32, {0, 0.09375, 1}},                          // t = 0.21875, segment 1
      {5, 0, 32, {0.21875, 0, 1}},                          // the colour of event value 5
      {0.3, 0, 1, {0, 0.5, 1}},                             // segment 1 half way
      {0.7, 0, 1, {0.5, 1, 0}},                             // segment 3 half way
      {-4, 0, 1, {1, 0, 1}},                                // below the range: the low end
      {9, 0, 1, {1, 0.00000005, 0}},                        // above the range: the high end
      {-0.5, -1, 0, {0, 1, 0.5}},                           // a range below 0
      {0, -1, 0, {1, 0, 0}},                                // at a maximum of 0: red, not the last colour
      {3, -2, -1, {1, 0, 0}},                               // above a negative maximum: red
  };
  for (const Case& c : cases) {
    double hi = c.hi;
    Rgb3 got = Scale(gl, c.v, c.lo, hi);
    EXPECT_NEAR(got.r, c.want.r, 1e-7) << c.v << " on " << c.lo << ".." << c.hi;
    EXPECT_NEAR(got.g, c.want.g, 1e-7) << c.v << " on " << c.lo << ".." << c.hi;
    EXPECT_NEAR(got.b, c.want.b, 1e-7) << c.v << " on " << c.lo << ".." << c.hi;
    EXPECT_EQ(hi, c.hi) << "a non-empty range is left as it is";
  }
}

TEST(ColorScale, EmptyRangeWidensTheCallersMaximum) {
  datastore::ScopedStore store;
  view::ScopedViewShared shared;
  view::ClassGl gl;
  double hi = 3;
  Rgb3 got = Scale(gl, 3.5, 3, hi);
  EXPECT_EQ(hi, 4);
  EXPECT_NEAR(got.r, 0, 1e-9);
  EXPECT_NEAR(got.g, 1, 1e-9);
  EXPECT_NEAR(got.b, 0.5, 1e-9);
}

using ScaleDots = SceneTest;

TEST_F(ScaleDots, ThirtyTwoDotsAlongTheValueAxisOrAlongAllThree) {
  view->SceneExtent = 80;  // L = 88
  st().SettingsBlock.AxisLengthFactor = 0;
  st().ValAxis = 3;
  auto pts = OfKind(Feedback([&] { view->ScaleColorDot(); }), false);
  ASSERT_EQ(pts.size(), 32u);
  for (int i = 1; i <= 32; ++i) {
    const FbVertex& v = pts[size_t(i - 1)].v[0];
    EXPECT_NEAR(v.x, 0, 1e-3);
    EXPECT_NEAR(v.y, 0, 1e-3);
    EXPECT_NEAR(v.z, 88 - 32 + i, 1e-3);
  }
  EXPECT_NEAR(pts.back().v[0].r, 1, 1.0 / 255);
  EXPECT_NEAR(pts.back().v[0].g, 0, 1.0 / 255);
  EXPECT_NEAR(pts.front().v[0].b, 1, 1.0 / 255);
  st().ValAxis = 0;
  EXPECT_EQ(OfKind(Feedback([&] { view->ScaleColorDot(); }), false).size(), 96u);
}

TEST_F(ScaleDots, PointSizeLeftForTheTrajectory) {
  struct Case {
    double thickness, lastRow, quaterRows, values;
    float after;
  } cases[] = {
      {2, 10, 0, 0, 16},    // few polyline rows: x 8
      {2, 10, 60, 0, 2},    // pen-up polyline of six rows per data row
      {2, 10, 0, 1, 2},     // values mode
      {0, 10, 0, 0, 0.1f},  // a thickness of 0: the smallest size, not a GL error
  };
  for (const Case& c : cases) {
    st().SettingsBlock.LinePlotThickness = c.thickness;
    st().LastDataRow = std::int32_t(c.lastRow);
    st().QuaterRows = c.quaterRows;
    st().ValuesMode = c.values;
    glPointSize(5);
    while (glGetError() != GL_NO_ERROR) {}
    view->ScaleColorDot();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << c.thickness;
    GLfloat size = 0;
    glGetFloatv(GL_POINT_SIZE, &size);
    EXPECT_FLOAT_EQ(size, c.after) << c.thickness << " " << c.quaterRows << " " << c.values;
  }
}

TEST_F(ScaleDots, CubeWallOutlinesTenSegments) {
  auto lines = OfKind(Feedback([&] { view->DrawAxisCubic(0.1, 50); }), true);
  ASSERT_EQ(lines.size(), 10u);
  for (const FbPrim& p : lines)
    for (const FbVertex& v : p.v) {
      EXPECT_NEAR(std::fabs(v.x), 50, 1e-3);
      EXPECT_NEAR(std::fabs(v.y), 50, 1e-3);
      EXPECT_NEAR(std::fabs(v.z), 50, 1e-3);
      // Every edge lies on one of the walls -50.
      EXPECT_TRUE(v.x < 0 || v.y < 0 || v.z < 0);
      EXPECT_NEAR(v.r, 0.3, 1.0 / 255);
    }
}

}  // namespace
}  // namespace vantrel::test
