#pragma once
#include "platform/locale/locale.h"

namespace vantrel::platform {

// Reads the separators of the system locale through QLocale.
class SystemLocaleProvider : public LocaleProvider {
 public:
  LocaleSeparators separators() const override;
};

// Installs SystemLocaleProvider as the provider of UserLocale().
void InstallSystemLocale();

}  // namespace vantrel::platform
