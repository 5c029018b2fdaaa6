#pragma once
// The assembled program on its users' journeys: the services and the main window built by the
// same calls as main(), the real view drawing the real scene, driven by real input events on
// the X server of xvfb-run. Each test runs in a process of its own (CTest runs one test a
// process) with a fresh home folder and fresh run-wide state, as at a launch.
//
// Message boxes are the program's real modal boxes: a watcher answers each one as it opens,
// by the button the test scripted, and keeps its title and text.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "datastore/load_queue.h"
#include "datastore/state.h"
#include "datastore/watcher.h"
#include "platform/glview/glview.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/vb.h"
#include "tests/support/guards.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"
#include "ui/app.h"
#include "ui/main_shared.h"
#include "ui/main_window.h"
#include "view/class_gl.h"
#include "view/view_shared.h"

namespace vantrel::journey {

namespace fs = std::filesystem;

// The date fixed at 2026/03/05 14:07:09 (the data file's header carries it); Timer, waits and
// the animation run on, from there, with the real monotonic clock.
class FixedDateClock : public rt::Clock {
 public:
  double Now() const override { return rt::DateSerial(2026, 3, 5) + rt::TimeSerial(14, 7, 9); }
  double Timer() const override { return 14 * 3600 + 7 * 60 + 9 + (Monotonic() - start_); }
  double Monotonic() const override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }
  void Sleep(long ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

 private:
  double start_ = Monotonic();
};

struct SeenBox {
  std::string title, text;
};

inline std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// CPU time of the process (user + system), seconds.
inline double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

class JourneyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    homeFolder = std::make_unique<test::TempDir>("vantrel-journey");
    home = homeFolder->path();
    for (const char* d : {"config", "data", "cache", "runtime"}) fs::create_directories(home / d);
    fs::permissions(home / "runtime", fs::perms::owner_all);
    env.Set("HOME", home.c_str());
    env.Set("XDG_CONFIG_HOME", (home / "config").c_str());
    env.Set("XDG_DATA_HOME", (home / "data").c_str());
    env.Set("XDG_CACHE_HOME", (home / "cache").c_str());
    env.Set("XDG_RUNTIME_DIR", (home / "runtime").c_str());
    env.Set("VANTREL_WORKBOOK", nullptr);
    env.Set("VANTREL_CALC", nullptr);
    boxTimer.setInterval(50);
    QObject::connect(&boxTimer, &QTimer::timeout, [this] { AnswerOpenBox(); });
    boxTimer.start();
  }

  void TearDown() override {
    if (window) window->hide();
    window.reset();
    boxTimer.stop();
    homeFolder.reset();
  }

  // main()'s start: the services, then the main window with the command line.
  void StartProgram(std::vector<std::string> args = {}) {
    InstallServices();
    window = ui::StartMainWindow(std::move(args));
    ASSERT_TRUE(WaitFor([] { return datastore::Store().SettingsBlock.LoadDone == 1.0; }, 60))
        << "the first load did not end";
    ASSERT_NE(View(), nullptr);
    Settle();
  }

  void InstallServices() {
    ui::InstallPlatformServices();
    rt::SetClock(std::make_shared<FixedDateClock>());
  }

  // The next boxes are answered by these buttons, in order; then by OK.
  void Answer(std::vector<QMessageBox::StandardButton> buttons) {
    for (auto b : buttons) answers.push_back(b);
  }

  void AnswerOpenBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    boxes.push_back({box->windowTitle().toStdString(), box->text().toStdString()});
    QMessageBox::StandardButton want = QMessageBox::Ok;
    if (!answers.empty()) {
      want = answers.front();
      answers.pop_front();
    }
    QAbstractButton* b = box->button(want);
    if (!b) b = box->buttons().isEmpty() ? nullptr : box->buttons().first();
    if (b) QTest::mouseClick(b, Qt::LeftButton);
  }

  bool SawBox(const std::string& title) const {
    for (const auto& b : boxes)
      if (b.title == title) return true;
    return false;
  }

  // Runs the event loop until pred holds or the time is up (at least 30 s: a busy machine may
  // be many times slower than a quiet one).
  static bool WaitFor(const std::function<bool()>& pred, double seconds) {
    return test::WaitUntil(pred, std::chrono::milliseconds(std::llround(std::max(seconds, 30.0) * 1000)));
  }

  // Lets the view draw what the last change asks for: two frames drawn after it.
  void Settle() {
    glview::GlView* v = View();
    if (!v) return;
    const long first = v->FrameCount();
    (void)WaitFor(
        [&] {
          v->update();
          return v->FrameCount() >= first + 2;
        },
        60);
  }

  glview::GlView* View() const { return window ? window->glxCtl1 : nullptr; }
  view::ClassGl& Gl() const { return *window->GlInstance; }

  // The view's last frame, as drawn.
  QImage Frame() const { return View()->grabFramebuffer(); }

  // Pixels of the nominal plot colour (green, the factory setting), the trajectory's lines.
  static int PlotPixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QRgb c = img.pixel(x, y);
        if (qGreen(c) > 120 && qGreen(c) > 2 * qRed(c) && qGreen(c) > 2 * qBlue(c)) ++n;
      }
    return n;
  }

  // Pixels of another colour than the background (taken at the bottom left corner).
  static int ScenePixels(const QImage& img) {
    if (img.isNull()) return 0;
    const QRgb background = img.pixel(1, img.height() - 2);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) != background;
    return n;
  }

  fs::path DataFolder() const { return home / "data" / "Vantrel"; }
  fs::path CurrentDataFile() const { return DataFolder() / "_Vantrel.vnx"; }

  static fs::path Fixture(const std::string& rel) { return fs::path(VANTREL_FIXTURES) / rel; }

  std::unique_ptr<test::TempDir> homeFolder;  // removed, read-only folders included, at the end
  fs::path home;
  test::EnvGuard env;  // restored when the test ends
  datastore::ScopedStore store;
  view::ScopedViewShared viewShared;
  ui::ScopedMainShared mainShared;
  QTimer boxTimer;
  std::deque<QMessageBox::StandardButton> answers;
  std::vector<SeenBox> boxes;
  std::unique_ptr<ui::MainWindow> window;
};

}  // namespace vantrel::journey
