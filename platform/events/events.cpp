#include "platform/events/events.h"

#include "platform/runtime/service_slot.h"

namespace vantrel::platform {
namespace {

class IdlePump : public EventPump {
 public:
  void DoEvents() override {}
};

constinit rt::ServiceSlot<EventPump> g_pump{&rt::MakeDefault<EventPump, IdlePump>};

}  // namespace

EventPump& Events() { return g_pump.get(); }

void SetEventPump(std::shared_ptr<EventPump> pump) { g_pump.set(std::move(pump)); }

}  // namespace vantrel::platform
