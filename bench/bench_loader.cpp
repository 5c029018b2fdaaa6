// A worksheet load end to end (specification cell, ranges, gathering, data file written and
// read back) on an in-memory workbook of n rows, and the probe of a one-row range.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "datastore/association.h"
#include "datastore/loader.h"
#include "datastore/sheet_link.h"
#include "datastore/state.h"
#include "platform/settings/settings.h"
#include "platform/shell/shell.h"
#include "platform/spreadsheet/model.h"

namespace {

using namespace vantrel;
namespace ss = vantrel::spreadsheet;

class OneApp : public ss::Connector {
 public:
  std::shared_ptr<ss::model::App> app;
  ss::Application Attach() override { return app->handle(); }
};

std::shared_ptr<OneApp> Workbook(int64_t rows, const std::string& spec) {
  auto c = std::make_shared<OneApp>();
  c->app = ss::model::App::Create();
  auto book = c->app->AddBook("Orbit.xlsx");
  auto& sh = book->AddSheet("Orbit");
  for (int64_t r = 2; r <= rows + 1; ++r) {
    sh.SetNumber(r, 1, 7000.0 + r * 0.001);
    sh.SetNumber(r, 2, -3000.0 + r * 0.002);
    sh.SetNumber(r, 3, r * 0.5);
    sh.SetNumber(r, 4, r * 10.0);
  }
  sh.SetFormula(1, 20, spec, ss::CellValue::Num(1));
  sh.SetActiveCell(1, 20);
  return c;
}

struct Env {
  Env() {
    dir = std::filesystem::temp_directory_path() / "vantrel_bench_loader";
    std::filesystem::create_directories(dir);
    platform::SetSettingsStore(std::make_shared<platform::MemorySettingsStore>());
    platform::SetRegistry(std::make_shared<platform::KeyStoreRegistry>((dir / "registry.txt").string()));
    datastore::SetAssociationToolRunner([](const std::vector<std::string>&) { return 0; });
    datastore::Store().WorkDir = dir.string();
  }
  std::filesystem::path dir;
};

void BM_WorksheetLoad(benchmark::State& state) {
  static Env env;
  const int64_t rows = state.range(0);
  auto c = Workbook(rows, "=MAX(A2:C" + std::to_string(rows + 1) + ")+MAX(D2:D" + std::to_string(rows + 1) + ")");
  ss::SetConnector(c);
  int64_t calls = 0;
  for (auto _ : state) {
    const int64_t before = c->app->callCount();
    datastore::LoadExcelDataXls();
    calls = c->app->callCount() - before;
  }
  benchmark::DoNotOptimize(datastore::Store().LastDataRow);
  state.counters["rows"] = static_cast<double>(datastore::Store().LastDataRow + 1);
  state.counters["sheet_calls"] = static_cast<double>(calls);
  state.SetItemsProcessed(state.iterations() * rows);
  ss::SetConnector(nullptr);
}
BENCHMARK(BM_WorksheetLoad)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ProbeOneRowRange(benchmark::State& state) {
  static Env env;
  const int64_t rows = state.range(0);
  auto c = Workbook(rows, "=MAX(A2:C2)");
  ss::SetConnector(c);
  int64_t calls = 0;
  for (auto _ : state) {
    const int64_t before = c->app->callCount();
    datastore::LoadExcelDataXls();
    calls = c->app->callCount() - before;
  }
  state.counters["rows"] = static_cast<double>(datastore::Store().LastDataRow + 1);
  state.counters["sheet_calls"] = static_cast<double>(calls);
  ss::SetConnector(nullptr);
}
BENCHMARK(BM_ProbeOneRowRange)->Arg(60000)->Unit(benchmark::kMillisecond);

}  // namespace
