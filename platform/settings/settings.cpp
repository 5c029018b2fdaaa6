#include "platform/settings/settings.h"

#include <map>
#include <tuple>

#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::platform {

namespace {

std::shared_ptr<SettingsStore>& StoreSlot() {
  static std::shared_ptr<SettingsStore> s = std::make_shared<MemorySettingsStore>();
  return s;
}

}  // namespace

std::string NormaliseSettingsName(std::string_view name) { return rt::LCase(name); }

SettingsStore& Settings() { return *StoreSlot(); }

void SetSettingsStore(std::shared_ptr<SettingsStore> store) {
  StoreSlot() = store ? std::move(store) : std::make_shared<MemorySettingsStore>();
}

std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                       std::string_view fallback) {
  auto v = Settings().Read(std::string(app), NormaliseSettingsName(section), NormaliseSettingsName(key));
  return v ? *v : std::string(fallback);
}

void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                 std::string_view value) {
  // The run time refuses an empty section or key.
  if (section.empty() || key.empty()) throw rt::RtError(rt::kErrInvalidCall);
  Settings().Write(std::string(app), NormaliseSettingsName(section), NormaliseSettingsName(key),
                   std::string(value));
}

void DeleteSetting(std::string_view app, std::string_view section, std::string_view key) {
  Settings().Remove(std::string(app), NormaliseSettingsName(section), NormaliseSettingsName(key));
}

std::optional<std::string> MemorySettingsStore::Read(const std::string& app, const std::string& section,
                                                     const std::string& key) const {
  auto it = values_.find({app, section, key});
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void MemorySettingsStore::Write(const std::string& app, const std::string& section,
                                const std::string& key, const std::string& value) {
  if (readOnly_) throw rt::RtError(rt::kErrPermission);
  values_[{app, section, key}] = value;
  ++writes_;
}

void MemorySettingsStore::Remove(const std::string& app, const std::string& section,
                                 const std::string& key) {
  if (readOnly_) throw rt::RtError(rt::kErrPermission);
  values_.erase({app, section, key});
}

size_t MemorySettingsStore::size() const { return values_.size(); }

}  // namespace vantrel::platform
