// Frame time of the whole scene with a trajectory of 1,048,576 rows, side by side with a bare
// GL line strip of the same vertices, in the view control on the X server of xvfb-run:
//   xvfb-run -a -s '-screen 0 1280x1024x24' build/bench/bench_trajectory
// Each frame clears the view, draws and waits for the GL to finish. The scene figures carry a
// counter "x_bare": their time over the bare strip's (vertex array). With the cubic view the
// scene issues four times the vertices: BM_BareStripAndWallPoints draws those same vertices
// bare. The software renderer works on threads of its own: run on an idle machine.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include <cmath>
#include <memory>
#include <vector>

#include "datastore/state.h"
#include "platform/glview/glview.h"
#include "view/class_gl.h"
#include "view/event_bridge.h"
#include "view/view_shared.h"

namespace {

using namespace vantrel;

constexpr int kRows = 1048576;

struct Rig {
  std::unique_ptr<QApplication> app;
  std::unique_ptr<datastore::ScopedStore> store;
  std::unique_ptr<view::ScopedViewShared> shared;
  std::unique_ptr<glview::GlView> ctl;
  std::unique_ptr<view::ClassGl> gl;
  std::unique_ptr<view::GlEventBridge> bridge;
  std::vector<float> xyz;
  bool ok = false;
};

double g_bareArray = 0;

// An orbit-like spiral in scene units: 180 turns around the Z axis, slowly rising, with a
// thrust event every 30 turns.
void Fill(Rig& r) {
  datastore::DataStore& st = datastore::Store();
  st.DataTable.Reserve(kRows);
  r.xyz.resize(size_t(kRows) * 3);
  for (int i = 0; i < kRows; ++i) {
    double u = double(i) / kRows, a = u * 180 * 2 * 3.14159265358979;
    double rad = 60 + 25 * u;
    double x = rad * std::cos(a), y = rad * std::sin(a), z = -40 + 80 * u + 5 * std::sin(a * 3);
    st.DataTable.Set(i, 0, 21900 + u * 12);
    st.DataTable.Set(i, 1, x);
    st.DataTable.Set(i, 2, y);
    st.DataTable.Set(i, 3, z);
    r.xyz[size_t(i) * 3] = float(x), r.xyz[size_t(i) * 3 + 1] = float(y), r.xyz[size_t(i) * 3 + 2] = float(z);
  }
  int e = 0;
  for (int k = 0; k < 6; ++k) {
    double t0 = 21900 + 12.0 * k / 6;
    st.EventsTable.Set(e, 0, t0), st.EventsTable.Set(e++, 1, 0);
    st.EventsTable.Set(e, 0, t0 + 0.2), st.EventsTable.Set(e++, 1, 1);
    st.EventsTable.Set(e, 0, t0 + 0.4), st.EventsTable.Set(e++, 1, 0);
  }
  st.EventCount = e - 1;
  st.LastDataRow = kRows - 1;
  st.SceneFitDone = 1;
  st.DataFitted = 1;
  datastore::SettingsRecord& sb = st.SettingsBlock;
  sb.LoadDone = 1.0;
  sb.OptSatellite = 0;
  sb.OptNoEarth = 1;
  sb.OptNoTimeMoving = 1;
  sb.OptNoLogoLabel = 1;
  sb.OptNoOriginLabel = 1;
  sb.LinePlotThickness = 1;
}

Rig& TheRig() {
  // Never destroyed: the view and its context stay until the process ends.
  static Rig& r = *new Rig;
  static bool made = false;
  if (made) return r;
  made = true;
  static int argc = 1;
  static char name[] = "bench_trajectory";
  static char* argv[] = {name, nullptr};
  if (!qEnvironmentVariableIsSet("DISPLAY")) return r;
  qputenv("QT_QPA_PLATFORM", "xcb");
  r.app = std::make_unique<QApplication>(argc, argv);
  r.store = std::make_unique<datastore::ScopedStore>();
  r.shared = std::make_unique<view::ScopedViewShared>();
  r.ctl = std::make_unique<glview::GlView>();
  r.gl = std::make_unique<view::ClassGl>(r.ctl.get());
  r.bridge = std::make_unique<view::GlEventBridge>(*r.ctl, *r.gl);
  Fill(r);
  r.ctl->SetEvents(r.bridge.get());
  r.ctl->resize(1024, 768);
  r.ctl->show();
  QElapsedTimer t;
  t.start();
  while (r.ctl->FrameCount() < 2 && t.elapsed() < 20000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    r.ctl->Redraw();
  }
  r.gl->CURRINDEXI = kRows - 1;
  r.gl->CURRINDEXMINI = 0;
  r.ok = r.ctl->FrameCount() >= 2 && r.ctl->MakeCurrent();
  return r;
}

// Runs the frames; returns the mean frame time in seconds (0 when nothing ran).
template <class F>
double Frames(benchmark::State& state, F&& draw) {
  Rig& r = TheRig();
  if (!r.ok) {
    state.SkipWithError("no OpenGL view: run under xvfb-run");
    return 0;
  }
  r.ctl->MakeCurrent();
  double total = 0;
  long n = 0;
  for (auto _ : state) {
    QElapsedTimer t;
    t.start();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw(r);
    glFinish();
    double s = double(t.nsecsElapsed()) * 1e-9;
    state.SetIterationTime(s);
    total += s;
    ++n;
  }
  return n > 0 ? total / double(n) : 0;
}

void BM_BareStripArray(benchmark::State& state) {
  g_bareArray = Frames(state, [](Rig& r) {
    glColor4f(0, 1, 0, 0.6f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, r.xyz.data());
    glDrawArrays(GL_LINE_STRIP, 0, kRows);
    glDisableClientState(GL_VERTEX_ARRAY);
  });
}

// The same vertices as the scene with the cubic view: the strip and, per row, its three
// projections on the walls at -88 as points, each drawn as it comes.
void BM_BareStripAndWallPoints(benchmark::State& state) {
  static std::vector<float> walls;
  Rig& rig = TheRig();
  if (rig.ok && walls.empty()) {
    walls.resize(size_t(kRows) * 9);
    const float w = -88;
    for (size_t i = 0; i < size_t(kRows); ++i) {
      const float* p = &rig.xyz[i * 3];
      float q[9] = {w, p[1], p[2], p[0], w, p[2], p[0], p[1], w};
      for (int k = 0; k < 9; ++k) walls[i * 9 + size_t(k)] = q[k];
    }
  }
  Frames(state, [](Rig& r) {
    glColor4f(0, 1, 0, 0.6f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, r.xyz.data());
    glDrawArrays(GL_LINE_STRIP, 0, kRows);
    glVertexPointer(3, GL_FLOAT, 0, walls.data());
    glDrawArrays(GL_POINTS, 0, kRows * 3);
    glDisableClientState(GL_VERTEX_ARRAY);
  });
}

void BM_BareStripImmediate(benchmark::State& state) {
  Frames(state, [](Rig& r) {
    glColor4f(0, 1, 0, 0.6f);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < kRows; ++i) glVertex3fv(&r.xyz[size_t(i) * 3]);
    glEnd();
  });
}

void Scene(benchmark::State& state, double cubic) {
  Rig& r = TheRig();
  if (r.ok) datastore::Store().SettingsBlock.OptCubicView = cubic;
  double mean = Frames(state, [](Rig& rig) { rig.gl->Draw(); });
  if (mean > 0 && g_bareArray > 0) state.counters["x_bare"] = mean / g_bareArray;
}

void BM_SceneCubicOff(benchmark::State& state) { Scene(state, 0); }
void BM_SceneCubicOn(benchmark::State& state) { Scene(state, 1.0); }

}  // namespace

BENCHMARK(BM_BareStripArray)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_BareStripImmediate)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_BareStripAndWallPoints)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_SceneCubicOff)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_SceneCubicOn)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);
