#pragma once
// Whether a text reads as a number under the user's rules (the test the run time makes before
// it compares or formats a text as a number).

#include <string>

namespace vantrel::datastore {

// Digits with signs, an exponent, the locale's decimal and grouping characters, "." "," and
// blanks; at least one digit.
bool IsNumberText(const std::string& s);

}  // namespace vantrel::datastore
