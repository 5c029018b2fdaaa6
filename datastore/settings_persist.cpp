#include "datastore/settings_persist.h"

#include "datastore/number_text.h"
#include "datastore/state.h"
#include "numerics/valloc.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"

namespace vantrel::datastore {

namespace {

constexpr const char* kSection = "Use";

}  // namespace

double SettingsEntryValue(const SettingsEntry& e) {
  switch (e.kind) {
    case SettingsEntry::kNumber: return numerics::ValLoc(e.number);
    case SettingsEntry::kText: return numerics::ValLoc(e.text);
    default: return 0.0;
  }
}

std::string SettingsKey(int entry) { return "Set" + rt::Format(entry, "00.00"); }

void SettingsTableW(int mode) {
  DataStore& s = Store();
  if (mode == 1) {
    for (int i = 0; i < kSettingsFields; ++i) {
      SettingsEntry& e = s.SettingsArr[i];
      e.kind = SettingsEntry::kNumber;
      e.number = SettingsField(s.SettingsBlock, i);
      e.text.clear();
    }
    return;
  }
  for (int i = 0; i < kFirstColourField; ++i)
    SetSettingsField(s.SettingsBlock, i, SettingsEntryValue(s.SettingsArr[i]));
  for (int i = kFirstColourField; i <= kLastColourField; ++i) {
    SettingsEntry& e = s.SettingsArr[i];
    double v;
    if (e.kind == SettingsEntry::kNumber) {
      v = e.number;
    } else if (e.kind == SettingsEntry::kText && IsNumberText(e.text)) {
      v = numerics::ValLoc(e.text);
    } else {
      // A colour that is not a number (a store edited by hand): the factory colour.
      v = SettingsField(s.FactorySettingsBlock, i);
      e = {SettingsEntry::kNumber, v, {}};
    }
    if (v < 0 || v > 255) e = {SettingsEntry::kNumber, ClampColour(v), {}};
    SetSettingsField(s.SettingsBlock, i, ClampColour(SettingsEntryValue(e)));
  }
  for (int i = kLastColourField + 1; i < kSettingsFields; ++i)
    SetSettingsField(s.SettingsBlock, i, SettingsEntryValue(s.SettingsArr[i]));
}

void UseSettingsW(int mode, double& noneStored) {
  DataStore& s = Store();
  const char* app = platform::kSettingsApp;
  if (mode == 1) {
    SettingsTableW(1);
    for (int i = 0; i < kSettingsEntries; ++i) {
      const SettingsEntry& e = s.SettingsArr[i];
      std::string text = e.kind == SettingsEntry::kNumber ? rt::CStr(e.number)
                         : e.kind == SettingsEntry::kText ? e.text
                                                          : std::string();
      platform::SaveSetting(app, kSection, SettingsKey(i), text);
    }
    return;
  }
  double sum = 0;
  for (int i = 0; i < kSettingsEntries; ++i) {
    SettingsEntry& e = s.SettingsArr[i];
    e = {SettingsEntry::kText, 0, platform::GetSetting(app, kSection, SettingsKey(i), "0")};
    double v = 0;
    if (rt::Try([&] { v = rt::Val(e.text); }) == 0) sum += v;
  }
  if (sum == 0) {
    noneStored = -1;
    return;
  }
  SettingsTableW(0);
}

}  // namespace vantrel::datastore
