#pragma once
// The one guard where the toolkit's events enter the program's code (control handlers, menus,
// toolbars, the timer, the view's events). A failure that leaves a handler ends that handler, is
// told by the reporter the program installs (an "Error" box and a log line) and the program goes
// on. A handler that runs inside program code (raised by a program write to a control) is not
// guarded again: its failure goes to the code that made the write, as any failing statement does.
// A nested event loop (DoEvents, a modal box or form) opens a new level: events dispatched by it
// are guarded again.

#include <exception>
#include <functional>
#include <string>

namespace vantrel::rt {

// Called with the event's name and the failure's description.
using EventFaultReporter = std::function<void(const std::string& where, const std::string& description)>;
// nullptr: the default reporter, a line on standard error.
void SetEventFaultReporter(EventFaultReporter reporter);

// The description a failure is told with: an RtError's own, an exception's what(), "Out of
// memory" for bad_alloc.
std::string FailureDescription(std::exception_ptr failure);
// Tells the reporter of a failure that ended a handler; a failing reporter is passed over.
void ReportEventFault(const std::string& where, std::exception_ptr failure);

// True while program code runs on this thread, inside the current event-loop level.
bool InProgramCode();

class ProgramCodeScope {
 public:
  ProgramCodeScope();
  ~ProgramCodeScope();
  ProgramCodeScope(const ProgramCodeScope&) = delete;
  ProgramCodeScope& operator=(const ProgramCodeScope&) = delete;
};

// Opened around a nested event loop, so that what it dispatches is guarded again.
class EventLoopScope {
 public:
  EventLoopScope();
  ~EventLoopScope();
  EventLoopScope(const EventLoopScope&) = delete;
  EventLoopScope& operator=(const EventLoopScope&) = delete;

 private:
  int saved_;
};

// Runs an event's handler: guarded when the event comes from the toolkit, as it is when it comes
// from program code.
template <class F>
void GuardEvent(const char* where, F&& f) {
  if (InProgramCode()) {
    f();
    return;
  }
  ProgramCodeScope scope;
  try {
    f();
  } catch (...) {
    ReportEventFault(where, std::current_exception());
  }
}

}  // namespace vantrel::rt
