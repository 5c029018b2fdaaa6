// The view control drawing for real: events, camera, text, textures, picking and read-back,
// checked on the pixels of the frame.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include <QFontDatabase>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/runtime/rterror.h"
#include "tests/platform/glview/harness/gl_harness.h"
#include "tests/support/wait_window.h"

namespace vantrel::test {
namespace {

using glview::GlView;

void Square(float x, float y, float half) {
  glBegin(GL_QUADS);
  glVertex3f(x - half, y - half, 0);
  glVertex3f(x + half, y - half, 0);
  glVertex3f(x + half, y + half, 0);
  glVertex3f(x - half, y + half, 0);
  glEnd();
}

void Point(float x, float y, float z) {
  glPointSize(3);
  glBegin(GL_POINTS);
  glVertex3f(x, y, z);
  glEnd();
}

size_t IndexOf(const std::vector<std::string>& log, const std::string& what, size_t from = 0) {
  auto it = std::find(log.begin() + long(from), log.end(), what);
  return it == log.end() ? std::string::npos : size_t(it - log.begin());
}

using GlEvents = GlViewTest;

TEST_F(GlEvents, InitAndGLInitComeBeforeTheFirstDrawThenFirstView) {
  ASSERT_TRUE(WaitFor([&] { return IndexOf(events.log, "FirstView") != std::string::npos; }));
  const auto& log = events.log;
  ASSERT_GE(log.size(), 6u);
  EXPECT_EQ(log[0], "Init");
  EXPECT_EQ(log[1], "InitGL");
  EXPECT_EQ(log[2], "Reshape 200x200");
  EXPECT_EQ(log[3], "Draw");
  EXPECT_EQ(log[4], "DrawGDI");
  EXPECT_LT(IndexOf(log, "Draw"), IndexOf(log, "FirstView"));
  // Each comes once.
  EXPECT_EQ(std::count(log.begin(), log.end(), "Init"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "InitGL"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "FirstView"), 1);
}

TEST_F(GlEvents, OneDrawPerRepaintAndOneReshapePerResize) {
  ASSERT_NO_FATAL_FAILURE(Render());
  events.log.clear();
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "Draw"), 1);
  EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "DrawGDI"), 1);
  events.log.clear();
  view->resize(320, 240);
  ASSERT_TRUE(WaitFor([&] { return IndexOf(events.log, "Draw") != std::string::npos; }));
  EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "Reshape 320x240"), 1);
  EXPECT_LT(IndexOf(events.log, "Reshape 320x240"), IndexOf(events.log, "Draw"));
  EXPECT_EQ(view->ViewWidth(), 320);
  EXPECT_EQ(view->ViewHeight(), 240);
}

TEST(GlEventsLate, ABridgeSetAfterTheContextStillGetsInitFirst) {
  RecordingEvents ev;
  GlView v;
  v.resize(100, 100);
  v.show();
  ASSERT_TRUE(WaitFor([&] { return v.FrameCount() > 0; })) << "no OpenGL context";
  EXPECT_TRUE(ev.log.empty());
  v.SetEvents(&ev);
  ASSERT_TRUE(WaitFor([&] { return IndexOf(ev.log, "Draw") != std::string::npos; }));
  ASSERT_GE(ev.log.size(), 3u);
  EXPECT_EQ(ev.log[0], "Init");
  EXPECT_EQ(ev.log[1], "InitGL");
  v.SetEvents(nullptr);
}

TEST_F(GlEvents, AnimationRepaintsByItselfUpdateOnlySchedulesOne) {
  ASSERT_NO_FATAL_FAILURE(Render());
  Spin(100);
  long idle = view->FrameCount();
  Spin(200);
  EXPECT_EQ(view->FrameCount(), idle) << "no repaint without a request";
  view->Animation().SetRunning(true);
  EXPECT_TRUE(view->Animation().Running());
  EXPECT_TRUE(WaitFor([&] { return view->FrameCount() >= idle + 5; }));
  view->Animation().SetRunning(false);
  view->Animation().Update();
  Spin(100);
  long stopped = view->FrameCount();
  Spin(200);
  EXPECT_EQ(view->FrameCount(), stopped);
}

