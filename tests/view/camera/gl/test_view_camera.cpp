// The camera of the view control under the presets, the keys and the mouse tools, with the
// events coming through the main window's bridge as the control raises them.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/fake_services.h"
#include "datastore/state.h"
#include "tests/platform/glview/harness/gl_harness.h"
#include "view/class_gl.h"
#include "view/event_bridge.h"
#include "view/view_shared.h"

namespace vantrel::test {
namespace {

using glview::Vec3f;

// The bridge of the program with the scene left out: a frame only counts, and runs the
// test's drawing (also in the control's selection pass).
class SceneLessBridge : public view::GlEventBridge {
 public:
  using GlEventBridge::GlEventBridge;
  void DrawEvent() override {
    ++draws;
    if (on_draw) on_draw();
  }
  long draws = 0;
  std::function<void()> on_draw;
};

::testing::AssertionResult Near(Vec3f v, float x, float y, float z, float tol = 1e-3f) {
  if (std::fabs(v.x - x) <= tol && std::fabs(v.y - y) <= tol && std::fabs(v.z - z) <= tol)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << v.x << ", " << v.y << ", " << v.z << ") instead of (" << x << ", " << y
                                       << ", " << z << ")";
}

bool Finite(Vec3f v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

class ViewCamera : public GlViewTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Open(200, 200, false));
    gl = std::make_unique<view::ClassGl>(view.get());
    bridge = std::make_unique<SceneLessBridge>(*view, *gl);
    view->SetEvents(bridge.get());
    ASSERT_NO_FATAL_FAILURE(Render());
    ASSERT_TRUE(WaitFor([&] { return bridge->FirstViewDone == 1; })) << "no first-view event";
    ASSERT_EQ(gl->ViewportW, 200);
    ASSERT_EQ(gl->ViewportH, 200);
  }
  void TearDown() override {
    if (view) view->SetEvents(nullptr);
    bridge.reset();
    gl.reset();
    view.reset();
  }

  glview::GlCamera& cam() { return view->Camera(); }
  void Look(float ex, float ey, float ez) { cam().LookAt(ex, ey, ez, 0, 0, 0, 0, 1, 0); }
  // Counters as a new view object has them.
  void FreshCounters(double axis) {
    gl->IsoStep = gl->IsoQuadrant = gl->ProjStep = 0;
    gl->IsoAxis = axis;
  }
  void Fitted() {
    store.store().ResizeDone = 1;
    store.store().SceneFitDone = 1;
  }
  void Ortho(double& l, double& r, double& b, double& t) { cam().GetOrtho(l, r, b, t); }

  void Press(Qt::MouseButton b, QPoint at) { QTest::mousePress(view.get(), b, {}, at); }
  void Release(Qt::MouseButton b, QPoint at) { QTest::mouseRelease(view.get(), b, {}, at); }
  // A move with the given buttons held (none: a hover).
  void MoveTo(QPoint at, Qt::MouseButtons held) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), view->mapToGlobal(QPointF(at)), Qt::NoButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(view.get(), &e);
  }
  void Drag(Qt::MouseButton b, std::vector<QPoint> path) {
    Press(b, path.front());
    for (size_t i = 1; i < path.size(); ++i) MoveTo(path[i], b);
    Release(b, path.back());
  }

  std::shared_ptr<datastore::FakeMainWindow> main = std::make_shared<datastore::FakeMainWindow>();
  datastore::ScopedStore store{main};
  view::ScopedViewShared shared;
  std::unique_ptr<view::ClassGl> gl;
  std::unique_ptr<SceneLessBridge> bridge;
};

// --- presets -------------------------------------------------------------------------------

TEST_F(ViewCamera, TheFirstViewEventAppliesTheIsometricViewAboutY) {
  EXPECT_EQ(gl->IsoAxis, 2);
  EXPECT_EQ(gl->IsoStep, 0) << "nothing fitted yet";
  EXPECT_TRUE(Near(cam().Eye(), 0, 100, 100));
  EXPECT_TRUE(Near(cam().Up(), 0, 1, 0));
}

