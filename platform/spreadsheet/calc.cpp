#include "platform/spreadsheet/calc.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

#include "platform/events/events.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/shell/shell.h"
#include "platform/spreadsheet/calc/calc_eval.h"
#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/model.h"

namespace vantrel::spreadsheet {

namespace {

using calc::CellAt;
using formula::Rect;

[[noreturn]] void Refused(const std::string& what) {
  throw rt::RtError(rt::kErrRejected, what + ": the document in Calc is only read");
}

// What the handles of one session share: the connection, the in-memory instance that holds the
// workbooks the program adds, and the copy of the range last copied.
struct Live {
  std::shared_ptr<calc::Session> session;
  std::shared_ptr<model::App> scratch = model::App::Create();
  std::shared_ptr<model::Book> copied;
  std::shared_ptr<calc::Document> focus;  // the workbook last activated
  calc::TitleEvaluator titles;
  Application Scratch() { return scratch->handle(); }
};
using LiveP = std::shared_ptr<Live>;

SheetP MakeSheet(const LiveP& live, std::shared_ptr<calc::Document> doc, int64_t sheet);

class CalcRange : public IRange {
 public:
  CalcRange(LiveP live, std::shared_ptr<calc::Document> doc, int64_t sheet, Rect r)
      : live_(std::move(live)), doc_(std::move(doc)), sheet_(sheet), r_(r) {}

  std::string Formula() override { return formula::ApiToA1(doc_->Formula(TopLeft())); }
  void SetFormula(std::string_view) override { Refused("Formula"); }
  CellValue Value() override { return doc_->Value(TopLeft()); }
  void SetValue(const CellValue&) override { Refused("Value"); }
  std::string Text() override { return doc_->Text(TopLeft()); }
  int64_t Row() override { return r_.r1; }
  int64_t Column() override { return r_.c1; }
  int64_t RowsCount() override { return r_.r2 - r_.r1 + 1; }
  int64_t ColumnsCount() override { return r_.c2 - r_.c1 + 1; }
  std::string Address() override {
    auto cell = [](int64_t row, int64_t col) { return "$" + formula::ColumnLetters(col) + "$" + std::to_string(row); };
    std::string a = cell(r_.r1, r_.c1);
    if (r_.r2 != r_.r1 || r_.c2 != r_.c1) a += ":" + cell(r_.r2, r_.c2);
    return a;
  }
  // The cell cursor moves to the range's top-left cell; the document is not changed.
  void Activate() override { doc_->Select(TopLeft()); }
  void Select() override { doc_->Select(TopLeft()); }
  RangeP Cells(int64_t row, int64_t column) override {
    const int64_t r = r_.r1 + row - 1, c = r_.c1 + column - 1;
    if (r < 1 || r > formula::kMaxRows || c < 1 || c > formula::kMaxColumns)
      throw rt::RtError(rt::kErrRejected, "The cell reference is outside the sheet");
    return std::make_shared<CalcRange>(live_, doc_, sheet_, Rect{r, c, r, c});
  }
  RangeP Find(const FindArgs& a) override;
  void Copy() override;
  void PasteSpecial(int, int, bool, bool) override { Refused("PasteSpecial"); }
  double ColumnWidth() override { Refused("ColumnWidth"); }
  void SetColumnWidth(double) override { Refused("ColumnWidth"); }
  std::string NumberFormat() override { Refused("NumberFormat"); }
  void SetNumberFormat(std::string_view) override { Refused("NumberFormat"); }
  SheetP Worksheet() override { return MakeSheet(live_, doc_, sheet_); }

