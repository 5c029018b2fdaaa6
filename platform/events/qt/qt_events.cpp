#include "platform/events/qt/qt_events.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>

#include "platform/runtime/event_guard.h"

namespace vantrel::platform {

void QtEventPump::DoEvents() {
  if (!QCoreApplication::instance()) return;
  rt::EventLoopScope level;
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void InstallQtEvents() { SetEventPump(std::make_shared<QtEventPump>()); }

}  // namespace vantrel::platform
