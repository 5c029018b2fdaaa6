#pragma once
// Toolbar arrangements kept in the settings store (section "Toolbars", key "key.subkey.value"),
// so that a layout saved in one run is restored in the next.

#include <string>

#include "platform/forms/layout_store.h"

namespace vantrel::ui {

class SettingsToolbarLayouts : public forms::LayoutStore {
 public:
  std::string Read(const std::string& key, const std::string& subkey, const std::string& value) override;
  void Write(const std::string& key, const std::string& subkey, const std::string& value,
             const std::string& text) override;
};

}  // namespace vantrel::ui
