#pragma once
// Runs the reader step of a load on a fresh store, with a recording main window, scripted
// message boxes and a working folder of its own; and a snapshot of what a read leaves.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "datastore/data_lines.h"
#include "datastore/datafile_reader.h"
#include "tests/support/fake_services.h"
#include "datastore/state.h"
#include "tests/support/temp_dir.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {

inline std::string Fixture(const std::string& name) { return std::string(VANTREL_FIXTURES) + "/datafile/" + name; }

class ReaderTest : public ::testing::Test {
 protected:
  ReaderTest() : main(std::make_shared<FakeMainWindow>()), scope(main) {}

  DataStore& s() { return scope.store(); }
  const std::vector<forms::ScriptedMessageBoxes::Box>& boxes() { return msg.boxes().boxes(); }

  // A fresh load's working values with the file names in the working folder.
  void NewLoad() {
    w = std::make_unique<LoadWork>();
    w->CurrentDataFile = dir.File("_Vantrel.vnx");
    w->DemoDataFile = dir.File("VantrelDemo.vnx");
  }
  // Reads the named file as File Open does.
  void ReadNamed(const std::string& path) {
    NewLoad();
    s().CmdLineInfo.DataFileMode = 1;
    s().CmdLineFirst = path;
    ReadDataFileStep(s(), *w);
  }
  // Reads bytes as the current data file of a worksheet load.
  void ReadCurrent(const std::string& bytes) {
    NewLoad();
    s().CmdLineInfo.DataFileMode = 0;
    s().SourceMode = 0;
    dir.Write("_Vantrel.vnx", bytes);
    ReadDataFileStep(s(), *w);
  }
  bool LogHas(const std::string& line) const { return main->text20.find("\r\n" + line) != std::string::npos; }

  test::TempDir dir;
  test::LocaleGuard locale{".", ","};
  test::MsgBoxGuard msg;
  std::shared_ptr<FakeMainWindow> main;
  ScopedStore scope;
  std::unique_ptr<LoadWork> w;
};

// --- Everything a read leaves: tables, counters, log, boxes, progress, as lines of text ------

inline uint64_t Mix(uint64_t h, const void* p, size_t n) {
  const auto* b = static_cast<const unsigned char*>(p);
  for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ULL;
  return h;
}

// The rows up to the last one that reads as something (storage taken ahead reads as 0).
template <int N>
int64_t RowsHolding(const NumTable<N>& t) {
  int64_t rows = t.StoredRows();
  while (rows > 0 && std::all_of(t.RowPtr(rows - 1), t.RowPtr(rows - 1) + N, [](double v) { return v == 0; })) --rows;
  return rows;
}

template <int N>
inline void AddTable(std::vector<std::string>& out, const char* name, const NumTable<N>& t) {
  uint64_t h = 14695981039346656037ULL;
  const int64_t rows = RowsHolding(t);
  for (int64_t r = 0; r < rows; ++r) h = Mix(h, t.RowPtr(r), sizeof(double) * N);
  out.push_back(std::string(name) + " rows " + std::to_string(rows) + " hash " + std::to_string(h));
  for (int64_t r = 0; r < rows && r < 40; ++r) {
    std::string line = std::string(name) + "[" + std::to_string(r) + "]";
    for (int c = 0; c < N; ++c) {
      line += ' ';
      line += std::to_string(t.Get(r, c));
    }
    out.push_back(line);
  }
}

inline void AddTexts(std::vector<std::string>& out, const char* name, int64_t rows, auto get) {
  uint64_t h = 14695981039346656037ULL;
  while (rows > 0 && get(rows - 1).empty()) --rows;
  for (int64_t r = 0; r < rows; ++r) {
    const std::string& s = get(r);
    h = Mix(h, s.data(), s.size() + 1);
    if (r < 40) out.push_back(std::string(name) + "[" + std::to_string(r) + "] '" + s + "'");
  }
  out.push_back(std::string(name) + " rows " + std::to_string(rows) + " hash " + std::to_string(h));
}

// Everything a read leaves: tables, counters, log, boxes, progress.
// filled: the lines stored while the file was written, or null.
inline std::vector<std::string> ReadSnapshot(const test::TempDir& dir, const std::string& path, unsigned threads,
                                             size_t chunk, std::shared_ptr<MemoryTables> filled = nullptr) {
  auto main = std::make_shared<FakeMainWindow>();
  ScopedStore scope(main);
  test::MsgBoxGuard msg;
  DataStore& s = scope.store();
  LoadWork w;
  w.CurrentDataFile = path;
  w.DemoDataFile = dir.File("VantrelDemo.vnx");
  ReaderHooks hooks;
  hooks.readThreads = threads;
  hooks.chunkBytes = chunk;
  w.filled = std::move(filled);
  ReadDataFileStep(s, w, hooks);

  std::vector<std::string> out;
  out.push_back("rows " + std::to_string(w.ReadRows) + " events " + std::to_string(w.EventRows) + " list " +
                std::to_string(w.EventsListLast) + " quater " + std::to_string(s.QuaterRows) + " ap " +
                std::to_string(s.SApYRows) + " am " + std::to_string(s.SAmYRows) + " valz " +
                std::to_string(s.ValZRows) + " last " + std::to_string(s.LastDataRow) + " failures " +
                std::to_string(s.LinInputFailures));
  AddTable(out, "data", s.DataTable);
  AddTable(out, "events", s.EventsTable);
  AddTable(out, "quater", s.QuaterTable);
  AddTable(out, "apy", s.SApYTable);
  AddTable(out, "amy", s.SAmYTable);
  AddTable(out, "valz", s.ValZTable);
  AddTexts(out, "eventTime", s.EventsList.StoredRows(),
           [&, keep = std::string()](int64_t r) mutable -> const std::string& {
             const double t = s.EventsList.Time(r);
             keep = t == 0 ? std::string() : std::to_string(t);
             return keep;
           });
  AddTexts(out, "eventLabel", s.EventsList.StoredRows(),
           [&](int64_t r) -> const std::string& { return s.EventsList.Label(r); });
  AddTexts(out, "pointLabel", s.PointLabels.StoredRows(),
           [&](int64_t r) -> const std::string& { return s.PointLabels.Get(r); });
  size_t a = 0, b;
  while ((b = main->text20.find("\r\n", a)) != std::string::npos) {
    out.push_back("log " + main->text20.substr(a, b - a));
    a = b + 2;
  }
  out.push_back("log " + main->text20.substr(a));
  for (const auto& box : msg.boxes().boxes())
    out.push_back("box " + box.title + " " + std::to_string(box.style) + " " + box.text);
  std::string progress = "progress";
  for (float v : main->progressValues) {
    progress += ' ';
    progress += std::to_string(v);
  }
  out.push_back(progress);
  return out;
}

// A header line of the data file for formula and title, without its line end.
inline std::string Header(const std::string& formula, const std::string& title) {
  return "From: \tBook1\tSheet1\t" + formula + "\t1.0000000000\t" + title +
         "\tDate 2024/03/05 14:07:09\tVantrel data file 2024\t" + std::string(16, '\t');
}

}  // namespace vantrel::datastore
