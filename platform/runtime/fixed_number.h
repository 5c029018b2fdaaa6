#pragma once
// A number with a fixed count of decimals, as a spreadsheet displays it under the formats "0",
// "0.0", "0.0000000000" and the like: the number rounded to its 15 significant digits, then to
// `frac` decimals (halves away from zero), a leading "-" when negative, no digit grouping, at
// least one digit before the decimal separator `decimal`. Only for finite numbers.

#include <string>
#include <string_view>

namespace vantrel::rt {

void AppendFixedDecimals(std::string& out, double x, int frac, std::string_view decimal);

}  // namespace vantrel::rt
