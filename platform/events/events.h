#pragma once
// One pass of the event loop (DoEvents): handles the events that are waiting, then returns.
// Handlers of any window and timer may run inside it.

#include <functional>
#include <memory>

namespace vantrel::platform {

class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void DoEvents() = 0;
};

// The pump in force: one that does nothing until the program installs the Qt one.
EventPump& Events();
void SetEventPump(std::shared_ptr<EventPump> pump);  // nullptr restores the idle pump

inline void DoEvents() { Events().DoEvents(); }

// Counts its passes and runs a test's action in each, standing in for the handlers that a
// real pass would run.
class FakeEventPump : public EventPump {
 public:
  explicit FakeEventPump(std::function<void()> onPass = {}) : onPass_(std::move(onPass)) {}
  void DoEvents() override {
    ++passes_;
    if (onPass_) onPass_();
  }
  void SetOnPass(std::function<void()> f) { onPass_ = std::move(f); }
  long passes() const { return passes_; }

 private:
  std::function<void()> onPass_;
  long passes_ = 0;
};

// Installs a pump for the life of the guard.
class EventPumpGuard {
 public:
  explicit EventPumpGuard(std::shared_ptr<EventPump> pump) { SetEventPump(std::move(pump)); }
  ~EventPumpGuard() { SetEventPump(nullptr); }
  EventPumpGuard(const EventPumpGuard&) = delete;
  EventPumpGuard& operator=(const EventPumpGuard&) = delete;
};

}  // namespace vantrel::platform