// The draw event calls Update at every frame, as the view object does: frozen, nothing is
// drawn; running, each next frame is timed by one single-shot timer at most one refresh period
// ahead, never drawn as fast as frames can be drawn.
TEST_F(GlEvents, FramesOnlyWhileRunningAndPacedWhenTheDrawEventCallsUpdate) {
  const int period = int(std::ceil(view->FramePeriodMs()));
  bool overdue = false;
  events.on_draw = [&] {
    view->Animation().Update();
    const QTimer& t = view->FrameTimer();
    if (t.isActive() && (!t.isSingleShot() || t.interval() > period)) overdue = true;
  };
  ASSERT_NO_FATAL_FAILURE(Render());
  Spin(100);
  long frozen = view->FrameCount();
  Spin(500);
  EXPECT_EQ(view->FrameCount(), frozen) << "frames drawn while the animation is off";
  EXPECT_FALSE(view->FrameTimer().isActive());
  view->Animation().SetRunning(true);
  const long start = view->FrameCount();
  EXPECT_TRUE(WaitFor([&] { return view->FrameCount() >= start + 10; })) << "the running view draws";
  EXPECT_FALSE(overdue);
  view->Animation().SetRunning(false);
  Spin(100);
  long stopped = view->FrameCount();
  Spin(500);
  EXPECT_EQ(view->FrameCount(), stopped);
  EXPECT_FALSE(view->FrameTimer().isActive());
}

// Requests made between two frames make one frame: a thousand of them in one pass of the
// event loop, one frame; then the view rests.
TEST_F(GlEvents, RedrawRequestsBetweenFramesMakeOneFrame) {
  ASSERT_NO_FATAL_FAILURE(Render());
  Spin(200);
  const long start = view->FrameCount();
  for (int i = 0; i < 1000; ++i) view->Redraw();
  EXPECT_TRUE(WaitFor([&] { return view->FrameCount() > start; }));
  Spin(300);
  EXPECT_EQ(view->FrameCount(), start + 1);
  EXPECT_FALSE(view->FrameTimer().isActive());
}

TEST_F(GlEvents, MouseAndKeysCarryButtonsShiftBitsAndWindowsKeyCodes) {
  ASSERT_NO_FATAL_FAILURE(Render());
  events.log.clear();
  QTest::mousePress(view.get(), Qt::RightButton, Qt::ShiftModifier, QPoint(30, 40));
  QTest::mouseMove(view.get(), QPoint(35, 42));
  QTest::mouseRelease(view.get(), Qt::RightButton, Qt::ShiftModifier, QPoint(35, 42));
  ASSERT_GE(events.mouse.size(), 2u);
  EXPECT_EQ(events.mouse.front()[0], 2);  // right button
  EXPECT_EQ(events.mouse.front()[1], 1);  // Shift
  EXPECT_EQ(events.mouse.front()[2], 30);
  EXPECT_EQ(events.mouse.front()[3], 40);
  EXPECT_EQ(events.mouse.back()[0], 2);
  EXPECT_EQ(IndexOf(events.log, "Click"), std::string::npos) << "Click is for the left button";
  EXPECT_EQ(IndexOf(events.log, "Pick"), std::string::npos) << "only a left press picks";

  events.log.clear();
  events.mouse.clear();
  QTest::mouseClick(view.get(), Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier, QPoint(10, 20));
  ASSERT_GE(events.mouse.size(), 2u);
  EXPECT_EQ(events.mouse[0][0], 1);
  EXPECT_EQ(events.mouse[0][1], 6);  // Ctrl 2 + Alt 4
  size_t down = IndexOf(events.log, "MouseDown"), up = IndexOf(events.log, "MouseUp");
  EXPECT_LT(IndexOf(events.log, "Pick"), down);
  EXPECT_LT(down, up);
  EXPECT_LT(up, IndexOf(events.log, "Click"));
  QTest::mouseDClick(view.get(), Qt::LeftButton, {}, QPoint(10, 20));
  EXPECT_NE(IndexOf(events.log, "DblClick"), std::string::npos);

  events.keys.clear();
  events.chars.clear();
  view->setFocus();
  QTest::keyClick(view.get(), Qt::Key_Left);
  QTest::keyClick(view.get(), Qt::Key_PageDown);
  QTest::keyClick(view.get(), Qt::Key_I, Qt::ShiftModifier);
  QTest::keyClick(view.get(), Qt::Key_F1);
  using K = std::array<int, 2>;
  const std::vector<K> expected = {{37, 0}, {34, 0}, {16, 1}, {73, 1}, {112, 0}};  // Shift first
  EXPECT_EQ(events.keys, expected);
  ASSERT_EQ(events.chars.size(), 1u) << "only the letter gives a character";
  EXPECT_EQ(std::toupper(events.chars[0]), 'I');
}

