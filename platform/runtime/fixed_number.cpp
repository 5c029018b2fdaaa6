#include "platform/runtime/fixed_number.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <cmath>

namespace vantrel::rt {

namespace {

using U128 = unsigned __int128;

constexpr U128 Pow10(int k) {
  U128 p = 1;
  for (int i = 0; i < k; ++i) p *= 10;
  return p;
}
constexpr std::array<U128, 23> kPow10 = [] {
  std::array<U128, 23> t{};
  for (int k = 0; k < 23; ++k) t[k] = Pow10(k);
  return t;
}();

constexpr std::array<char, 200> kPairs = [] {
  std::array<char, 200> t{};
  for (int i = 0; i < 100; ++i) {
    t[2 * i] = static_cast<char>('0' + i / 10);
    t[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return t;
}();

// The eight decimal digits of v < 10^8, leading zeros included.
void Write8(char* p, uint32_t v) {
  const uint32_t hi = v / 10000, lo = v % 10000;
  std::memcpy(p, &kPairs[2 * (hi / 100)], 2);
  std::memcpy(p + 2, &kPairs[2 * (hi % 100)], 2);
  std::memcpy(p + 4, &kPairs[2 * (lo / 100)], 2);
  std::memcpy(p + 6, &kPairs[2 * (lo % 100)], 2);
}

// The 15 significant digits of v > 0 rounded from its exact binary value, and the count of
// digits before the decimal point, as to_chars gives them in scientific form with 14 decimals;
// by integer arithmetic, for v in [1e-8, 1e15) and not halfway between two 15-digit numbers.
// False for any other v, which the general route then takes.
bool Digits15(double v, char* digits, int& point) {
  if (!(v >= 1e-8 && v < 1e15)) return false;
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  const int e2 = static_cast<int>((bits >> 52) & 0x7FF) - 1023;  // v in [2^e2, 2^(e2+1))
  const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int shift = 52 - e2;   // v = m / 2^shift, shift in [3, 80]
  int e = (e2 * 78913) >> 18;  // floor(e2 log10 2): the decimal exponent of v or one less
  for (int tries = 0; tries < 3; ++tries) {
    const int k = 14 - e;
    if (k < 0 || k > 22) return false;
    const U128 p = U128(m) * kPow10[k];  // v 10^k = p / 2^shift exactly
    const U128 whole = p >> shift;
    if (whole < kPow10[14]) {
      --e;
      continue;
    }
    if (whole >= kPow10[15]) {
      ++e;
      continue;
    }
    const U128 rest = p & ((U128(1) << shift) - 1);
    const U128 half = U128(1) << (shift - 1);
    if (rest == half) return false;
    uint64_t n = static_cast<uint64_t>(whole) + (rest > half ? 1 : 0);
    if (n == static_cast<uint64_t>(kPow10[15])) {  // rounded up to the next power of ten
      n /= 10;
      ++e;
    }
    char eight[16];
    Write8(eight, static_cast<uint32_t>(n / 100000000));
    Write8(eight + 8, static_cast<uint32_t>(n % 100000000));
    std::memcpy(digits, eight + 1, 15);
    point = e + 1;
    return true;
  }
  return false;
}

}  // namespace

void AppendFixedDecimals(std::string& out, double x, int frac, std::string_view decimal) {
  // The 15 significant digits d1...d15 and the count of digits before the decimal point.
  char digits[24];
  int nd = 0;
  int point = 0;
  const double v = std::fabs(x);
  if (v != 0) {
    if (Digits15(v, digits, point)) {
      nd = 15;
    } else {
      char buf[48];
      const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
      const char* e = buf;
      while (e < r.ptr && *e != 'e') ++e;
      int exp10 = 0;
      if (e < r.ptr) std::from_chars(e + 1 + (e[1] == '+'), r.ptr, exp10);
      for (const char* p = buf; p < e; ++p)
        if (*p != '.') digits[nd++] = *p;
      point = exp10 + 1;
    }
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
  if (point > 0 && point + std::max(frac, 0) <= nd) {  // every digit shown is one of the digits
    std::memcpy(p, digits, static_cast<size_t>(point));
    p += point;
    if (frac > 0) {
      std::memcpy(p, decimal.data(), decimal.size());
      std::memcpy(p + decimal.size(), digits + point, fracDigits);
    }
    return;
  }
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
