// The view's fit of the loaded tables into the scene, for small and full tables.
#include <benchmark/benchmark.h>

#include <cmath>

#include "datastore/state.h"
#include "view/class_gl.h"
#include "view/view_shared.h"

namespace {

void BM_ScaleDataToScene(benchmark::State& state) {
  vantrel::datastore::ScopedStore scoped;
  vantrel::view::ScopedViewShared shared;
  auto& st = scoped.store();
  const int64_t rows = state.range(0);
  for (int64_t r = 0; r < rows; ++r) {
    double t = double(r) / double(rows) * 6.283;
    st.DataTable.Set(r, 1, 7000 * std::cos(t));
    st.DataTable.Set(r, 2, 7000 * std::sin(t));
    st.DataTable.Set(r, 3, 100 * std::sin(3 * t));
  }
  st.LastDataRow = int32_t(rows - 1);
  st.EventCount = 1;
  st.SettingsBlock.LoadDone = 1.0;
  vantrel::view::ClassGl gl(nullptr);
  for (auto _ : state) {
    st.DataFitted = 0;
    gl.ScaleDataToScene();
    benchmark::DoNotOptimize(gl.SceneExtent);
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_ScaleDataToScene)->Arg(10000)->Arg(1048576)->Unit(benchmark::kMillisecond);

}  // namespace
