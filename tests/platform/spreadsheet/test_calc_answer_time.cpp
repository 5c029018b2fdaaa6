// The Calc backend's deadline on every call, over a session that answers slowly, hangs, or ends
// while it is connected to: the event loop runs during a wait, a call past its deadline fails as
// "not answering" with one box, calls after it fail at once instead of queueing behind it, and
// the first call after Calc answers again is served.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/events/events.h"
#include "platform/runtime/rterror.h"
#include "platform/spreadsheet/calc.h"
#include "tests/support/guards.h"
#include "tests/support/wait.h"

namespace ss = vantrel::spreadsheet;
namespace calc = vantrel::spreadsheet::calc;
using ss::CellValue;
using vantrel::rt::RtError;
using vantrel::rt::Try;
using namespace std::chrono_literals;

namespace {

// Blocks the backend's calls while held; counts the calls that reached the backend.
class Latch {
 public:
  void Hold() {
    std::lock_guard<std::mutex> lock(m_);
    held_ = true;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(m_);
    held_ = false;
    cv_.notify_all();
  }
  // Called by the backend, on the thread the call is made on.
  int Enter() {
    std::unique_lock<std::mutex> lock(m_);
    const int n = ++calls_;
    cv_.wait(lock, [&] { return !held_; });
    return n;
  }
  int calls() {
    std::lock_guard<std::mutex> lock(m_);
    return calls_;
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool held_ = false;
  int calls_ = 0;
};

// One document whose active cell's formula names the call that read it ("=1", "=2", ...).
class SlowDocument : public calc::Document {
 public:
  explicit SlowDocument(std::shared_ptr<Latch> latch) : latch_(std::move(latch)) {}
  std::string Title() override { return "orbit.ods"; }
  int64_t SheetCount() override { return 1; }
  std::string SheetName(int64_t) override { return "Data"; }
  int64_t ActiveSheet() override { return 0; }
  calc::CellAt ActiveCell() override { return {0, 2, 20}; }
  std::string Formula(const calc::CellAt&) override {
    if (lost) throw RtError(calc::kErrConnectionLost, "Binary URP bridge already disposed");
    return "=" + std::to_string(latch_->Enter());
  }
  CellValue Value(const calc::CellAt&) override { return CellValue::Num(latch_->Enter()); }
  std::string Text(const calc::CellAt&) override { return ""; }
  std::vector<CellValue> Values(int64_t, const ss::formula::Rect&) override {
    latch_->Enter();
    return {CellValue::Num(1)};
  }
  calc::CellAt UsedEnd(int64_t) override { return usedEnd; }
  std::vector<ss::formula::Rect> FindAll(int64_t, const ss::FindArgs&) override { return {}; }
  void Select(const calc::CellAt&) override {}
  int64_t RowCount(int64_t) override { return 1048576; }
  bool Modified() override { return false; }
  calc::CellAt usedEnd{0, 1, 1};
  std::atomic<bool> lost{false};  // Calc has ended

 private:
  std::shared_ptr<Latch> latch_;
};

// The session: only the formula and value reads and Alive go through the latch.
class SlowSession : public calc::Session {
 public:
  std::shared_ptr<Latch> latch = std::make_shared<Latch>();
  std::shared_ptr<Latch> aliveLatch = std::make_shared<Latch>();
  std::shared_ptr<SlowDocument> doc = std::make_shared<SlowDocument>(latch);
  std::string ProductVersion() override { return "7.4.7.2"; }
  std::shared_ptr<calc::Document> ActiveDocument() override { return doc; }
  std::vector<std::shared_ptr<calc::Document>> Documents() override { return {doc}; }
  bool Alive() override {
    aliveLatch->Enter();
    return !doc->lost;
  }
};

constexpr auto kShort = 300ms;  // the deadline of the tests that wait for it to pass

struct CalcAnswerTime : ::testing::Test {
  vantrel::test::MsgBoxGuard boxes;
  std::shared_ptr<vantrel::platform::FakeEventPump> pump = std::make_shared<vantrel::platform::FakeEventPump>();
  vantrel::platform::EventPumpGuard pumpGuard{pump};
  std::shared_ptr<SlowSession> session = std::make_shared<SlowSession>();

