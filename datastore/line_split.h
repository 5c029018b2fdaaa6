#pragma once
// Cutting one data line at its TABs and converting its fields to numbers.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::datastore {

inline constexpr int kMaxFields = 20;  // fields stored per line; more are counted only
// The columns of the data: the fields a data line gives the tables (columns A to Q).
inline constexpr int kDataFileColumns = 17;

struct SplitFields {
  std::array<double, kMaxFields + 1> values{};    // 1..20; only the line's fields are written
  std::array<std::string, kMaxFields + 1> texts;  // only 6, only in pen-up-label mode
  int64_t count = 0;                              // fields of the line, also past 20
  int64_t field = 0;                              // the field being converted (for reports)
  // 1 when field 1, 5, 7, 12 or 14 exists and is empty.
  int empty1 = 0, empty5 = 0, empty7 = 0, empty12 = 0, empty14 = 0;
  std::string label;  // the label of field 6 ("" without one)
};

// Splits line into fields: each is converted with ValNumW; field 6 gives the label (trimmed,
// "0" when blank; a text reading 0 whose last character is S/s or E/e gives 1 or 0, except in
// pen-up-label mode, where field 6 is also kept as text).
void SplitTabLineW(std::string_view line, SplitFields& out, bool penUpLabelMode);

// The number of a data-file field: the locale-aware parser, except that a field in the form
// the writer gives numbers (optional "-", digits, one "." or ",", exactly ten digits) always
// reads its separator as the decimal point, whatever the locale's grouping mark.
double ValNumW(std::string_view text);

}  // namespace vantrel::datastore