TEST_F(GlEvents, AnExceptionInAHandlerDoesNotStopTheControl) {
  events.on_draw = [] { throw rt::RtError(91); };
  ASSERT_NO_FATAL_FAILURE(Render());
  events.on_draw = nullptr;
  ASSERT_NO_FATAL_FAILURE(Render());
}

using GlPixels = GlViewTest;

TEST_F(GlPixels, ClearColourReadsBackWithinOne) {
  events.on_draw = [] {};
  struct Case {
    int r, g, b;
  };
  for (Case c : {Case{10, 20, 70}, Case{255, 255, 255}, Case{0, 0, 0}, Case{128, 64, 200}}) {
    events.on_init_gl = nullptr;
    view->makeCurrent();
    glClearColor(c.r / 256.0f, c.g / 256.0f, c.b / 256.0f, 1);
    view->doneCurrent();
    ASSERT_NO_FATAL_FAILURE(Render());
    EXPECT_TRUE(Pixel(0, 0).Near(c.r, c.g, c.b)) << Pixel(0, 0);
    EXPECT_TRUE(Pixel(199, 199).Near(c.r, c.g, c.b)) << Pixel(199, 199);
  }
}

TEST_F(GlPixels, AVertexUnderTheFrontCameraLandsOnItsPixel) {
  events.on_draw = [] {
    glColor3f(1, 0, 0);
    Point(50, 25, 0);
    glColor3f(0, 1, 0);
    Point(-100 + 0.5f, -100 + 0.5f, 0);  // the bottom-left pixel
  };
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_TRUE(Pixel(150, 75).Near(255, 0, 0)) << Pixel(150, 75);
  EXPECT_TRUE(Pixel(150, 80).Near(0, 0, 0)) << Pixel(150, 80);
  EXPECT_TRUE(Pixel(0, 199).Near(0, 255, 0)) << Pixel(0, 199);
}

TEST_F(GlPixels, PanAndLookAtMoveTheVertex) {
  events.on_draw = [] {
    glColor3f(1, 1, 0);
    Point(0, 50, 25);
  };
  view->Camera().Pan(20, -10);  // right 20, down 10
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_TRUE(Pixel(120, 60).Near(255, 255, 0)) << Pixel(120, 60);
  view->Camera().LookAt(100, 0, 0, 0, 0, 0, 0, 0, 1);  // from +X, Z up: Y to the right
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_TRUE(Pixel(150, 75).Near(255, 255, 0)) << Pixel(150, 75);
  EXPECT_TRUE(Pixel(120, 60).Near(0, 0, 0)) << Pixel(120, 60);
}

TEST_F(GlPixels, FeedbackGivesTheWindowPositionOfAVertex) {
  GLfloat fb[16] = {};
  GLint n = 0;
  events.on_draw = [&] {
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    if (vp[2] != 300) return;
    glFeedbackBuffer(16, GL_3D, fb);
    glRenderMode(GL_FEEDBACK);
    glBegin(GL_POINTS);
    glVertex3f(-50, 60, 10);
    glEnd();
    n = glRenderMode(GL_RENDER);
  };
  view->resize(300, 200);  // the box widens to -150..150 across
  ASSERT_TRUE(WaitFor([&] { return n > 0; }));
  ASSERT_EQ(n, 4);
  EXPECT_EQ(fb[0], GL_POINT_TOKEN);
  EXPECT_NEAR(fb[1], 100, 1e-3);  // x: (-50 + 150) pixels from the left
  EXPECT_NEAR(fb[2], 160, 1e-3);  // y: (60 + 100) pixels from the bottom
}

