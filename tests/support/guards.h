#pragma once
// Scoped replacements of the injectable services, restored when the guard ends.

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "numerics/numerics_state.h"
#include "platform/forms/msgbox.h"
#include "platform/locale/locale.h"
#include "platform/runtime/clock.h"

namespace vantrel::test {

// Installs fixed locale separators, and a fresh numerics state so that the number parser reads
// them again.
class LocaleGuard {
 public:
  explicit LocaleGuard(const platform::LocaleSeparators& s);
  LocaleGuard(const char* decimal, const char* thousands);
  ~LocaleGuard();

 private:
  numerics::ScopedNumerics numerics_;
};

// Installs scripted message boxes, and the numeric warnings as boxes (as the program shows
// them); box() gives the recorded boxes.
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

// Sets or unsets environment variables; each gets its former value back when the guard ends.
class EnvGuard {
 public:
  EnvGuard() = default;
  EnvGuard(const char* name, const char* value) { Set(name, value); }
  EnvGuard(const EnvGuard&) = delete;
  EnvGuard& operator=(const EnvGuard&) = delete;
  ~EnvGuard();
  void Set(const char* name, const char* value);  // nullptr unsets

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Makes rt::End() throw EndCalled instead of ending the process.
struct EndCalled {};
class EndGuard {
 public:
  EndGuard();
  ~EndGuard();
};

}  // namespace vantrel::test
