// Reading the ranges of a 100,000-row specification from a running LibreOffice Calc, against
// reading the same workbook from its file: each range copied into an in-memory workbook, then
// the gathered block rendered as text, as the loader's gathering does. The workbook is made once
// in the temporary folder; Calc is started on it with a profile and a pipe of the benchmark's own.
// Also: the reads of one watcher call.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/runtime/rterror.h"
#include "platform/spreadsheet/calc.h"
#include "platform/spreadsheet/workbook_file.h"

namespace ss = vantrel::spreadsheet;
namespace fs = std::filesystem;

namespace {

constexpr int kRows = 100000;
const std::string kLast = std::to_string(kRows + 1);
const char* const kParts[][2] = {{"A2:C", "A2"}, {"D2:D", "D2"}, {"E2:E", "E2"}, {"G2:J", "G2"},
                                 {"L2:M", "L2"}, {"N2:O", "N2"}, {"P2:P", "P2"}};

const std::string& Workbook() {
  static std::string path;
  if (!path.empty()) return path;
  path = (fs::temp_directory_path() / "vantrel_bench_calc_100000.xlsx").string();
  if (fs::exists(path)) return path;
  lxw_workbook* wb = workbook_new(path.c_str());
  lxw_worksheet* ws = workbook_add_worksheet(wb, "Orbit");
  for (int r = 1; r <= kRows; ++r)
    for (int c = 0; c < 16; ++c) worksheet_write_number(ws, r, c, (r * 0.000123456789 + c) * 1000.0 + 1.0 / 3, nullptr);
  std::string spec = "=";
  for (const auto& p : kParts) spec += std::string(spec.size() > 1 ? "+" : "") + "MAX(" + p[0] + kLast + ")";
  worksheet_write_formula(ws, 1, 19, spec.c_str(), nullptr);
  worksheet_activate(ws);
  worksheet_set_selection(ws, 1, 19, 1, 19);
  workbook_close(wb);
  return path;
}

// Every range into a new in-memory workbook, then the text of the block; the bytes read.
size_t Gather(const ss::Application& app) {
  ss::Worksheet src = app.ActiveWorkbook().ActiveSheet();
  ss::Workbook gather = app.GetWorkbooks().Add();
  for (const auto& p : kParts) {
    src.GetRange(std::string(p[0]) + kLast).Copy();
    gather.ActiveSheet().GetRange(p[1]).PasteSpecial();
    app.SetCutCopyMode(false);
  }
  gather.ActiveSheet().GetRange("A2:Q" + kLast).Copy();
  const size_t n = app.CopiedText().size();
  app.SetCutCopyMode(false);
  gather.Close(false);
  return n;
}

// A Calc of the benchmark's own, started by the tests' driver (private profile and pipe, one
// deadline, its reason when it fails), with the workbook open.
struct RunningCalc {
  pid_t pid = -1;
  FILE* to = nullptr;
  FILE* from = nullptr;
  std::shared_ptr<ss::CalcConnector> connector;
  std::string reason;
  fs::path profileDir, lock;
  RunningCalc() {
    const std::string pipe = "vantrel_bench_" + std::to_string(getpid());
    profileDir = fs::temp_directory_path() / ("vantrel_bench_profile_" + pipe);
    const std::string book = Workbook();
    // The lock file an ended Calc leaves beside the workbook would stop the next one with a question.
    lock = fs::path(book).parent_path() / (".~lock." + fs::path(book).filename().string() + "#");
    fs::remove(lock);
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    pid = fork();
    if (pid == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      const std::string driver = std::string(VANTREL_SOURCE_ROOT) + "/tests/platform/calc/calc_driver.py";
      execl("/usr/bin/python3", "python3", driver.c_str(), pipe.c_str(), profileDir.c_str(), nullptr);
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to = fdopen(in[1], "w");
    from = fdopen(out[0], "r");
    if ((reason = Ask("")) != "ok" || (reason = Ask("open " + book)) != "ok") return;
    ss::CalcConnector::Options o;
    o.connection = "pipe,name=" + pipe + ";urp;StarOffice.ComponentContext";
    connector = std::make_shared<ss::CalcConnector>(o);
    try {
      ss::Application app = connector->Attach();
      if (!app.ActiveWorkbook().IsNothing() && app.ActiveWorkbook().ActiveSheet().Name() == "Orbit") return;
      reason = "the workbook is not active in Calc";
    } catch (const vantrel::rt::RtError& e) {
      reason = e.what();
    }
    connector.reset();
  }
  // Sends a command line (none when empty) and reads the driver's answer line.
  std::string Ask(const std::string& command) {
    if (!command.empty()) {
      fprintf(to, "%s\n", command.c_str());
      fflush(to);
    }
    std::string line;
    for (int c; (c = fgetc(from)) != EOF && c != '\n';) line += static_cast<char>(c);
    return line;
  }
  ~RunningCalc() {
    connector.reset();
    if (to) {
      Ask("close");
      fclose(to);
    }
    if (from) fclose(from);
    if (pid > 0) waitpid(pid, nullptr, 0);
    std::error_code ec;
    fs::remove(lock, ec);
    fs::remove_all(profileDir, ec);
  }
};

RunningCalc& Calc() {
  static RunningCalc calc;
  return calc;
}

void BM_RangesFromCalc(benchmark::State& state) {
  if (!Calc().connector) {
    state.SkipWithError(("LibreOffice Calc did not start: " + Calc().reason).c_str());
    return;
  }
  size_t bytes = 0;
  for (auto _ : state) bytes = Gather(Calc().connector->Attach());
  state.counters["text_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_RangesFromTheFile(benchmark::State& state) {
  const std::string path = Workbook();
  size_t bytes = 0;
  for (auto _ : state) {
    auto app = ss::model::App::Create();
    ss::OpenWorkbookFile(*app, path);
    bytes = Gather(app->handle());
  }
  state.counters["text_MB"] = static_cast<double>(bytes) / 1e6;
}

// What the watcher reads at each call: the attachment, the caption, the sheet, the active formula.
void BM_WatcherReadsFromCalc(benchmark::State& state) {
  if (!Calc().connector) {
    state.SkipWithError(("LibreOffice Calc did not start: " + Calc().reason).c_str());
    return;
  }
  for (auto _ : state) {
    ss::Application app = Calc().connector->Attach();
    ss::Workbook wb = app.ActiveWorkbook();
    benchmark::DoNotOptimize(wb.Windows()(1).Caption());
    benchmark::DoNotOptimize(wb.ActiveSheet().Name());
    benchmark::DoNotOptimize(wb.Windows()(1).ActiveCell().Formula());
  }
}

BENCHMARK(BM_WatcherReadsFromCalc)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RangesFromCalc)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RangesFromTheFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
