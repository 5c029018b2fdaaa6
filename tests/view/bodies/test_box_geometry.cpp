// The box builder of the spacecraft model: corners in face order with their sign colours,
// the shift against a body face, faces wound to be seen from outside, the body radii.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "datastore/state.h"
#include "tests/platform/glview/harness/offscreen_gl.h"
#include "tests/view/bodies/scene_probe.h"
#include "view/view_shared.h"

namespace vantrel::test {
namespace {

struct Corner {
  double x, y, z;
  float r, g, b;
};

void ExpectPolygon(const FbPolygon& got, const std::vector<Corner>& want, const char* what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(got[i].x, want[i].x, 1e-4) << what << " corner " << i + 1;
    EXPECT_NEAR(got[i].y, want[i].y, 1e-4) << what << " corner " << i + 1;
    EXPECT_NEAR(got[i].z, want[i].z, 1e-4) << what << " corner " << i + 1;
    EXPECT_FLOAT_EQ(got[i].r, want[i].r) << what << " corner " << i + 1;
    EXPECT_FLOAT_EQ(got[i].g, want[i].g) << what << " corner " << i + 1;
    EXPECT_FLOAT_EQ(got[i].b, want[i].b) << what << " corner " << i + 1;
  }
}

class BoxGeometry : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl.Valid()) << "no OpenGL context";
    ASSERT_TRUE(gl.Begin());
    glDisable(GL_CULL_FACE);
  }
  datastore::ScopedStore store;
  view::ScopedViewShared shared;
  OffscreenGl gl{400, 400};
  SceneProbe probe;
};

TEST_F(BoxGeometry, FacesIssueTheirCornersInOrder) {
  Feedback fb = RunFeedback(400, 400, 10, [&] { probe.face(1, 2, 3, 4); });
  ASSERT_EQ(fb.polygons.size(), 1u);
  ExpectPolygon(fb.polygons[0], {{2, 3, 4, 1, 1, 1}, {2, -3, 4, 1, 0, 1}, {2, -3, -4, 1, 0, 0}, {2, 3, -4, 1, 1, 0}},
                "face(1, 2, 3, 4)");
  fb = RunFeedback(400, 400, 10, [&] { probe.face(-1, 2, 3, 4); });
  ASSERT_EQ(fb.polygons.size(), 1u);
  ExpectPolygon(fb.polygons[0],
                {{-2, 3, 4, 0, 1, 1}, {-2, 3, -4, 0, 1, 0}, {-2, -3, -4, 0, 0, 0}, {-2, -3, 4, 0, 0, 1}},
                "face(-1, 2, 3, 4)");
  for (double k : {0.0, 4.0, -4.0, 1.5}) {
    fb = RunFeedback(400, 400, 10, [&] { probe.face(k, 2, 3, 4); });
    EXPECT_TRUE(fb.polygons.empty()) << "face(" << k << ", ...) draws nothing";
  }
}

// The 24 corners of a box (a, b, c) = (1, 2, 3), face after face.
TEST_F(BoxGeometry, BoxHasTwentyFourCornersInFaceOrder) {
  Feedback fb = RunFeedback(400, 400, 10, [&] { probe.monolythe(1, 2, 3); });
  ASSERT_EQ(fb.polygons.size(), 6u);
  const std::vector<std::vector<Corner>> want = {
      // -X: (y, z) = (+, +), (+, -), (-, -), (-, +)
      {{-1, 2, 3, 0, 1, 1}, {-1, 2, -3, 0, 1, 0}, {-1, -2, -3, 0, 0, 0}, {-1, -2, 3, 0, 0, 1}},
      // +X: (y, z) = (+, +), (-, +), (-, -), (+, -)
      {{1, 2, 3, 1, 1, 1}, {1, -2, 3, 1, 0, 1}, {1, -2, -3, 1, 0, 0}, {1, 2, -3, 1, 1, 0}},
      // -Y: (z, x) = (+, +), (+, -), (-, -), (-, +)
      {{1, -2, 3, 1, 0, 1}, {-1, -2, 3, 0, 0, 1}, {-1, -2, -3, 0, 0, 0}, {1, -2, -3, 1, 0, 0}},
      // +Y: (z, x) = (+, +), (-, +), (-, -), (+, -)
      {{1, 2, 3, 1, 1, 1}, {1, 2, -3, 1, 1, 0}, {-1, 2, -3, 0, 1, 0}, {-1, 2, 3, 0, 1, 1}},
      // -Z: (x, y) = (+, +), (+, -), (-, -), (-, +)
      {{1, 2, -3, 1, 1, 0}, {1, -2, -3, 1, 0, 0}, {-1, -2, -3, 0, 0, 0}, {-1, 2, -3, 0, 1, 0}},
      // +Z: (x, y) = (+, +), (-, +), (-, -), (+, -)
      {{1, 2, 3, 1, 1, 1}, {-1, 2, 3, 0, 1, 1}, {-1, -2, 3, 0, 0, 1}, {1, -2, 3, 1, 0, 1}},
  };
  for (size_t f = 0; f < 6; ++f) ExpectPolygon(fb.polygons[f], want[f], "box face");
}

