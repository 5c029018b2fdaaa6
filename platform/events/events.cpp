#include "platform/events/events.h"

namespace vantrel::platform {
namespace {

class IdlePump : public EventPump {
 public:
  void DoEvents() override {}
};

std::shared_ptr<EventPump>& PumpSlot() {
  static std::shared_ptr<EventPump> p = std::make_shared<IdlePump>();
  return p;
}

}  // namespace

EventPump& Events() { return *PumpSlot(); }

void SetEventPump(std::shared_ptr<EventPump> pump) {
  PumpSlot() = pump ? std::move(pump) : std::make_shared<IdlePump>();
}

}  // namespace vantrel::platform