TEST_F(GlPixels, WindowTextSitsInItsBoxFromTheTopLeft) {
  const std::string text = "Vantrel title";
  events.on_draw_gdi = [&] { view->DrawText2D(8, 3, text); };
  ASSERT_NO_FATAL_FAILURE(Render());
  QSize box = view->Fonts().WindowTextSize(text);
  ASSERT_GT(box.width(), 20);
  auto lit = [](Rgb c) { return c.r + c.g + c.b > 200; };
  EXPECT_GT(Count(8, 3, 8 + box.width(), 3 + box.height(), lit), 40);
  EXPECT_EQ(Count(0, 0, 200, 3, lit), 0) << "above the box";
  EXPECT_EQ(Count(0, 0, 8, 200, lit), 0) << "left of the box";
  EXPECT_EQ(Count(0, 3 + box.height(), 200, 200, lit), 0) << "below the box";
  // Queued texts are shown once.
  events.on_draw_gdi = nullptr;
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_EQ(Count(0, 0, 200, 200, lit), 0);
}

TEST_F(GlPixels, OutlineTextIsDrawnInTheXYPlaneInItsPackedColour) {
  int font = 0;
  bool lightingAfter = false, textureAfter = false;
  events.on_init_gl = [&] { view->Fonts().CreateOutlineFont(view->hDC(), font, "Comic Sans MS", true, false, 0.1); };
  events.on_draw = [&] {
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glColor3f(0, 0, 1);
    view->Fonts().DrawText3D(font, "HH", -50, -50, 0, 100, 255L * 65536);  // red
    lightingAfter = glIsEnabled(GL_LIGHTING);
    textureAfter = glIsEnabled(GL_TEXTURE_2D);
    GLfloat c[4];
    glGetFloatv(GL_CURRENT_COLOR, c);
    EXPECT_FLOAT_EQ(c[2], 1) << "the current colour is restored";
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
  };
  // A fresh control, so the font is made in its GL-init event.
  Open(200, 200);
  ASSERT_GT(font, 0);
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_TRUE(lightingAfter);
  EXPECT_TRUE(textureAfter);
  auto red = [](Rgb c) { return c.r > 200 && c.g < 60 && c.b < 60; };
  // Baseline at pixel row 150, left edge at column 50; capitals about 0.73 em high.
  EXPECT_GT(Count(50, 70, 200, 151, red), 500);
  EXPECT_EQ(Count(0, 0, 48, 200, red), 0) << "left of the text";
  EXPECT_EQ(Count(0, 153, 200, 200, red), 0) << "below the baseline";
  EXPECT_EQ(Count(0, 0, 200, 60, red), 0) << "above the capitals";
  // Seen from behind it still shows (mirrored), culling or not.
  events.on_draw = [&] {
    glEnable(GL_CULL_FACE);
    view->Fonts().DrawText3D(font, "HH", -50, -50, 0, 100, 255L * 65536);
    glDisable(GL_CULL_FACE);
  };
  view->Camera().LookAt(0, 0, -100, 0, 0, 0, 0, 1, 0);
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_GT(Count(0, 70, 151, 151, red), 500);
}

TEST_F(GlPixels, BitmapTextStandsOnTheWindowPositionOfItsPoint) {
  int font = 0;
  events.on_init_gl = [&] { view->Fonts().CreateBitmapFont(view->hDC(), font, "Arial", true, true, 12); };
  events.on_draw = [&] { view->Fonts().DrawTextAt(font, "XYZ", 0, 0, 0, 0x00FF00); };
  Open(200, 200);
  ASSERT_GT(font, 0);
  ASSERT_NO_FATAL_FAILURE(Render());
  QSize box = view->Fonts().BitmapTextSize(font, "XYZ");
  auto green = [](Rgb c) { return c.g > 150 && c.r < 80 && c.b < 80; };
  // The baseline sits on row 100 and the text starts at column 100.
  EXPECT_GT(Count(100, 100 - box.height(), 100 + box.width(), 101, green), 30);
  EXPECT_EQ(Count(0, 0, 99, 200, green), 0) << "left of the point";
  EXPECT_EQ(Count(0, 103, 200, 200, green), 0) << "below the baseline (no descenders)";
  EXPECT_THROW(view->Fonts().DrawTextAt(999, "x", 0, 0, 0), rt::RtError);
}

