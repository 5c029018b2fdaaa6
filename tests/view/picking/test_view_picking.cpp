// Left presses run a selection pass of the whole frame before the press reaches the view
// object. Here the real view control and view object draw a full scene (central body,
// spacecraft, trajectory, logo, point and origin texts, point labels) and take presses, drags
// and double-clicks in every tool mode, under the driver named at build time. A selection
// pass that replays glyph display lists or textures kills the process inside Mesa.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>
#include <QThread>

#include <cmath>
#include <string>

#include "datastore/state.h"
#include "platform/glview/glview.h"
#include "tests/support/guards.h"
#include "view/class_gl.h"
#include "view/event_bridge.h"
#include "view/view_shared.h"
#include "tests/support/wait_window.h"

#define VANTREL_STR2(x) #x
#define VANTREL_STR(x) VANTREL_STR2(x)
#define VANTREL_CAT2(a, b) a##b
#define VANTREL_CAT(a, b) VANTREL_CAT2(a, b)
// One suite name per driver, so that the two builds register distinct tests.
#define PICK_SUITE VANTREL_CAT(Picking_, VANTREL_GL_DRIVER)

namespace vantrel::view {
namespace {

void Spin(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
}

// The camera as the next frame would apply it.
std::pair<glview::Mat4, glview::Mat4> CameraOf(glview::GlView& v) {
  return {v.Camera().ModelView(), v.Camera().Projection(int(v.ViewWidth()), int(v.ViewHeight()))};
}

class PICK_SUITE : public ::testing::Test {
 protected:
  void SetUp() override {
    datastore::DataStore& st = store_.store();
    datastore::SettingsRecord& sb = st.SettingsBlock;
    shared_.shared().AppPath = VANTREL_ASSETS;  // the body textures
    shared_.shared().ShowLabels = 1;
    st.StringSettings.EarthTexture = "earthjpg.jpg";
    st.StringSettings.MoonTexture = "moonjpg.jpg";
    // Every text of the frame on: the product name, the body's name, the point's date, the
    // origin offsets, the axis letters; a textured Earth and the spacecraft model.
    sb.OptNoLogoLabel = 0;
    sb.OptNoOriginLabel = 0;
    sb.OptNoColourAxisX = 1.0;
    sb.OptNoTimeMoving = 0;
    sb.OptNoPlotAxis = 0;
    sb.OptNoEarth = 0;
    sb.OptSatellite = 1;
    sb.TimeRangeGiven = 1.0;
    sb.ColourBackground = {0, 0, 0};
    sb.ColourAxisLabels = {255, 255, 0};
    sb.LinePlotThickness = 2;
    sb.LoadDone = 1.0;
    st.IsoScaleMode = 1;
    st.CentralBody = 4;
    st.ScaleFactor = 1.0;
    st.EventsGiven = 1;
    // A helix round the Earth, with one event and a label per row.
    const int rows = 400;
    for (int r = 0; r <= rows; ++r) {
      double a = r * 0.05;
      st.DataTable.Set(r, 0, 36526.5 + r * 0.01);
      st.DataTable.Set(r, 1, 12000 * std::cos(a));
      st.DataTable.Set(r, 2, 12000 * std::sin(a));
      st.DataTable.Set(r, 3, 20.0 * r);
      st.PointLabels.Set(r, "P" + std::to_string(r));
    }
    st.LastDataRow = rows;
    st.EventsTable.Set(1, 0, 36526.5);
    st.EventsTable.Set(1, 1, 1);
    st.EventCount = 1;

    view_.resize(400, 300);
    view_.SetEvents(&bridge_);
    view_.show();
    ASSERT_TRUE(vantrel::test::WaitForWindowExposed(&view_));
    ASSERT_TRUE(WaitFrames(2)) << "no OpenGL context";
    ASSERT_EQ(st.SceneFitDone, 1) << "the scene was not fitted";
    gl_.CURRINDEXI = rows;  // the whole trajectory, the date text at its end
    gl_.SetEditState(8);
  }
  void TearDown() override { view_.SetEvents(nullptr); }

