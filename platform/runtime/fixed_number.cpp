#include "platform/runtime/fixed_number.h"

#include <charconv>
#include <cmath>

namespace vantrel::rt {

void AppendFixedDecimals(std::string& out, double x, int frac, std::string_view decimal) {
  // The 15 significant digits d1...d15 and the count of digits before the decimal point.
  char digits[24];
  int nd = 0;
  int point = 0;
  const double v = std::fabs(x);
  if (v != 0) {
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    const char* e = buf;
    while (e < r.ptr && *e != 'e') ++e;
    int exp10 = 0;
    if (e < r.ptr) std::from_chars(e + 1 + (e[1] == '+'), r.ptr, exp10);
    for (const char* p = buf; p < e; ++p)
      if (*p != '.') digits[nd++] = *p;
    point = exp10 + 1;
    const int keep = point + frac;
    if (keep < nd) {
      if (keep < 0) {
        nd = 0;
      } else {
        const bool up = digits[keep] >= '5';
        nd = keep;
        if (up) {
          int k = nd - 1;
          while (k >= 0 && digits[k] == '9') digits[k--] = '0';
          if (k >= 0) {
            ++digits[k];
          } else {
            for (int i = nd; i > 0; --i) digits[i] = digits[i - 1];
            digits[0] = '1';
            ++nd;
            ++point;
          }
        }
      }
    }
  }
  // The text is laid out in place at the end of out: sign, integer digits, separator, decimals.
  const size_t intDigits = point > 0 ? static_cast<size_t>(point) : 1;
  const size_t fracDigits = frac > 0 ? static_cast<size_t>(frac) : 0;
  const size_t len = (x < 0) + intDigits + (frac > 0 ? decimal.size() + fracDigits : 0);
  const size_t at = out.size();
  out.resize(at + len);
  char* p = out.data() + at;
  if (x < 0) *p++ = '-';
  if (point <= 0) *p++ = '0';
  for (int k = 0; k < point; ++k) *p++ = k < nd ? digits[k] : '0';
  if (frac > 0) {
    for (char c : decimal) *p++ = c;
    for (int k = 0; k < frac; ++k) {
      const int idx = point + k;
      *p++ = (idx >= 0 && idx < nd) ? digits[idx] : '0';
    }
  }
}

}  // namespace vantrel::rt
