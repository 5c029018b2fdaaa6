// The interval timer: period rounding, ticks on the event loop, stopping, driven ticks.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <stdexcept>

#include "platform/runtime/rterror.h"
#include "platform/timer/timer.h"
#include "tests/support/wait.h"

namespace vantrel::timer {
namespace {

bool SpinUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

TEST(IntervalTimer, PeriodIsAWholeNumberOf64thsOfASecond) {
  struct Case {
    long interval;
    double ms;
  };
  const Case cases[] = {{-5, 0},     {0, 0},       {1, 15.625},    {15, 15.625}, {16, 31.25},
                        {31, 31.25}, {32, 46.875}, {100, 109.375}, {1000, 1000}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(IntervalTimer::PeriodMs(c.interval), c.ms) << c.interval;
}

TEST(IntervalTimer, DoesNotTickUntilAnIntervalIsSet) {
  IntervalTimer t;
  int ticks = 0;
  t.ThatTime = [&] { ++ticks; };
  EXPECT_FALSE(t.Active());
  EXPECT_FALSE(SpinUntil([&] { return ticks > 0; }, 100));
}

TEST(IntervalTimer, TicksOnTheEventLoopAndStopsAtZero) {
  IntervalTimer t;
  int ticks = 0;
  t.ThatTime = [&] { ++ticks; };
  t.SetInterval(1);
  EXPECT_TRUE(t.Active());
  EXPECT_EQ(t.Interval(), 1);
  ASSERT_TRUE(test::WaitUntil([&] { return ticks >= 5; }));
  EXPECT_EQ(t.TickCount(), ticks);
  t.SetInterval(0);
  int stopped = ticks;
  SpinUntil([] { return false; }, 100);
  EXPECT_EQ(ticks, stopped);
}

TEST(IntervalTimer, AHandlerCanStopItsTimer) {
  IntervalTimer t;
  int ticks = 0;
  t.ThatTime = [&] {
    ++ticks;
    t.SetInterval(0);
  };
  t.SetInterval(1);
  ASSERT_TRUE(test::WaitUntil([&] { return ticks >= 1; }));
  SpinUntil([] { return false; }, 100);
  EXPECT_EQ(ticks, 1);
}

TEST(IntervalTimer, FireRaisesOneTickAndDropsRunTimeErrors) {
  IntervalTimer t;
  int ticks = 0;
  t.Fire();  // no handler: counted, nothing else
  t.ThatTime = [&] {
    ++ticks;
    if (ticks == 2) throw rt::RtError(6);
    if (ticks == 3) throw std::runtime_error("other");
  };
  for (int i = 0; i < 4; ++i) EXPECT_NO_THROW(t.Fire());
  EXPECT_EQ(ticks, 4);
  EXPECT_EQ(t.TickCount(), 5);
  EXPECT_FALSE(t.Active()) << "driven ticks do not start the timer";
}

}  // namespace
}  // namespace vantrel::timer
