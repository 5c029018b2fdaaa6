#pragma once
// The user's locale separators, read once per run from the system (or from a provider that a
// test injects). Separators are UTF-8 text and may be several bytes long (U+00A0, U+202F).

#include <memory>
#include <string>

namespace vantrel::platform {

struct LocaleSeparators {
  std::string decimal = ".";
  std::string thousands = ",";
  std::string date = "/";
  std::string time = ":";
};

class LocaleProvider {
 public:
  virtual ~LocaleProvider() = default;
  virtual LocaleSeparators separators() const = 0;
};

// A provider that returns fixed separators, for tests and as the default before the system
// provider is installed.
class FixedLocaleProvider : public LocaleProvider {
 public:
  explicit FixedLocaleProvider(LocaleSeparators s) : s_(std::move(s)) {}
  LocaleSeparators separators() const override { return s_; }

 private:
  LocaleSeparators s_;
};

// The separators in force: asked of the provider on the first call, then cached for the run.
const LocaleSeparators& UserLocale();

// Installs a provider, its separators not yet read. The program installs the system provider at
// start-up; tests install a fixed one. LocaleQueryCount: how often the provider in force was asked.
void SetLocaleProvider(std::shared_ptr<const LocaleProvider> provider);
int LocaleQueryCount();

// Convenience for tests: installs a FixedLocaleProvider.
void SetFixedLocale(const LocaleSeparators& s);

}  // namespace vantrel::platform
