// The program as a user starts it on the 1,048,576-row workbook: a fresh process builds the
// services and the main window as main() does, and the window loads the workbook named by
// VANTREL_WORKBOOK. Measured from the start of the process to the first frame the view draws
// from the loaded tables, against the road's own time in the same process (from the progress
// bar shown to the progress bar hidden), with the longest stretch without an event-loop pass
// from the start of the road to that frame; beside it, the stretch of the window's first frame
// and the longest one once the window is on the screen. Three processes; the median one is told.
// Each as the first start on a machine (nothing kept from an earlier one), and as a later start
// (the GL driver's shader cache kept by an earlier start).
//
// Needs an X server (xvfb-run -a -s '-screen 0 1280x1024x24', LIBGL_ALWAYS_SOFTWARE=1).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QOpenGLWidget>
#include <QProgressBar>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/fresh_process.h"
#include "bench/road_workbook.h"
#include "datastore/state.h"
#include "platform/glview/glview.h"
#include "ui/app.h"
#include "ui/main_window.h"

namespace {

using namespace vantrel;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Now() { return std::chrono::duration<double>(Clock::now().time_since_epoch()).count(); }

// What one process saw, in seconds of the monotonic clock (shared by the processes).
struct WindowRun {
  double roadStart = 0, roadEnd = 0, firstFrame = 0, longestGapMs = 0;
  // The window's first frame (any), the stretch of the pass that made it, and the longest
  // stretch from then on.
  double shown = 0, firstShowMs = 0, shownGapMs = 0;
  bool ok = false;
};

// The progress bar shown and hidden: the road's start and end.
class BarWatch : public QObject {
 public:
  explicit BarWatch(WindowRun& r) : r_(r) {}
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Show && r_.roadStart == 0) r_.roadStart = Now();
    if (e->type() == QEvent::Hide && r_.roadStart != 0 && r_.roadEnd == 0) r_.roadEnd = Now();
    return QObject::eventFilter(o, e);
  }

 private:
  WindowRun& r_;
};

// With VANTREL_WINDOW_STEPS set: how long the view and the window take over each of their paint,
// show, resize and update events over 10 ms (the view's first frame makes the GL context and the
// fonts).
class ViewEventTimes : public QObject {
 public:
  explicit ViewEventTimes(double start) : start_(start) {}
  bool eventFilter(QObject* o, QEvent* e) override {
    const QEvent::Type t = e->type();
    if (inside_ || (t != QEvent::Paint && t != QEvent::Show && t != QEvent::Resize && t != QEvent::UpdateRequest &&
                    t != QEvent::Expose && t != QEvent::UpdateLater))
      return QObject::eventFilter(o, e);
    inside_ = true;
    const double t0 = Now();
    const bool handled = o->event(e);
    const double t1 = Now();
    inside_ = false;
    if (t1 - t0 > 0.01)
      std::fprintf(stderr, "%s event %d from %.3f s to %.3f s\n",
                   !o->isWidgetType()                     ? "window system"
                   : static_cast<QWidget*>(o)->isWindow() ? "window"
                                                          : "view",
                   static_cast<int>(t), t0 - start_, t1 - start_);
    return handled;
  }

 private:
  double start_;
  bool inside_ = false;
};

