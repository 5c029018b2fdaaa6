// The display pass and the two frame steps over full tables.
#include <benchmark/benchmark.h>

#include <cmath>

#include "datastore/display_pass.h"
#include "datastore/local_frames.h"
#include "datastore/state.h"
#include "platform/forms/msgbox.h"

namespace vantrel::datastore {
namespace {

void Fill(DataStore& s, int64_t rows) {
  for (int64_t r = 0; r < rows; ++r) {
    const double a = r * 1e-4;
    s.DataTable.Set(r, 0, r * 0.001);
    s.DataTable.Set(r, 1, 7000 * std::cos(a));
    s.DataTable.Set(r, 2, 7000 * std::sin(a));
    s.DataTable.Set(r, 3, 100 * std::sin(3 * a));
    for (int c = 0; c < 5; ++c) s.QuaterTable.Set(r, c, c * 0.1);
    s.SAmYTable.Set(r, 0, r + 1.0);
    s.SAmYTable.Set(r, 1, r % 360);
  }
  s.LastDataRow = static_cast<int32_t>(rows - 1);
}

// Every row loop of the pass: value series from the -Y array, quaternion order, pen-up colour
// column and its range, demo sizing, axis rotation.
void BM_DisplayPassAllRowSteps(benchmark::State& state) {
  ScopedStore scope;
  DataStore& s = scope.store();
  const int64_t rows = state.range(0);
  Fill(s, rows);
  for (auto _ : state) {
    state.PauseTiming();
    s.SAmYRows = static_cast<double>(rows);
    s.QuaterRows = static_cast<double>(rows - 1);
    s.PenUpMode = 1;
    s.PlotTitle = "valz ESA";
    LoadWork w;
    w.ReadRows = static_cast<double>(rows);
    w.SpecScale = w.ScaleBeforeNed = 2;
    w.PenUpXyzOnly = 1;
    w.DemoShown = 1;
    w.AxisShiftCode = "1 permutcirculaire";
    state.ResumeTiming();
    DisplayPass(w);
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_DisplayPassAllRowSteps)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_LocalSiteStep(benchmark::State& state) {
  ScopedStore scope;
  DataStore& s = scope.store();
  Fill(s, state.range(0));
  for (auto _ : state) {
    LoadWork w;
    w.NedSiteGiven = 1;
    w.SiteLatitude = 43.6;
    w.SiteLongitude = 1.44;
    w.SiteHeight = 150;
    w.ScaleBeforeNed = 1;
    LocalSiteStep(w);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LocalSiteStep)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_EarthMoonStep(benchmark::State& state) {
  ScopedStore scope;
  DataStore& s = scope.store();
  forms::SetMessageBoxService(std::make_shared<forms::ScriptedMessageBoxes>());
  for (auto _ : state) {
    state.PauseTiming();
    Fill(s, state.range(0));  // no split: all three walks run to the last row
    s.EarthMoonMode = 1;
    LoadWork w;
    w.SpecScale = 1;
    state.ResumeTiming();
    EarthMoonStep(w);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EarthMoonStep)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantrel::datastore
