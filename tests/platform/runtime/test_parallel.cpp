#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/runtime/parallel.h"

namespace vantrel::rt {
namespace {

TEST(ParallelFor, RunsEveryTaskOnceWithOrWithoutAWaitingCaller) {
  struct Case {
    size_t n;
    unsigned threads;
    bool withWait;
  };
  for (const Case c : {Case{0, 4, false}, Case{1, 1, false}, Case{1000, 1, false}, Case{1000, 4, false},
                       Case{1000, 8, true}, Case{3, 8, true}, Case{1, 1, true}}) {
    std::vector<std::atomic<int>> hits(c.n);
    std::function<void()> wait;
    if (c.withWait) wait = [] {};
    ParallelFor(
        c.n, c.threads, [&](size_t i) { hits[i]++; }, wait);
    for (size_t i = 0; i < c.n; ++i)
      ASSERT_EQ(hits[i].load(), 1) << "n " << c.n << " threads " << c.threads << " i " << i;
  }
}

// A task that lasts until the caller has called wait a few times (or a generous deadline).
void UntilWaited(const std::atomic<int>& waits) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (waits.load() < 4 && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(ParallelFor, TheCallerKeepsCallingWaitWhileTheTasksRun) {
  std::atomic<int> waits{0};
  ParallelFor(
      2, 2, [&](size_t) { UntilWaited(waits); }, [&] { ++waits; }, 10);
  EXPECT_GE(waits.load(), 4);
}

TEST(ParallelFor, AFailingTaskIsRethrownAfterTheOthersEnd) {
  std::atomic<int> running{0}, maxAfter{0};
  EXPECT_THROW(ParallelFor(64, 4,
                           [&](size_t i) {
                             ++running;
                             if (i == 5) {
                               --running;
                               throw std::runtime_error("bad chunk");
                             }
                             std::this_thread::sleep_for(std::chrono::milliseconds(1));
                             --running;
                           }),
               std::runtime_error);
  EXPECT_EQ(running.load(), 0);  // nothing still runs when the call returns
}

TEST(OrderedPipeline, ConsumesInOrderWithBoundedLookAhead) {
  for (unsigned threads : {1u, 3u, 8u}) {
    const size_t n = 200, ahead = 6;
    std::vector<int> produced(n, 0), order;
    std::atomic<size_t> maxLead{0};
    std::atomic<size_t> consumed{0};
    OrderedPipeline(
        n, threads, ahead,
        [&](size_t i) {
          const size_t lead = i - consumed.load();
          size_t m = maxLead.load();
          while (lead > m && !maxLead.compare_exchange_weak(m, lead)) {}
          produced[i] = static_cast<int>(i) * 2;
        },
        [&](size_t i) {
          ASSERT_EQ(produced[i], static_cast<int>(i) * 2);  // consumed only once produced
          order.push_back(static_cast<int>(i));
          consumed = i + 1;
        });
    ASSERT_EQ(order.size(), n);
    for (size_t i = 0; i < n; ++i) ASSERT_EQ(order[i], static_cast<int>(i));
    EXPECT_LE(maxLead.load(), std::max<size_t>(ahead, threads)) << threads;
  }
}

TEST(OrderedPipeline, AFailureInProduceOrConsumeStopsTheWork) {
  for (bool inConsume : {false, true}) {
    std::atomic<size_t> producedCount{0};
    EXPECT_THROW(OrderedPipeline(
                     10000, 4, 8,
                     [&](size_t i) {
                       ++producedCount;
                       if (!inConsume && i == 20) throw std::runtime_error("produce");
                     },
                     [&](size_t i) {
                       if (inConsume && i == 20) throw std::runtime_error("consume");
                     }),
                 std::runtime_error);
    EXPECT_LT(producedCount.load(), 100u) << inConsume;  // the rest was skipped
  }
}

TEST(OrderedPipeline, WaitRunsWhileTheNextItemIsSlow) {
  std::atomic<int> waits{0};
  OrderedPipeline(
      3, 2, 2,
      [&](size_t i) {
        if (i == 0) UntilWaited(waits);
      },
      [](size_t) {}, [&] { ++waits; }, 10);
  EXPECT_GE(waits.load(), 4);
}

// A producer pushing 0, 1, 2, ... and a consumer popping, either side failing at a given item
// (or the producer closing early): the other side ends too, and nothing is lost or reordered
// before the failure.
TEST(BoundedQueue, EitherSideFailingOrClosingEndsTheOther) {
  struct Case {
    const char* name;
    int producerFailsAt;  // -1: never
    int consumerFailsAt;
    int producerClosesAt;  // -1: after 1000 items
  };
  for (const Case c :
       {Case{"to the end", -1, -1, -1}, Case{"producer fails", 50, -1, -1}, Case{"consumer fails", -1, 50, -1},
        Case{"early close", -1, -1, 0}, Case{"close midway", -1, -1, 20}}) {
    BoundedQueue<int> q(3);
    BackgroundTask producer([&](std::stop_token) {
      struct Closer {
        BoundedQueue<int>& q;
        ~Closer() { q.Close(); }
      } closer{q};
      for (int i = 0; i < 1000 && i != c.producerClosesAt; ++i) {
        if (i == c.producerFailsAt) throw std::runtime_error("producer");
        if (!q.Push(i)) return;
      }
    });
    std::vector<int> got;
    bool consumerFailed = false;
    try {
      while (auto v = q.Pop()) {
        if (*v == c.consumerFailsAt) throw std::runtime_error("consumer");
        got.push_back(*v);
      }
    } catch (const std::runtime_error&) {
      consumerFailed = true;
      q.Close();
    }
    bool producerFailed = false;
    try {
      producer.Join();
    } catch (const std::runtime_error&) {
      producerFailed = true;
    }
    const int expect = c.producerFailsAt >= 0    ? c.producerFailsAt
                       : c.consumerFailsAt >= 0  ? c.consumerFailsAt
                       : c.producerClosesAt >= 0 ? c.producerClosesAt
                                                 : 1000;
    ASSERT_EQ(got.size(), static_cast<size_t>(expect)) << c.name;
    for (int i = 0; i < expect; ++i) ASSERT_EQ(got[static_cast<size_t>(i)], i) << c.name;
    EXPECT_EQ(producerFailed, c.producerFailsAt >= 0) << c.name;
    EXPECT_EQ(consumerFailed, c.consumerFailsAt >= 0) << c.name;
  }
}

TEST(BoundedQueue, AbandonDropsWhatIsLeftAndWakesAWaitingPop) {
  BoundedQueue<int> q(4);
  ASSERT_TRUE(q.Push(1));
  ASSERT_TRUE(q.Push(2));
  q.Abandon();
  EXPECT_FALSE(q.Pop().has_value());
  EXPECT_FALSE(q.Push(3));
  BoundedQueue<int> empty(1);
  std::atomic<bool> ended{false};
  BackgroundTask consumer([&](std::stop_token) {
    EXPECT_FALSE(empty.Pop().has_value());
    ended = true;
  });
  empty.Abandon();
  consumer.Join();
  EXPECT_TRUE(ended.load());
}

TEST(BackgroundTask, JoinRethrowsAndCallsWaitMeanwhile) {
  std::atomic<int> waits{0};
  BackgroundTask task([&](std::stop_token) {
    UntilWaited(waits);
    throw std::runtime_error("task");
  });
  EXPECT_TRUE(task.Running());
  EXPECT_THROW(task.Join([&] { ++waits; }, 5), std::runtime_error);
  EXPECT_GE(waits.load(), 4);
  EXPECT_FALSE(task.Running());
  EXPECT_NO_THROW(task.Join());  // nothing runs: nothing to wait for
}

TEST(BackgroundTask, AFailingWaitStopsTheTaskAndIsRethrown) {
  std::atomic<bool> stopped{false};
  BackgroundTask task([&](std::stop_token stop) {
    while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stopped = true;
  });
  EXPECT_THROW(task.Join([] { throw std::logic_error("wait"); }, 1), std::logic_error);
  EXPECT_TRUE(stopped.load());
  EXPECT_FALSE(task.Running());
}

TEST(BackgroundTask, TheDestructorStopsAndJoinsATaskNeverJoined) {
  std::atomic<bool> started{false}, ended{false};
  {
    BackgroundTask task([&](std::stop_token stop) {
      started = true;
      while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      ended = true;
      throw std::runtime_error("dropped");  // an owner gone cannot take it
    });
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!started.load() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(started.load());
  }
  EXPECT_TRUE(ended.load());
  BackgroundTask restarted;
  std::atomic<int> runs{0};
  for (int k = 0; k < 3; ++k) restarted.Start([&](std::stop_token) { ++runs; });
  restarted.Join();
  EXPECT_EQ(runs.load(), 3);
}

TEST(Turns, RunInTheirOrderWhateverOrderTheThreadsComeIn) {
  for (int failAt : {-1, 3}) {
    Turns turns;
    std::vector<int> order;
    std::vector<std::thread> pool;
    std::atomic<int> failures{0};
    for (int i = 7; i >= 0; --i)
      pool.emplace_back([&, i] {
        try {
          turns.Take(static_cast<size_t>(i), [&] {
            order.push_back(i);
            if (i == failAt) throw std::runtime_error("turn");
          });
        } catch (const std::runtime_error&) {
          ++failures;
        }
      });
    for (auto& t : pool) t.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7})) << failAt;  // a failure passes the turn on
    EXPECT_EQ(failures.load(), failAt >= 0 ? 1 : 0);
  }
}