TEST_F(GlPixels, ATwoByTwoTextureSamplesRightOnAQuad) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QImage img(2, 2, QImage::Format_RGB32);
  img.setPixel(0, 0, qRgb(255, 0, 0));      // top left
  img.setPixel(1, 0, qRgb(0, 255, 0));      // top right
  img.setPixel(0, 1, qRgb(0, 0, 255));      // bottom left
  img.setPixel(1, 1, qRgb(255, 255, 255));  // bottom right
  std::string path = (dir.path() + "/two.png").toStdString();
  ASSERT_TRUE(img.save(QString::fromStdString(path)));
  std::shared_ptr<glview::Texture> tex = view->LoadTexture();
  tex->Load(path);
  EXPECT_EQ(rt::Try([&] { view->LoadTexture()->Load(path + ".missing"); }), 53);
  events.on_draw = [&] {
    glEnable(GL_TEXTURE_2D);
    tex->Apply();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-100, -100, 0);
    glTexCoord2f(1, 0);
    glVertex3f(100, -100, 0);
    glTexCoord2f(1, 1);
    glVertex3f(100, 100, 0);
    glTexCoord2f(0, 1);
    glVertex3f(-100, 100, 0);
    glEnd();
    glDisable(GL_TEXTURE_2D);
  };
  ASSERT_NO_FATAL_FAILURE(Render());
  // Texel centres sit at a quarter and three quarters of the quad.
  EXPECT_TRUE(Pixel(50, 50).Near(255, 0, 0, 3)) << Pixel(50, 50);
  EXPECT_TRUE(Pixel(150, 50).Near(0, 255, 0, 3)) << Pixel(150, 50);
  EXPECT_TRUE(Pixel(50, 150).Near(0, 0, 255, 3)) << Pixel(50, 150);
  EXPECT_TRUE(Pixel(150, 150).Near(255, 255, 255, 3)) << Pixel(150, 150);
  // Linear filtering blends between texel centres.
  Rgb mid = Pixel(100, 50);
  EXPECT_GT(mid.r, 60);
  EXPECT_GT(mid.g, 60);
}

TEST_F(GlPixels, APickOverADrawnNameReportsIt) {
  events.on_draw = [] {
    glColor3f(1, 1, 1);
    glLoadName(7);
    Square(-50, 0, 20);
    glLoadName(9);
    Square(50, 0, 20);
    glLoadName(0xFFFFFFFFu);
    Square(0, -70, 10);  // drawn without a name of its own
  };
  ASSERT_NO_FATAL_FAILURE(Render());
  ASSERT_EQ(view->Pick(50, 100), 1);  // over the left square
  ASSERT_EQ(events.last_pick.size(), 4u);
  EXPECT_EQ(events.last_pick[0], 1);  // one name
  EXPECT_EQ(events.last_pick[3], 7);
  EXPECT_EQ(view->HitCount(), 1);
  ASSERT_EQ(view->Pick(150, 100), 1);
  EXPECT_EQ(events.last_pick[3], 9);
  ASSERT_EQ(view->Pick(100, 170), 1);
  EXPECT_EQ(events.last_pick[3], -1) << "no name";
  EXPECT_EQ(view->Pick(100, 20), 0);
  EXPECT_TRUE(events.last_pick.empty());
  EXPECT_EQ(view->HitCount(), 0);
  // A left press picks before MouseDown. The window is made active first: a press on an
  // inactive window activates it, and the activation repaints whatever the press does.
  view->activateWindow();
  ASSERT_TRUE(vantrel::test::WaitForWindowActive(view.get()));
  ASSERT_NO_FATAL_FAILURE(Render());
  Spin(100);
  events.last_pick.clear();
  const long beforePress = view->FrameCount();
  QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(150, 100));
  QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(150, 100));
  ASSERT_EQ(events.last_pick.size(), 4u);
  EXPECT_EQ(events.last_pick[3], 9);
  // The pass leaves the shown frame as it was and asks for no repaint.
  Spin(300);
  EXPECT_EQ(view->FrameCount(), beforePress);
  EXPECT_TRUE(Pixel(50, 100).Near(255, 255, 255)) << Pixel(50, 100);
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_TRUE(Pixel(50, 100).Near(255, 255, 255)) << Pixel(50, 100);
}

