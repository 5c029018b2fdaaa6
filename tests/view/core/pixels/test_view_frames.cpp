// Frames drawn by the real view control on the X server of the test run, read back as pixels.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>

#include <map>
#include <string>
#include <vector>

#include "datastore/state.h"
#include "platform/glview/glview.h"
#include "platform/runtime/rterror.h"
#include "tests/support/guards.h"
#include "tests/support/wait.h"
#include "view/class_gl.h"
#include "view/event_bridge.h"
#include "view/view_shared.h"
#include "tests/support/wait_window.h"

namespace vantrel::view {
namespace {

// Pixels of the frame being drawn that are plainly yellow (the X axis).
int CountYellowInFrame() {
  GLint vp[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, vp);
  std::vector<unsigned char> px(size_t(vp[2]) * size_t(vp[3]) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, vp[2], vp[3], GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  int n = 0;
  for (size_t i = 0; i + 3 < px.size(); i += 4) n += px[i] > 200 && px[i + 1] > 200 && px[i + 2] < 60;
  return n;
}

// A view object whose value legend fails on demand and whose sections count their runs.
class ProbeGl : public ClassGl {
 public:
  using ClassGl::ClassGl;
  int fail = 0;        // error number the value legend raises, 0 none
  int pointTexts = 0;  // runs of the section after it
  int spacecraft = 0;
  double centralRadius = 0;

 protected:
  void DrawValueLegend() override {
    if (fail) throw rt::RtError(fail);
  }
  void DrawPointTexts() override { ++pointTexts; }
  void DrawSpacecraft() override { ++spacecraft; }
  void MainFocus(double& r, double, double) override { r = centralRadius; }
};

class FakeTexts : public BridgeTexts {
 public:
  std::map<int, CaptionBox> main{{2, {"main2", "tip2"}}, {3, {"main3", "tip3"}}};
  std::map<int, CaptionBox> movie;
  CaptionBox MainBox(int n) override { return main[n]; }
  void SetMainBox(int n, const CaptionBox& b) override { main[n] = b; }
  void SetMovieBox(int n, const CaptionBox& b) override { movie[n] = b; }
};

// The bridge, counting the yellow pixels of each frame once its scene is drawn.
class RecordingBridge : public GlEventBridge {
 public:
  using GlEventBridge::GlEventBridge;
  std::vector<int> yellow;
  void DrawGDIEvent() override {
    GlEventBridge::DrawGDIEvent();
    yellow.push_back(CountYellowInFrame());
  }
};

class ViewFrames : public ::testing::Test {
 protected:
  ViewFrames() {
    st().SettingsBlock.OptNoLogoLabel = 1;
    view_.resize(320, 240);
    view_.SetEvents(&bridge_);
  }
  ~ViewFrames() override { view_.SetEvents(nullptr); }

  datastore::DataStore& st() { return store_.store(); }
  datastore::SettingsRecord& sb() { return st().SettingsBlock; }

  void Show() {
    view_.show();
    ASSERT_TRUE(vantrel::test::WaitForWindowExposed(&view_));
  }
  // Runs the event loop until n more frames have been drawn.
  void Frames(size_t n) {
    size_t want = bridge_.yellow.size() + n;
    QElapsedTimer t;
    t.start();
    while (bridge_.yellow.size() < want && t.elapsed() < 10000) {
      view_.update();
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    ASSERT_GE(bridge_.yellow.size(), want) << "frames not drawn";
  }
  // Bright pixels of the shown frame: (count, min x, min y, max y).
  std::array<int, 4> BrightBox(int w, int h) {
    QImage img = view_.ReadFrame();
    std::array<int, 4> box{0, 1 << 20, 1 << 20, -1};
    for (int y = 0; y < std::min(h, img.height()); ++y)
      for (int x = 0; x < std::min(w, img.width()); ++x) {
        QColor c = img.pixelColor(x, y);
        if (c.red() > 180 && c.green() > 180 && c.blue() > 180) {
          ++box[0];
          box[1] = std::min(box[1], x);
          box[2] = std::min(box[2], y);
          box[3] = std::max(box[3], y);
        }
      }
    return box;
  }

  datastore::ScopedStore store_;
  ScopedViewShared shared_;
  test::MsgBoxGuard boxes_;
  FakeTexts texts_;
  glview::GlView view_;
  ProbeGl gl_{&view_};
  RecordingBridge bridge_{view_, gl_, &texts_};
};

// --- axes -----------------------------------------------------------------------------------

TEST_F(ViewFrames, FirstFrameHasNoAxesTheSecondHasThem) {
  Show();
  Frames(3);
  EXPECT_EQ(bridge_.yellow[0], 0);
  EXPECT_GT(bridge_.yellow[1], 20);
  EXPECT_GT(bridge_.yellow[2], 20);
}

TEST_F(ViewFrames, AxesFollowTheOptionOneFrameLateWithOneList) {
  Show();
  Frames(2);
  unsigned list = gl_.AxesList;
  ASSERT_NE(list, 0u);
  sb().OptNoPlotAxis = 1;
  size_t k = bridge_.yellow.size();
  Frames(3);
  EXPECT_GT(bridge_.yellow[k], 20);  // still the list of the frame before the switch
  EXPECT_EQ(bridge_.yellow[k + 1], 0);
  EXPECT_EQ(bridge_.yellow[k + 2], 0);
  sb().OptNoPlotAxis = 0;
  Frames(3);
  EXPECT_GT(bridge_.yellow.back(), 20);
  EXPECT_EQ(gl_.AxesList, list);  // the same list compiled again, no new one per frame
}

TEST_F(ViewFrames, XAxisTakesTheAxisColourWhenAsked) {
  sb().OptNoColourAxisX = 1;
  Show();
  Frames(3);
  EXPECT_EQ(bridge_.yellow[2], 0);
}

TEST_F(ViewFrames, LocalViewRowOutsideTheTableKeepsTheAxes) {
  sb().NedViewOn = 1.0;
  sb().LocalViewIndex = 2000000;
  Show();
  Frames(3);
  EXPECT_GT(bridge_.yellow[2], 20);
  sb().LocalViewIndex = -1;
  gl_.CURRINDEXI = -5;
  Frames(2);
  EXPECT_GT(bridge_.yellow.back(), 20);
}

// --- the fit at the next frame ----------------------------------------------------------------

TEST_F(ViewFrames, EmptyTablesAreNotFitted) {
  Show();
  Frames(2);
  EXPECT_EQ(st().DataFitted, 0);
  EXPECT_EQ(st().SceneFitDone, 0);
  EXPECT_FALSE(gl_.THEUPDATETIMER().Active());
  EXPECT_EQ(gl_.SceneExtent, 100);
}

TEST_F(ViewFrames, LoadedTablesAreFittedOnceAtTheNextFrame) {
  Show();
  Frames(1);
  st().DataTable.Set(0, 1, 0);
  st().DataTable.Set(1, 1, 10);
  st().DataTable.Set(1, 2, 20);
  st().DataTable.Set(1, 3, 40);
  st().LastDataRow = 1;
  st().EventCount = 1;
  sb().LoadDone = 0;  // the load is still running: no fit yet
  Frames(2);
  EXPECT_EQ(st().DataFitted, 0);
  EXPECT_EQ(st().SceneFitDone, 0);
  sb().LoadDone = 1.0;
  Frames(2);
  EXPECT_EQ(st().DataFitted, 1);
  EXPECT_EQ(st().SceneFitDone, 1);
  EXPECT_EQ(st().DataTable(1, 3), 80);  // fitted once only
  EXPECT_TRUE(gl_.THEUPDATETIMER().Active());
  glview::Vec3f eye = view_.Camera().Eye();
  EXPECT_FLOAT_EQ(eye.z, float(6 * gl_.SceneExtent));
  EXPECT_FLOAT_EQ(view_.Lights().Item(1).Position().z, float(0.01 * gl_.SceneExtent) * 150);
}

// --- logo mode and title --------------------------------------------------------------------

TEST_F(ViewFrames, LogoModeGivesAWhiteBackground) {
  sb().LogoMode = 0.5;
  sb().ColourBackground = {10, 20, 70};
  Show();
  Frames(3);
  QImage img = view_.ReadFrame();
  ASSERT_FALSE(img.isNull());
  for (QPoint p : {QPoint(2, img.height() - 3), QPoint(img.width() - 3, img.height() - 3)}) {
    QColor c = img.pixelColor(p);
    EXPECT_GE(c.red(), 250) << p.x();
    EXPECT_GE(c.green(), 250);
    EXPECT_GE(c.blue(), 250);
  }
  EXPECT_EQ(sb().LogoMode, 1.0);
  EXPECT_EQ(sb().ColourAxis, (datastore::Rgb{128, 0, 128}));
  EXPECT_EQ(sb().AxisLengthFactor, 0.0002);
}

TEST_F(ViewFrames, TitleIsDrawnAtTheTopLeftCorner) {
  st().PlotTitle = "";
  Show();
  Frames(2);
  EXPECT_EQ(BrightBox(200, 60)[0], 0);
  st().PlotTitle = "TITLE";
  Frames(2);
  auto box = BrightBox(200, 60);
  EXPECT_GT(box[0], 10);
  EXPECT_GT(box[1], 8);  // three blanks before the title
  EXPECT_GE(box[2], 3);
  EXPECT_LT(box[2], 12);
  EXPECT_LT(box[3], 3 + 30);
}

// --- set-up ---------------------------------------------------------------------------------

TEST_F(ViewFrames, AxisLengthAndCubeWallsFollowTheExtent) {
  Show();
  gl_.SceneExtent = 80;
  struct Case {
    double factor, length;
  };
  for (Case c : {Case{0, 88}, Case{2, 160}}) {
    sb().AxisLengthFactor = c.factor;
    Frames(1);
    EXPECT_DOUBLE_EQ(gl_.Scene.AxisLength, c.length);
    EXPECT_DOUBLE_EQ(gl_.Scene.CubeWallX, -c.length);
    EXPECT_DOUBLE_EQ(gl_.Scene.CubeWallZ, -c.length);
  }
}

TEST_F(ViewFrames, AxisLettersDistance) {
  Show();
  gl_.SceneExtent = 80;
  struct Case {
    double position, length, distance;
  };
  for (Case c : {Case{0, 0, 80}, Case{1, 1, 52}, Case{1, 0, 48}, Case{0, 2, 104}}) {
    sb().LabelPositionFactor = c.position;
    sb().AxisLengthFactor = c.length;
    Frames(1);
    EXPECT_DOUBLE_EQ(gl_.LabelDistance, c.distance) << c.position << " " << c.length;
  }
}

TEST_F(ViewFrames, CentralRadiusInThousandsOfKmWhenTooLarge) {
  Show();
  gl_.SceneExtent = 80;
  sb().AxisLengthFactor = 0;
  sb().SunRayLength = 1.0;  // no ray, values still computed
  st().IsoScaleMode = 1;
  st().CentralBody = 4;
  st().ScaleFactor = 1;
  gl_.centralRadius = 6378;
  shared_.shared().OptMoonState = 1;  // the Moon's axis leaves its own radius there
  Frames(1);
  EXPECT_DOUBLE_EQ(gl_.Scene.CentralRadius, 6.378);
  EXPECT_DOUBLE_EQ(gl_.Scene.SunRayScale, 6.378 * 1000 / 150000000 * 1.1 * 2);
}

TEST_F(ViewFrames, SpacecraftModelConditions) {
  Show();
  struct Case {
    double sat, quaterRows, penUp, ned;
    bool drawn;
  };
  const Case cases[] = {
      {1, 0, 0, 0, true}, {1, 0, 0, 1.0, false}, {1, 5, 0, 1.0, true}, {1, 5, 1, 0, true}, {0, 5, 0, 0, false},
  };
  for (const Case& c : cases) {
    sb().OptSatellite = c.sat;
    st().QuaterRows = c.quaterRows;
    st().PenUpMode = c.penUp;
    sb().NedViewOn = c.ned;
    gl_.spacecraft = 0;
    Frames(2);
    EXPECT_EQ(gl_.spacecraft > 0, c.drawn) << c.sat << c.quaterRows << c.penUp << c.ned;
  }
}

// --- the error policy -----------------------------------------------------------------------

TEST_F(ViewFrames, SilentErrorsSkipOnlyTheFailingStep) {
  Show();
  for (int code : {94, 6, 53, 52, 5, 75, 9}) {
    gl_.fail = code;
    int before = gl_.pointTexts;
    Frames(2);
    EXPECT_EQ(gl_.Scene.ErrNumber, code);
    EXPECT_GE(gl_.pointTexts, before + 2) << code;
    EXPECT_FALSE(gl_.SceneErrorsPending()) << code;
  }
  EXPECT_TRUE(boxes_.boxes().boxes().empty());
}

TEST_F(ViewFrames, OtherErrorShowsOneBoxAfterTheFrame) {
  Show();
  int drawnWhileOpen = -1;
  bool openSeen = false;
  boxes_.boxes().SetWhileOpen([&] {
    openSeen = gl_.SceneErrorBoxOpen();
    int before = gl_.pointTexts;
    gl_.Draw();  // a frame requested while the box is open draws nothing
    drawnWhileOpen = gl_.pointTexts - before;
  });
  gl_.fail = 13;
  int before = gl_.pointTexts;
  Frames(4);
  EXPECT_GE(gl_.pointTexts, before + 4);  // OK lets every frame finish
  const auto& shown = boxes_.boxes().boxes();
  ASSERT_EQ(shown.size(), 1u);  // the same error, frame after frame, is shown once
  EXPECT_EQ(shown[0].text, rt::ErrorDescription(13) + "fauteComSuiteDrawBrokenLine");
  EXPECT_EQ(shown[0].style, 1);
  EXPECT_EQ(shown[0].title, "Error");
  EXPECT_EQ(gl_.Scene.ErrAnswer, 1);
  EXPECT_TRUE(openSeen);
  EXPECT_EQ(drawnWhileOpen, 0);

  // After frames without the error it is shown again when it comes back.
  gl_.fail = 0;
  Frames(2);
  gl_.fail = 13;
  Frames(3);
  EXPECT_EQ(boxes_.boxes().boxes().size(), 2u);
}

TEST_F(ViewFrames, CancelEndsTheProgram) {
  Show();
  Frames(1);
  test::EndGuard end;
  boxes_.boxes().Answer({2});
  gl_.fail = 1004;
  // One frame drawn here, so that the box is not shown by the event loop.
  ASSERT_TRUE(view_.MakeCurrent());
  gl_.Draw();
  view_.DoneCurrent();
  ASSERT_TRUE(gl_.SceneErrorsPending());
  EXPECT_THROW(gl_.ShowSceneErrors(), test::EndCalled);
  EXPECT_FALSE(gl_.SceneErrorBoxOpen());
  gl_.fail = 0;
}

// --- the bridge -----------------------------------------------------------------------------

TEST_F(ViewFrames, ResizeReachesTheViewAndTheTrackballSize) {
  view_.Camera().SetEye(1, 2, 3);
  view_.Camera().SetUp(0, 0, 1);
  bool handled = false;
  bridge_.glxCtl1_ReshapeEvent(640, 480, handled);
  EXPECT_FLOAT_EQ(view_.Camera().Eye().y, 2);  // the camera stays as it was
  EXPECT_FLOAT_EQ(view_.Camera().Up().z, 1);
  EXPECT_TRUE(handled);
  EXPECT_EQ(gl_.ViewportW, 640);
  EXPECT_EQ(gl_.ViewportH, 480);
  EXPECT_EQ(bridge_.GlViewW, 640);
  EXPECT_EQ(bridge_.GlViewH, 480);
  bridge_.glxCtl1_ReshapeEvent(0, 0, handled);  // a view of no area keeps the camera
  EXPECT_TRUE(handled);
  EXPECT_EQ(gl_.ViewportW, 0);
}

TEST_F(ViewFrames, DoubleClickTogglesTheAnimation) {
  bridge_.glxCtl1_DblClick();
  EXPECT_TRUE(view_.Animation().Running());
  EXPECT_EQ(view_.Tag(), "Animate");
  bridge_.glxCtl1_FirstViewEvent();  // during the animation: only a repaint
  EXPECT_EQ(bridge_.FirstViewDone, 0);
  EXPECT_EQ(view_.Tag(), "Animate");
  bridge_.glxCtl1_DblClick();
  EXPECT_FALSE(view_.Animation().Running());
  EXPECT_EQ(view_.Tag(), "");
  bridge_.glxCtl1_FirstViewEvent();
  EXPECT_EQ(bridge_.FirstViewDone, 1);
  EXPECT_EQ(view_.Tag(), "Done one time");
}

// While a load runs the view draws nothing and stops asking for frames; the tables are not
// fitted half-filled. At the end of the load its animation and frames come back by themselves.
TEST_F(ViewFrames, NothingIsDrawnWhileALoadRunsAndTheAnimationComesBackAfter) {
  Show();
  view_.Animation().SetRunning(true);
  view_.Animation().Update();
  Frames(2);
  ASSERT_GT(bridge_.yellow.back(), 20);
  const int scenes = gl_.pointTexts;
  ASSERT_GT(scenes, 0);
  st().LoaderBusy = 1;
  st().DataTable.Set(1, 1, 10);
  st().LastDataRow = 1;
  sb().LoadDone = 1.0;  // the tables of a load that has not ended yet
  Frames(2);            // frames asked for by the window (an expose, a resize)
  EXPECT_EQ(bridge_.yellow.back(), 0);
  EXPECT_EQ(gl_.pointTexts, scenes);
  EXPECT_EQ(st().SceneFitDone, 0);
  EXPECT_FALSE(view_.Animation().Running());
  // No frame of its own while the load goes on (past the one that may have been asked for).
  QTest::qWait(200);
  const long frames = view_.FrameCount();
  QTest::qWait(300);
  EXPECT_EQ(view_.FrameCount(), frames);
  st().LoaderBusy = 0;
  EXPECT_TRUE(test::WaitUntil([&] { return view_.FrameCount() > frames + 2 && bridge_.yellow.back() > 20; }));
  EXPECT_TRUE(view_.Animation().Running());
  EXPECT_GT(gl_.pointTexts, scenes);
  EXPECT_EQ(st().SceneFitDone, 1);
}

TEST_F(ViewFrames, MovieCounterDuringAndAfterARecording) {
  Show();
  Frames(1);
  sb().MovieFrameNo = 1;
  sb().MovieMaxFrames = 20;
  sb().MovieInterval = 0.3;
  Frames(1);
  EXPECT_EQ(texts_.movie[3].text, " / 20 Frames ");
  EXPECT_EQ(texts_.movie[2].text, ".3 seconds between Frames");
  texts_.main[3] = {"changed", "x"};
  sb().MovieFrameNo = 2;
  Frames(1);
  EXPECT_EQ(texts_.movie[3].text, "1 / 20 Frames ");
  sb().MovieFrameNo = 0;
  Frames(1);
  EXPECT_EQ(texts_.main[3], (CaptionBox{"main3", "tip3"}));
  EXPECT_EQ(texts_.main[2], (CaptionBox{"main2", "tip2"}));
  EXPECT_EQ(bridge_.LastMovieFrame, 0);
}

// --- colour-scale labels ----------------------------------------------------------------------

// A scene of the colour scale alone: its dots on the Y axis (up the window) and its labels.
class ScaleOnlyGl : public ClassGl {
 public:
  using ClassGl::ClassGl;

 protected:
  void DrawSpacecraft() override {}
  void DrawTrajectory() override { ScaleColorDot(); }
  void DrawValueLegend() override {}
  void DrawPointTexts() override {}
  void DrawSunLighting() override {}
  void DrawCentralBodies() override {}
  void DrawMoon() override {}
  void DrawDateOverlays() override {}
};

class ScaleFrames : public ::testing::Test {
 protected:
  ScaleFrames() {
    datastore::SettingsRecord& s = store_.store().SettingsBlock;
    s.OptNoLogoLabel = 1;
    s.OptNoPlotAxis = 1;
    s.OptNoOriginLabel = 1;
    s.OptNoEarth = 1;
    s.LinePlotThickness = 1;  // dots of 8 pixels in values mode
    s.ColourBackground = {0, 0, 0};
    datastore::DataStore& st = store_.store();
    st.ValuesMode = 1;
    st.ValAxis = 2;
    st.ValZMin = 100;
    st.ValZMax = 600;
    gl_.SceneExtent = 40;
    view_.resize(360, 300);
    view_.SetEvents(&bridge_);
  }
  ~ScaleFrames() override { view_.SetEvents(nullptr); }

  datastore::ScopedStore store_;
  ScopedViewShared shared_;
  test::MsgBoxGuard boxes_;
  FakeTexts texts_;
  glview::GlView view_;
  ScaleOnlyGl gl_{&view_};
  RecordingBridge bridge_{view_, gl_, &texts_};
};

// Each label's glyphs stand on the row of the dots of the colour it names (within a dot's size),
// beside the bar.
TEST_F(ScaleFrames, EachLabelStandsBesideTheDotsOfItsColour) {
  view_.show();
  ASSERT_TRUE(vantrel::test::WaitForWindowExposed(&view_));
  QElapsedTimer t;
  t.start();
  while (bridge_.yellow.size() < 3 && t.elapsed() < 10000) {
    view_.update();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  ASSERT_GE(bridge_.yellow.size(), 3u);
  const QImage img = view_.ReadFrame();
  auto near = [](QColor c, int r, int g, int b) {
    return std::abs(c.red() - r) < 40 && std::abs(c.green() - g) < 40 && std::abs(c.blue() - b) < 40;
  };
  // The bar: the leftmost lit column and the 8 after it.
  int barLeft = img.width();
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qGray(img.pixel(x, y)) > 30) barLeft = std::min(barLeft, x);
  ASSERT_LT(barLeft, img.width());
  const int barRight = barLeft + 8;
  // The label colours, from the minimum to the maximum.
  const int colours[6][3] = {{255, 0, 255}, {0, 0, 255}, {0, 255, 255}, {0, 255, 0}, {255, 255, 0}, {255, 0, 0}};
  for (int k = 0; k < 6; ++k) {
    const auto [r, g, b] = colours[k];
    // The bar's row nearest in colour, and the rows of the label's glyphs in that colour.
    int dotRow = -1, best = 1 << 30;
    for (int y = 0; y < img.height(); ++y) {
      const QColor c = img.pixelColor(barLeft + 4, y);
      if (qGray(c.rgb()) <= 30) continue;
      const int d = std::abs(c.red() - r) + std::abs(c.green() - g) + std::abs(c.blue() - b);
      if (d < best) best = d, dotRow = y;
    }
    double labelRows = 0;
    int labels = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = barRight; x < img.width(); ++x)
        if (near(img.pixelColor(x, y), r, g, b)) labelRows += y, ++labels;
    SCOPED_TRACE(k);
    ASSERT_GE(dotRow, 0);
    ASSERT_GT(labels, 5);
    EXPECT_LE(std::fabs(labelRows / labels - dotRow), 8.0);
  }
}

}  // namespace
}  // namespace vantrel::view
