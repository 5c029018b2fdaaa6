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

TEST(ThreadsFor, SmallWorkStaysOnOneThread) {
  EXPECT_EQ(ThreadsFor(10, 1000), 1u);
  EXPECT_EQ(ThreadsFor(0, 0), 1u);
  EXPECT_GE(ThreadsFor(1u << 30, 1), 1u);
  EXPECT_LE(ThreadsFor(1u << 30, 1), 8u);
}

}  // namespace
}  // namespace vantrel::rt
