#pragma once
// Short waits that keep the event loop running: every pass lets the window's handlers and the
// view's timer run.

namespace vantrel::datastore {

// Waits about `seconds`, one event-loop pass and a sleep of `sleepMs` (rounded half to even;
// 0 only yields) per pass. Measured on the time of day: a wait that meets midnight ends after
// the pass that sees the clock restart. Runs at least one pass.
void PauseSleepW(float seconds, float sleepMs);

// Runs event-loop passes until more than `seconds` have passed, measured on the monotonic
// clock (so a wait across midnight ends too). Runs at least one pass.
void WaitSecondsW(double seconds);

}  // namespace vantrel::datastore
