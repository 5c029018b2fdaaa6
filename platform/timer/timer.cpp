#include "platform/timer/timer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtGlobal>

#include <cmath>
#include <exception>

#include "platform/runtime/event_guard.h"
#include "platform/runtime/rterror.h"

namespace vantrel::timer {

namespace {
constexpr double kGranularityMs = 1000.0 / 64.0;
}

struct IntervalTimer::Impl {
  QTimer timer;
  QElapsedTimer clock;
  double next_due_ms = 0;  // on clock
};

IntervalTimer::IntervalTimer() : impl_(std::make_unique<Impl>()) {
  impl_->timer.setSingleShot(true);
  impl_->timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&impl_->timer, &QTimer::timeout, [this] {
    if (interval_ <= 0) return;
    // Keep an exact average rate: the next tick is due one period after this one was.
    double period = PeriodMs(interval_);
    double now = double(impl_->clock.nsecsElapsed()) / 1e6;
    impl_->next_due_ms += period;
    if (impl_->next_due_ms < now - 4 * period) impl_->next_due_ms = now;  // fell behind
    impl_->timer.start(int(std::max(0.0, std::round(impl_->next_due_ms - now))));
    Fire();
  });
}

IntervalTimer::~IntervalTimer() = default;

double IntervalTimer::PeriodMs(long interval) {
  if (interval <= 0) return 0;
  return std::max(1.0, std::ceil(interval / kGranularityMs - 1e-9)) * kGranularityMs;
}

void IntervalTimer::SetInterval(long interval) {
  if (interval == interval_) return;
  interval_ = interval;
  if (interval <= 0) {
    impl_->timer.stop();
    return;
  }
  // Without an event loop (a test without an application) only Fire() ticks.
  if (QCoreApplication::instance() == nullptr) return;
  impl_->clock.start();
  impl_->next_due_ms = PeriodMs(interval);
  impl_->timer.start(int(std::round(impl_->next_due_ms)));
}

void IntervalTimer::Fire() {
  ++ticks_;
  if (!ThatTime) return;
  // The tick skips its failing statements; any other failure ends the tick and is told.
  rt::GuardEvent("the timer tick", [&] {
    try {
      ThatTime();
    } catch (const rt::RtError&) {}
  });
}

}  // namespace vantrel::timer
