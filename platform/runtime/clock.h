#pragma once
// The run time's clocks, Sleep and End, behind an interface so tests can inject a clock.

#include <functional>
#include <memory>

namespace vantrel::rt {

class Clock {
 public:
  virtual ~Clock() = default;
  // Local date and time as a day serial (days since 30 December 1899).
  virtual double Now() const = 0;
  // Seconds since local midnight, with a fraction (the run time's Timer).
  virtual double Timer() const = 0;
  // Seconds on a monotonic clock, for waits and measurements.
  virtual double Monotonic() const = 0;
  // Suspends the thread for ms milliseconds (a fake clock advances instead).
  virtual void Sleep(long ms) = 0;
};

// The clock in force (the system clock unless a test installed another).
Clock& CurrentClock();
void SetClock(std::shared_ptr<Clock> clock);  // nullptr restores the system clock

inline double Now() { return CurrentClock().Now(); }
inline double Timer() { return CurrentClock().Timer(); }
inline void Sleep(long ms) { CurrentClock().Sleep(ms); }

// A clock whose time moves only when told to (Sleep advances it too).
class FakeClock : public Clock {
 public:
  explicit FakeClock(double serial = 45356.5, double monotonic = 1000.0) : serial_(serial), mono_(monotonic) {}
  double Now() const override { return serial_; }
  double Timer() const override;
  double Monotonic() const override { return mono_; }
  void Sleep(long ms) override { Advance(ms / 1000.0); }
  void Advance(double seconds) {
    serial_ += seconds / 86400.0;
    mono_ += seconds;
  }

 private:
  double serial_;
  double mono_;
};

// End: the program stops at once, nothing is saved. Tests install a handler that throws or
// records instead of exiting.
[[noreturn]] void End();
void SetEndHandler(std::function<void()> handler);  // nullptr restores the exit

}  // namespace vantrel::rt
