// Camera moves and matrices, without GL: scene points are taken through the projection and
// model-view matrices to window pixels.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "platform/glview/camera.h"

namespace vantrel::glview {
namespace {

// Window pixel (from the top left) of a scene point in a w x h viewport.
std::array<double, 2> ToPixel(const GlCamera& c, int w, int h, double x, double y, double z) {
  Mat4 m = c.ModelView(), p = c.Projection(w, h);
  double e[4], q[4];
  for (int r = 0; r < 4; ++r) e[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
  for (int r = 0; r < 4; ++r) q[r] = p[r] * e[0] + p[4 + r] * e[1] + p[8 + r] * e[2] + p[12 + r] * e[3];
  double nx = q[0] / q[3], ny = q[1] / q[3];
  return {(nx + 1) / 2 * w, h - (ny + 1) / 2 * h};
}

GlCamera FrontView() {
  GlCamera c;
  c.LookAt(0, 0, 100, 0, 0, 0, 0, 1, 0);
  c.SetOrtho(-100, 100, -100, 100);
  c.SetNearPlane(-10000);
  c.SetFarPlane(10000);
  c.SetProjectionType(kOrthographic);
  return c;
}

void ExpectPixel(const GlCamera& c, int w, int h, std::array<double, 3> p, double px, double py) {
  auto got = ToPixel(c, w, h, p[0], p[1], p[2]);
  EXPECT_NEAR(got[0], px, 1e-3) << "x of (" << p[0] << ", " << p[1] << ", " << p[2] << ")";
  EXPECT_NEAR(got[1], py, 1e-3) << "y of (" << p[0] << ", " << p[1] << ", " << p[2] << ")";
}

TEST(GlCamera, OrthographicBoxFillsASquareView) {
  GlCamera c = FrontView();
  ExpectPixel(c, 200, 200, {0, 0, 0}, 100, 100);
  ExpectPixel(c, 200, 200, {50, 25, 0}, 150, 75);
  ExpectPixel(c, 200, 200, {-100, -100, 30}, 0, 200);  // depth does not move it
}

TEST(GlCamera, WideViewWidensTheBoxInsteadOfStretchingIt) {
  GlCamera c = FrontView();
  // 300 x 200: the box becomes -150..150 across; a unit is 1 pixel both ways.
  ExpectPixel(c, 300, 200, {100, 0, 0}, 250, 100);
  ExpectPixel(c, 300, 200, {0, 100, 0}, 150, 0);
  // 200 x 400: the box becomes -200..200 up.
  ExpectPixel(c, 200, 400, {0, 100, 0}, 100, 100);
  double l, r, b, t;
  c.GetOrtho(l, r, b, t);
  EXPECT_EQ(l, -100);  // the extents read back as put
  EXPECT_EQ(t, 100);
}

TEST(GlCamera, PanMovesTheSceneRightAndUp) {
  GlCamera c = FrontView();
  c.Pan(20, 10);
  ExpectPixel(c, 200, 200, {0, 0, 0}, 120, 90);
  Vec3f e = c.Eye(), t = c.Target();
  EXPECT_FLOAT_EQ(e.x, -20);
  EXPECT_FLOAT_EQ(e.y, -10);
  EXPECT_FLOAT_EQ(t.x, -20);
  EXPECT_FLOAT_EQ(e.z, 100);
}

TEST(GlCamera, LookAtFromTheSideWithZUp) {
  GlCamera c = FrontView();
  c.LookAt(100, 0, 0, 0, 0, 0, 0, 0, 1);
  // Looking down -X with Z up: +Y is to the right, +Z up.
  ExpectPixel(c, 200, 200, {0, 50, 25}, 150, 75);
  ExpectPixel(c, 200, 200, {-40, 0, 0}, 100, 100);
}

TEST(GlCamera, UpAlongTheViewDirectionIsReplaced) {
  struct Case {
    Vec3f eye, up;
  };
  const Case cases[] = {
      {{0, 0, 100}, {0, 0, 1}},   // up parallel
      {{0, 0, 100}, {0, 0, -3}},  // up anti-parallel
      {{0, 0, 100}, {0, 0, 0}},   // null up
  };
  for (const Case& k : cases) {
    GlCamera c = FrontView();
    c.LookAt(k.eye.x, k.eye.y, k.eye.z, 0, 0, 0, k.up.x, k.up.y, k.up.z);
    Mat4 m = c.ModelView();
    for (double v : m) ASSERT_TRUE(std::isfinite(v));
    // Y becomes the up vector: the same picture as the front view.
    ExpectPixel(c, 200, 200, {50, 25, 0}, 150, 75);
  }
  GlCamera c = FrontView();
  c.LookAt(0, 100, 0, 0, 0, 0, 0, 1, 0);  // looking down -Y with Y up: Z becomes up
  ExpectPixel(c, 200, 200, {0, 0, 50}, 100, 50);
}

TEST(GlCamera, ZoomScalesTheOrthographicBoxAboutItsCentre) {
  GlCamera c = FrontView();
  c.SetOrtho(0, 100, -50, 50);
  c.Zoom(2);
  double l, r, b, t;
  c.GetOrtho(l, r, b, t);
  EXPECT_DOUBLE_EQ(l, 25);
  EXPECT_DOUBLE_EQ(r, 75);
  EXPECT_DOUBLE_EQ(b, -25);
  EXPECT_DOUBLE_EQ(t, 25);
  c.Zoom(0);  // ignored
  c.Zoom(-1);
  c.GetOrtho(l, r, b, t);
  EXPECT_DOUBLE_EQ(l, 25);
  c.SetProjectionType(kPerspective);
  c.SetViewAngle(90);
  c.Zoom(2);  // tan(half angle) halves
  EXPECT_NEAR(std::tan(c.ViewAngle() * M_PI / 360), 0.5, 1e-9);
}

TEST(GlCamera, DollyMovesTheEyeAlongTheViewLine) {
  GlCamera c = FrontView();
  c.Dolly(0.25f);
  EXPECT_FLOAT_EQ(c.Eye().z, 75);
  c.Dolly(-1);
  EXPECT_FLOAT_EQ(c.Eye().z, 150);
  c.Dolly(5);  // never reaches the target
  EXPECT_GT(c.Eye().z, 0);
}

TEST(GlCamera, PitchYawRollTurnAboutTheCameraAxes) {
  GlCamera c = FrontView();
  c.Yaw(90);  // turn left: look towards -X
  Vec3f t = c.Target();
  EXPECT_NEAR(t.x, -100, 1e-3);
  EXPECT_NEAR(t.z, 100, 1e-3);
  c = FrontView();
  c.Pitch(90);  // look up: towards +Y, the up vector now +Z
  EXPECT_NEAR(c.Target().y, 100, 1e-3);
  EXPECT_NEAR(c.Up().z, 1, 1e-6);
  c = FrontView();
  c.Roll(90);  // up turns about the view direction (-Z): from +Y to +X
  EXPECT_NEAR(c.Up().x, 1, 1e-6);
  EXPECT_NEAR(c.Up().y, 0, 1e-6);
  EXPECT_FLOAT_EQ(c.Eye().z, 100);  // the eye stays
}

}  // namespace
}  // namespace vantrel::glview
