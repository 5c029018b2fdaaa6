#pragma once
#include "platform/events/events.h"

namespace vantrel::platform {

// One pass of Qt's event loop: posted events (deferred deletes included) and the window
// system's and timers' events that are waiting. Does nothing without an application object.
class QtEventPump : public EventPump {
 public:
  void DoEvents() override;
};

// Installs QtEventPump as the pump in force.
void InstallQtEvents();

}  // namespace vantrel::platform
