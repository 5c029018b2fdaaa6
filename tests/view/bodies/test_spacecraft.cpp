// The spacecraft model: attitude from the quaternion rows, the table searches, the model's
// size, the thrust plume and the solar wings, read back in GL feedback mode.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "datastore/state.h"
#include "tests/platform/glview/harness/offscreen_gl.h"
#include "tests/view/bodies/scene_probe.h"
#include "view/scene_model.h"
#include "view/view_shared.h"

namespace vantrel::test {
namespace {

TEST(Attitude, QuaternionRowGivesTheTurn) {
  struct Case {
    double q1, q2, q3, q4;
    double angle, ax, ay, az;
    bool fellBack;
    const char* what;
  } cases[] = {
      {0.7071068, 0.7071068, 0, 0, 90.00008, 0.9999994, 0, 0, false, "quarter turn about X"},
      {0.5, 0.5, 0.5, 0.5, 120.0001, 0.5773497, 0.5773497, 0.5773497, false, "third turn"},
      {1, 0, 0, 0, 90, 1, 0, 0, true, "identity: no axis"},
      {0, 0, 0, 0, 90, 1, 0, 0, true, "zero row"},
      {2, 0, 0, 0, 90, 1, 0, 0, true, "unnormalised"},
      // q1 below -1 is taken as -1: (-1, 0, 1, 0) turns 270 degrees about an axis of length
      // 1.414, inside the tolerance; with -3 the axis would be 3.16 long.
      {-3, 0, 1, 0, 270.0002, 0, 1.4142164, 0, false, "scalar part below -1"},
  };
  for (const Case& k : cases) {
    view::AttitudeTurn t = view::AttitudeFromRow(k.q1, k.q2, k.q3, k.q4);
    EXPECT_NEAR(t.Angle, k.angle, 5e-5) << k.what;
    EXPECT_NEAR(t.Axis[0], k.ax, 1e-6) << k.what;
    EXPECT_NEAR(t.Axis[1], k.ay, 1e-6) << k.what;
    EXPECT_NEAR(t.Axis[2], k.az, 1e-6) << k.what;
    EXPECT_EQ(t.FellBack, k.fellBack) << k.what;
  }
  view::AttitudeTurn f = view::AttitudeFromRow(1, 0, 0, 0);
  EXPECT_FLOAT_EQ(f.Quat(1), float(std::cos(3.14159265358979 / 4)));
  EXPECT_FLOAT_EQ(f.Quat(2), float(std::sin(3.14159265358979 / 4)));
  EXPECT_EQ(f.Quat(3), 0);
  EXPECT_EQ(f.Quat(4), 0);
  EXPECT_EQ(view::AttitudeFromRow(-3, 0, 1, 0).Quat(1), -1.0f);
}

TEST(TableSearch, WalksFromTheRememberedRow) {
  datastore::NumTable<2> t;
  const double times[] = {10, 20, 30, 40};
  for (int r = 0; r < 4; ++r) t.Set(r, 0, times[r]);
  struct Case {
    double from, T, want;
  } cases[] = {
      {0, 25, 1}, {0, 20, 0}, {1, 35, 2}, {3, 35, 2},  // forward and backward
      {2, 5, 0},                                       // before the first row: row 0
      {1, 50, 4},                                      // past the last: the row count
      {0, 10, 0},
  };
  for (const Case& k : cases) {
    double row = k.from;
    view::SearchTimeRow(t, k.T, row, 4);
    EXPECT_EQ(row, k.want) << "from row " << k.from << " to time " << k.T;
  }
}

// Scene coordinates turned back into the model's axes (the inverse of the model's turn).
struct ModelPoint {
  double x, y, z;
};
ModelPoint ToModel(const FbVertex& v, double angleDeg, std::array<double, 3> axis) {
  double n = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  double ux = axis[0] / n, uy = axis[1] / n, uz = axis[2] / n;
  double a = -angleDeg * 3.14159265358979 / 180, c = std::cos(a), s = std::sin(a);
  double d = ux * v.x + uy * v.y + uz * v.z;
  // Rodrigues' rotation
  double cx = uy * v.z - uz * v.y, cy = uz * v.x - ux * v.z, cz = ux * v.y - uy * v.x;
  return {v.x * c + cx * s + ux * d * (1 - c), v.y * c + cy * s + uy * d * (1 - c),
          v.z * c + cz * s + uz * d * (1 - c)};
}

struct Extent {
  double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300};
};

class Spacecraft : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl.Valid()) << "no OpenGL context";
    ASSERT_TRUE(gl.Begin());
    datastore::DataStore& st = store.store();
    st.CentralBody = 4;
    st.MoonMode = 0;
    st.ScaleFactor = 1;
    st.QuaterRows = 1;
    st.QuaterTable.Set(0, 0, 0);
    st.QuaterTable.Set(0, 1, 0.7071068);  // a quarter turn about X
    st.QuaterTable.Set(0, 2, 0.7071068);
    st.SettingsBlock.SatelliteSize = 64;
    st.SettingsBlock.OptSatellite = 1;
    st.SettingsBlock.SatShapeIndex = 0;  // "GEO satcom"
    view::ViewShared& vs = shared.shared();
    vs.SatShapeParam1 = 2, vs.SatShapeParam2 = 2, vs.SatShapeParam3 = 0;
    vs.SatShapeParam4 = 0, vs.SatShapeParam5 = 1;
    vs.SetText15Visible = [this](bool on) { text15 = on; };
    probe.SceneExtent = 80;
    probe.Scene.AxisLength = 88;
  }

  Feedback Draw() {
    return RunFeedback(400, 400, 200, [&] { probe.DrawSpacecraft(); });
  }

  // Extent of polygons [first, last) in the model's axes.
  Extent ExtentOf(const Feedback& fb, size_t first, size_t last) {
    Extent e;
    for (size_t p = first; p < last && p < fb.polygons.size(); ++p)
      for (const FbVertex& v : fb.polygons[p]) {
        ModelPoint m = ToModel(v, turn.Angle, turn.Axis);
        const double c[3] = {m.x, m.y, m.z};
        for (int i = 0; i < 3; ++i) e.lo[i] = std::min(e.lo[i], c[i]), e.hi[i] = std::max(e.hi[i], c[i]);
      }
    return e;
  }

  void ExpectExtent(const Extent& e, std::array<double, 3> lo, std::array<double, 3> hi, const char* what) {
    double tol = 1e-4 * probe.Craft.ModelSize + 1e-3;
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(e.lo[i], lo[size_t(i)], tol) << what << ", axis " << i;
      EXPECT_NEAR(e.hi[i], hi[size_t(i)], tol) << what << ", axis " << i;
    }
  }

  datastore::ScopedStore store;
  view::ScopedViewShared shared;
  OffscreenGl gl{400, 400};
  SceneProbe probe;
  std::optional<bool> text15;
  const view::AttitudeTurn turn = view::AttitudeFromRow(0.7071068, 0.7071068, 0, 0);
};

