#pragma once
// The per-user settings store: text values by application, section and key. Sections and keys
// are case-insensitive (both are normalised to lower case); a missing key gives the caller's
// default.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

namespace vantrel::platform {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or nothing when the key is missing. Arguments are already normalised.
  virtual std::optional<std::string> Read(const std::string& app, const std::string& section,
                                          const std::string& key) const = 0;
  // Stores the text; a store that cannot write throws rt::RtError.
  virtual void Write(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) = 0;
  // Removes the key (nothing happens when it is missing).
  virtual void Remove(const std::string& app, const std::string& section, const std::string& key) = 0;
};

// The one application name under which the program keeps all its settings.
inline constexpr const char* kSettingsApp = "Vantrel";

// Lower-cases a section or key (ASCII and the letters the run time's LCase knows).
std::string NormaliseSettingsName(std::string_view name);

// The store in force: an in-memory one until the program (or a test) installs another.
SettingsStore& Settings();
void SetSettingsStore(std::shared_ptr<SettingsStore> store);  // nullptr: a fresh memory store

// The run time's GetSetting / SaveSetting / DeleteSetting on the store in force. A write the
// store refuses is kept in memory for the rest of the run (GetSetting reads it back) and told
// once per run to the fault reporter, with the store's description (the file and the reason);
// SaveSetting and DeleteSetting then return as if written.
std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                       std::string_view fallback = "");
void SaveSetting(std::string_view app, std::string_view section, std::string_view key, std::string_view value);
void DeleteSetting(std::string_view app, std::string_view section, std::string_view key);

// Told of the first refused write of a run; nullptr: a line on standard error only.
void SetSettingsFaultReporter(std::function<void(const std::string& description)> reporter);

// A store in memory, for tests and as the default. It can be told to refuse writes.
class MemorySettingsStore : public SettingsStore {
 public:
  std::optional<std::string> Read(const std::string& app, const std::string& section,
                                  const std::string& key) const override;
  void Write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;
  void Remove(const std::string& app, const std::string& section, const std::string& key) override;

  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  size_t size() const;
  int writes() const { return writes_; }

 private:
  std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
  bool readOnly_ = false;
  int writes_ = 0;
};

}  // namespace vantrel::platform
