#include "datastore/waits.h"

#include <thread>

#include "platform/events/events.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

void PauseSleepW(float seconds, float sleepMs) {
  // Single arithmetic, as the time of day is kept.
  const float t0 = static_cast<float>(rt::Timer());
  float end = t0 + seconds;
  const long ms = static_cast<long>(rt::RoundHalfEven(sleepMs));
  float now;
  do {
    now = static_cast<float>(rt::Timer());
    if (now < t0) end = t0 - 86400.0f;  // midnight passed: this is the last pass
    platform::DoEvents();
    if (ms > 0) {
      rt::Sleep(ms);
    } else {
      rt::Sleep(0);
      std::this_thread::yield();
    }
  } while (now < end);
}

void WaitSecondsW(double seconds) {
  rt::Clock& clock = rt::CurrentClock();
  const double start = clock.Monotonic();
  if (!(seconds >= 0)) seconds = 0;  // a negative or undefined length waits one pass
  do {
    platform::DoEvents();
  } while (!(clock.Monotonic() > start + seconds));
}

}  // namespace vantrel::datastore
