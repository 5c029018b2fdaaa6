#include "platform/locale/locale.h"

#include <mutex>

namespace vantrel::platform {
namespace {

struct State {
  std::shared_ptr<const LocaleProvider> provider =
      std::make_shared<FixedLocaleProvider>(LocaleSeparators{});
  LocaleSeparators cached;
  bool have = false;
  int queries = 0;
};

State& state() {
  static State s;
  return s;
}

}  // namespace

const LocaleSeparators& UserLocale() {
  State& s = state();
  if (!s.have) {
    s.cached = s.provider->separators();
    s.have = true;
    ++s.queries;
  }
  return s.cached;
}

void SetLocaleProvider(std::shared_ptr<const LocaleProvider> provider) {
  State& s = state();
  s.provider = provider ? std::move(provider)
                        : std::make_shared<FixedLocaleProvider>(LocaleSeparators{});
  s.have = false;
}

int LocaleQueryCount() { return state().queries; }

void SetFixedLocale(const LocaleSeparators& sep) {
  SetLocaleProvider(std::make_shared<FixedLocaleProvider>(sep));
}

}  // namespace vantrel::platform