  std::string ActiveFormula(ss::Application& app) { return app.ActiveWindow().ActiveCell().Formula(); }
  size_t BoxesTitled(const std::string& title) {
    size_t n = 0;
    for (const auto& b : boxes.boxes().boxes()) n += b.title == title;
    return n;
  }
};

constexpr const char* kTitle = "LibreOffice Calc is not answering";

TEST_F(CalcAnswerTime, TheEventLoopRunsWhileCalcTakesItsTimeAndTheAnswerArrives) {
  ss::CalcConnector connector{std::shared_ptr<calc::Session>(session), 60s};
  ss::Application app = connector.Attach();
  // Calc answers only once the event loop has run three passes meanwhile.
  session->latch->Hold();
  pump->SetOnPass([&] {
    if (pump->passes() == 3) session->latch->Release();
  });
  EXPECT_EQ(ActiveFormula(app), "=1");
  EXPECT_GE(pump->passes(), 3);
  EXPECT_TRUE(boxes.boxes().boxes().empty());
}

TEST_F(CalcAnswerTime, AHungCallIsNotAnsweringOnceAndLaterCallsFailAtOnceUntilCalcAnswers) {
  ss::CalcConnector connector{std::shared_ptr<calc::Session>(session), kShort};
  ss::Application app = connector.Attach();
  ss::Range cell = app.ActiveWindow().ActiveCell();
  session->latch->Hold();
  const long passesBefore = pump->passes();

  // The call past its deadline: the box, and the error the watcher ends quietly on.
  try {
    (void)cell.Formula();
    ADD_FAILURE() << "a hung call returned";
  } catch (const RtError& e) {
    EXPECT_EQ(e.number(), calc::kErrConnectionLost);
  }
  EXPECT_GT(pump->passes(), passesBefore);
  EXPECT_EQ(BoxesTitled(kTitle), 1u);

  // While the call is out, every call fails at once, without a box, and never reaches Calc: none
  // waits behind the hung one. An attach is the road of a Calc that is not running.
  const struct {
    const char* what;
    std::function<void()> call;
    int number;
  } whileHung[] = {
      {"the same cell", [&] { (void)cell.Formula(); }, calc::kErrConnectionLost},
      {"a value", [&] { (void)cell.Value(); }, calc::kErrConnectionLost},
      {"the sheet's name", [&] { (void)cell.Sheet().Name(); }, calc::kErrConnectionLost},
      {"an attach", [&] { connector.Attach(); }, vantrel::rt::kErrCannotCreate},
  };
  for (const auto& c : whileHung) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Try(c.call), c.number);
  }
  EXPECT_EQ(session->latch->calls(), 1);
  EXPECT_EQ(BoxesTitled(kTitle), 1u);

  // Calc answers again: its late answer ("=1") is dropped; the next attach and call are served.
  session->latch->Release();
  ASSERT_TRUE(vantrel::test::WaitUntil([&] { return Try([&] { app = connector.Attach(); }) == 0; }));
  EXPECT_EQ(ActiveFormula(app), "=2");
  EXPECT_EQ(cell.Formula(), "=3");
  EXPECT_EQ(BoxesTitled(kTitle), 1u);

  // Stopped once more: a box again.
  session->latch->Hold();
  EXPECT_EQ(Try([&] { (void)cell.Value(); }), calc::kErrConnectionLost);
  EXPECT_EQ(BoxesTitled(kTitle), 2u);
  session->latch->Release();
}

TEST_F(CalcAnswerTime, HandlersThatCallCalcDuringAWaitDoNotPutOffItsDeadline) {
  // As the watcher on a timer tick: every twentieth pass of the event loop runs a handler that
  // reads from Calc, while the call under it hangs. Each handler's call waits behind the hung
  // one, and runs the event loop in turn.
  ss::CalcConnector connector{std::shared_ptr<calc::Session>(session), kShort};
  ss::Application app = connector.Attach();
  ss::Range cell = app.ActiveWindow().ActiveCell();
  constexpr int kCap = 8;
  int depth = 0, deepest = 0;
  std::vector<int> handlerErrors;
  pump->SetOnPass([&] {
    if (pump->passes() % 20 != 0 || depth >= kCap) return;
    ++depth;
    deepest = std::max(deepest, depth);
    handlerErrors.push_back(Try([&] { (void)cell.Value(); }));
    --depth;
  });
  session->latch->Hold();
  EXPECT_EQ(Try([&] { (void)cell.Formula(); }), calc::kErrConnectionLost);
  EXPECT_LT(deepest, kCap);
  for (int n : handlerErrors) EXPECT_EQ(n, calc::kErrConnectionLost);
  EXPECT_EQ(BoxesTitled(kTitle), 1u);
  pump->SetOnPass({});
  session->latch->Release();
}

TEST_F(CalcAnswerTime, ALongReadIsNotCutShortByAHandlerWaitingBehindIt) {
  // A copy of ten full columns: one read of ten million cells, which has longer to answer than a
  // single cell. The handlers' reads of one cell, waiting behind it, have the read's deadline.
  ss::CalcConnector connector{std::shared_ptr<calc::Session>(session), kShort};
  ss::Application app = connector.Attach();
  ss::Range cell = app.ActiveWindow().ActiveCell();
  session->doc->usedEnd = {0, 1048576, 10};
  std::vector<std::string> handlerReads;
  int handlers = 0;
  pump->SetOnPass([&] {
    if (pump->passes() == 100) session->latch->Release();
    if (pump->passes() % 20 == 0 && handlers < 3) {
      ++handlers;
      handlerReads.push_back(cell.Formula());
    }
  });
  session->latch->Hold();
  app.ActiveSheet().GetRange("A1:J1048576").Copy();
  std::sort(handlerReads.begin(), handlerReads.end());  // the handlers nest: the last ends first
  EXPECT_EQ(handlerReads, (std::vector<std::string>{"=2", "=3", "=4"}));
  EXPECT_TRUE(boxes.boxes().boxes().empty());
  EXPECT_EQ(cell.Formula(), "=5");
  pump->SetOnPass({});
}

