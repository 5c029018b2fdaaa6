#pragma once
// The view's interval timer: Interval in milliseconds with a tick granularity of 15.625 ms
// (1/64 s), so an interval of 1 ticks about 64 times a second; 0 or less stops it. Ticks
// run ThatTime on the window's thread; the next tick is scheduled before the handler runs,
// so a handler that runs the event loop may see further ticks. Tests call Fire() to tick.

#include <functional>
#include <memory>

namespace vantrel::timer {

class IntervalTimer {
 public:
  IntervalTimer();
  ~IntervalTimer();
  IntervalTimer(const IntervalTimer&) = delete;
  IntervalTimer& operator=(const IntervalTimer&) = delete;

  // Setting an interval restarts the count of the period; the same value again does nothing.
  void SetInterval(long interval);
  long Interval() const { return interval_; }
  bool Active() const { return interval_ > 0; }
  long TickCount() const { return ticks_; }

  // The event. Run-time errors thrown by the handler are dropped (the tick skips them).
  std::function<void()> ThatTime;

  // Raises one tick now, as the timer does.
  void Fire();

  // Milliseconds between ticks for an interval (a whole number of 15.625 ms periods).
  static double PeriodMs(long interval);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  long interval_ = 0;
  long ticks_ = 0;
};

}  // namespace vantrel::timer