TEST_F(Spacecraft, SizeFollowsTheCentralBodyAndTheSizeOption) {
  Draw();
  EXPECT_NEAR(probe.Craft.ModelSize, 77.731875, 1e-9);
  EXPECT_EQ(text15, false) << "the km box is hidden";
  EXPECT_NEAR(probe.Craft.BodyHalfZ, 0.1 * 77.731875 * 2, 1e-9);

  probe.Scene.AxisLength = 20;  // s > 40: the model is drawn in km
  Draw();
  EXPECT_NEAR(probe.Craft.ModelSize, 0.077731875, 1e-12);
  EXPECT_EQ(text15, true);

  // Without attitude data the size scales with the scene.
  store.store().QuaterRows = 0;
  probe.Scene.AxisLength = 88;
  Draw();
  EXPECT_NEAR(probe.Craft.ModelSize, 80 * 3 * (512 + 1) / 6400.0, 1e-9)
      << "the scene extent 80 stands for the central radius";
  EXPECT_EQ(probe.Scene.CentralRadius, 80);
}

TEST_F(Spacecraft, ModelIsTurnedByTheAttitude) {
  Feedback fb = Draw();
  EXPECT_NEAR(probe.Craft.RotationAxis[0], 0.9999994, 1e-6);
  EXPECT_EQ(probe.Craft.ModelAngle, 0) << "afterwards the wings' angle";
  ASSERT_EQ(fb.polygons.size(), 36u) << "body, plume, +Y panel, arm, -Y rod, -Y panel";
  // The body's +Z face ends up towards -Y of the scene: R_x(90) (x, y, z) = (x, -z, y).
  const double c = 0.2 * probe.Craft.ModelSize;
  double ymin = 1e300;
  for (size_t p = 0; p < 6; ++p)
    for (const FbVertex& v : fb.polygons[p]) ymin = std::min(ymin, v.y);
  EXPECT_NEAR(ymin, -c, 1e-3);
  EXPECT_NEAR(probe.Craft.BodyAxisZ(2), -1, 1e-6);
  EXPECT_NEAR(probe.Craft.BodyAxisX(1), 1, 1e-6);
}

