#include "tests/support/guards.h"

#include "numerics/valloc.h"

namespace vantrel::test {

LocaleGuard::LocaleGuard(const platform::LocaleSeparators& s) {
  platform::SetFixedLocale(s);
  numerics::ResetLocaleSeparatorsForTesting();
}

LocaleGuard::LocaleGuard(const char* decimal, const char* thousands)
    : LocaleGuard(platform::LocaleSeparators{decimal, thousands, "/", ":"}) {}

LocaleGuard::~LocaleGuard() {
  platform::SetFixedLocale(platform::LocaleSeparators{});
  numerics::ResetLocaleSeparatorsForTesting();
}

MsgBoxGuard::MsgBoxGuard(std::vector<int> answers, int fallback)
    : boxes_(std::make_shared<forms::ScriptedMessageBoxes>(std::move(answers), fallback)) {
  forms::SetMessageBoxService(boxes_);
}

MsgBoxGuard::~MsgBoxGuard() { forms::SetMessageBoxService(nullptr); }

ClockGuard::ClockGuard(double serial) : clock_(std::make_shared<rt::FakeClock>(serial)) {
  rt::SetClock(clock_);
}

ClockGuard::~ClockGuard() { rt::SetClock(nullptr); }

EndGuard::EndGuard() {
  rt::SetEndHandler([] { throw EndCalled{}; });
}

EndGuard::~EndGuard() { rt::SetEndHandler(nullptr); }

}  // namespace vantrel::test
