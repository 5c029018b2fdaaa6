#include "platform/settings/settings.h"

#include <cstdio>
#include <map>
#include <tuple>

#include "platform/runtime/rterror.h"
#include "platform/runtime/service_slot.h"
#include "platform/runtime/vb.h"

namespace vantrel::platform {

namespace {

// What the store in force refused to keep during this run: a value, or nothing for a removal.
struct Unsaved {
  std::map<std::tuple<std::string, std::string, std::string>, std::optional<std::string>> values;
  bool told = false;
};

// The store in force and what it refused; a store installed starts with nothing refused.
struct SettingsInForce {
  std::shared_ptr<SettingsStore> store = std::make_shared<MemorySettingsStore>();
  Unsaved unsaved;
};

constinit rt::ServiceSlot<SettingsInForce> g_settings{&rt::MakeDefault<SettingsInForce>};
constinit rt::CallbackSlot<void(const std::string&)> g_faultReporter;

Unsaved& Pending() { return g_settings.get().unsaved; }

void Refused(const rt::RtError& e) {
  Unsaved& u = Pending();
  if (u.told) return;
  u.told = true;
  const std::string text = e.description().empty() ? rt::ErrorDescription(e.number()) : e.description();
  std::fprintf(stderr, "vantrel: %s\n", text.c_str());
  if (const auto report = g_faultReporter.get()) (*report)(text);
}

}  // namespace

std::string NormaliseSettingsName(std::string_view name) { return rt::LCase(name); }

SettingsStore& Settings() { return *g_settings.get().store; }

void SetSettingsStore(std::shared_ptr<SettingsStore> store) {
  auto inForce = std::make_shared<SettingsInForce>();
  if (store) inForce->store = std::move(store);
  g_settings.set(std::move(inForce));
}

void SetSettingsFaultReporter(std::function<void(const std::string& description)> reporter) {
  g_faultReporter.set(std::move(reporter));
}

std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                       std::string_view fallback) {
  std::tuple<std::string, std::string, std::string> k{std::string(app), NormaliseSettingsName(section),
                                                      NormaliseSettingsName(key)};
  const auto& pending = Pending().values;
  if (auto it = pending.find(k); it != pending.end()) return it->second ? *it->second : std::string(fallback);
  auto v = Settings().Read(std::get<0>(k), std::get<1>(k), std::get<2>(k));
  return v ? *v : std::string(fallback);
}

void SaveSetting(std::string_view app, std::string_view section, std::string_view key, std::string_view value) {
  // The run time refuses an empty section or key.
  if (section.empty() || key.empty()) throw rt::RtError(rt::kErrInvalidCall);
  std::tuple<std::string, std::string, std::string> k{std::string(app), NormaliseSettingsName(section),
                                                      NormaliseSettingsName(key)};
  try {
    Settings().Write(std::get<0>(k), std::get<1>(k), std::get<2>(k), std::string(value));
    Pending().values.erase(k);
  } catch (const rt::RtError& e) {
    Pending().values[k] = std::string(value);
    Refused(e);
  }
}

void DeleteSetting(std::string_view app, std::string_view section, std::string_view key) {
  std::tuple<std::string, std::string, std::string> k{std::string(app), NormaliseSettingsName(section),
                                                      NormaliseSettingsName(key)};
  try {
    Settings().Remove(std::get<0>(k), std::get<1>(k), std::get<2>(k));
    Pending().values.erase(k);
  } catch (const rt::RtError& e) {
    Pending().values[k] = std::nullopt;
    Refused(e);
  }
}

std::optional<std::string> MemorySettingsStore::Read(const std::string& app, const std::string& section,
                                                     const std::string& key) const {
  auto it = values_.find({app, section, key});
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void MemorySettingsStore::Write(const std::string& app, const std::string& section, const std::string& key,
                                const std::string& value) {
  if (readOnly_) throw rt::RtError(rt::kErrPermission);
  values_[{app, section, key}] = value;
  ++writes_;
}

void MemorySettingsStore::Remove(const std::string& app, const std::string& section, const std::string& key) {
  if (readOnly_) throw rt::RtError(rt::kErrPermission);
  values_.erase({app, section, key});
}

size_t MemorySettingsStore::size() const { return values_.size(); }

}  // namespace vantrel::platform
