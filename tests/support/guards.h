#pragma once
// Scoped replacements of the injectable services, restored when the guard ends.

#include <memory>
#include <vector>

#include "platform/forms/msgbox.h"
#include "platform/locale/locale.h"
#include "platform/runtime/clock.h"

namespace vantrel::test {

// Installs fixed locale separators (and makes the number parser read them again).
class LocaleGuard {
 public:
  explicit LocaleGuard(const platform::LocaleSeparators& s);
  LocaleGuard(const char* decimal, const char* thousands);
  ~LocaleGuard();
};

// Installs scripted message boxes; box() gives the recorded boxes.
class MsgBoxGuard {
 public:
  explicit MsgBoxGuard(std::vector<int> answers = {}, int fallback = forms::kOK);
  ~MsgBoxGuard();
  forms::ScriptedMessageBoxes& boxes() { return *boxes_; }

 private:
  std::shared_ptr<forms::ScriptedMessageBoxes> boxes_;
};

// Installs a fake clock.
class ClockGuard {
 public:
  explicit ClockGuard(double serial = 45356.5);
  ~ClockGuard();
  rt::FakeClock& clock() { return *clock_; }

 private:
  std::shared_ptr<rt::FakeClock> clock_;
};

// Makes rt::End() throw EndCalled instead of ending the process.
struct EndCalled {};
class EndGuard {
 public:
  EndGuard();
  ~EndGuard();
};

}  // namespace vantrel::test
