#pragma once
// GL test harness: a shown view control on the X server of xvfb-run (Mesa's software
// renderer), an event recorder, frame waits and pixel read-back. A test that cannot get a
// context or a frame fails.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QThread>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/glview/glview.h"
#include "tests/support/wait.h"

namespace vantrel::test {

// Records every event by name and runs optional hooks.
struct RecordingEvents : glview::GlViewEvents {
  std::vector<std::string> log;
  std::function<void()> on_init_gl, on_draw, on_draw_gdi, on_first_view;
  std::function<void(std::vector<std::int32_t>&)> on_pick;
  std::vector<std::int32_t> last_pick;
  std::vector<std::array<float, 4>> mouse;  // button, shift, x, y of each mouse event
  std::vector<std::array<int, 2>> keys;     // key code and shift of each KeyDown
  std::vector<int> chars;                   // KeyAscii of each KeyPress

  void Click() override { log.push_back("Click"); }
  void DblClick() override { log.push_back("DblClick"); }
  void FirstViewEvent() override {
    log.push_back("FirstView");
    if (on_first_view) on_first_view();
  }
  void InitEvent() override { log.push_back("Init"); }
  void InitGLEvent() override {
    log.push_back("InitGL");
    if (on_init_gl) on_init_gl();
  }
  void DrawEvent() override {
    log.push_back("Draw");
    if (on_draw) on_draw();
  }
  void DrawGDIEvent() override {
    log.push_back("DrawGDI");
    if (on_draw_gdi) on_draw_gdi();
  }
  void KeyDown(int& code, int& shift) override {
    log.push_back("KeyDown");
    keys.push_back({code, shift});
  }
  void KeyPress(int& ascii) override {
    log.push_back("KeyPress");
    chars.push_back(ascii);
  }
  void MouseDown(int& b, int& s, float& x, float& y) override {
    log.push_back("MouseDown");
    mouse.push_back({float(b), float(s), x, y});
  }
  void MouseMove(int& b, int& s, float& x, float& y) override {
    if (b == 0) return;  // hover moves are not recorded
    log.push_back("MouseMove");
    mouse.push_back({float(b), float(s), x, y});
  }
  void MouseUp(int& b, int& s, float& x, float& y) override {
    log.push_back("MouseUp");
    mouse.push_back({float(b), float(s), x, y});
  }
  void ReshapeEvent(long w, long h, bool& handled) override {
    log.push_back("Reshape " + std::to_string(w) + "x" + std::to_string(h));
    handled = true;
  }
  void PickEvent(std::vector<std::int32_t>& buffer) override {
    log.push_back("Pick");
    last_pick = buffer;
    if (on_pick) on_pick(buffer);
  }
};

// At least 30 s: a busy machine may be many times slower than a quiet one.
inline bool WaitFor(const std::function<bool()>& done, int ms = 30000) {
  return test::WaitUntil(done, std::chrono::milliseconds(std::max(ms, 30000)));
}

inline void Spin(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
}

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool Near(int R, int G, int B, int tol = 1) const {
    return std::abs(r - R) <= tol && std::abs(g - G) <= tol && std::abs(b - B) <= tol;
  }
};

inline std::ostream& operator<<(std::ostream& o, const Rgb& c) {
  return o << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

class GlViewTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(200, 200); }
  void TearDown() override {
    if (view) view->SetEvents(nullptr);
    view.reset();
  }

  // A fresh control of w x h pixels, shown, with its first frame drawn. The camera looks
  // down -Z at the origin with the orthographic box (-100, 100, -100, 100).
  void Open(int w, int h, bool attach = true) {
    view = std::make_unique<glview::GlView>();
    if (attach) view->SetEvents(&events);
    glview::GlCamera& cam = view->Camera();
    cam.LookAt(0, 0, 100, 0, 0, 0, 0, 1, 0);
    cam.SetOrtho(-100, 100, -100, 100);
    cam.SetProjectionType(glview::kOrthographic);
    view->resize(w, h);
    view->show();
    ASSERT_TRUE(WaitFor([&] { return view->FrameCount() > 0; })) << "the view control drew no frame: no OpenGL context";
    ASSERT_NE(view->context(), nullptr);
    ASSERT_TRUE(view->context()->isValid());
    ASSERT_EQ(view->ViewWidth(), w);
    ASSERT_EQ(view->ViewHeight(), h);
  }

  // Asks for a repaint and waits until it is drawn.
  void Render() {
    long n = view->FrameCount();
    view->Redraw();
    ASSERT_TRUE(WaitFor([&] { return view->FrameCount() > n; })) << "no frame drawn";
  }

  // The colour of the pixel at x, y counted from the top left.
  Rgb Pixel(int x, int y) {
    std::vector<std::uint8_t> p = view->ReadPixels(x, int(view->ViewHeight()) - 1 - y, 1, 1);
    if (p.size() < 3) {
      ADD_FAILURE() << "no read-back";
      return {};
    }
    return {p[0], p[1], p[2]};
  }

  // Pixels of the rectangle [x0, x1) x [y0, y1) (from the top left) that pass a test.
  int Count(int x0, int y0, int x1, int y1, const std::function<bool(Rgb)>& test) {
    int w = int(view->ViewWidth()), h = int(view->ViewHeight());
    std::vector<std::uint8_t> p = view->ReadPixels(0, 0, w, h);
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(h, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(w, x1); ++x) {
        size_t i = (size_t(h - 1 - y) * size_t(w) + size_t(x)) * 3;
        if (test({p[i], p[i + 1], p[i + 2]})) ++n;
      }
    return n;
  }

  RecordingEvents events;
  std::unique_ptr<glview::GlView> view;
};

}  // namespace vantrel::test