 private:
  CellAt TopLeft() const { return CellAt{sheet_, r_.r1, r_.c1}; }
  LiveP live_;
  std::shared_ptr<calc::Document> doc_;
  int64_t sheet_;
  Rect r_;
};

// The first cell of x after (row, col) in the order of rows.
std::optional<std::pair<int64_t, int64_t>> FirstAfter(const Rect& x, int64_t row, int64_t col) {
  if (row < x.r1) return std::pair{x.r1, x.c1};
  if (row > x.r2) return std::nullopt;
  if (col < x.c1) return std::pair{row, x.c1};
  if (col < x.c2) return std::pair{row, col + 1};
  if (row < x.r2) return std::pair{row + 1, x.c1};
  return std::nullopt;
}

RangeP CalcRange::Find(const FindArgs& a) {
  // A range of one cell searches its whole sheet; the search starts after the top-left cell.
  const bool whole = r_.r1 == r_.r2 && r_.c1 == r_.c2;
  std::optional<std::pair<int64_t, int64_t>> best, first;
  for (Rect x : doc_->FindAll(sheet_, a)) {
    if (!whole) {
      x = Rect{std::max(x.r1, r_.r1), std::max(x.c1, r_.c1), std::min(x.r2, r_.r2), std::min(x.c2, r_.c2)};
      if (x.r1 > x.r2 || x.c1 > x.c2) continue;
    }
    auto f = FirstAfter(x, r_.r1, r_.c1);
    if (f && (!best || *f < *best)) best = f;
    const std::pair<int64_t, int64_t> top{x.r1, x.c1};
    if (!first || top < *first) first = top;
  }
  if (!best) best = first;  // wraps round to the start
  if (!best) return nullptr;
  return std::make_shared<CalcRange>(live_, doc_, sheet_, Rect{best->first, best->second, best->first, best->second});
}

void CalcRange::Copy() {
  // The values are read in one call into a sheet of our own, where PasteSpecial and the text
  // copy of the in-memory workbooks find them.
  auto book = std::make_shared<model::Book>(live_->scratch, "Copied");
  model::Sheet& s = book->AddSheet("Copied");
  const CellAt end = doc_->UsedEnd(sheet_);
  const Rect read{r_.r1, r_.c1, std::min(r_.r2, end.row), std::min(r_.c2, end.column)};
  if (read.r1 <= read.r2 && read.c1 <= read.c2) {
    const std::vector<CellValue> values = doc_->Values(sheet_, read);
    const int64_t width = read.c2 - read.c1 + 1;
    for (size_t k = 0; k < values.size(); ++k) {
      const CellValue& v = values[k];
      if (v.IsEmpty()) continue;
      s.SetValue(read.r1 + static_cast<int64_t>(k) / width, read.c1 + static_cast<int64_t>(k) % width, v);
    }
  }
  live_->copied = book;
  live_->scratch->copy = {book->sheets().front(), r_};
  live_->scratch->copyMode = true;
}

class CalcSheet : public ISheet {
 public:
  CalcSheet(LiveP live, std::shared_ptr<calc::Document> doc, int64_t sheet)
      : live_(std::move(live)), doc_(std::move(doc)), sheet_(sheet) {}
  std::string Name() override { return doc_->SheetName(sheet_); }
  RangeP Cells() override { return At(Rect{1, 1, formula::kMaxRows, formula::kMaxColumns}); }
  RangeP Cells(int64_t row, int64_t column) override { return Cells()->Cells(row, column); }
  RangeP Range(std::string_view a1) override {
    auto r = formula::ParseRange(a1);
    if (!r) throw rt::RtError(rt::kErrRejected, "Method 'Range' of object '_Worksheet' failed");
    return At(*r);
  }
  RangeP Columns(std::string_view letters) override { return Range(letters); }
  void Activate() override { Refused("Activate"); }