TEST(Turns, AbandonReleasesTheWaitersWithoutRunningThem) {
  Turns turns;
  std::atomic<int> ran{0}, refused{0};
  std::vector<std::thread> pool;
  for (size_t i = 1; i <= 4; ++i)
    pool.emplace_back([&, i] {
      if (!turns.Take(i, [&] { ++ran; })) ++refused;
    });
  turns.Abandon();
  for (auto& t : pool) t.join();
  EXPECT_EQ(ran.load(), 0);
  EXPECT_EQ(refused.load(), 4);
  turns.Reset();
  EXPECT_TRUE(turns.Take(0, [&] { ++ran; }));
  EXPECT_EQ(ran.load(), 1);
}

TEST(Progress, WaitersBelowTheCountGoOnAndCloseReleasesTheOthers) {
  Progress p;
  std::atomic<int> reached{0}, released{0};
  std::vector<std::thread> pool;
  for (size_t n : {0u, 1u, 3u, 5u, 6u, 9u}) pool.emplace_back([&, n] { p.WaitFor(n) ? ++reached : ++released; });
  std::thread advancing([&] {
    for (size_t k = 1; k <= 5; ++k) p.Advance(k);
    p.Advance(2);  // a count never goes back
    p.Close();
  });
  advancing.join();
  for (auto& t : pool) t.join();
  EXPECT_EQ(reached.load(), 4);
  EXPECT_EQ(released.load(), 2);
  EXPECT_EQ(p.Value(), 5u);
  EXPECT_TRUE(p.WaitFor(5)) << "closed, but reached";
  p.Reset();
  EXPECT_EQ(p.Value(), 0u);
  std::thread late([&] { p.Advance(1); });
  EXPECT_TRUE(p.WaitFor(1)) << "open again after Reset";
  late.join();
}

TEST(Progress, APumpingWaitPumpsUntilTheCountComes) {
  Progress p;
  int pumps = 0;
  // The pump itself brings the count on its third pass, as the event loop's work would.
  EXPECT_TRUE(p.WaitForPumping(1, std::chrono::milliseconds(1), [&] {
    if (++pumps == 3) p.Advance(1);
  }));
  EXPECT_EQ(pumps, 3);
  std::thread closing([&] { p.Close(); });
  EXPECT_FALSE(p.WaitForPumping(2, std::chrono::milliseconds(1), [] {}));
  closing.join();
}

TEST(ThreadsFor, SmallWorkStaysOnOneThread) {
  EXPECT_EQ(ThreadsFor(10, 1000), 1u);
  EXPECT_EQ(ThreadsFor(0, 0), 1u);
  EXPECT_GE(ThreadsFor(1u << 30, 1), 1u);
  EXPECT_LE(ThreadsFor(1u << 30, 1), 8u);
}

}  // namespace
}  // namespace vantrel::rt