TEST_F(ViewCamera, ModeWordsIgnoreCaseAndOuterBlanks) {
  Fitted();
  struct Case {
    const char* mode;
    bool iso;
  } cases[] = {{" ISONEW ", true}, {"isonew", true}, {"ISOnew", true},
               {"ISO NEW", false}, {"", false},      {"proj", false}};
  for (const Case& c : cases) {
    FreshCounters(0);
    Look(1, 2, 3);
    gl->CameraSet(c.mode, 3, 1);
    if (c.iso) {
      EXPECT_TRUE(Near(cam().Eye(), 70.71f, 70.71f, 100, 0.01f)) << "'" << c.mode << "'";
      EXPECT_TRUE(Near(cam().Up(), 0, 0, 1)) << "'" << c.mode << "'";
      EXPECT_EQ(gl->IsoStep, 1);
      EXPECT_EQ(gl->ProjStep, 0);
    } else {
      EXPECT_TRUE(Near(cam().Eye(), 0, -100, 0)) << "'" << c.mode << "' is axis view 1";
      EXPECT_TRUE(Near(cam().Up(), 0, 0, 1));
      EXPECT_EQ(gl->ProjStep, 1);
      EXPECT_EQ(gl->IsoStep, 0);
    }
    EXPECT_TRUE(Near(cam().Target(), 0, 0, 0));
    EXPECT_EQ(cam().FarPlane(), 10000.0);
    EXPECT_EQ(cam().NearPlane(), -10000.0);
    EXPECT_EQ(cam().ViewAngle(), 180.0);
    EXPECT_EQ(cam().ProjectionType(), 1);
  }
}

TEST_F(ViewCamera, IsometricStepsTurnAboutEachVerticalAxis) {
  Fitted();
  struct Case {
    double axis;
    Vec3f up, step1, step2;
  } cases[] = {
      {1, {1, 0, 0}, {100, 70.71f, 70.71f}, {100, 0, 100}},
      {2, {0, 1, 0}, {70.71f, 100, 70.71f}, {100, 100, 0}},
      {3, {0, 0, 1}, {70.71f, 70.71f, 100}, {0, 100, 100}},
  };
  for (const Case& c : cases) {
    FreshCounters(c.axis);
    gl->CameraSet("isonew", c.axis, 1);
    EXPECT_TRUE(Near(cam().Eye(), c.step1.x, c.step1.y, c.step1.z, 0.01f)) << "axis " << c.axis;
    EXPECT_TRUE(Near(cam().Up(), c.up.x, c.up.y, c.up.z));
    gl->CameraSet("isonew", c.axis, 0);
    EXPECT_TRUE(Near(cam().Eye(), c.step2.x, c.step2.y, c.step2.z, 0.01f))
        << "axis " << c.axis << ": two calls turn by 90 degrees";
  }
}

TEST_F(ViewCamera, RealIsometricViewsGoAroundZByQuarterTurns) {
  Fitted();
  FreshCounters(3);
  main->checks[datastore::CheckBox::Check9].tag = "REAL_ISO";
  const Vec3f eyes[] = {{-100, 100, 100}, {-100, -100, 100}, {100, -100, 100}, {100, 100, 100}};
  for (const Vec3f& e : eyes) {
    gl->CameraSet("ISONEW", 2, 0);
    EXPECT_TRUE(Near(cam().Eye(), e.x, e.y, e.z)) << "quadrant " << gl->IsoQuadrant;
    EXPECT_TRUE(Near(cam().Up(), 0, 0, 1));
  }
  main->checks[datastore::CheckBox::Check9].tag = "real_iso";
  gl->CameraSet("ISONEW", 2, 0);
  EXPECT_TRUE(Near(cam().Eye(), -70.71f, -70.71f, 100, 0.01f))
      << "the tag is compared exactly: step 5 of the turning view";
}

TEST_F(ViewCamera, BeforeTheFitTheIsometricViewStaysButTheQuadrantSteps) {
  FreshCounters(3);
  gl->IsoStep = 1;
  gl->CameraSet("isonew", 3, 0);
  Vec3f first = cam().Eye();
  gl->CameraSet("isonew", 3, 0);
  EXPECT_TRUE(Near(cam().Eye(), first.x, first.y, first.z));
  EXPECT_TRUE(Near(first, 70.71f, 70.71f, 100, 0.01f)) << "the current step is applied again";
  EXPECT_EQ(gl->IsoQuadrant, 2);
}

