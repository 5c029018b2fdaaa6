#include "datastore/number_text.h"

#include "numerics/valloc.h"
#include "platform/locale/locale.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

bool IsNumberText(const std::string& s) {
  const auto& loc = platform::UserLocale();
  std::string t = rt::Trim(s);
  for (const std::string* sep : {&loc.decimal, &loc.thousands})
    if (!sep->empty()) t = rt::Replace(t, *sep, ".");
  bool digit = false, exp = false;
  for (size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if ((c == 'e' || c == 'E') && digit && !exp) {
      exp = true;
    } else if (c == '+' || c == '-') {
      if (i != 0 && t[i - 1] != 'e' && t[i - 1] != 'E') return false;
    } else if (c != '.' && c != ',' && c != ' ') {
      return false;
    }
  }
  return digit;
}

double UserWrittenNumber(const std::string& text) {
  std::string t = IsNumberText(text) ? rt::Format(numerics::ValLoc(text), "#0.00000000000000000") : text;
  const size_t comma = t.find(',');
  if (comma != std::string::npos) t[comma] = '.';
  return rt::Val(t);
}

}  // namespace vantrel::datastore