TEST_F(Spacecraft, PlumeGrowsWhileThrustIsOn) {
  const double s = 77.731875, c = 0.2 * s, w = 0.02 * s;
  probe.Scene.ThrustOn = 1;
  Feedback fb = Draw();
  ASSERT_EQ(fb.polygons.size(), 36u);
  ExpectExtent(ExtentOf(fb, 6, 12), {-w, -w, -c - 2 * c}, {w, w, -c}, "plume, thrust on");
  probe.Scene.ThrustOn = 0;
  fb = Draw();
  ExpectExtent(ExtentOf(fb, 6, 12), {-w, -w, -c - 2 * c / 15}, {w, w, -c}, "plume, thrust off");

  // "LEO Spot": the plume on the +X side.
  view::ViewShared& vs = shared.shared();
  vs.SatShapeParam1 = 1.5, vs.SatShapeParam2 = 1, vs.SatShapeParam3 = -1, vs.SatShapeParam5 = 0;
  store.store().SettingsBlock.SatShapeIndex = 1;
  probe.Scene.ThrustOn = 1;
  fb = Draw();
  ASSERT_EQ(fb.polygons.size(), 24u) << "body, plume, +Y panel, arm";
  const double a = 0.1 * s;
  ExpectExtent(ExtentOf(fb, 6, 12), {a, -w, -w}, {a + 2 * a, w, w}, "plume on +X");

  // No plume parameter, no plume.
  vs.SatShapeParam3 = 0;
  fb = Draw();
  EXPECT_EQ(fb.polygons.size(), 18u) << "body, +Y panel, arm";
}

TEST_F(Spacecraft, WingsSpanOutFromTheBody) {
  const double s = 77.731875, a = 0.1 * s, b = 0.1 * s, c = 0.2 * s, t = 0.01 * s;
  Feedback fb = Draw();
  ASSERT_EQ(fb.polygons.size(), 36u);
  ExpectExtent(ExtentOf(fb, 12, 18), {-a, b + c, -t}, {a, b + 5 * c, t}, "+Y panel");
  ExpectExtent(ExtentOf(fb, 18, 24), {-t, 0, -t}, {t, b + c, t}, "+Y arm");
  ExpectExtent(ExtentOf(fb, 24, 30), {-t, -(b + c), -t}, {t, b + c, t}, "-Y rod");
  ExpectExtent(ExtentOf(fb, 30, 36), {-a, -(b + 5 * c), -t}, {a, -(b + c), t}, "-Y panel");

  // Array angles from the tables: +Y at 90 degrees, -Y at 90 about -Y.
  datastore::DataStore& st = store.store();
  st.SApYRows = 1;
  st.SApYTable.Set(0, 1, 90);
  st.SAmYRows = 1;
  st.SAmYTable.Set(0, 1, 90);
  fb = Draw();
  ASSERT_EQ(fb.polygons.size(), 36u);
  ExpectExtent(ExtentOf(fb, 12, 18), {-t, b + c, -a}, {t, b + 5 * c, a}, "+Y panel at 90");
  ExpectExtent(ExtentOf(fb, 30, 36), {-t, -(b + 5 * c), -a}, {t, -(b + c), a}, "-Y panel at 90");
  EXPECT_EQ(probe.Craft.MinusYAxisSign, -1);

  // "CubeSat": no wing.
  view::ViewShared& vs = shared.shared();
  vs.SatShapeParam1 = 1, vs.SatShapeParam2 = 0;
  fb = Draw();
  EXPECT_EQ(fb.polygons.size(), 12u) << "body and plume only";
}

TEST_F(Spacecraft, SunTrackingWingsFaceTheSunWithAJitter) {
  datastore::DataStore& st = store.store();
  st.SettingsBlock.OptSolarPanel = 1;
  // Model Z is scene -Y, model X scene +X.
  struct Case {
    double sx, sy, sz, angle;
  } cases[] = {{0, -1e11, 0, 0}, {1e11, 0, 0, 90}, {0, 1e11, 0, 180}};
  for (const Case& k : cases) {
    probe.Scene.SunVector = {k.sx, k.sy, k.sz};
    double lo = 1e300, hi = -1e300;
    for (int i = 0; i < 40; ++i) {
      Draw();
      double d = probe.Craft.PanelSunAngle - k.angle;
      if (d > 180) d -= 360;
      lo = std::min(lo, d), hi = std::max(hi, d);
    }
    EXPECT_GE(lo, -5) << "sun " << k.sx << " " << k.sy;
    EXPECT_LT(hi, 5) << "sun " << k.sx << " " << k.sy;
    EXPECT_GT(hi - lo, 0.5) << "the angle jitters from frame to frame";
  }
}

}  // namespace
}  // namespace vantrel::test