 private:
  RangeP At(const Rect& r) { return std::make_shared<CalcRange>(live_, doc_, sheet_, r); }
  LiveP live_;
  std::shared_ptr<calc::Document> doc_;
  int64_t sheet_;
};

SheetP MakeSheet(const LiveP& live, std::shared_ptr<calc::Document> doc, int64_t sheet) {
  return std::make_shared<CalcSheet>(live, std::move(doc), sheet);
}

class CalcWindow : public IWindow {
 public:
  CalcWindow(LiveP live, std::shared_ptr<calc::Document> doc) : live_(std::move(live)), doc_(std::move(doc)) {}
  std::string Caption() override { return doc_->Title(); }
  RangeP ActiveCell() override {
    const CellAt c = doc_->ActiveCell();
    return std::make_shared<CalcRange>(live_, doc_, c.sheet, Rect{c.row, c.column, c.row, c.column});
  }
  SheetP ActiveSheet() override { return MakeSheet(live_, doc_, doc_->ActiveSheet()); }
  void Activate() override { live_->focus = doc_; }
  void Close(bool, bool) override { Refused("Close"); }

 private:
  LiveP live_;
  std::shared_ptr<calc::Document> doc_;
};

class CalcWorkbook : public IWorkbook {
 public:
  CalcWorkbook(LiveP live, std::shared_ptr<calc::Document> doc) : live_(std::move(live)), doc_(std::move(doc)) {}
  std::string Name() override { return doc_->Title(); }
  int64_t WindowsCount() override { return 1; }
  WindowP Window(int64_t n) override {
    if (n != 1) throw rt::RtError(rt::kErrSubscript);
    return std::make_shared<CalcWindow>(live_, doc_);
  }
  SheetP ActiveSheet() override { return MakeSheet(live_, doc_, doc_->ActiveSheet()); }
  int64_t SheetsCount() override { return doc_->SheetCount(); }
  SheetP Sheet(int64_t n) override {
    if (n < 1 || n > doc_->SheetCount()) throw rt::RtError(rt::kErrSubscript);
    return MakeSheet(live_, doc_, n - 1);
  }
  SheetP Sheet(std::string_view name) override {
    const std::string u = rt::UCase(name);
    for (int64_t i = 0, n = doc_->SheetCount(); i < n; ++i)
      if (rt::UCase(doc_->SheetName(i)) == u) return MakeSheet(live_, doc_, i);
    throw rt::RtError(rt::kErrSubscript);
  }
  void Activate() override { live_->focus = doc_; }
  void Close(bool) override { Refused("Close"); }

 private:
  LiveP live_;
  std::shared_ptr<calc::Document> doc_;
};

class CalcApplication : public IApplication {
 public:
  explicit CalcApplication(LiveP live) : live_(std::move(live)) {}

