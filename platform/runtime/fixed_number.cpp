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
  if (x < 0) out += '-';
  if (point <= 0) out += '0';
  for (int k = 0; k < point; ++k) out += k < nd ? digits[k] : '0';
  if (frac > 0) {
    out.append(decimal);
    for (int k = 0; k < frac; ++k) {
      const int idx = point + k;
      out += (idx >= 0 && idx < nd) ? digits[idx] : '0';
    }
  }
}

}  // namespace vantrel::rt
