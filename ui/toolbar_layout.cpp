#include "ui/toolbar_layout.h"

#include "platform/settings/settings.h"

namespace vantrel::ui {
namespace {

std::string LayoutName(const std::string& key, const std::string& subkey, const std::string& value) {
  return key + "." + subkey + "." + value;
}

}  // namespace

std::string SettingsToolbarLayouts::Read(const std::string& key, const std::string& subkey, const std::string& value) {
  return platform::GetSetting(platform::kSettingsApp, "Toolbars", LayoutName(key, subkey, value), "");
}

void SettingsToolbarLayouts::Write(const std::string& key, const std::string& subkey, const std::string& value,
                                   const std::string& text) {
  platform::SaveSetting(platform::kSettingsApp, "Toolbars", LayoutName(key, subkey, value), text);
}

}  // namespace vantrel::ui