  std::string Name() override { return "LibreOffice Calc " + live_->session->ProductVersion(); }
  // 12 and more: sheets of 1,048,576 rows, as every Calc of this connection has.
  std::string Version() override {
    auto doc = live_->session->ActiveDocument();
    return !doc || doc->RowCount(0) >= formula::kMaxRows ? "12.0" : "11.0";
  }
  bool Visible() override { return true; }
  void SetVisible(bool) override {}
  // The user's Calc is never ended from here, their work unsaved: only the connection is dropped.
  void Quit() override {}
  WorkbookP ActiveWorkbook() override {
    auto doc = live_->session->ActiveDocument();
    if (!doc) return nullptr;
    return std::make_shared<CalcWorkbook>(live_, doc);
  }
  WindowP ActiveWindow() override {
    auto doc = live_->session->ActiveDocument();
    if (!doc) return nullptr;
    return std::make_shared<CalcWindow>(live_, doc);
  }
  int64_t WorkbooksCount() override { return static_cast<int64_t>(live_->session->Documents().size()); }
  WorkbookP Workbook(std::string_view name) override {
    const std::string u = rt::UCase(name);
    for (auto& d : live_->session->Documents())
      if (rt::UCase(d->Title()) == u) return std::make_shared<CalcWorkbook>(live_, d);
    throw rt::RtError(rt::kErrSubscript);
  }
  WorkbookP Workbook(int64_t n) override {
    auto docs = live_->session->Documents();
    if (n < 1 || n > static_cast<int64_t>(docs.size())) throw rt::RtError(rt::kErrSubscript);
    return std::make_shared<CalcWorkbook>(live_, docs[static_cast<size_t>(n - 1)]);
  }
  // A workbook of our own, in memory: nothing is created in Calc.
  WorkbookP AddWorkbook() override { return live_->Scratch().GetWorkbooks().Add().get(); }
  int64_t WindowsCount() override { return WorkbooksCount(); }
  WindowP Window(int64_t n) override {
    auto docs = live_->session->Documents();
    if (n < 1 || n > static_cast<int64_t>(docs.size())) throw rt::RtError(rt::kErrSubscript);
    return std::make_shared<CalcWindow>(live_, docs[static_cast<size_t>(n - 1)]);
  }
  RangeP Selection() override {
    auto w = ActiveWindow();
    return w ? w->ActiveCell() : nullptr;
  }
  bool CutCopyMode() override { return live_->Scratch().CutCopyMode(); }
  void SetCutCopyMode(bool on) override {
    live_->Scratch().SetCutCopyMode(on);
    if (!on) live_->copied.reset();
  }
  std::string CopiedText() override { return live_->Scratch().CopiedText(); }
  void ForEachCopiedRow(const std::function<void(const std::vector<CellValue>&)>& each) override {
    live_->Scratch().ForEachCopiedRow(each);
  }
  // Evaluated by Calc, on the active sheet of the workbook last activated; our own evaluation,
  // reading the cells it names, stands where Calc cannot evaluate it.
  CellValue Evaluate(std::string_view expression) override {
    auto doc = live_->focus ? live_->focus : live_->session->ActiveDocument();
    if (!doc) throw rt::RtError(rt::kErrNoObject);
    const int64_t active = doc->ActiveSheet();
    auto own = [&] {
      return formula::EvaluateText(expression, [&](std::string_view sheet, int64_t row, int64_t col) {
        const int64_t index = sheet.empty() ? active : calc::SheetIndex(*doc, sheet);
        if (index < 0) throw rt::RtError(rt::kErrRejected);
        return doc->Value(CellAt{index, row, col});
      });
    };
    return live_->titles.Evaluate(*live_->session, *doc, active, expression, own);
  }

 private:
  LiveP live_;
};

// --- calls with a deadline ---

constexpr const char* kNotAnsweringTitle = "LibreOffice Calc is not answering";
constexpr const char* kNotAnswering =
    "LibreOffice Calc is not answering. Vantrel goes on without it, and reads from it again once it answers.";
// How often the event loop runs while a call is under way.
constexpr std::chrono::milliseconds kPumpEvery{10};
// What a bulk read of cells adds to the deadline, per cell.
constexpr std::chrono::nanoseconds kPerCellRead{10000};

void Log(const std::string& line) { std::fprintf(stderr, "vantrel: %s\n", line.c_str()); }

// The thread that makes the calls into Calc, one at a time, and the deadline of each. The caller
// waits on the thread it calls from, running the event loop, for as long as the deadline allows;
// then it gives up the call, which may come back later or never. Until it comes back the gate is
// "not answering": every call fails at once, so that none waits behind it.
class Gate {
 public:
  explicit Gate(std::chrono::milliseconds answerTime) : answerTime_(answerTime), sh_(std::make_shared<Shared>()) {
    std::thread([sh = sh_] { Work(*sh); }).detach();
  }
  ~Gate() {
    std::lock_guard<std::mutex> lock(sh_->m);
    sh_->stop = true;
    sh_->wake.notify_all();
  }
  Gate(const Gate&) = delete;
  Gate& operator=(const Gate&) = delete;

  std::chrono::milliseconds answerTime() const { return answerTime_; }