// The child: the program on the workbook, in a home of its own, until its first loaded frame;
// the process ends there.
void RunWindow(const char* workbook, const char* out) {
  char tmpl[] = "/tmp/vantrel-bench-window-XXXXXX";
  if (!::mkdtemp(tmpl)) std::_Exit(2);
  const fs::path home = tmpl;
  for (const char* d : {"config", "data", "cache", "runtime"}) fs::create_directories(home / d);
  fs::permissions(home / "runtime", fs::perms::owner_all);
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
  // A later start finds what the GL driver kept of an earlier one (its shader cache).
  const char* kept = std::getenv("VANTREL_WINDOW_CACHE");
  ::setenv("XDG_CACHE_HOME", kept && *kept ? kept : (home / "cache").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
  ::setenv("VANTREL_WORKBOOK", workbook, 1);
  ::unsetenv("VANTREL_CALC");
  ::alarm(300);  // a run that never draws its data ends here

  WindowRun r;
  int argc = 1;
  char name[] = "vantrel";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  ui::InstallPlatformServices();
  const double start = Now();
  const bool steps = std::getenv("VANTREL_WINDOW_STEPS") != nullptr;
  auto w = ui::StartMainWindow({});
  if (steps) std::fprintf(stderr, "window started at %.3f s\n", Now() - start);
  BarWatch watch(r);
  ViewEventTimes viewTimes(start);
  if (steps) {
    w->glxCtl1->installEventFilter(&viewTimes);
    w->installEventFilter(&viewTimes);  // the window's own repaints draw the view too
    if (QWindow* handle = w->windowHandle()) handle->installEventFilter(&viewTimes);
  }
  if (auto* bar = w->findChild<QProgressBar*>()) {
    bar->installEventFilter(&watch);
    // With VANTREL_WINDOW_STEPS set, the time of every progress value and of every frame.
    if (steps)
      QObject::connect(bar, &QProgressBar::valueChanged,
                       [&](int v) { std::fprintf(stderr, "progress %3d at %.3f s\n", v, Now() - start); });
  }
  if (steps)
    QObject::connect(w->glxCtl1, &QOpenGLWidget::frameSwapped, [&] {
      std::fprintf(stderr, "window frame at %.3f s (view frames %ld, busy %g)\n", Now() - start,
                   w->glxCtl1->FrameCount(), datastore::Store().LoaderBusy);
    });
  // Every pass of the event loop fires this timer when it is due: the stretches between.
  double lastPass = Now();
  QTimer passes;
  passes.setTimerType(Qt::PreciseTimer);
  passes.setInterval(5);
  QObject::connect(&passes, &QTimer::timeout, [&] {
    const double now = Now();
    const double gapMs = (now - lastPass) * 1000;
    if (r.roadStart != 0) r.longestGapMs = std::max(r.longestGapMs, gapMs);
    if (r.shown != 0 && lastPass < r.shown && r.firstShowMs == 0) r.firstShowMs = gapMs;
    if (r.shown != 0 && r.roadStart != 0 && lastPass >= r.shown) r.shownGapMs = std::max(r.shownGapMs, gapMs);
    if (steps && now - lastPass > 0.05)
      std::fprintf(stderr, "gap %6.1f ms ending at %.3f s\n", (now - lastPass) * 1000, now - start);
    lastPass = now;
  });
  passes.start();
  // A box would wait for a user: it is told and the run fails.
  QTimer boxes;
  boxes.setInterval(100);
  QObject::connect(&boxes, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      std::fprintf(stderr, "bench_window: a box: %s: %s\n", box->windowTitle().toStdString().c_str(),
                   box->text().toStdString().c_str());
      std::_Exit(3);
    }
  });
  boxes.start();
  // The results are written at the first loaded frame and the process ends there (closing the
  // window would end the program its own way).
  auto finish = [&] {
    if (steps)
      std::fprintf(stderr, "road from %.3f s to %.3f s, first loaded frame at %.3f s\n", r.roadStart - start,
                   r.roadEnd - start, r.firstFrame - start);
    if (std::FILE* f = std::fopen(out, "w")) {
      std::fprintf(f, "%d %.6f %.6f %.6f %.3f %.3f %.3f\n", r.ok ? 1 : 0, r.roadStart, r.roadEnd, r.firstFrame,
                   r.longestGapMs, r.firstShowMs, r.shownGapMs);
      std::fclose(f);
    }
    std::error_code ec;
    fs::remove_all(home, ec);
    std::_Exit(0);
  };
  QObject::connect(w->glxCtl1, &QOpenGLWidget::frameSwapped, [&] {
    if (r.shown == 0) r.shown = Now();
    const datastore::DataStore& st = datastore::Store();
    if (r.firstFrame != 0 || r.roadEnd == 0 || st.LoaderBusy == 1 || st.SettingsBlock.LoadDone != 1.0 ||
        st.SceneFitDone != 1 || st.LastDataRow < 1000)
      return;
    r.firstFrame = Now();
    r.longestGapMs = std::max(r.longestGapMs, (r.firstFrame - lastPass) * 1000);
    r.shownGapMs = std::max(r.shownGapMs, (r.firstFrame - lastPass) * 1000);
    r.ok = true;
    finish();
  });
  app.exec();
  finish();
}

