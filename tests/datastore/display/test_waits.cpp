#include <gtest/gtest.h>

#include <vector>

#include "datastore/waits.h"
#include "platform/events/events.h"
#include "platform/runtime/clock.h"

namespace vantrel::datastore {
namespace {

// A clock that records sleeps; time moves only when the test says so.
class StepClock : public rt::FakeClock {
 public:
  using FakeClock::FakeClock;
  std::vector<long> sleeps;
  void Sleep(long ms) override {
    sleeps.push_back(ms);
    FakeClock::Sleep(ms);
  }
};

struct Waits : ::testing::Test {
  std::shared_ptr<StepClock> clock;
  std::shared_ptr<platform::FakeEventPump> pump = std::make_shared<platform::FakeEventPump>();
  platform::EventPumpGuard pumpGuard{pump};

  void Start(double serial) {
    clock = std::make_shared<StepClock>(serial);
    rt::SetClock(clock);
  }
  ~Waits() override { rt::SetClock(nullptr); }
  // Every pass of the event loop takes `seconds`; a runaway wait is stopped by the test.
  void PassTakes(double seconds) {
    pump->SetOnPass([this, seconds] {
      clock->Advance(seconds);
      ASSERT_LT(pump->passes(), 100000) << "the wait does not end";
    });
  }
};

TEST_F(Waits, PauseSleepSleepsTheRoundedTimeEachPass) {
  const struct {
    float sleep;
    long ms;
  } cases[] = {{0.05f, 0}, {50, 50}, {2.5f, 2}, {3.5f, 4}};
  for (const auto& c : cases) {
    Start(45356.5);
    PassTakes(0.001);
    PauseSleepW(0.1f, c.sleep);
    ASSERT_FALSE(clock->sleeps.empty());
    for (long ms : clock->sleeps) EXPECT_EQ(ms, c.ms) << c.sleep;
    if (c.ms == 0) {
      EXPECT_GT(clock->sleeps.size(), 80u);  // about 0.1 s of 1 ms passes
      EXPECT_LT(clock->sleeps.size(), 120u);
    }
  }
}

TEST_F(Waits, PauseSleepRunsOnePassForZeroSeconds) {
  Start(45356.5);
  PauseSleepW(0, 0);
  EXPECT_EQ(pump->passes(), 1);
}

TEST_F(Waits, PauseSleepEndsAtMidnight) {
  Start(45356.0 - 0.05 / 86400);  // 50 ms before midnight
  PassTakes(0.02);
  PauseSleepW(10, 0);
  EXPECT_LE(pump->passes(), 5);
}

TEST_F(Waits, WaitSecondsEndsAfterTheTimeEvenAcrossMidnight) {
  const double starts[] = {45356.5, 45356.0 - 0.005 / 86400, 45356.0 - 0.5 / 86400};
  for (double serial : starts) {
    Start(serial);
    pump = std::make_shared<platform::FakeEventPump>();
    platform::SetEventPump(pump);
    PassTakes(0.001);
    WaitSecondsW(0.01);
    EXPECT_GE(pump->passes(), 10);
    EXPECT_LE(pump->passes(), 12);
  }
  // A wait of minutes across midnight ends as well.
  Start(45356.0 - 30.0 / 86400);
  pump = std::make_shared<platform::FakeEventPump>();
  platform::SetEventPump(pump);
  PassTakes(1);
  WaitSecondsW(120);
  EXPECT_EQ(pump->passes(), 121);
}

TEST_F(Waits, WaitSecondsRunsAtLeastOnePass) {
  Start(45356.5);
  PassTakes(0.001);
  WaitSecondsW(-1);
  EXPECT_EQ(pump->passes(), 1);
}

}  // namespace
}  // namespace vantrel::datastore