  // Logs the end of the connection, once for each connection made.
  void LogLost(const std::string& why) {
    {
      std::lock_guard<std::mutex> lock(sh_->m);
      if (sh_->lostLogged) return;
      sh_->lostLogged = true;
    }
    Log(why);
  }
  void Connected() {
    std::lock_guard<std::mutex> lock(sh_->m);
    sh_->lostLogged = false;
  }

  // f() on the gate's thread, within the answer time plus `extra`; RtError kErrConnectionLost when
  // Calc is not answering. f must own what it uses: it may run on after the caller gave it up.
  template <class F>
  auto Call(F f, std::chrono::nanoseconds extra = {}) -> std::invoke_result_t<F&> {
    using R = std::invoke_result_t<F&>;
    auto out = std::make_shared<std::optional<std::conditional_t<std::is_void_v<R>, bool, R>>>();
    auto task = std::make_shared<Task>();
    task->run = [f = std::move(f), out]() mutable {
      if constexpr (std::is_void_v<R>) {
        f();
        out->emplace(true);
      } else {
        out->emplace(f());
      }
    };
    Wait(task, answerTime_ + extra);
    if constexpr (!std::is_void_v<R>) return std::move(**out);
  }

  // f() on the gate's thread after the calls queued, with nobody waiting for it.
  void Post(std::function<void()> f) {
    auto task = std::make_shared<Task>();
    task->run = std::move(f);
    task->allowed = answerTime_;
    std::lock_guard<std::mutex> lock(sh_->m);
    sh_->queue.push_back(std::move(task));
    sh_->wake.notify_one();
  }

 private:
  struct Task {
    std::function<void()> run;
    std::chrono::steady_clock::duration allowed;
    std::chrono::steady_clock::time_point end;  // its deadline, from its start on the gate's thread
    std::exception_ptr error;
    bool done = false;
    bool abandoned = false;  // its caller gave it up: not run, or its answer dropped
  };
  struct Shared {
    std::mutex m;
    std::condition_variable wake;  // a task queued, or the gate ends
    std::condition_variable done;  // a task ended
    std::deque<std::shared_ptr<Task>> queue;
    std::shared_ptr<Task> running;
    bool notAnswering = false;  // a call was given up and has not come back
    bool boxOpen = false;
    bool lostLogged = false;
    bool stop = false;
  };

  static void Work(Shared& sh) {
    std::unique_lock<std::mutex> lock(sh.m);
    for (;;) {
      sh.wake.wait(lock, [&] { return sh.stop || !sh.queue.empty(); });
      if (sh.queue.empty()) return;  // stopped and idle
      std::shared_ptr<Task> t = std::move(sh.queue.front());
      sh.queue.pop_front();
      if (!t->abandoned) {
        t->end = std::chrono::steady_clock::now() + t->allowed;
        sh.running = t;
        lock.unlock();
        std::exception_ptr error;
        try {
          t->run();
        } catch (...) {
          error = std::current_exception();
        }
        lock.lock();
        sh.running.reset();
        t->error = error;
        t->done = true;
      }
      // Every call given up has come back: Calc answers again.
      if (sh.queue.empty()) sh.notAnswering = false;
      sh.done.notify_all();
    }
  }

