// The whole worksheet road as the program runs it, on workbook files of 1,048,576 and 100,000
// rows by 17 columns: attach to the file, find the specification, probe and gather its ranges,
// write the data file, fill the tables, display pass and fit. The best of three roads in one
// process against the time libzip takes to decompress the sheet in the same run; the median of
// three roads in fresh processes (as a user meets it) against the time the program's own
// reader takes to inflate the sheet in each; the peak resident memory of a fresh process's
// road; and the longest stretch without an event-loop pass during the road.
// The wide sheet (1,048,576 rows by 64 columns of numbers, the specification naming 17 of them)
// in three fresh processes: its median road over its inflate, and the highest peak of memory.
//
// The workbooks are made once with libxlsxwriter in the build folder and kept there.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "datastore/association.h"
#include "datastore/loader.h"
#include "datastore/services.h"
#include "datastore/state.h"
#include "platform/events/events.h"
#include "platform/settings/settings.h"
#include "platform/shell/shell.h"
#include "platform/spreadsheet/workbook_file.h"
#include "platform/spreadsheet/zipxml.h"
#include "bench/fresh_process.h"
#include "bench/road_workbook.h"

namespace {

using namespace vantrel;
namespace ss = vantrel::spreadsheet;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Workbook(int rows, int cols = bench::kRoadCols) {
  return bench::RoadWorkbook(fs::path(VANTREL_BENCH_DATA_DIR), rows, cols);
}

struct Env {
  Env() {
    dir = fs::temp_directory_path() / ("vantrel_bench_road_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    platform::SetSettingsStore(std::make_shared<platform::MemorySettingsStore>());
    platform::SetRegistry(std::make_shared<platform::KeyStoreRegistry>((dir / "registry.txt").string()));
  }
  ~Env() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path dir;
};

// Every pass of the event loop during a road, whichever way it comes (the pump of the waits,
// the main window's own DoEvents and the layout at the end of the load).
struct Passes {
  Clock::time_point start, last;
  double longestMs = 0;
  void Pass() {
    const auto now = Clock::now();
    const double gap = std::chrono::duration<double, std::milli>(now - last).count();
    // With VANTREL_E2E_STEPS set, every stretch of more than 50 ms without a pass.
    if (gap > 50 && std::getenv("VANTREL_E2E_STEPS"))
      std::fprintf(stderr, "gap %6.1f ms ending at %.3f s\n", gap, std::chrono::duration<double>(now - start).count());
    longestMs = std::max(longestMs, gap);
    last = now;
  }
};
Passes gPasses;

class Pump : public platform::EventPump {
 public:
  void DoEvents() override { gPasses.Pass(); }
};
class Window : public datastore::NullMainWindow {
 public:
  void DoEvents() override { gPasses.Pass(); }
  void Form_Resize() override { gPasses.Pass(); }
  // With VANTREL_E2E_STEPS set, the time of every progress value, to see where the road goes.
  void SetProgressBar1Value(float v) override {
    if (std::getenv("VANTREL_E2E_STEPS"))
      std::fprintf(stderr, "progress %5.1f at %.3f s\n", static_cast<double>(v),
                   std::chrono::duration<double>(Clock::now() - gPasses.start).count());
  }
};

// One road from a fresh attach; returns its seconds and leaves the longest gap in gPasses.
double Road(const std::string& workbook, const Env& env) {
  datastore::ScopedStore scope(std::make_shared<Window>());
  datastore::SetAssociationToolRunner([](const std::vector<std::string>&) { return 0; });
  platform::EventPumpGuard pump(std::make_shared<Pump>());
  datastore::Store().WorkDir = env.dir.string();
  ::setenv("VANTREL_WORKBOOK", workbook.c_str(), 1);
  ss::SetConnector(std::make_shared<ss::WorkbookFileConnector>());
  const auto t0 = Clock::now();
  gPasses.start = gPasses.last = t0;
  gPasses.longestMs = 0;
  datastore::LoadExcelDataXls();
  gPasses.Pass();
  const double s = std::chrono::duration<double>(Clock::now() - t0).count();
  ss::SetConnector(nullptr);
  if (datastore::Store().LastDataRow + 2 < 1000) std::abort();  // the road did not read the rows
  return s;
}

// The sheet inflated as the program's reader inflates it (ISA-L, on the reader's own thread),
// the bytes only counted; its seconds.
double InflateSheet(const std::string& workbook) {
  const auto t0 = Clock::now();
  ss::zipxml::Archive a(workbook, "bench");
  uint64_t bytes = 0;
  a.Stream("xl/worksheets/sheet1.xml", 8ull << 30, [&](const char*, size_t n) { bytes += n; });
  benchmark::DoNotOptimize(bytes);
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// What one fresh process measured of its road.
struct FreshRoad {
  double peakMb = -1, roadS = 0, inflateS = 0;
};

// A fresh process that runs one road, then inflates the sheet, and exits: the road is the one a
// user meets (first use of the code and of fresh memory included), the peak resident memory is
// the road's. It is this program again, asked through the environment to run only that road.
void BM_RoadInAFreshProcess(benchmark::State& st) {
  double road = 0, inflate = 0;
  for (auto _ : st) {
    Env env;
    road = Road(std::getenv("VANTREL_E2E_CHILD"), env);
  }
  // The high-water mark of this process's own memory (VmHWM), read before the inflate.
  std::FILE* in = std::fopen("/proc/self/status", "r");
  char line[256];
  long kb = -1;
  while (in && std::fgets(line, sizeof line, in))
    if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
  if (in) std::fclose(in);
  inflate = InflateSheet(std::getenv("VANTREL_E2E_CHILD"));
  if (std::FILE* out = std::fopen(std::getenv("VANTREL_E2E_PEAK_FILE"), "w")) {
    std::fprintf(out, "%ld %.6f %.6f\n", kb, road, inflate);
    std::fclose(out);
  }
  std::_Exit(0);
}
[[maybe_unused]] const bool gChild =
    std::getenv("VANTREL_E2E_CHILD") &&
    benchmark::RegisterBenchmark("BM_RoadInAFreshProcess", BM_RoadInAFreshProcess)->Iterations(1);

// Runs one road in a fresh process (this program again); it reads its own high-water mark, as
// the rusage of a spawned child starts from its parent's.
FreshRoad RoadInAFreshProcess(const std::string& workbook) {
  const std::string peakFile =
      (fs::temp_directory_path() / ("vantrel_e2e_peak_" + std::to_string(::getpid()))).string();
  FreshRoad r;
  const bool exited =
      bench::RunSelf("BM_RoadInAFreshProcess", {"VANTREL_E2E_CHILD=" + workbook, "VANTREL_E2E_PEAK_FILE=" + peakFile});
  long kb = -1;
  if (std::FILE* in = std::fopen(peakFile.c_str(), "r")) {
    if (std::fscanf(in, "%ld %lf %lf", &kb, &r.roadS, &r.inflateS) != 3) kb = -1;
    std::fclose(in);
  }
  fs::remove(peakFile);
  if (exited && kb >= 0) r.peakMb = kb / 1024.0;
  return r;
}

// Three fresh processes: the median road, its ratio to the inflate of the same process, and the
// highest peak of memory, as counters named with the prefix.
void FreshCounters(benchmark::State& st, const std::string& wb, const std::string& prefix) {
  std::vector<FreshRoad> fresh;
  for (int k = 0; k < 3; ++k) fresh.push_back(RoadInAFreshProcess(wb));
  std::sort(fresh.begin(), fresh.end(), [](const FreshRoad& a, const FreshRoad& b) { return a.roadS < b.roadS; });
  double peak = 0;
  for (const FreshRoad& f : fresh) peak = f.peakMb < 0 ? -1 : peak < 0 ? peak : std::max(peak, f.peakMb);
  st.counters[prefix + "e2e_fresh_s"] = fresh[1].roadS;
  st.counters[prefix + "inflate_s"] = fresh[1].inflateS;
  st.counters[prefix + "e2e_x_inflate"] = fresh[1].inflateS > 0 ? fresh[1].roadS / fresh[1].inflateS : -1;
  st.counters[prefix + (prefix.empty() ? "e2e_peak_mb" : "peak_mb")] = peak;
}

double DecompressSheet(const std::string& workbook) {
  const auto t0 = Clock::now();
  int err = 0;
  zip_t* z = zip_open(workbook.c_str(), ZIP_RDONLY, &err);
  zip_file_t* f = zip_fopen(z, "xl/worksheets/sheet1.xml", 0);
  std::vector<char> buf(256 * 1024);
  uint64_t bytes = 0;
  for (zip_int64_t n; (n = zip_fread(f, buf.data(), buf.size())) > 0;) bytes += static_cast<uint64_t>(n);
  zip_fclose(f);
  zip_discard(z);
  benchmark::DoNotOptimize(bytes);
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

void BM_EndToEnd(benchmark::State& st) {
  const int rows = static_cast<int>(st.range(0));
  const std::string wb = Workbook(rows);
  static Env env;
  double bestRoad = 0, bestZip = 0, gap = 0;
  for (auto _ : st) {
    const double z = DecompressSheet(wb);
    const double t = Road(wb, env);
    st.SetIterationTime(t);
    if (bestZip == 0 || z < bestZip) bestZip = z;
    if (bestRoad == 0 || t < bestRoad) {
      bestRoad = t;
      gap = gPasses.longestMs;
    }
  }
  st.counters["e2e_s"] = bestRoad;
  st.counters["decompress_s"] = bestZip;
  st.counters["e2e_x_decompress"] = bestRoad / bestZip;
  st.counters["longest_gap_ms"] = gap;
  FreshCounters(st, wb, "");
}
BENCHMARK(BM_EndToEnd)->Arg(1048576)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_WideEndToEnd(benchmark::State& st) {
  const std::string wb = Workbook(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
  for (auto _ : st) FreshCounters(st, wb, "wide_");
}
BENCHMARK(BM_WideEndToEnd)->Args({1048576, 64})->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
