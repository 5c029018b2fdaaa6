#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "platform/events/events.h"
#include "platform/events/qt/qt_events.h"

namespace vantrel::platform {
namespace {

TEST(Events, OnePassRunsWaitingTimersAndPostedCallsThenReturns) {
  EventPumpGuard g(std::make_shared<QtEventPump>());
  int timers = 0, posted = 0;
  QTimer::singleShot(0, [&] { ++timers; });
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [&] { ++posted; }, Qt::QueuedConnection);
  DoEvents();
  EXPECT_EQ(timers, 1);
  EXPECT_EQ(posted, 1);
  // A timer that is not due yet does not hold the pass.
  QTimer late;
  late.setSingleShot(true);
  int fired = 0;
  QObject::connect(&late, &QTimer::timeout, [&] { ++fired; });
  late.start(60000);
  DoEvents();
  EXPECT_EQ(fired, 0);
}

TEST(Events, DeferredDeletesHappenInAPass) {
  EventPumpGuard g(std::make_shared<QtEventPump>());
  QPointer<QObject> o = new QObject;
  o->deleteLater();
  DoEvents();
  EXPECT_TRUE(o.isNull());
}

TEST(Events, FakePumpCountsPassesAndRunsItsAction) {
  int ran = 0;
  auto fake = std::make_shared<FakeEventPump>([&] { ++ran; });
  {
    EventPumpGuard g(fake);
    DoEvents();
    DoEvents();
  }
  DoEvents();  // the idle pump again
  EXPECT_EQ(fake->passes(), 2);
  EXPECT_EQ(ran, 2);
}

}  // namespace
}  // namespace vantrel::platform