  void Wait(const std::shared_ptr<Task>& task, std::chrono::nanoseconds allowed) {
    Shared& sh = *sh_;
    task->allowed = std::chrono::duration_cast<std::chrono::steady_clock::duration>(allowed);
    std::unique_lock<std::mutex> lock(sh.m);
    if (sh.notAnswering) throw NotAnswering();
    sh.queue.push_back(task);
    sh.wake.notify_one();
    for (;;) {
      if (sh.done.wait_for(lock, kPumpEvery, [&] { return task->done; })) break;
      // Given up when the call under way, its own or the one it waits behind, is past its
      // deadline (so that a handler that runs meanwhile and calls Calc does not put off the
      // deadline of the call under it), or at once when another call found Calc not answering.
      if (sh.notAnswering || (sh.running && std::chrono::steady_clock::now() >= sh.running->end)) {
        task->abandoned = true;
        const bool first = !sh.notAnswering && !sh.boxOpen;
        sh.notAnswering = true;
        if (first) sh.boxOpen = true;
        lock.unlock();
        if (first) Tell();
        throw NotAnswering();
      }
      // Repaints, progress and the other handlers run meanwhile; they may call through the gate
      // themselves.
      lock.unlock();
      try {
        platform::DoEvents();
      } catch (...) {
        std::lock_guard<std::mutex> again(sh.m);
        task->abandoned = true;
        throw;
      }
      lock.lock();
    }
    lock.unlock();
    if (!task->error) return;
    try {
      std::rethrow_exception(task->error);
    } catch (const rt::RtError& e) {
      if (e.number() == calc::kErrConnectionLost)
        LogLost("The connection to LibreOffice Calc was lost: " + e.description());
      throw;
    }
  }

  // The box, once for each time Calc stops answering.
  void Tell() {
    Log("LibreOffice Calc did not answer within " + std::to_string(answerTime_.count()) + " ms");
    try {
      forms::MsgBox(kNotAnswering, 48, kNotAnsweringTitle);
    } catch (...) {
      std::lock_guard<std::mutex> lock(sh_->m);
      sh_->boxOpen = false;
      throw;
    }
    std::lock_guard<std::mutex> lock(sh_->m);
    sh_->boxOpen = false;
  }

  static rt::RtError NotAnswering() { return rt::RtError(calc::kErrConnectionLost, kNotAnsweringTitle); }

  std::chrono::milliseconds answerTime_;
  std::shared_ptr<Shared> sh_;
};
using GateP = std::shared_ptr<Gate>;

// A document whose every call goes through the gate.
class TimedDocument : public calc::Document {
 public:
  TimedDocument(GateP gate, std::shared_ptr<calc::Document> doc) : gate_(std::move(gate)), doc_(std::move(doc)) {}
  std::string Title() override {
    return gate_->Call([d = doc_] { return d->Title(); });
  }
  int64_t SheetCount() override {
    return gate_->Call([d = doc_] { return d->SheetCount(); });
  }
  std::string SheetName(int64_t sheet) override {
    return gate_->Call([d = doc_, sheet] { return d->SheetName(sheet); });
  }
  int64_t ActiveSheet() override {
    return gate_->Call([d = doc_] { return d->ActiveSheet(); });
  }
  CellAt ActiveCell() override {
    return gate_->Call([d = doc_] { return d->ActiveCell(); });
  }
  std::string Formula(const CellAt& c) override {
    return gate_->Call([d = doc_, c] { return d->Formula(c); });
  }
  CellValue Value(const CellAt& c) override {
    return gate_->Call([d = doc_, c] { return d->Value(c); });
  }
  std::string Text(const CellAt& c) override {
    return gate_->Call([d = doc_, c] { return d->Text(c); });
  }
  std::vector<CellValue> Values(int64_t sheet, const Rect& r) override {
    const auto cells = static_cast<double>(r.r2 - r.r1 + 1) * static_cast<double>(r.c2 - r.c1 + 1);
    const auto extra = std::chrono::duration_cast<std::chrono::nanoseconds>(kPerCellRead * cells);
    return gate_->Call([d = doc_, sheet, r] { return d->Values(sheet, r); }, extra);
  }
  CellAt UsedEnd(int64_t sheet) override {
    return gate_->Call([d = doc_, sheet] { return d->UsedEnd(sheet); });
  }
  std::vector<Rect> FindAll(int64_t sheet, const FindArgs& args) override {
    return gate_->Call([d = doc_, sheet, args] { return d->FindAll(sheet, args); });
  }
  void Select(const CellAt& c) override {
    gate_->Call([d = doc_, c] { d->Select(c); });
  }
  int64_t RowCount(int64_t sheet) override {
    return gate_->Call([d = doc_, sheet] { return d->RowCount(sheet); });
  }
  bool Modified() override {
    return gate_->Call([d = doc_] { return d->Modified(); });
  }

