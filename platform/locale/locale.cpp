#include "platform/locale/locale.h"

#include <mutex>

#include "platform/runtime/service_slot.h"

namespace vantrel::platform {
namespace {

// The provider in force and the separators it gave; they are read once, by the first caller
// on any thread, and a provider installed starts unread.
struct LocaleInForce {
  std::shared_ptr<const LocaleProvider> provider = std::make_shared<FixedLocaleProvider>(LocaleSeparators{});
  std::once_flag read;
  LocaleSeparators cached;
  int queries = 0;
};

constinit rt::ServiceSlot<LocaleInForce> g_locale{&rt::MakeDefault<LocaleInForce>};

}  // namespace

const LocaleSeparators& UserLocale() {
  LocaleInForce& s = g_locale.get();
  std::call_once(s.read, [&s] {
    s.cached = s.provider->separators();
    ++s.queries;
  });
  return s.cached;
}

void SetLocaleProvider(std::shared_ptr<const LocaleProvider> provider) {
  auto inForce = std::make_shared<LocaleInForce>();
  if (provider) inForce->provider = std::move(provider);
  g_locale.set(std::move(inForce));
}

int LocaleQueryCount() { return g_locale.get().queries; }

void SetFixedLocale(const LocaleSeparators& sep) { SetLocaleProvider(std::make_shared<FixedLocaleProvider>(sep)); }

}  // namespace vantrel::platform
