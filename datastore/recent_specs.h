#pragma once
// The recent specifications (most recent first, 21 slots in the settings store) and the
// VirtualStore mapping of written paths.

#include <string>
#include <vector>

namespace vantrel::datastore {

inline constexpr int kRecentSpecSlots = 21;

// The key of slot i: "SpecsMax" and i with the pattern "00.00" (the locale's decimal separator).
std::string RecentSpecKey(int slot);

// Puts spec at the top of the list: an equal entry moves up, a new one fills the first empty
// slot's place; with every slot full the oldest is lost. An empty spec changes nothing.
void SaveRecentSpec(const std::string& spec);

// The 21 slots as stored ("" for an empty slot).
std::vector<std::string> RecentSpecs();

// Where a file written at `path` really lies. No folder of this platform redirects writes, so
// outPath is path and msg is left as it is.
void VirtualStorePath(std::string& msg, const std::string& path, std::string& outPath);

}  // namespace vantrel::datastore
