#pragma once
// The option values of SettingsBlock mirrored into SettingsArr and kept in the settings store,
// section "Use", keys "Set" & Format(i, "00.00") for i = 0 to 100.

#include <string>

namespace vantrel::datastore {

inline constexpr int kSettingsEntries = 101;

struct SettingsEntry;
// A stored entry as a number: a number or a text read in the user's writing, else 0.
double SettingsEntryValue(const SettingsEntry& e);

// The key of entry i (the locale's decimal separator inside: "Set08.00" or "Set08,00").
std::string SettingsKey(int entry);

// Mode 1: SettingsBlock to SettingsArr (entries 0 to 37). Any other mode: SettingsArr to
// SettingsBlock, the colour entries (11 to 28) clamped to 0..255 first; a colour entry that is
// not a number takes the factory value.
void SettingsTableW(int mode);

// Mode 1: saves SettingsBlock through SettingsArr. Any other mode: loads the stored entries into
// SettingsArr and, when they add up to something other than 0, into SettingsBlock; otherwise
// sets noneStored to True (-1) and leaves the record as it is.
void UseSettingsW(int mode, double& noneStored);

}  // namespace vantrel::datastore
