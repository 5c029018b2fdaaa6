#include "platform/events/qt/qt_events.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>

namespace vantrel::platform {

void QtEventPump::DoEvents() {
  if (!QCoreApplication::instance()) return;
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void InstallQtEvents() { SetEventPump(std::make_shared<QtEventPump>()); }

}  // namespace vantrel::platform