TEST_F(GlPixels, BlendedFramesReadBackOpaqueAndGrabsAgree) {
  events.on_draw = [] {
    glEnable(GL_BLEND);
    glColor4f(1, 0, 0, 0.5f);
    Square(0, 0, 50);
    glDisable(GL_BLEND);
  };
  view->makeCurrent();
  glClearColor(0, 0, 1, 0.2f);  // a clear alpha below 1 too
  view->doneCurrent();
  ASSERT_NO_FATAL_FAILURE(Render());
  Rgb c = Pixel(100, 100);
  EXPECT_TRUE(c.Near(128, 0, 127, 2)) << c;
  view->makeCurrent();
  GLubyte rgba[4] = {};
  glReadPixels(100, 100, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  GLubyte corner[4] = {};
  glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
  view->doneCurrent();
  EXPECT_EQ(rgba[3], 255);
  EXPECT_EQ(corner[3], 255);
  QImage grab = view->grabFramebuffer();
  QColor g = grab.pixelColor(100, 100);
  EXPECT_NEAR(g.red(), c.r, 2);
  EXPECT_NEAR(g.blue(), c.b, 2);
  EXPECT_EQ(grab.pixelColor(0, 0), QColor(0, 0, 255));
  QImage frame = view->ReadFrame();
  EXPECT_EQ(frame.pixelColor(0, 0), QColor(0, 0, 255));
}

TEST_F(GlPixels, GridLinesAndLightsOfTheControl) {
  bool light0 = false;
  events.on_draw = [&] {
    view->DrawGrid();
    light0 = glIsEnabled(GL_LIGHT0);
  };
  view->SetSceneExtent(100, 100, 100);
  view->Lights().Item(1).SetEnabled(true);
  view->Lights().Item(1).SetPosition(10, 30, 150);
  ASSERT_NO_FATAL_FAILURE(Render());
  EXPECT_TRUE(light0);
  auto grey = [](Rgb c) { return c.Near(128, 128, 128, 2); };
  EXPECT_GT(Count(98, 103, 102, 108, grey), 0) << "the line through the origin";
  EXPECT_EQ(Count(102, 102, 108, 108, grey), 0) << "between lines";
  EXPECT_GT(Count(108, 103, 112, 108, grey), 0) << "the next line, 10 units on";
  EXPECT_EQ(rt::Try([&] { view->Lights().Item(0); }), 9);
  EXPECT_EQ(rt::Try([&] { view->Materials().Item(25); }), 9);
  EXPECT_NO_THROW(view->Materials().Item(16));
}

TEST(GlFonts, MissingFacesFallBackToInstalledOnes) {
  const QStringList installed = QFontDatabase::families();
  struct Case {
    const char* face;
    QStringList allowed;  // in order of preference
  };
  const Case cases[] = {
      {"Comic Sans MS", {"Comic Sans MS", "DejaVu Sans"}},
      {"Arial", {"Arial", "Liberation Sans", "DejaVu Sans"}},
      {"Times New Roman", {"Times New Roman", "Liberation Serif", "DejaVu Serif"}},
      {"DejaVu Sans Mono", {"DejaVu Sans Mono"}},
  };
  for (const Case& c : cases) {
    QString got = glview::ResolveFace(c.face);
    EXPECT_TRUE(installed.contains(got)) << c.face << " -> " << got.toStdString();
    QString first;
    for (const QString& a : c.allowed)
      if (installed.contains(a)) {
        first = a;
        break;
      }
    EXPECT_EQ(got, first) << c.face;
  }
}

TEST_F(GlEvents, ExtenderTagMoveAndPointer) {
  view->SetTag("Animate");
  EXPECT_EQ(view->Tag(), "Animate");
  double k = view->TwipsPerPixel();
  view->Move(0, 0, 300 * k, 150 * k);
  EXPECT_TRUE(WaitFor([&] { return view->width() == 300 && view->height() == 150; }))
      << view->width() << " x " << view->height();
  view->SetMousePointer(201);
  EXPECT_EQ(view->MousePointer(), 201);
  EXPECT_EQ(view->cursor().shape(), Qt::OpenHandCursor);
  view->SetMousePointer(0);
  EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
}  // namespace vantrel::test
