#pragma once
// The settings store on QSettings in INI format: one file per application,
// <folder>/<app>.ini, the folder being $XDG_CONFIG_HOME/Vantrel unless given.

#include <memory>
#include <string>

#include "platform/settings/settings.h"

namespace vantrel::platform {

class QtSettingsStore : public SettingsStore {
 public:
  explicit QtSettingsStore(std::string folder = "");
  ~QtSettingsStore() override;

  std::optional<std::string> Read(const std::string& app, const std::string& section,
                                  const std::string& key) const override;
  void Write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;
  void Remove(const std::string& app, const std::string& section, const std::string& key) override;

  // The INI file that holds the settings of app.
  std::string FilePath(const std::string& app) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Installs a QtSettingsStore under $XDG_CONFIG_HOME as the store in force.
void InstallQtSettings();

}  // namespace vantrel::platform
