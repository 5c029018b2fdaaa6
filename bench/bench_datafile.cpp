// Reading a full-size data file (1,048,576 rows of 17 columns) into the tables, against reading
// the same file into memory; peak memory of a read in a fresh process; writing speed.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "datastore/datafile_reader.h"
#include "datastore/data_lines.h"
#include "datastore/datafile_stream.h"
#include "datastore/datafile_writer.h"
#include "datastore/line_split.h"
#include "datastore/state.h"
#include "datastore/textfile.h"
#include "platform/forms/msgbox.h"

namespace ds = vantrel::datastore;

namespace {

constexpr int64_t kRows = ds::kTableRows;

// Row r of the synthetic orbit: positions in km, times in days, quaternions, both solar-array
// angles and a value series (column F, an event label, is written as text by the callers).
std::array<double, 17> SyntheticRow(int64_t r) {
  const double t = 45356.0 + r / 1440.0;
  const double a = r * 1e-4;
  return {6578.137 * std::cos(a),
          6578.137 * std::sin(a),
          12.5 * std::sin(3 * a),
          t,
          t,
          0,
          t,
          std::cos(a / 2),
          0,
          0,
          std::sin(a / 2),
          t,
          a * 10,
          t,
          -a * 10,
          t,
          std::fmod(a, 7.0)};
}

// A transfer-orbit-like file: positions in km, times in days, an event label on every row,
// quaternions, both solar-array angles and a value series.
const std::string& DataFile() {
  static std::string path = [] {
    std::string p =
        (std::filesystem::temp_directory_path() / ("vantrel_bench_" + std::to_string(::getpid()) + ".vnx")).string();
    ds::AtomicTextWriter w;
    w.Open(p);
    ds::HeaderFields h;
    h.sourceCaption = "Bench.xlsx";
    h.sheetName = "Sheet1";
    h.cellFormula = "=MAX(A2:C1048577)+MAX(D2:D1048577)+MAX(E2:F1048577)+MAX(G2:K1048577)+MAX(L2:M1048577)"
                    "+MAX(N2:O1048577)+MAX(P2:Q1048577)+LEN(\"Bench km days\")";
    h.plotTitle = "Bench km days";
    std::string chunk = ds::RenderHeaderLine(h, 45356.5) + "\r\n";
    for (int64_t r = 0; r < kRows; ++r) {
      const std::array<double, 17> v = SyntheticRow(r);
      for (int k = 0; k < 17; ++k) {
        if (k) chunk += '\t';
        if (k == 5) {
          chunk += (r / 1000) % 2 ? "Burn S" : "Coast E";
        } else {
          ds::AppendDataNumber(chunk, v[k], ".");
        }
      }
      chunk += "\r\n";
      if (chunk.size() > (1 << 20)) {
        w.Write(chunk);
        chunk.clear();
      }
    }
    chunk += "\r\n";
    w.Write(chunk);
    w.Commit();
    std::atexit([] { std::filesystem::remove(DataFile()); });
    return p;
  }();
  return path;
}

double FileMB() { return std::filesystem::file_size(DataFile()) / 1e6; }

// Reads the file into one string, as fast as the system gives it.
size_t BareRead() {
  std::FILE* f = std::fopen(DataFile().c_str(), "rb");
  std::string s(std::filesystem::file_size(DataFile()), '\0');
  size_t n = std::fread(s.data(), 1, s.size(), f);
  std::fclose(f);
  benchmark::DoNotOptimize(s.data());
  return n;
}

void ReadIntoTables(ds::DataStore& s) {
  ds::LoadWork w;
  w.CurrentDataFile = DataFile();
  ds::ReadDataFileStep(s, w);
  w.file1.Close();
  if (w.ReadRows != kRows) std::abort();
}

double Seconds(auto&& f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_BareReadIntoMemory(benchmark::State& st) {
  DataFile();
  for (auto _ : st) BareRead();
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(FileMB() * 1e6));
  st.counters["rows/s"] = benchmark::Counter(static_cast<double>(kRows) * st.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareReadIntoMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same bytes through one reused 1 MiB buffer: the cost of the system read alone.
void BM_BareReadReusedBuffer(benchmark::State& st) {
  DataFile();
  std::string buf(1 << 20, '\0');
  for (auto _ : st) {
    std::FILE* f = std::fopen(DataFile().c_str(), "rb");
    while (std::fread(buf.data(), 1, buf.size(), f) == buf.size()) benchmark::DoNotOptimize(buf.data());
    std::fclose(f);
  }
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(FileMB() * 1e6));
}
BENCHMARK(BM_BareReadReusedBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();

// A reload: the tables already have their storage from the load before.
void BM_ReadIntoTables(benchmark::State& st) {
  DataFile();
  ds::ScopedStore scope;
  ReadIntoTables(scope.store());
  double bare = 0, tables = 0;
  for (auto _ : st) {
    bare += Seconds(BareRead);
    const double t = Seconds([&] { ReadIntoTables(scope.store()); });
    tables += t;
    st.SetIterationTime(t);
  }
  const double n = static_cast<double>(st.iterations());
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(FileMB() * 1e6));
  st.counters["rows/s"] = kRows / (tables / n);
  st.counters["MB/s"] = FileMB() / (tables / n);
  st.counters["bare_ms"] = 1000 * bare / n;
  st.counters["tables_ms"] = 1000 * tables / n;
  st.counters["ratio"] = tables / bare;
  st.counters["x_bare"] = tables / bare;  // reading into the tables, in bare reads of the same run
}
BENCHMARK(BM_ReadIntoTables)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// The first load of a run: the tables take their storage as the rows come.
void BM_FirstReadIntoTables(benchmark::State& st) {
  DataFile();
  for (auto _ : st) {
    ds::ScopedStore scope;
    ReadIntoTables(scope.store());
  }
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(FileMB() * 1e6));
  st.counters["rows/s"] = benchmark::Counter(static_cast<double>(kRows) * st.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FirstReadIntoTables)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Peak resident memory of a process that only reads the file into fresh tables.
void BM_PeakMemoryOfARead(benchmark::State& st) {
  DataFile();
  long peakKb = 0;
  for (auto _ : st) {
    pid_t pid = ::fork();
    if (pid == 0) {
      ds::ScopedStore scope;
      ReadIntoTables(scope.store());
      ::_exit(0);
    }
    int status = 0;
    struct rusage ru {};
    ::wait4(pid, &status, 0, &ru);
    peakKb = ru.ru_maxrss;
  }
  struct rusage self {};
  ::getrusage(RUSAGE_SELF, &self);
  st.counters["peak_MB"] = peakKb / 1024.0;
  st.counters["file_MB"] = FileMB();
}
BENCHMARK(BM_PeakMemoryOfARead)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// Writing a gathered block of 100,000 rows of 17 numbers.
void BM_WriteDataFile(benchmark::State& st) {
  ds::GatheredBlock b;
  for (int64_t r = 0; r < 100000; ++r)
    for (int k = 0; k < 17; ++k) b.SetNumber(r, k, 6578.137 * r + k);
  ds::HeaderFields h;
  h.cellFormula = "=MAX(A2:C100001)";
  const std::string path = DataFile() + ".w";
  for (auto _ : st) ds::WriteDataFile(path, h, b);
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
  st.counters["rows/s"] = benchmark::Counter(100000.0 * st.iterations(), benchmark::Counter::kIsRate);
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteDataFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Writing the data file from a gathered block as the spreadsheet hands out its rows (one call
// per row, as SheetLink::ForEachCopiedRow does): the rows streamed into batches, formatted on
// several cores for a large block, and written in order. write_GBps counts file bytes, the sync
// to the disk included; write_tmpfs_GBps the same writes into memory (/dev/shm).
// one_string_ms: the same rows rendered into one string and written at once, in the same run.
// extra_MB: the resident memory the write added, from a child process.
void BM_WriteGatheredRows(benchmark::State& st) {
  const int64_t rows = st.range(0);
  std::vector<double> numbers(static_cast<size_t>(rows) * 17);
  for (int64_t r = 0; r < rows; ++r) {
    const std::array<double, 17> v = SyntheticRow(r);
    std::copy(v.begin(), v.end(), numbers.begin() + r * 17);
  }
  // The walk: one reused row, an event label in column F.
  auto walk = [&](auto&& each) {
    std::vector<ds::SheetCell> row(17);
    for (int k = 0; k < 17; ++k) row[k].numeric = k != 5;
    for (int64_t r = 0; r < rows; ++r) {
      const double* v = &numbers[static_cast<size_t>(r) * 17];
      for (int k = 0; k < 17; ++k) row[k].number = v[k];
      row[5].text = (r / 1000) % 2 ? "Burn S" : "Coast E";
      each(row);
    }
  };
  const std::string head = std::string("From: \tBench.xlsx\tSheet1\t=MAX(A2:C") + std::to_string(rows + 1) +
                           ")\t1.0000000000\tBench\tDate 2026/12/10 12:00:00\tVantrel data file 2026\t" +
                           std::string(16, '\t') + "\r\n";
  const std::string path =
      (std::filesystem::temp_directory_path() / ("vantrel_bench_write_" + std::to_string(::getpid()) + ".vnx"))
          .string();
  int pumps = 0;
  std::shared_ptr<ds::MemoryTables> kept;
  auto write = [&](const std::string& to, bool keep = false) {
    ds::DataFileStream out(rows, ".", [&] { ++pumps; });
    if (keep) out.KeepTables();
    if (out.Open(to, head)) std::abort();
    walk([&](const std::vector<ds::SheetCell>& row) { out.Add(row); });
    if (out.Finish("\r\n")) std::abort();
    kept = out.TakeTables();
    return out.threads();
  };
  // The write and the tables filled, as a load does it: the file read back into the tables, or
  // the tables stored while it is written (fresh tables each time, as in a new process).
  auto load = [&](bool keep, double& reading) {
    return Seconds([&] {
      write(path, keep);
      ds::ScopedStore scope;
      ds::LoadWork w;
      w.CurrentDataFile = path;
      w.filled = std::move(kept);
      reading += Seconds([&] { ds::ReadDataFileStep(scope.store(), w); }) / 3;
      w.file1.Close();
      if (w.ReadRows != static_cast<double>(rows)) std::abort();
    });
  };
  double readBack = 0, keeping = 0, readBackReading = 0, keepingReading = 0;
  for (int i = 0; i < 3; ++i) {
    readBack += load(false, readBackReading) / 3;
    keeping += load(true, keepingReading) / 3;
  }
  unsigned threads = 1;
  double total = 0;
  for (auto _ : st) {
    const double t = Seconds([&] { threads = write(path); });
    total += t;
    st.SetIterationTime(t);
  }
  const double bytes = static_cast<double>(std::filesystem::file_size(path));
  // The same writes into memory (tmpfs), where the sync to the disk costs nothing: what the
  // formatting and writing reach apart from the disk.
  double tmpfs = 0;
  const std::filesystem::path shm = "/dev/shm";
  if (::access(shm.c_str(), W_OK) == 0) {
    const std::string inMemory = (shm / std::filesystem::path(path).filename()).string();
    const int saved = pumps;
    for (int i = 0; i < 3; ++i) tmpfs += Seconds([&] { write(inMemory); });
    pumps = saved;
    std::filesystem::remove(inMemory);
  }
  const double oneString = Seconds([&] {
    std::string text = head;
    std::vector<ds::DataCell> cells(17);
    walk([&](const std::vector<ds::SheetCell>& row) {
      for (size_t k = 0; k < row.size(); ++k) {
        cells[k].kind = row[k].numeric ? ds::DataCell::kNumber : ds::DataCell::kText;
        cells[k].number = row[k].number;
        cells[k].text = row[k].text;
      }
      ds::AppendDataLine(text, cells.data(), cells.size(), ".");
      text += "\r\n";
    });
    text += "\r\n";
    if (ds::WriteTextFileAtomic(path + "1", text)) std::abort();
  });
  std::filesystem::remove(path + "1");
  long extraKb = 0;
  {
    long rssKb = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind("VmRSS:", 0) == 0) rssKb = std::stol(line.substr(6));
    pid_t pid = ::fork();
    if (pid == 0) {
      write(path);
      ::_exit(0);
    }
    int wstatus = 0;
    struct rusage ru {};
    ::wait4(pid, &wstatus, 0, &ru);
    extraKb = ru.ru_maxrss - rssKb;
  }
  const double n = static_cast<double>(st.iterations());
  st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(bytes));
  st.counters["write_ms"] = 1000 * total / n;
  st.counters["write_GBps"] = bytes / 1e9 / (total / n);
  if (tmpfs > 0) st.counters["write_tmpfs_GBps"] = bytes / 1e9 / (tmpfs / 3);
  st.counters["one_string_ms"] = 1000 * oneString;
  st.counters["write_read_back_ms"] = 1000 * readBack;
  st.counters["write_keeping_ms"] = 1000 * keeping;
  st.counters["read_back_ms"] = 1000 * readBackReading;
  st.counters["read_kept_ms"] = 1000 * keepingReading;
  st.counters["file_MB"] = bytes / 1e6;
  st.counters["threads"] = threads;
  st.counters["extra_MB"] = extraKb / 1024.0;
  st.counters["pumps"] = pumps / n;
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteGatheredRows)
    ->Arg(1048576)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

void BM_ValNumWField(benchmark::State& st) {
  const char* fields[] = {"6578.1370000000", "-0.2500000000", "45356.0006944444", "1,5000000000"};
  size_t i = 0;
  for (auto _ : st) benchmark::DoNotOptimize(ds::ValNumW(fields[i++ & 3]));
}
BENCHMARK(BM_ValNumWField);

}  // namespace
