// The central body and the Moon: turning angles, texture files, the textured sphere's turn,
// the Sun's light, and a whole frame of the Earth with a spacecraft over it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>
#include <string>

#include "datastore/state.h"
#include "numerics/planets.h"
#include "numerics/vect.h"
#include "tests/platform/glview/harness/gl_harness.h"
#include "tests/support/guards.h"
#include "tests/view/bodies/scene_probe.h"
#include "view/event_bridge.h"
#include "view/scene_model.h"
#include "view/view_shared.h"

namespace vantrel::test {
namespace {

TEST(TurningAngles, CentralBodyTurnsBySiderealTime) {
  struct Case {
    double t, deg;
  } cases[] = {
      {36526, 189.96747},      // 1 January 2000, 0 h
      {36526.5, 10.460297},    // 12 h later: 180.49 degrees on, folded, turned by 90
      {36526.25, -79.786115},  // 6 h: 99.967 + 90.246 folded to -169.786, turned by 90
  };
  for (const Case& k : cases) EXPECT_NEAR(view::SiderealTurn(k.t), k.deg, 1e-5) << "day " << k.t;
  EXPECT_THROW(view::SiderealTurn(3e6), rt::RtError) << "past the calendar";
}

TEST(TurningAngles, MoonTurnsWithItsMonth) {
  struct Case {
    double t;
    bool last, first;
    double deg;
  } cases[] = {
      {36526.5, false, false, 284.727273},  // -1174.5 days: -42.709 months
      {37721, false, false, 81.8181},       // 20 days: 441.8 folded after 4 decimals
      {37701, false, false, 180},
      {36526.5, true, false, 0},  // standing on the last row
      {36526.5, false, true, 1},  // on the first row of the range
      {36526.5, true, true, 1},
  };
  for (const Case& k : cases) EXPECT_NEAR(view::MoonTurn(k.t, k.last, k.first), k.deg, 1e-4) << "day " << k.t;
}

TEST(TextureFiles, NameFollowsTheCentralBody) {
  struct Case {
    double moon, body;
    const char* file;
  } cases[] = {{1, 4, "moon.jpg"},
               {1, 0, "moon.jpg"},
               {0, 1, "2k_sun.jpg"},
               {0, 2, "2k_mercury.jpg"},
               {0, 3, "2k_venus_atmosphere.jpg"},
               {0, 4, "earth.jpg"},
               {0, 5, "2k_mars.jpg"},
               {0, 6, "2k_jupiter.jpg"},
               {0, 11, ""},
               {0, 0, ""},
               {2, 4, ""}};
  for (const Case& k : cases)
    EXPECT_EQ(view::CentralTextureName(k.moon, k.body, "earth.jpg", "moon.jpg"), k.file)
        << "moon flag " << k.moon << " body " << k.body;
}

TEST(TextureFiles, EveryBodyHasItsPictureAmongTheAssets) {
  for (const char* f : {"earthjpg.jpg", "moonjpg.jpg", "2k_sun.jpg", "2k_mercury.jpg", "2k_venus_atmosphere.jpg",
                        "2k_mars.jpg", "2k_jupiter.jpg"}) {
    QImage img(QString(VANTREL_ASSETS) + "/" + f);
    ASSERT_FALSE(img.isNull()) << f;
    EXPECT_EQ(img.width(), 2 * img.height()) << f << ": a map of the whole sphere";
  }
}

// A sphere drawn by the bodies section, seen by the view control.
class Spheres : public GlViewTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    shared.shared().AppPath = dir.path().toStdString();
    datastore::DataStore& st = store.store();
    st.CentralBody = 4;
    st.MoonMode = 0;
    GlViewTest::SetUp();
    probe = std::make_unique<SceneProbe>(view.get());
    st.ScaleFactor = 1;
    probe->Scene.AxisLength = 5;  // the Earth is drawn 6.378 across
    view->Camera().SetOrtho(-10, 10, -10, 10);
  }
  void TearDown() override {
    if (view) view->SetEvents(nullptr);
    probe.reset();
    GlViewTest::TearDown();
  }
  void Picture(const char* name, const std::function<void(QPainter&)>& paint) {
    QImage img(512, 256, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    paint(p);
    p.end();
    ASSERT_TRUE(img.save(dir.path() + "/" + name));
  }

  QTemporaryDir dir;
  datastore::ScopedStore store;
  view::ScopedViewShared shared;
  std::unique_ptr<SceneProbe> probe;
};

TEST_F(Spheres, TexturedSphereShowsTheSideItsSiderealTurnBringsToTheEye) {
  // West half red, east half blue.
  Picture("halves.png", [](QPainter& p) {
    p.fillRect(0, 0, 256, 256, Qt::red);
    p.fillRect(256, 0, 256, 256, Qt::blue);
  });
  datastore::DataStore& st = store.store();
  st.StringSettings.EarthTexture = "halves.png";
  st.SettingsBlock.TimeRangeGiven = 1.0;
  bool textureLeftOn = true;
  void* quadric = nullptr;
  int quadrics = 0;
  events.on_draw = [&] {
    glColor3f(1, 1, 1);
    probe->DrawCentralBodies();
    textureLeftOn = glIsEnabled(GL_TEXTURE_2D);
    if (probe->SceneQuadric[0] != quadric) ++quadrics, quadric = probe->SceneQuadric[0];
  };
  view->Camera().LookAt(100, 0, 0, 0, 0, 0, 0, 0, 1);  // the eye over longitude -MeridienDeg
  // The map's longitude u (0 at its left edge) lies at 90 + 360 u degrees from +X before the
  // turn: after a turn by M the eye on +X sees u = (-M - 90) / 360, modulo 1.
  struct Case {
    double t;
    int r, b;
  } cases[] = {{36526, 255, 0}, {36526.5, 0, 255}, {36526, 255, 0}};
  for (const Case& k : cases) {
    st.DataTable.Set(0, 0, k.t);
    ASSERT_NO_FATAL_FAILURE(Render());
    Rgb c = Pixel(100, 100);
    EXPECT_TRUE(c.Near(k.r, 0, k.b, 2)) << "day " << k.t << ": " << c << ", turn " << probe->MeridienDeg;
  }
  EXPECT_NEAR(probe->MeridienDeg, 189.96747, 1e-5);
  EXPECT_FALSE(textureLeftOn) << "texturing is off again after the sphere";
  EXPECT_EQ(quadrics, 1) << "one quadric for every frame";
  EXPECT_EQ(probe->Scene.CentralTextureLoaded, 1);
  EXPECT_NEAR(probe->Scene.CentralRadius, 6.378, 1e-12);

  // Without times the body stays unturned.
  st.SettingsBlock.TimeRangeGiven = 0;
  probe->MeridienDeg = 0;
  view->Camera().LookAt(0, 100, 0, 0, 0, 0, 0, 0, 1);  // +Y: the map's left edge
  ASSERT_NO_FATAL_FAILURE(Render());
  // Screen right is -X: east of the edge (the map's left) to the right, west to the left.
  EXPECT_TRUE(Pixel(110, 100).Near(255, 0, 0, 2)) << Pixel(110, 100);
  EXPECT_TRUE(Pixel(90, 100).Near(0, 0, 255, 2)) << Pixel(90, 100);
}

TEST_F(Spheres, NorthIsAtTheTopOfTheMap) {
  Picture("north.png", [](QPainter& p) {
    p.fillRect(0, 0, 512, 128, Qt::green);
    p.fillRect(0, 128, 512, 128, Qt::blue);
  });
  store.store().StringSettings.EarthTexture = "north.png";
  events.on_draw = [&] {
    glColor3f(1, 1, 1);
    probe->DrawCentralBodies();
  };
  view->Camera().LookAt(100, 0, 0, 0, 0, 0, 0, 0, 1);
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_TRUE(Pixel(100, 80).Near(0, 255, 0, 2)) << "northern half " << Pixel(100, 80);
  EXPECT_TRUE(Pixel(100, 120).Near(0, 0, 255, 2)) << "southern half " << Pixel(100, 120);
}

TEST_F(Spheres, MissingTextureIsTriedOnceAndTheBodyIsStillDrawn) {
  store.store().StringSettings.EarthTexture = "none.jpg";
  events.on_draw = [&] {
    glColor3f(1, 1, 1);
    probe->DrawCentralBodies();
  };
  view->Camera().LookAt(100, 0, 0, 0, 0, 0, 0, 0, 1);
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_EQ(probe->Scene.ErrNumber, 53) << "file not found, silently";
  EXPECT_EQ(probe->Scene.CentralTextureLoaded, 1);
  EXPECT_TRUE(Pixel(100, 100).Near(255, 255, 255, 2)) << Pixel(100, 100);
  probe->Scene.ErrNumber = 0;
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_EQ(probe->Scene.ErrNumber, 0) << "not tried again before a reset";
}

TEST_F(Spheres, SideTowardsTheSunIsBrighter) {
  Picture("white.png", [](QPainter&) {});
  datastore::DataStore& st = store.store();
  st.StringSettings.EarthTexture = "white.png";
  probe->Scene.PointTime = 36526.5;
  events.on_draw = [&] {
    probe->DrawSunLighting();
    probe->DrawCentralBodies();
    glDisable(GL_LIGHTING);
  };
  // The Sun's direction on equatorial axes, and an eye at right angles to it.
  numerics::Vec3 helio, sun, eq;
  numerics::PlanetPos(36526.5 - 366, numerics::kBodySun, 0, helio, sun);
  numerics::EclToEqu(sun, eq);
  double n = numerics::norm(eq);
  double L[3] = {eq(1) / n, eq(2) / n, eq(3) / n};
  double e[3] = {L[1], -L[0], 0};  // L x Z, horizontal
  double en = std::hypot(e[0], e[1]);
  e[0] /= en, e[1] /= en;
  view->Camera().LookAt(float(100 * e[0]), float(100 * e[1]), 0, 0, 0, 0, 0, 0, 1);
  ASSERT_NO_FATAL_FAILURE(Render());
  // Screen right is -e x Z, screen up is Z.
  double right[3] = {-e[1], e[0], 0};
  double sx = L[0] * right[0] + L[1] * right[1], sy = L[2];
  const double r = 0.7 * 63.78;
  Rgb lit = Pixel(int(100 + r * sx), int(100 - r * sy));
  Rgb dark = Pixel(int(100 - r * sx), int(100 + r * sy));
  EXPECT_GT(lit.r, dark.r + 80) << "lit " << lit << ", dark " << dark;
  EXPECT_GT(lit.g, dark.g + 80) << "lit " << lit << ", dark " << dark;
  EXPECT_GT(lit.r, lit.b) << "the light is yellowish: " << lit;
  EXPECT_EQ(probe->Scene.SunLightPos[3], 1);
  EXPECT_NEAR(probe->Scene.SunLightPos[0], eq(1) / 1e6, std::fabs(eq(1)) * 1e-6);
  EXPECT_EQ(probe->Scene.SunVector[0], -sun(1)) << "minus the Sun's ecliptic position";
  EXPECT_EQ(probe->Scene.SunVector[2], -sun(3));
}

TEST_F(Spheres, MoonStandsAtItsEphemerisOnEquatorialAxes) {
  Picture("white.png", [](QPainter&) {});
  datastore::DataStore& st = store.store();
  st.StringSettings.MoonTexture = "white.png";
  st.ScaleFactor = 1e-4;  // the Moon some 38 units out
  st.SettingsBlock.MoonFactor = 30;
  st.SettingsBlock.OptNoPlotAxis = 1;
  st.LastDataRow = 5;
  probe->Scene.PointTime = 36526.5;
  bool textureLeftOn = true;
  events.on_draw = [&] {
    probe->DrawMoon();
    textureLeftOn = glIsEnabled(GL_TEXTURE_2D);
  };
  view->Camera().SetOrtho(-50, 50, -50, 50);
  // Seen from +X, with Z up: the tilt of the ecliptic moves the Moon up or down the screen.
  view->Camera().LookAt(100, 0, 0, 0, 0, 0, 0, 0, 1);

  numerics::Vec3 helio, moon, eq;
  numerics::PlanetPos(36526.5 - 366, numerics::kBodyMoon, 4, helio, moon);
  numerics::EclToEqu(moon, eq);
  auto at = [&](double x, double y) { return Pixel(int(100 + 2 * x), int(100 - 2 * y)); };
  ASSERT_NO_FATAL_FAILURE(Render());
  // White texture under the sphere colour (50, 100, 150) / 256.
  double y = eq(2) / 1000 * 1e-4, z = eq(3) / 1000 * 1e-4;
  ASSERT_GT(std::fabs(y), 15) << "a date at which the tilt shows";
  EXPECT_TRUE(at(y, z).Near(50, 100, 150, 3)) << at(y, z) << " at " << y << ", " << z;
  EXPECT_TRUE(at(y, moon(3) / 1000 * 1e-4).Near(0, 0, 0, 3)) << "not on ecliptic axes";
  EXPECT_FALSE(textureLeftOn);
  EXPECT_EQ(probe->Scene.MoonTextureLoaded, 1);

  // In the rotating Earth-Moon frame the Moon lies on +X at the given distance.
  st.EarthMoonMode = 1;
  st.MoonDistance = 3.0e8;
  view->Camera().LookAt(0, 0, 100, 0, 0, 0, 0, 1, 0);
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_TRUE(at(30, 0).Near(50, 100, 150, 3)) << at(30, 0);
  EXPECT_EQ(probe->Bodies.BodyPos(1), 3.0e8);

  // With the Moon as the central body no second Moon is drawn.
  st.MoonMode = 1;
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_TRUE(at(30, 0).Near(0, 0, 0, 3)) << at(30, 0);
}

// A whole frame: the Earth with its texture at noon on 1 January 2000, seen from the Sun,
// and a spacecraft over it. Set VANTREL_SCREENSHOT to a file name to keep the picture.
TEST(Screenshot, EarthWithASpacecraftOverIt) {
  datastore::ScopedStore store;
  view::ScopedViewShared shared;
  MsgBoxGuard boxes;
  shared.shared().AppPath = VANTREL_ASSETS;
  shared.shared().OptMoonState = 1;
  shared.shared().SatShapeParam1 = 2, shared.shared().SatShapeParam2 = 2;
  shared.shared().SatShapeParam5 = 1;
  datastore::DataStore& st = store.store();
  datastore::SettingsRecord& sb = st.SettingsBlock;
  st.StringSettings.EarthTexture = "earthjpg.jpg";
  st.StringSettings.MoonTexture = "moonjpg.jpg";
  st.CentralBody = 4;
  st.IsoScaleMode = 1;
  st.QuaterRows = 1;
  st.QuaterTable.Set(0, 1, 0.9238795);  // 45 degrees about X
  st.QuaterTable.Set(0, 2, 0.3826834);
  st.LastDataRow = 0;
  st.EventCount = 1;
  st.SceneFitDone = 1;  // the scene is given in scene units
  sb.LoadDone = 1.0;
  sb.OptSatellite = 1;
  sb.SatelliteSize = 1500;
  sb.TimeRangeGiven = 1.0;
  sb.OptNoLogoLabel = 1;
  sb.OptNoPlotAxis = 1;

  numerics::Vec3 helio, sun, eq;
  numerics::PlanetPos(36526.5 - 366, numerics::kBodySun, 0, helio, sun);
  numerics::EclToEqu(sun, eq);
  double n = numerics::norm(eq);
  double L[3] = {eq(1) / n, eq(2) / n, eq(3) / n};
  // The spacecraft 2000 km above the surface, between the Earth and the Sun, off to one side.
  st.DataTable.Set(0, 0, 36526.5);
  st.DataTable.Set(0, 1, 8.4 * L[0] + 2);
  st.DataTable.Set(0, 2, 8.4 * L[1]);
  st.DataTable.Set(0, 3, 8.4 * L[2] + 3);

  glview::GlView view;
  view::ClassGl gl(&view);
  gl.SceneExtent = 10;
  view::GlEventBridge bridge(view, gl);
  view.SetEvents(&bridge);
  view.resize(640, 640);
  view.show();
  ASSERT_TRUE(WaitFor([&] { return view.FrameCount() > 1; }));
  view.Camera().SetOrtho(-12, 12, -12, 12);
  view.Camera().LookAt(float(100 * L[0]), float(100 * L[1]), float(100 * L[2]), 0, 0, 0, 0, 0, 1);
  for (int i = 0; i < 3; ++i) {
    long f = view.FrameCount();
    view.Redraw();
    ASSERT_TRUE(WaitFor([&] { return view.FrameCount() > f; }));
  }
  QImage frame = view.ReadFrame();
  if (const char* keep = std::getenv("VANTREL_SCREENSHOT")) frame.save(keep);
  view.SetEvents(nullptr);

  ASSERT_EQ(frame.width(), 640);
  // The textured Earth fills the middle, land (red above blue) and sea (blue above red); the
  // background shows at the corners.
  QColor bg = frame.pixelColor(5, 5);
  int earth = 0, land = 0, sea = 0;
  for (int y = 220; y < 420; ++y)
    for (int x = 220; x < 420; ++x) {
      QColor c = frame.pixelColor(x, y);
      earth += c != bg;
      land += c.red() > c.blue() + 20;
      sea += c.blue() > c.red() + 20;
    }
  EXPECT_GT(earth, 200 * 200 * 9 / 10);
  EXPECT_GT(land, 2000);
  EXPECT_GT(sea, 2000);
  EXPECT_NEAR(bg.blue(), 70, 2) << "the background colour";
  EXPECT_NEAR(gl.MeridienDeg, 10.460297, 1e-5);
  EXPECT_NEAR(gl.Scene.CentralRadius, 6.378, 1e-12);
  EXPECT_GT(gl.Craft.ModelSize, 1) << "the model is drawn large enough to be seen";
}

}  // namespace
}  // namespace vantrel::test