  bool WaitFrames(long n) {
    long want = view_.FrameCount() + n;
    QElapsedTimer t;
    t.start();
    while (view_.FrameCount() < want && t.elapsed() < 10000) {
      view_.Redraw();
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return view_.FrameCount() >= want;
  }

  std::string Renderer() {
    if (!view_.MakeCurrent()) return {};
    const char* r = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::string s = r ? r : "";
    view_.DoneCurrent();
    return s;
  }

  // A move with buttons held, as the window system sends it.
  void MoveTo(QPoint p, Qt::MouseButtons held) {
    QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(view_.mapToGlobal(p)), Qt::NoButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&view_, &e);
    Spin(5);
  }

  void Drag(Qt::MouseButton button, QPoint from, QPoint to) {
    QTest::mousePress(&view_, button, {}, from);
    const int steps = 4;
    for (int i = 1; i <= steps; ++i) MoveTo(from + (to - from) * i / steps, button);
    QTest::mouseRelease(&view_, button, {}, to);
    Spin(5);
  }

  datastore::ScopedStore store_;
  ScopedViewShared shared_;
  test::MsgBoxGuard boxes_;
  glview::GlView view_;
  ClassGl gl_{&view_};
  GlEventBridge bridge_{view_, gl_};
};

TEST_F(PICK_SUITE, PressesDragsAndDoubleClicksInEveryToolModeLeaveTheViewAlive) {
  EXPECT_NE(Renderer().find(VANTREL_STR(VANTREL_GL_DRIVER)), std::string::npos) << "drawn by " << Renderer();
  ASSERT_TRUE(WaitFrames(1));

  const QPoint centre(200, 150);
  // Whether a left drag moves the camera in the mode.
  struct Case {
    long mode;
    bool leftMovesCamera;
  };
  const Case cases[] = {{1, true},   {2, false},  {3, false},  {4, false},  {5, false}, {6, true},
                        {7, true},   {8, true},   {9, false},  {10, true},  {11, true}, {12, true},
                        {13, false}, {14, false}, {15, false}, {16, false}, {17, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode));
    gl_.SetEditState(c.mode);
    ASSERT_TRUE(WaitFrames(1));

    // A press alone: the selection pass draws the scene under the pointer.
    QTest::mousePress(&view_, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(&view_, Qt::LeftButton, {}, centre);

    auto before = CameraOf(view_);
    long frames = view_.FrameCount();
    Drag(Qt::LeftButton, centre, centre + QPoint(40, 30));
    EXPECT_EQ(CameraOf(view_) != before, c.leftMovesCamera);
    ASSERT_TRUE(WaitFrames(1));
    EXPECT_GT(view_.FrameCount(), frames);

    Drag(Qt::RightButton, centre, centre + QPoint(-20, -25));
    // Both presses of a double-click: the first picks, the second toggles the animation.
    std::string tag = view_.Tag();
    QTest::mouseDClick(&view_, Qt::LeftButton, {}, centre + QPoint(-30, 10));
    EXPECT_EQ(view_.Animation().Running(), tag.empty());
    EXPECT_EQ(view_.Tag(), tag.empty() ? "Animate" : "");
    Drag(Qt::LeftButton, QPoint(5, 5), QPoint(395, 295));  // corner to corner
    ASSERT_TRUE(WaitFrames(1));
  }
  EXPECT_TRUE(boxes_.boxes().boxes().empty()) << boxes_.boxes().boxes()[0].text;
}

TEST_F(PICK_SUITE, PenUpPointLabelsAndSmallTextsAreSkippedByThePass) {
  datastore::DataStore& st = store_.store();
  st.PenUpMode = 1;
  st.PenUpLabelMode = 1;
  st.SettingsBlock.OptLargeChars = 1.0;
  ASSERT_TRUE(WaitFrames(2));
  for (long mode : {1L, 8L}) {
    gl_.SetEditState(mode);
    for (QPoint p : {QPoint(200, 150), QPoint(100, 80), QPoint(320, 220)}) {
      Drag(Qt::LeftButton, p, p + QPoint(15, -10));
      ASSERT_TRUE(WaitFrames(1));
    }
  }
}

}  // namespace
}  // namespace vantrel::view