 private:
  GateP gate_;
  std::shared_ptr<calc::Document> doc_;
};

std::shared_ptr<calc::Document> Timed(const GateP& gate, std::shared_ptr<calc::Document> doc) {
  return doc ? std::make_shared<TimedDocument>(gate, std::move(doc)) : nullptr;
}

// A session whose every call goes through the gate, and whose documents do too.
class TimedSession : public calc::Session {
 public:
  TimedSession(GateP gate, std::shared_ptr<calc::Session> session) : gate_(std::move(gate)), s_(std::move(session)) {}
  // The session's own document is closed on the gate's thread: a Calc that does not answer
  // keeps nobody waiting.
  ~TimedSession() override {
    try {
      gate_->Post([s = s_] { s->CloseOwn(); });
    } catch (...) {
      // Out of memory: the document stays open in Calc, unmodified, until Calc ends.
    }
  }
  TimedSession(const TimedSession&) = delete;
  TimedSession& operator=(const TimedSession&) = delete;
  std::string ProductVersion() override {
    return gate_->Call([s = s_] { return s->ProductVersion(); });
  }
  std::shared_ptr<calc::Document> ActiveDocument() override {
    return Timed(gate_, gate_->Call([s = s_] { return s->ActiveDocument(); }));
  }
  std::vector<std::shared_ptr<calc::Document>> Documents() override {
    auto docs = gate_->Call([s = s_] { return s->Documents(); });
    for (auto& d : docs) d = Timed(gate_, std::move(d));
    return docs;
  }
  bool Alive() override {
    return gate_->Call([s = s_] { return s->Alive(); });
  }
  // The first call makes the own document, which takes Calc longer than a read.
  CellValue EvaluateOwn(const std::string& formula, const std::string& firstSheet,
                        const std::vector<calc::OwnRange>& cells) override {
    std::chrono::nanoseconds extra = gate_->answerTime();
    for (const calc::OwnRange& c : cells) extra += kPerCellRead * static_cast<int64_t>(c.values.size());
    return gate_->Call([s = s_, formula, firstSheet, cells] { return s->EvaluateOwn(formula, firstSheet, cells); },
                       extra);
  }

