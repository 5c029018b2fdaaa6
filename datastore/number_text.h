#pragma once
// Whether a text reads as a number under the user's rules (the test the run time makes before
// it compares or formats a text as a number).

#include <string>

namespace vantrel::datastore {

// Digits with signs, an exponent, the locale's decimal and grouping characters, "." "," and
// blanks; at least one digit.
bool IsNumberText(const std::string& s);

// A number field in the user's own writing, as the fixed-path files and the pushed time cells
// hold it: a number text (above) is written with 17 decimals in the user's locale; then the
// first comma of the text becomes a point and the locale-independent parser reads it (the
// leading number, 0 when there is none). So "1.5" and "1,5" read as 1.5 under their locales,
// and so does a grouped "1'000.5" or "1 000,5". The parser's run-time errors propagate.
double UserWrittenNumber(const std::string& text);

}  // namespace vantrel::datastore
