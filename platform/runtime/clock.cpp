#include "platform/runtime/clock.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "platform/runtime/service_slot.h"
#include "platform/runtime/vb.h"

namespace vantrel::rt {
namespace {

class SystemClock : public Clock {
 public:
  double Now() const override {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return DateSerial(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) + TimeSerial(tm.tm_hour, tm.tm_min, tm.tm_sec);
  }
  double Timer() const override {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    double frac = duration<double>(now.time_since_epoch()).count();
    frac -= std::floor(frac);
    return tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + frac;
  }
  double Monotonic() const override {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
  }
  void Sleep(long ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

constinit ServiceSlot<Clock> g_clock{&MakeDefault<Clock, SystemClock>};

constinit CallbackSlot<void()> g_endHandler;

}  // namespace

double FakeClock::Timer() const {
  double frac = serial_ - std::floor(serial_);
  return frac * 86400.0;
}

Clock& CurrentClock() { return g_clock.get(); }

void SetClock(std::shared_ptr<Clock> clock) { g_clock.set(std::move(clock)); }

void End() {
  if (const auto handler = g_endHandler.get()) (*handler)();
  std::_Exit(0);
}

void SetEndHandler(std::function<void()> handler) { g_endHandler.set(std::move(handler)); }

}  // namespace vantrel::rt