 private:
  GateP gate_;
  std::shared_ptr<calc::Session> s_;
};

// --- the module ---

calc::ConnectFunction LoadModule(const std::string& chosen) {
  static std::mutex m;
  static calc::ConnectFunction loaded = nullptr;
  std::lock_guard<std::mutex> lock(m);
  if (loaded) return loaded;
  std::vector<std::string> paths;
  if (!chosen.empty()) {
    paths.push_back(chosen);
  } else {
    if (const char* e = std::getenv("VANTREL_CALC_MODULE"); e && *e) paths.emplace_back(e);
    paths.push_back(platform::ProgramFolder() + "/libvantrel_calc.so");
#ifdef VANTREL_CALC_MODULE_RELDIR
    paths.push_back(platform::ProgramFolder() + "/" VANTREL_CALC_MODULE_RELDIR "/libvantrel_calc.so");
#endif
#if defined(VANTREL_CALC_MODULE_PATH) && defined(VANTREL_BUILD_FOLDER)
    // The build's module only for a program of the build folder: an installed program never
    // loads a library out of a build tree.
    const std::string build = VANTREL_BUILD_FOLDER "/";
    if ((platform::ProgramFolder() + "/").compare(0, build.size(), build) == 0)
      paths.emplace_back(VANTREL_CALC_MODULE_PATH);
#endif
  }
#ifdef VANTREL_LIBREOFFICE_PROGRAM
  // The module carries no library search path: the UNO libraries it needs are loaded first
  // from LibreOffice's program folder, where the libraries they need in turn are found.
  for (const char* lib : {"libuno_sal.so.3", "libuno_cppu.so.3", "libuno_cppuhelpergcc3.so.3"})
    dlopen((std::string(VANTREL_LIBREOFFICE_PROGRAM "/") + lib).c_str(), RTLD_NOW | RTLD_GLOBAL);
#endif
  for (const std::string& p : paths) {
    if (access(p.c_str(), R_OK) != 0) continue;
    void* h = dlopen(p.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) continue;  // LibreOffice's own libraries are missing
    if (auto f = reinterpret_cast<calc::ConnectFunction>(dlsym(h, calc::kConnectSymbol))) return loaded = f;
    dlclose(h);
  }
  return nullptr;
}

}  // namespace

CalcConnector::CalcConnector(Options o) : o_(std::move(o)), gate_(std::make_shared<Gate>(o_.answerTime)) {}

CalcConnector::CalcConnector(std::shared_ptr<calc::Session> session, std::chrono::milliseconds answerTime)
    : gate_(std::make_shared<Gate>(answerTime)), fixed_(true) {
  session_ = std::make_shared<TimedSession>(std::static_pointer_cast<Gate>(gate_), std::move(session));
}

std::string CalcConnector::Connection() const {
  if (!o_.connection.empty()) return o_.connection;
  if (const char* e = std::getenv("VANTREL_CALC"); e && *e) return e;
  return kDefaultCalcConnection;
}

Application CalcConnector::Attach() {
  auto gate = std::static_pointer_cast<Gate>(gate_);
  auto live = std::static_pointer_cast<Live>(shared_);
  // A Calc that is not answering is not running, for the attach; its session is kept for when
  // it answers again.
  auto alive = [&] {
    try {
      return session_->Alive();
    } catch (const rt::RtError& e) {
      throw rt::RtError(rt::kErrCannotCreate, e.description());
    }
  };
  if (fixed_) {
    if (!alive()) throw rt::RtError(rt::kErrCannotCreate);
  } else if (!session_ || !alive()) {
    if (session_) gate->LogLost("LibreOffice Calc on " + Connection() + " has ended: attaching anew");
    session_.reset();
    live.reset();
    shared_.reset();
    calc::ConnectFunction connect = o_.connect ? o_.connect : LoadModule(o_.module);
    if (!connect) throw rt::RtError(rt::kErrCannotCreate, "LibreOffice Calc is not installed");
    const std::string connection = Connection();
    auto attempt = [connect, connection] {
      try {
        return connect(connection);
      } catch (const rt::RtError& e) {
        if (e.number() != calc::kErrConnectionLost) throw;
        Log("LibreOffice Calc ended while attaching to it: " + e.description());
        throw rt::RtError(rt::kErrCannotCreate, e.description());
      }
    };
    try {
      session_ = std::make_shared<TimedSession>(gate, gate->Call(attempt, gate->answerTime()));
    } catch (const rt::RtError& e) {
      throw rt::RtError(rt::kErrCannotCreate, e.description());
    }
    gate->Connected();
  }
  if (!live) {
    live = std::make_shared<Live>();
    live->session = session_;
    shared_ = live;
  }
  live->focus.reset();
  return Application(std::make_shared<CalcApplication>(live));
}

void ChoosingConnector::Prefetch() {
  const char* named = std::getenv("VANTREL_WORKBOOK");
  if (named && *named) file_->Prefetch();
}

Application ChoosingConnector::Attach() {
  const char* named = std::getenv("VANTREL_WORKBOOK");
  if (named && *named) return file_->Attach();
  try {
    return calc_->Attach();
  } catch (const rt::RtError& e) {
    if (e.number() != rt::kErrCannotCreate) throw;
  }
  return file_->Attach();
}

}  // namespace vantrel::spreadsheet