TEST_F(CalcAnswerTime, AnAttachThatHangsIsNotRunning) {
  ss::CalcConnector connector{std::shared_ptr<calc::Session>(session), kShort};
  session->aliveLatch->Hold();
  EXPECT_EQ(Try([&] { connector.Attach(); }), vantrel::rt::kErrCannotCreate);
  EXPECT_EQ(Try([&] { connector.Attach(); }), vantrel::rt::kErrCannotCreate);
  EXPECT_EQ(session->aliveLatch->calls(), 1);
  EXPECT_EQ(BoxesTitled(kTitle), 1u);
  session->aliveLatch->Release();
  ss::Application app;
  ASSERT_TRUE(vantrel::test::WaitUntil([&] { return Try([&] { app = connector.Attach(); }) == 0; }));
  EXPECT_EQ(ActiveFormula(app), "=1");
}

// Connections made by a connect function of the test's: one that hangs, one to a Calc that ends
// while it is connected to, one to a pipe nobody listens on.
struct Connects {
  std::shared_ptr<Latch> latch = std::make_shared<Latch>();
  std::shared_ptr<SlowSession> session = std::make_shared<SlowSession>();
  int fails = 0;  // kErrConnectionLost or 429 for the next connects, 0 to connect
};
Connects* connects = nullptr;

std::shared_ptr<calc::Session> TestConnect(const std::string&) {
  connects->latch->Enter();
  if (connects->fails) throw RtError(connects->fails, "Binary URP bridge disposed during call");
  return connects->session;
}

TEST_F(CalcAnswerTime, AConnectionThatHangsIsNotRunningAndItsLateSessionIsDropped) {
  Connects c;
  connects = &c;
  ss::CalcConnector::Options o;
  o.connect = TestConnect;
  o.answerTime = kShort;
  ss::CalcConnector connector(o);
  c.latch->Hold();
  EXPECT_EQ(Try([&] { connector.Attach(); }), vantrel::rt::kErrCannotCreate);
  EXPECT_EQ(Try([&] { connector.Attach(); }), vantrel::rt::kErrCannotCreate);
  EXPECT_EQ(c.latch->calls(), 1);
  EXPECT_EQ(BoxesTitled(kTitle), 1u);
  c.latch->Release();
  ss::Application app;
  ASSERT_TRUE(vantrel::test::WaitUntil([&] { return Try([&] { app = connector.Attach(); }) == 0; }));
  EXPECT_EQ(c.latch->calls(), 2);  // connected anew
  EXPECT_EQ(ActiveFormula(app), "=1");
  connects = nullptr;
}

TEST_F(CalcAnswerTime, ACalcThatEndsWhileItIsConnectedToIsLogged) {
  const struct {
    int fails;
    bool logged;
  } cases[] = {
      {calc::kErrConnectionLost, true},
      {vantrel::rt::kErrCannotCreate, false},  // nobody listens: the usual case without Calc
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.fails);
    Connects c;
    c.fails = k.fails;
    connects = &c;
    ss::CalcConnector::Options o;
    o.connect = TestConnect;
    ss::CalcConnector connector(o);
    testing::internal::CaptureStderr();
    const int n = Try([&] { connector.Attach(); });
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(n, vantrel::rt::kErrCannotCreate);
    EXPECT_EQ(log.find("LibreOffice Calc ended while attaching to it") != std::string::npos, k.logged) << log;
    EXPECT_EQ(log.find("Binary URP bridge disposed") != std::string::npos, k.logged) << log;
    EXPECT_TRUE(boxes.boxes().boxes().empty());
    connects = nullptr;
  }
}

TEST_F(CalcAnswerTime, ACalcThatEndsAfterTheAttachIsLoggedOnce) {
  Connects c;
  connects = &c;
  ss::CalcConnector::Options o;
  o.connect = TestConnect;
  ss::CalcConnector connector(o);
  ss::Application app = connector.Attach();
  ss::Range cell = app.ActiveWindow().ActiveCell();
  c.session->doc->lost = true;
  c.fails = vantrel::rt::kErrCannotCreate;  // and nobody listens any more
  testing::internal::CaptureStderr();
  EXPECT_EQ(Try([&] { (void)cell.Formula(); }), calc::kErrConnectionLost);
  EXPECT_EQ(Try([&] { (void)cell.Formula(); }), calc::kErrConnectionLost);
  EXPECT_EQ(Try([&] { connector.Attach(); }), vantrel::rt::kErrCannotCreate);
  const std::string log = testing::internal::GetCapturedStderr();
  size_t lines = 0;
  for (char ch : log) lines += ch == '\n';
  EXPECT_EQ(lines, 1u) << log;
  EXPECT_NE(log.find("Binary URP bridge already disposed"), std::string::npos) << log;
  EXPECT_TRUE(boxes.boxes().boxes().empty());
  connects = nullptr;
}

}  // namespace