struct Span {
  double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300};
};
Span SpanOf(const Feedback& fb) {
  Span s;
  for (const auto& p : fb.polygons)
    for (const auto& v : p) {
      const double c[3] = {v.x, v.y, v.z};
      for (int i = 0; i < 3; ++i) s.lo[i] = std::min(s.lo[i], c[i]), s.hi[i] = std::max(s.hi[i], c[i]);
    }
  return s;
}

TEST_F(BoxGeometry, ShiftedBoxLiesAgainstTheBodyFace) {
  struct Case {
    double a, b, c, dx, dy, dz;
    double lo[3], hi[3];
  } cases[] = {
      {1, 1, 2, 0, 0, -1, {-1, -1, -6}, {1, 1, -2}},                                                  // tz = -2 - 2
      {1, 1, 2, 0, 0, 1, {-1, -1, 2}, {1, 1, 6}},      {1, 2, 1, 0, 1.5, 0, {-1, 3, -1}, {1, 7, 1}},  // ty = 3 + 2
      {2, 1, 1, -0.5, 0, 0, {-5, -1, -1}, {-1, 1, 1}},                                                // tx = -1 - 2
      {1, 1, 1, 0.5, 0.5, 0, {-1, -1, -1}, {1, 1, 1}},  // two offsets: centred
      {1, 1, 1, 0, 0, 0, {-1, -1, -1}, {1, 1, 1}},      // no offset: centred
  };
  for (const Case& k : cases) {
    Feedback fb = RunFeedback(400, 400, 10, [&] { probe.monolitheNonCenter(k.a, k.b, k.c, k.dx, k.dy, k.dz); });
    ASSERT_EQ(fb.polygons.size(), 6u);
    Span s = SpanOf(fb);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(s.lo[i], k.lo[i], 1e-4) << "offsets " << k.dx << " " << k.dy << " " << k.dz;
      EXPECT_NEAR(s.hi[i], k.hi[i], 1e-4) << "offsets " << k.dx << " " << k.dy << " " << k.dz;
    }
    // The corner colours are those of the unshifted box.
    EXPECT_FLOAT_EQ(fb.polygons[1][0].r, 1);
    EXPECT_FLOAT_EQ(fb.polygons[1][0].g, 1);
    EXPECT_FLOAT_EQ(fb.polygons[1][0].b, 1);
  }
}

TEST_F(BoxGeometry, CornerAtTheOriginIsBlack) {
  Feedback fb = RunFeedback(400, 400, 10, [&] {
    glBegin(GL_POINTS);
    probe.glVertex3fColor(0, 0, 0);
    glEnd();
  });
  GLfloat c[4];
  glGetFloatv(GL_CURRENT_COLOR, c);
  EXPECT_EQ(c[0], 0);
  EXPECT_EQ(c[1], 0);
  EXPECT_EQ(c[2], 0);
}

// Seen from outside along each axis with back faces culled, the centre of the view shows
// the face towards the eye: the blend of its four corner colours.
TEST_F(BoxGeometry, EveryFaceIsSeenFromOutsideWithBackFacesCulled) {
  struct Eye {
    double ex, ey, ez, ux, uy, uz;
    int r, g, b;  // centre colour of the face towards the eye, 0 to 255
  } eyes[] = {
      {10, 0, 0, 0, 0, 1, 255, 128, 128}, {-10, 0, 0, 0, 0, 1, 0, 128, 128},  {0, 10, 0, 0, 0, 1, 128, 255, 128},
      {0, -10, 0, 0, 0, 1, 128, 0, 128},  {0, 0, 10, 0, 1, 0, 128, 128, 255}, {0, 0, -10, 0, 1, 0, 128, 128, 0},
  };
  for (const Eye& e : eyes) {
    glViewport(0, 0, 400, 400);
    glClearColor(0.2f, 0.2f, 0.2f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-5, 5, -5, 5, 1, 30);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(e.ex, e.ey, e.ez, 0, 0, 0, e.ux, e.uy, e.uz);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_DEPTH_TEST);  // culling alone decides what shows
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    probe.monolythe(2, 2, 2);
    glFinish();
    auto px = gl.ReadPixels(200, 200, 1, 1);
    EXPECT_NEAR(px[0], e.r, 3) << "eye " << e.ex << " " << e.ey << " " << e.ez;
    EXPECT_NEAR(px[1], e.g, 3) << "eye " << e.ex << " " << e.ey << " " << e.ez;
    EXPECT_NEAR(px[2], e.b, 3) << "eye " << e.ex << " " << e.ey << " " << e.ez;
  }
  glDisable(GL_CULL_FACE);
}

TEST(MainFocus, RadiusOfTheCentralBody) {
  datastore::ScopedStore store;
  view::ScopedViewShared shared;
  SceneProbe probe;
  struct Case {
    double moonOnly, body, radius;
  } cases[] = {{0, 1, 695000},  {0, 2, 2439.7}, {0, 3, 6051.8}, {0, 4, 6378}, {0, 5, 3397.2}, {0, 6, 71492},
               {0, 11, 1737.4}, {0, 7, 6378},   {0, 0, 6378},   {1, 1, 1738}, {1, 4, 1738}};
  for (const Case& k : cases) {
    double r = -1;
    probe.MainFocus(r, k.moonOnly, k.body);
    EXPECT_EQ(r, k.radius) << "moon flag " << k.moonOnly << " body " << k.body;
  }
}

}  // namespace
}  // namespace vantrel::test
