#pragma once
// Displayed text of cell values under spreadsheet number format codes ("General", "0.00",
// "#,##0.00", "0.00%", "0.00E+00", "yyyy-mm-dd hh:mm:ss", "@", sections split by ";").
// Numbers carry the user locale's decimal separator.

#include <string>
#include <string_view>

namespace vantrel::spreadsheet::numfmt {

// True when the format shows a date or a time (its first section holds d, m, y, h or s
// outside quotes and brackets).
bool IsDateFormat(std::string_view code);

// The displayed text of a number under the format.
std::string FormatNumber(double x, std::string_view code);

// A number as a formula shows a constant: "." as decimal point, up to 15 significant digits.
std::string EnglishNumber(double x);

// A number under "General": up to 15 significant digits, the locale's decimal separator.
std::string GeneralNumber(double x);

}  // namespace vantrel::spreadsheet::numfmt
