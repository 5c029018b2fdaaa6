#pragma once
// Keys of the single settings the main window keeps in section "Use": "Setstr" followed by the
// number 1 written with the patterns "00.00" to "05.00" (a digit other than 0 is copied, the
// point is the locale's decimal separator): Setstr01.00, Setstr11.00 ... Setstr15.00.

#include <string>

#include "platform/runtime/vb.h"

namespace vantrel::ui {

enum SingleSettingIndex : int {
  kEarthTextureKey = 0,   // Setstr01.00
  kMoonTextureKey = 1,    // Setstr11.00
  kKeywordKey = 2,        // Setstr12.00
  kSatelliteSizeKey = 3,  // Setstr13.00
  kSatelliteKey = 4,      // Setstr14.00
  kSolarPanelKey = 5,     // Setstr15.00
};

inline std::string SingleSettingKey(int index) {
  static const char* patterns[6] = {"00.00", "01.00", "02.00", "03.00", "04.00", "05.00"};
  return "Setstr" + rt::Format(1, patterns[index]);
}

}  // namespace vantrel::ui
