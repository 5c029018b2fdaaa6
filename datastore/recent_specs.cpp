#include "datastore/recent_specs.h"

#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"

namespace vantrel::datastore {

namespace {
constexpr const char* kSection = "Use";
}

std::string RecentSpecKey(int slot) { return "SpecsMax" + rt::Format(slot, "00.00"); }

void SaveRecentSpec(const std::string& spec) {
  if (spec.empty()) return;
  using platform::GetSetting;
  using platform::SaveSetting;
  const char* app = platform::kSettingsApp;
  int found = -1, firstEmpty = kRecentSpecSlots - 1;
  for (int i = 0; i < kRecentSpecSlots; ++i) {
    const std::string s = GetSetting(app, kSection, RecentSpecKey(i));
    if (s == spec) found = i;
    if (s.empty() && firstEmpty == kRecentSpecSlots - 1) firstEmpty = i;
  }
  const int last = found != -1 ? found : firstEmpty;
  for (int i = last - 1; i >= 0; --i)
    SaveSetting(app, kSection, RecentSpecKey(i + 1), GetSetting(app, kSection, RecentSpecKey(i)));
  SaveSetting(app, kSection, RecentSpecKey(0), spec);
}

std::vector<std::string> RecentSpecs() {
  std::vector<std::string> out;
  for (int i = 0; i < kRecentSpecSlots; ++i)
    out.push_back(platform::GetSetting(platform::kSettingsApp, kSection, RecentSpecKey(i)));
  return out;
}

void VirtualStorePath(std::string& msg, const std::string& path, std::string& outPath) {
  (void)msg;
  outPath = path;
}

}  // namespace vantrel::datastore