TEST_F(ViewCamera, AxisViewsStepForwardAndBack) {
  FreshCounters(2);
  gl->CameraSet("projinverse", 2, 0);
  EXPECT_EQ(gl->ProjStep, 7);
  EXPECT_TRUE(Near(cam().Eye(), -100, 100, -100));
  EXPECT_TRUE(Near(cam().Up(), 0, 1, 0));
  gl->CameraSet("PROJinverse", 2, 0);
  EXPECT_EQ(gl->ProjStep, 6);
  EXPECT_TRUE(Near(cam().Eye(), 100, 100, 100));
  gl->CameraSet("proj", 2, 0);
  gl->CameraSet("proj", 2, 0);
  gl->CameraSet("proj", 2, 0);
  EXPECT_EQ(gl->ProjStep, 1);
  EXPECT_TRUE(Near(cam().Eye(), 0, -100, 0));
}

TEST_F(ViewCamera, PlusViewsCycleTheUpVectorAndKeepItOnStepsTheyDoNotKnow) {
  Fitted();
  FreshCounters(3);
  const Vec3f ups[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const Vec3f eyes[] = {{-100, 100, 100},  {-100, 100, 100},  {-100, -100, 100},
                        {-100, -100, 100}, {-100, -100, 100}, {-100, 100, 100}};
  for (int i = 0; i < 6; ++i) {
    gl->CameraSet("isonewPlus", 2, 0);
    EXPECT_TRUE(Near(cam().Up(), ups[i].x, ups[i].y, ups[i].z)) << "step " << gl->IsoStep;
    EXPECT_TRUE(Near(cam().Eye(), eyes[i].x, eyes[i].y, eyes[i].z)) << "step " << gl->IsoStep;
  }
  store.store().ResizeDone = 0;
  gl->IsoStep = 7;
  cam().SetUp(0.6f, 0.8f, 0);
  gl->CameraSet("ISONEWPLUS", 2, 0);
  EXPECT_TRUE(Near(cam().Up(), 0.6f, 0.8f, 0)) << "step 7 keeps the up vector";
  EXPECT_TRUE(Near(cam().Eye(), -100, -100, 100));
}

TEST_F(ViewCamera, AReloadRequestLeavesTheCameraAndCountersAlone) {
  Fitted();
  FreshCounters(2);
  store.store().SettingsBlock.ReloadRequest = 1.0;
  Look(1, 2, 3);
  gl->CameraSet("isonew", 3, 1);
  gl->CameraSet("proj", 3, 1);
  EXPECT_TRUE(Near(cam().Eye(), 1, 2, 3));
  EXPECT_EQ(gl->IsoStep, 0);
  EXPECT_EQ(gl->IsoQuadrant, 0);
  EXPECT_EQ(gl->ProjStep, 0);
  EXPECT_EQ(gl->IsoAxis, 3) << "only the axis is taken";
}

TEST_F(ViewCamera, APresetAsksForNoRepaint) {
  Spin(50);
  long frames = view->FrameCount();
  gl->CameraSet("proj", 2, 0);
  gl->CameraSet("isonew", 2, 0);
  Spin(150);
  EXPECT_EQ(view->FrameCount(), frames);
}

// --- keys ----------------------------------------------------------------------------------

TEST_F(ViewCamera, ArrowAndPageKeysTurnTheEyeAboutAnAxis) {
  struct Case {
    const char* what;
    Qt::Key key;
    Vec3f from, to;
    float tol;
  } cases[] = {
      {"left, about X", Qt::Key_Left, {100, 100, 100}, {100, 100.994995f, 98.995003f}, 1e-5f},
      {"right, back", Qt::Key_Right, {100, 100.994995f, 98.995003f}, {100, 100, 100}, 2e-3f},
      {"up, about Y", Qt::Key_Up, {100, 100, 100}, {98.995f, 100, 100.995f}, 1e-3f},
      {"down, x keeps its side", Qt::Key_Down, {-100, 100, 100}, {-98.995f, 100, 100.995f}, 1e-3f},
      {"page up, about Z", Qt::Key_PageUp, {100, 100, 100}, {100.995f, 98.995f, 100}, 1e-3f},
      {"page down", Qt::Key_PageDown, {100, 100, 100}, {98.995f, 100.995f, 100}, 1e-3f},
      {"left across the XY plane", Qt::Key_Left, {100, 100, -50}, {100, 99.495f, -52.5f}, 1e-3f},
      {"left on the X axis: no circle", Qt::Key_Left, {100, 0, 0}, {100, 0, 0}, 0},
      {"another key", Qt::Key_F1, {10, 20, 30}, {10, 20, 30}, 0},
  };
  for (const Case& c : cases) {
    Look(c.from.x, c.from.y, c.from.z);
    QTest::keyClick(view.get(), c.key);
    EXPECT_TRUE(Near(cam().Eye(), c.to.x, c.to.y, c.to.z, c.tol)) << c.what;
    EXPECT_TRUE(Near(cam().Up(), 0, 1, 0)) << c.what;
  }
}

TEST_F(ViewCamera, KeyIAppliesThePresetThenItsCharacterResetsTheView) {
  Fitted();
  FreshCounters(3);
  QTest::keyClick(view.get(), Qt::Key_I);
  EXPECT_EQ(main->checks[datastore::CheckBox::Check9].tag, "REAL_ISO");
  EXPECT_EQ(gl->IsoStep, 1) << "the preset ran";
  EXPECT_TRUE(Near(cam().Up(), 0, 1, 0));
  Vec3f e = cam().Eye();
  EXPECT_GT(e.x * -1, 0);
  EXPECT_TRUE(Near(e, -e.y, e.y, e.y)) << "on the (-1, 1, 1) diagonal";
  QTest::keyClick(view.get(), Qt::Key_I, Qt::ShiftModifier);
  EXPECT_EQ(main->checks[datastore::CheckBox::Check9].tag, "");
}

// --- mouse ---------------------------------------------------------------------------------

TEST_F(ViewCamera, ATenPixelPanMovesTheCameraByFiveUnits) {
  gl->SetEditState(8);
  EXPECT_EQ(view->MousePointer(), 201);
  Look(0, 0, 100);
  cam().SetOrtho(-100, 100, -100, 100);
  Drag(Qt::LeftButton, {{100, 100}, {110, 110}});
  // Pan(5, -5): the scene follows the mouse right and down, the camera goes left and up.
  EXPECT_TRUE(Near(cam().Eye(), -5, 5, 100));
  EXPECT_TRUE(Near(cam().Target(), -5, 5, 0));
  EXPECT_EQ(gl->MouseX, 110);
  EXPECT_EQ(gl->MouseY, 110);
}

TEST_F(ViewCamera, ZoomCommandsSetASquareBoxThreeTimesLargerOrSmaller) {
  gl->SetEditState(13);
  double l, r, b, t;
  Ortho(l, r, b, t);
  EXPECT_DOUBLE_EQ(l, -300);
  EXPECT_DOUBLE_EQ(r, 300);
  EXPECT_DOUBLE_EQ(b, -300);
  EXPECT_DOUBLE_EQ(t, 300);
  gl->SetEditState(14);
  gl->SetEditState(14);
  Ortho(l, r, b, t);
  EXPECT_NEAR(l, -33.333, 1e-3);
  EXPECT_NEAR(r, 33.333, 1e-3);
  EXPECT_NEAR(b, -33.333, 1e-3);
  EXPECT_NEAR(t, 33.333, 1e-3);
}

TEST_F(ViewCamera, AnEmptyOrInvertedZoomBoxIsNotPut) {
  gl->SceneExtent = 0;
  cam().SetOrtho(-100, 100, -100, 100);
  gl->SetEditState(13);
  double l, r, b, t;
  Ortho(l, r, b, t);
  EXPECT_EQ(r, 100) << "a scene of size 0 gives no box";
  gl->OrthoZoom = -50;
  gl->SetEditState(14);
  Ortho(l, r, b, t);
  EXPECT_EQ(r, 100) << "an inverted box";
}

TEST_F(ViewCamera, AMoveWithNoButtonNeitherMovesNorRepaints) {
  gl->SetEditState(8);
  Look(0, 0, 100);
  Press(Qt::LeftButton, {50, 50});
  Release(Qt::LeftButton, {50, 50});
  ASSERT_NO_FATAL_FAILURE(Render());
  Spin(50);
  long frames = view->FrameCount();
  MoveTo({90, 120}, Qt::NoButton);
  Spin(150);
  EXPECT_EQ(view->FrameCount(), frames);
  EXPECT_TRUE(Near(cam().Eye(), 0, 0, 100));
  EXPECT_EQ(gl->MouseX, 50);

  // The right button in select mode: no camera move, but tracked and repainted.
  gl->SetEditState(1);
  Press(Qt::RightButton, {50, 50});
  MoveTo({60, 70}, Qt::RightButton);
  EXPECT_TRUE(WaitFor([&] { return view->FrameCount() > frames; }));
  Release(Qt::RightButton, {60, 70});
  EXPECT_TRUE(Near(cam().Eye(), 0, 0, 100));
  EXPECT_EQ(gl->MouseX, 60);
  EXPECT_EQ(gl->MouseY, 70);
}

TEST_F(ViewCamera, LeftDragsMoveTheCameraOnlyInTheModesThatHaveALeftTool) {
  gl->MouseStep = 0.01;
  struct Case {
    long mode;
    bool moves;
  } cases[] = {{1, true},   {2, false},  {3, false},  {4, false},  {5, false}, {6, true},
               {7, true},   {8, true},   {9, false},  {10, true},  {11, true}, {12, true},
               {13, false}, {14, false}, {15, false}, {16, false}, {17, true}, {18, false}};
  for (const Case& c : cases) {
    gl->SetEditState(c.mode);
    gl->EditState = c.mode;
    Look(0, 0, 100);
    cam().SetOrtho(-100, 100, -100, 100);
    cam().SetProjectionType(1);
    // Up, then right: the roll needs two moves to see a direction.
    Drag(Qt::LeftButton, {{100, 100}, {100, 90}, {110, 90}});
    double l, r, b, t;
    Ortho(l, r, b, t);
    Vec3f e = cam().Eye(), tg = cam().Target(), up = cam().Up();
    bool same = Near(e, 0, 0, 100, 1e-4f) && Near(tg, 0, 0, 0, 1e-4f) && Near(up, 0, 1, 0, 1e-4f) && l == -100 &&
                r == 100 && b == -100 && t == 100;
    EXPECT_EQ(!same, c.moves) << "mode " << c.mode;
    EXPECT_TRUE(Finite(e) && Finite(tg) && Finite(up)) << "mode " << c.mode;
  }
}

TEST_F(ViewCamera, TheOrthographicMouseZoomMovesEachEdgeByTheStep) {
  struct Case {
    const char* what;
    double step, oneColumn;
    int dy;
    double edge;  // right edge after the move
  } cases[] = {
      {"up zooms in", 0.01, 0, -1, 98},
      {"down zooms out", 0.01, 0, 1, 102},
      {"one-column mode: a tenth", 0.01, 1, -1, 99.8},
      {"before the first fit", 0, 0, -1, 100},
      {"no vertical motion", 0.01, 0, 0, 100},
      {"an inverted box is not put", 0.6, 0, -1, 100},
  };
  gl->SetEditState(6);
  for (const Case& c : cases) {
    gl->MouseStep = c.step;
    store.store().OneColumnMode = c.oneColumn;
    cam().SetOrtho(-100, 100, -100, 100);
    Drag(Qt::LeftButton, {{100, 100}, {103, 100 + c.dy}});
    double l, r, b, t;
    Ortho(l, r, b, t);
    EXPECT_NEAR(r, c.edge, 1e-9) << c.what;
    EXPECT_NEAR(l, -c.edge, 1e-9) << c.what;
    EXPECT_NEAR(t, c.edge, 1e-9) << c.what;
  }
}

TEST_F(ViewCamera, DollyPitchYawAndRollFollowTheMouse) {
  gl->MouseStep = 0.5;
  gl->SetEditState(7);
  Look(0, 0, 100);
  Drag(Qt::LeftButton, {{100, 100}, {100, 101}});
  EXPECT_TRUE(Near(cam().Eye(), 0, 0, 110)) << "down: Dolly(-0.1) backs away";

  gl->SetEditState(10);
  Look(0, 0, 100);
  Drag(Qt::LeftButton, {{100, 100}, {100, 90}});
  EXPECT_TRUE(Near(cam().Eye(), 0, 0, 100));
  EXPECT_GT(cam().Target().y, 0) << "up 10 pixels: Pitch(10) looks up";

  gl->SetEditState(11);
  Look(0, 0, 100);
  Drag(Qt::LeftButton, {{100, 100}, {90, 100}});
  EXPECT_LT(cam().Target().x, 0) << "left 10 pixels: Yaw(10) turns left";

  // Roll: the direction of the last displacement of the reference point, pi/2 for a move up.
  gl->SetEditState(12);
  Look(0, 0, 100);
  Drag(Qt::LeftButton, {{150, 100}, {150, 80}, {150, 60}});
  EXPECT_NEAR(std::fabs(cam().Up().x), std::sin(1.5707963 * M_PI / 180), 1e-4);
}

TEST_F(ViewCamera, ASelectDragOnAPickedObjectLeavesTheCamera) {
  gl->SetEditState(1);
  long name = 0;
  bridge->on_draw = [&] {
    glLoadName(GLuint(name));
    glRectf(-20, -20, 20, 20);  // under pixel (100, 100)
  };
  struct Case {
    long name;
    bool pans;
  } cases[] = {{12, false}, {10, false}, {5, true}, {0, true}};
  for (const Case& c : cases) {
    name = c.name;
    Look(0, 0, 100);
    cam().SetOrtho(-100, 100, -100, 100);
    Press(Qt::LeftButton, {100, 100});
    EXPECT_EQ(gl->PickedName, c.name);
    EXPECT_EQ(gl->Dragging, c.name != 0);
    MoveTo({110, 100}, Qt::LeftButton);
    Release(Qt::LeftButton, {110, 100});
    EXPECT_FALSE(gl->Dragging) << "a release ends the drag";
    EXPECT_EQ(!Near(cam().Eye(), 0, 0, 100), c.pans) << "name " << c.name;
  }
}

TEST_F(ViewCamera, AViewOfNoAreaGivesNoDeviceCoordinates) {
  gl->SetEditState(12);
  gl->ViewportW = 0;
  gl->ViewportH = 0;
  Look(0, 0, 100);
  int button = 1, shift = 0;
  float x = 10, y = 20;
  gl->MouseDown(button, shift, x, y);
  y = 40;
  gl->MouseMove(button, shift, x, y);
  y = 60;
  gl->MouseMove(button, shift, x, y);
  EXPECT_TRUE(std::isfinite(gl->PressNdcX) && std::isfinite(gl->PressNdcY));
  EXPECT_TRUE(Finite(cam().Up()));
  EXPECT_TRUE(Near(cam().Up(), 0, 1, 0));
  EXPECT_EQ(gl->MouseY, 60);
}

// --- tool modes ----------------------------------------------------------------------------

TEST_F(ViewCamera, EachToolModeSetsItsCursor) {
  struct Case {
    long mode;
    int cursor;
  } cases[] = {{2, 210}, {3, 211},  {4, 203},  {5, 212},  {6, 200}, {7, 202}, {8, 201},
               {9, 207}, {10, 204}, {11, 205}, {12, 206}, {1, 0},   {16, 0},  {17, 0}};
  for (const Case& c : cases) {
    gl->SetEditState(8);
    gl->SetEditState(c.mode);
    EXPECT_EQ(view->MousePointer(), c.cursor) << "mode " << c.mode;
    EXPECT_EQ(gl->GetEditState(), c.mode);
  }
  for (long mode : {13L, 14L, 18L, -1L}) {
    gl->SetEditState(7);
    gl->SetEditState(mode);
    EXPECT_EQ(view->MousePointer(), 202) << "mode " << mode << " keeps the cursor";
    EXPECT_EQ(gl->GetEditState(), mode);
  }
  gl->SetEditState(15);
  EXPECT_EQ(view->MousePointer(), 0);
}

TEST_F(ViewCamera, LightbackSwapsWhiteAndTheBackgroundOverTwoFiftySix) {
  store.store().SettingsBlock.ColourBackground = {200, 100, 64};
  auto clear = [&] {
    GLfloat c[4] = {-1, -1, -1, -1};
    view->makeCurrent();
    glGetFloatv(GL_COLOR_CLEAR_VALUE, c);
    view->doneCurrent();
    return std::vector<float>(c, c + 4);
  };
  gl->SetEditState(15);
  EXPECT_EQ(clear(), (std::vector<float>{1, 1, 1, 0}));
  EXPECT_EQ(gl->LightBackOn, 1);
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_TRUE(Pixel(5, 5).Near(255, 255, 255)) << Pixel(5, 5);
  gl->SetEditState(15);
  EXPECT_EQ(clear(), (std::vector<float>{200.0f / 256, 100.0f / 256, 0.25f, 1}));
  EXPECT_EQ(gl->LightBackOn, 0);
}

}  // namespace
}  // namespace vantrel::test
