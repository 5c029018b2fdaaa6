#include "tests/support/guards.h"

#include <cstdlib>

#include "numerics/valloc.h"
#include "numerics/warnings.h"
#include "platform/forms/warning_boxes.h"

namespace vantrel::test {

LocaleGuard::LocaleGuard(const platform::LocaleSeparators& s) { platform::SetFixedLocale(s); }

LocaleGuard::LocaleGuard(const char* decimal, const char* thousands)
    : LocaleGuard(platform::LocaleSeparators{decimal, thousands, "/", ":"}) {}

LocaleGuard::~LocaleGuard() { platform::SetFixedLocale(platform::LocaleSeparators{}); }

MsgBoxGuard::MsgBoxGuard(std::vector<int> answers, int fallback)
    : boxes_(std::make_shared<forms::ScriptedMessageBoxes>(std::move(answers), fallback)) {
  forms::SetMessageBoxService(boxes_);
  numerics::SetWarningSink(std::make_shared<forms::WarningBoxes>());
}

MsgBoxGuard::~MsgBoxGuard() {
  numerics::SetWarningSink(nullptr);
  forms::SetMessageBoxService(nullptr);
}

ClockGuard::ClockGuard(double serial) : clock_(std::make_shared<rt::FakeClock>(serial)) { rt::SetClock(clock_); }

ClockGuard::~ClockGuard() { rt::SetClock(nullptr); }

void EnvGuard::Set(const char* name, const char* value) {
  bool known = false;
  for (const auto& s : saved_) known = known || s.first == name;
  if (!known) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
  }
  if (value) setenv(name, value, 1);
  else unsetenv(name);
}

EnvGuard::~EnvGuard() {
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    if (it->second) setenv(it->first.c_str(), it->second->c_str(), 1);
    else unsetenv(it->first.c_str());
  }
}

EndGuard::EndGuard() {
  rt::SetEndHandler([] { throw EndCalled{}; });
}

EndGuard::~EndGuard() { rt::SetEndHandler(nullptr); }

}  // namespace vantrel::test
