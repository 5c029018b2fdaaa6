#include "datastore/line_split.h"

#include <fast_float/fast_float.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "numerics/numerics_state.h"
#include "numerics/valloc.h"

namespace vantrel::datastore {

namespace {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// One pass over the usual field: optional "-", digits, an optional separator and digits, at most
// 15 digits in all. The digits then form an exact integer N < 10^15 and N / 10^decimals is the
// correctly rounded value, as a full conversion gives it. False when the text has another shape.
inline bool ShortNumber(std::string_view s, double& out) {
  const char* p = s.data();
  const char* e = p + s.size();
  const bool neg = p < e && *p == '-';
  p += neg;
  uint64_t n = 0;
  int digits = 0, intDigits = 0, frac = 0;
  char sep = 0;
  for (; p < e; ++p) {
    const unsigned d = static_cast<unsigned char>(*p) - '0';
    if (d <= 9) {
      n = n * 10 + d;
      ++digits;
      if (sep) ++frac;
      else ++intDigits;
    } else if (!sep && (*p == '.' || *p == ',')) {
      sep = *p;
    } else {
      return false;
    }
  }
  if (digits == 0 || digits > 15) return false;
  const std::string& t = numerics::Numerics().ThousandSep;
  const char t0 = t.empty() ? '\0' : t[0];
  if ((t0 >= '0' && t0 <= '9') || t0 == '-') return false;
  if (sep && !(intDigits > 0 && frac == 10)) {
    // Not the writer's form: "." is plain unless it is the grouping mark; "," is the locale's.
    if (sep == ',' || t0 == '.') return false;
  }
  const double v = static_cast<double>(n) / kPow10[frac];
  out = neg ? -v : v;
  return true;
}

// Fast conversion of the common shapes; false when the locale parser must decide.
bool FastNumber(std::string_view s, double& out) {
  if (ShortNumber(s, out)) return true;
  const char* p = s.data();
  const char* e = p + s.size();
  const char* q = p;
  if (q < e && *q == '-') ++q;
  const char* d0 = q;
  while (q < e && IsDigit(*q)) ++q;
  const size_t intDigits = static_cast<size_t>(q - d0);
  if (q == e) {
    if (intDigits == 0) return false;
    // Digits only: no separator can be in them unless the grouping mark is a digit or "-".
    const std::string& t = numerics::Numerics().ThousandSep;
    if (!t.empty() && (IsDigit(t[0]) || t[0] == '-')) return false;
  } else {
    const char sep = *q;
    if (sep != '.' && sep != ',') return false;
    const char* f0 = ++q;
    while (q < e && IsDigit(*q)) ++q;
    if (q != e) return false;
    const size_t fracDigits = static_cast<size_t>(q - f0);
    const bool writerForm = intDigits > 0 && fracDigits == 10;
    if (!writerForm) {
      // A "." number is plain for the locale parser unless "." is the grouping mark.
      if (sep == ',') return false;
      const std::string& t = numerics::Numerics().ThousandSep;
      if (!t.empty() && (t[0] == '.' || IsDigit(t[0]) || t[0] == '-')) return false;
      if (intDigits + fracDigits == 0) return false;
    }
    fast_float::parse_options opt(fast_float::chars_format::fixed, sep);
    auto r = fast_float::from_chars_advanced(p, e, out, opt);
    return r.ec == std::errc() && r.ptr == e && std::isfinite(out);
  }
  auto r = fast_float::from_chars(p, e, out, fast_float::chars_format::fixed);
  return r.ec == std::errc() && r.ptr == e && std::isfinite(out);
}

}  // namespace

double ValNumW(std::string_view text) {
  if (text.empty()) return 0.0;
  numerics::ReadSeparatorsOnce();
  double v;
  if (FastNumber(text, v)) return v;
  int flag = -1;
  return numerics::ValLocV(text, flag);
}

void SplitTabLineW(std::string_view line, SplitFields& out, bool penUpLabelMode) {
  out.empty1 = out.empty5 = out.empty7 = out.empty12 = out.empty14 = 0;
  out.label.clear();
  std::string_view field6;
  bool has6 = false;
  size_t start = 0;
  int64_t field = 1;
  while (true) {
    const void* hit = std::memchr(line.data() + start, '\t', line.size() - start);
    const size_t tab = hit ? static_cast<size_t>(static_cast<const char*>(hit) - line.data()) : line.size();
    std::string_view text = line.substr(start, tab - start);
    if (field <= kMaxFields) {
      out.field = field;
      out.values[field] = ValNumW(text);
    }
    if (text.empty()) {
      switch (field) {
        case 1: out.empty1 = 1; break;
        case 5: out.empty5 = 1; break;
        case 7: out.empty7 = 1; break;
        case 12: out.empty12 = 1; break;
        case 14: out.empty14 = 1; break;
        default: break;
      }
    }
    if (field == 6) {
      has6 = true;
      field6 = text;
      size_t b = text.find_first_not_of(' ');
      if (b == std::string_view::npos) {
        out.label = "0";
      } else {
        size_t e = text.find_last_not_of(' ');
        out.label.assign(text.substr(b, e - b + 1));
      }
      if (penUpLabelMode) out.texts[6].assign(text);
    }
    ++field;
    if (!hit) break;
    start = tab + 1;
  }
  out.count = field - 1;
  if (!penUpLabelMode && has6 && out.values[6] == 0 && !field6.empty()) {
    const char last = field6.back();
    if (last == 'S' || last == 's') {
      out.values[6] = 1;
      out.label = "1";
    } else if (last == 'E' || last == 'e') {
      out.values[6] = 0;
      out.label = "0";
    }
  }
}

}  // namespace vantrel::datastore