void BM_WindowChild(benchmark::State& st) {
  for (auto _ : st) RunWindow(std::getenv("VANTREL_WINDOW_CHILD"), std::getenv("VANTREL_WINDOW_OUT"));
}
[[maybe_unused]] const bool gChild = std::getenv("VANTREL_WINDOW_CHILD") &&
                                     benchmark::RegisterBenchmark("BM_WindowChild", BM_WindowChild)->Iterations(1);

struct Measured {
  double firstFrameS = 0, roadS = 0, gapMs = 0, firstShowMs = 0, shownGapMs = 0;
};

// One fresh process (this program again); the seconds from its spawn. With a cache folder, the
// process keeps the user's cache there.
bool WindowInAFreshProcess(const std::string& workbook, Measured& m, const std::string& cache = {}) {
  const std::string out = (fs::temp_directory_path() / ("vantrel_window_" + std::to_string(::getpid()))).string();
  const double t0 = Now();
  const bool exited = bench::RunSelf("BM_WindowChild", {"VANTREL_WINDOW_CHILD=" + workbook,
                                                        "VANTREL_WINDOW_OUT=" + out, "VANTREL_WINDOW_CACHE=" + cache});
  int ok = 0;
  WindowRun r;
  if (std::FILE* in = std::fopen(out.c_str(), "r")) {
    if (std::fscanf(in, "%d %lf %lf %lf %lf %lf %lf", &ok, &r.roadStart, &r.roadEnd, &r.firstFrame, &r.longestGapMs,
                    &r.firstShowMs, &r.shownGapMs) != 7)
      ok = 0;
    std::fclose(in);
  }
  fs::remove(out);
  if (!ok || !exited) return false;
  m.firstFrameS = r.firstFrame - t0;
  m.roadS = r.roadEnd - r.roadStart;
  m.gapMs = r.longestGapMs;
  m.firstShowMs = r.firstShowMs;
  m.shownGapMs = r.shownGapMs;
  return true;
}

// The first start on a machine (each process with an empty cache), or, with range(1) set, a
// later one: the processes share one cache folder that an unmeasured start filled first.
void BM_Window(benchmark::State& st) {
  const std::string wb = bench::RoadWorkbook(fs::path(VANTREL_BENCH_DATA_DIR), static_cast<int>(st.range(0)));
  std::string cache;
  if (st.range(1)) {
    cache = (fs::temp_directory_path() / ("vantrel_window_cache_" + std::to_string(::getpid()))).string();
    fs::create_directories(cache);
    Measured first;
    if (!WindowInAFreshProcess(wb, first, cache)) {
      st.SkipWithError("the window did not draw the loaded workbook");
      return;
    }
  }
  struct Drop {
    std::string dir;
    ~Drop() {
      std::error_code ec;
      if (!dir.empty()) fs::remove_all(dir, ec);
    }
  } drop{cache};
  std::vector<Measured> runs;
  for (auto _ : st) {
    Measured m;
    if (!WindowInAFreshProcess(wb, m, cache)) {
      st.SkipWithError("the window did not draw the loaded workbook");
      return;
    }
    st.SetIterationTime(m.firstFrameS);
    runs.push_back(m);
  }
  std::sort(runs.begin(), runs.end(),
            [](const Measured& a, const Measured& b) { return a.firstFrameS < b.firstFrameS; });
  const Measured& m = runs[runs.size() / 2];
  st.counters["window_first_frame_s"] = m.firstFrameS;
  st.counters["window_road_s"] = m.roadS;
  st.counters["window_x_road"] = m.firstFrameS / m.roadS;
  st.counters["longest_gap_ms"] = m.gapMs;
  // The window's first frame (the GL context and its first composition) comes while the road's
  // first read already runs on a work thread; the stretches once the window is on the screen.
  st.counters["first_show_ms"] = m.firstShowMs;
  st.counters["shown_gap_ms"] = m.shownGapMs;
}
BENCHMARK(BM_Window)
    ->ArgNames({"rows", "later_start"})
    ->Args({1048576, 0})
    ->Args({1048576, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

}  // namespace
