#include "platform/runtime/vb.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/locale/locale.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/utf8.h"

namespace vantrel::rt {

// --- Val ---------------------------------------------------------------------------------

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

double ValRadix(std::string_view s, size_t i, int radix) {
  uint64_t v = 0;
  int digits = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (IsBlank(c)) continue;
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (radix == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (radix == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else break;
    if (d >= radix) break;
    v = v * radix + d;
    ++digits;
    if (v > 0xFFFFFFFFull) throw RtError(kErrOverflow);
  }
  // A value that fits 16 bits reads as a signed Integer, otherwise as a signed Long.
  if (v <= 0xFFFF && (radix == 16 ? digits <= 4 : v <= 0xFFFF)) {
    return static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(v)));
  }
  return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
}

}  // namespace

double Val(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  if (i + 1 < s.size() && s[i] == '&') {
    char r = s[i + 1];
    if (r == 'H' || r == 'h') return ValRadix(s, i + 2, 16);
    if (r == 'O' || r == 'o') return ValRadix(s, i + 2, 8);
  }
  // Gather the number's characters without blanks; short texts stay on the stack.
  char small[96];
  std::string big;
  size_t n = 0;
  auto put = [&](char c) {
    if (n < sizeof small) {
      small[n++] = c;
    } else {
      if (big.empty()) big.assign(small, n);
      big += c;
      ++n;
    }
  };
  auto next = [&]() {
    while (i < s.size() && IsBlank(s[i])) ++i;
    return i < s.size() ? s[i] : '\0';
  };
  char c = next();
  if (c == '+' || c == '-') {
    put(c);
    ++i;
    c = next();
  }
  bool anyDigit = false;
  while (c >= '0' && c <= '9') {
    put(c);
    anyDigit = true;
    ++i;
    c = next();
  }
  if (c == '.') {
    put('.');
    ++i;
    c = next();
    while (c >= '0' && c <= '9') {
      put(c);
      anyDigit = true;
      ++i;
      c = next();
    }
  }
  if (!anyDigit) return 0.0;
  if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
    size_t save = i, saveN = n;
    std::string saveBig = big;
    put('e');
    ++i;
    c = next();
    if (c == '+' || c == '-') {
      put(c);
      ++i;
      c = next();
    }
    bool expDigit = false;
    while (c >= '0' && c <= '9') {
      put(c);
      expDigit = true;
      ++i;
      c = next();
    }
    if (!expDigit) {  // "1.5E" reads as 1.5
      i = save;
      n = saveN;
      big = saveBig;
    }
  }
  const char* b = big.empty() ? small : big.data();
  const char* e = b + n;
  if (*b == '+') ++b;
  double v = 0;
  auto r = std::from_chars(b, e, v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // from_chars reports both overflow and underflow; only overflow is an error.
    bool neg = *b == '-';
    const char* p = neg ? b + 1 : b;
    while (p < e && (*p == '0' || *p == '.')) ++p;
    bool tiny = p == e || *p == 'e';
    if (!tiny) {
      // Decide by the exponent sign.
      const char* ex = std::find(b, e, 'e');
      tiny = ex != e && ex + 1 < e && ex[1] == '-';
    }
    if (tiny) return neg ? -0.0 : 0.0;
    throw RtError(kErrOverflow);
  }
  if (std::isinf(v)) throw RtError(kErrOverflow);
  return v;
}

// --- decimal digits ------------------------------------------------------------------------

namespace {

// A non-negative finite value as at most 15 significant decimal digits: value = 0.digits x
// 10^point, i.e. `point` digits stand before the decimal point. Zero has empty digits.
struct Decimal {
  std::string digits;
  int point = 0;
};

Decimal ToDecimal(double v) {
  Decimal d;
  if (v == 0 || !std::isfinite(v)) return d;
  char buf[48];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
  std::string_view t(buf, r.ptr - buf);  // d.ddddddddddddde[+-]xx
  size_t epos = t.find('e');
  int exp10 = 0;
  std::from_chars(t.data() + epos + (t[epos + 1] == '+' ? 2 : 1), t.data() + t.size(), exp10);
  d.digits += t[0];
  for (size_t k = 2; k < epos; ++k) d.digits += t[k];
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  d.point = exp10 + 1;
  return d;
}

// Rounds d half away from zero so that `frac` digits stay after the decimal point.
void RoundAt(Decimal& d, int frac) {
  int keep = d.point + frac;
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    return;
  }
  bool up = d.digits[keep] >= '5';
  d.digits.resize(keep);
  if (up) {
    int k = keep - 1;
    while (k >= 0 && d.digits[k] == '9') {
      d.digits[k] = '0';
      --k;
    }
    if (k < 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.point;
    } else {
      ++d.digits[k];
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.point = 0;
}

std::string IntegerDigits(const Decimal& d) {
  std::string s;
  for (int k = 0; k < d.point; ++k) s += k < static_cast<int>(d.digits.size()) ? d.digits[k] : '0';
  return s;
}

std::string FractionDigits(const Decimal& d, int frac) {
  std::string s;
  for (int k = 0; k < frac; ++k) {
    int idx = d.point + k;
    s += (idx >= 0 && idx < static_cast<int>(d.digits.size())) ? d.digits[idx] : '0';
  }
  return s;
}

std::string Group(const std::string& digits, const std::string& sep) {
  if (digits.size() <= 3 || sep.empty()) return digits;
  std::string out;
  size_t first = digits.size() % 3;
  if (first == 0) first = 3;
  out.append(digits, 0, first);
  for (size_t k = first; k < digits.size(); k += 3) {
    out += sep;
    out.append(digits, k, 3);
  }
  return out;
}

}  // namespace

// --- CStr ----------------------------------------------------------------------------------

std::string CStr(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
  if (x == 0) return "0";
  const std::string& dec = platform::UserLocale().decimal;
  Decimal d = ToDecimal(std::fabs(x));
  std::string out = x < 0 ? "-" : "";
  int exp10 = d.point - 1;
  if (exp10 >= 15 || exp10 < -4) {
    out += d.digits[0];
    if (d.digits.size() > 1) {
      out += dec;
      out.append(d.digits, 1, std::string::npos);
    }
    out += exp10 < 0 ? "E-" : "E+";
    int a = std::abs(exp10);
    if (a < 10) out += '0';
    out += std::to_string(a);
    return out;
  }
  std::string ip = IntegerDigits(d);
  out += ip.empty() ? "0" : ip;
  int frac = static_cast<int>(d.digits.size()) - d.point;
  if (frac > 0) {
    out += dec;
    out += FractionDigits(d, frac);
  }
  return out;
}

// --- Format (numbers) ------------------------------------------------------------------------

std::vector<std::string_view> FormatSections(std::string_view p) {
  std::vector<std::string_view> out;
  size_t start = 0;
  bool quoted = false;
  for (size_t i = 0; i < p.size(); ++i) {
    char c = p[i];
    if (c == '"') quoted = !quoted;
    else if (!quoted && c == '\\') ++i;
    else if (!quoted && c == ';') {
      out.push_back(p.substr(start, i - start));
      start = i + 1;
    }
  }
  out.push_back(p.substr(start));
  return out;
}

namespace {

struct Item {
  enum Kind { Literal, Digit, Point, Comma, Exp, Percent } kind;
  std::string text;  // Literal text; Digit: "0" or "#"; Exp: "E+", "E-", "e+", "e-"
};

std::vector<Item> Tokenise(std::string_view p) {
  std::vector<Item> items;
  auto lit = [&](std::string_view t) {
    if (!items.empty() && items.back().kind == Item::Literal) items.back().text += t;
    else items.push_back({Item::Literal, std::string(t)});
  };
  for (size_t i = 0; i < p.size(); ++i) {
    char c = p[i];
    if (c == '"') {
      size_t j = p.find('"', i + 1);
      if (j == std::string_view::npos) j = p.size();
      lit(p.substr(i + 1, j - i - 1));
      i = j;
    } else if (c == '\\') {
      if (i + 1 < p.size()) {
        size_t n = utf8::SeqLen(static_cast<unsigned char>(p[i + 1]));
        lit(p.substr(i + 1, n));
        i += n;
      }
    } else if (c == '0' || c == '#') {
      items.push_back({Item::Digit, std::string(1, c)});
    } else if (c == '.') {
      items.push_back({Item::Point, ""});
    } else if (c == ',') {
      items.push_back({Item::Comma, ""});
    } else if (c == '%') {
      items.push_back({Item::Percent, ""});
    } else if ((c == 'E' || c == 'e') && i + 1 < p.size() && (p[i + 1] == '+' || p[i + 1] == '-')) {
      items.push_back({Item::Exp, std::string{c, p[i + 1]}});
      ++i;
    } else {
      size_t n = utf8::SeqLen(static_cast<unsigned char>(c));
      lit(p.substr(i, n));
      i += n - 1;
    }
  }
  return items;
}

// Where the placeholders of a tokenised pattern stand and what they ask for.
struct PatternLayout {
  int pointAt = -1, expAt = -1;  // the first point before the exponent, the first exponent
  int mantEnd = 0, intEnd = 0;   // one past the mantissa, one past the integer part
  int intPlaces = 0, intMin = 0, fracPlaces = 0, fracMin = 0, expMin = 0;
  int scale = 0;  // divisions by 1000 asked by trailing commas
  int firstIntDigit = -1, lastIntDigit = -1;
  bool grouping = false, percent = false, anyDigit = false;
};

PatternLayout LayoutOf(const std::vector<Item>& items) {
  PatternLayout l;
  for (size_t k = 0; k < items.size(); ++k) {
    if (items[k].kind == Item::Exp && l.expAt < 0) l.expAt = static_cast<int>(k);
    if (items[k].kind == Item::Point && l.pointAt < 0 && l.expAt < 0) l.pointAt = static_cast<int>(k);
  }
  l.mantEnd = l.expAt < 0 ? static_cast<int>(items.size()) : l.expAt;
  l.intEnd = l.pointAt < 0 ? l.mantEnd : l.pointAt;
  for (int k = 0; k < l.intEnd; ++k) {
    if (items[k].kind == Item::Digit) {
      if (l.firstIntDigit < 0) l.firstIntDigit = k;
      l.lastIntDigit = k;
      ++l.intPlaces;
      l.anyDigit = true;
    }
  }
  bool seenZero = false;
  for (int k = 0; k < l.intEnd; ++k) {
    if (items[k].kind != Item::Digit) continue;
    if (items[k].text == "0") seenZero = true;
    if (seenZero) ++l.intMin;
  }
  for (int k = 0; k < l.intEnd; ++k) {
    if (items[k].kind != Item::Comma) continue;
    if (k > l.firstIntDigit && k < l.lastIntDigit && l.firstIntDigit >= 0) l.grouping = true;
    else if (l.firstIntDigit >= 0 && k > l.lastIntDigit) {
      // Commas right after the last integer place scale by 1000 each.
      bool onlyCommas = true;
      for (int j = l.lastIntDigit + 1; j < k; ++j)
        if (items[j].kind != Item::Comma) onlyCommas = false;
      if (onlyCommas) ++l.scale;
    }
  }
  for (int k = l.intEnd + 1; k < l.mantEnd; ++k) {
    if (items[k].kind == Item::Digit) {
      ++l.fracPlaces;
      l.anyDigit = true;
      if (items[k].text == "0") l.fracMin = l.fracPlaces;
    }
  }
  for (int k = l.expAt + 1; l.expAt >= 0 && k < static_cast<int>(items.size()); ++k)
    if (items[k].kind == Item::Digit && items[k].text == "0") ++l.expMin;
  for (const Item& it : items)
    if (it.kind == Item::Percent) l.percent = true;
  return l;
}

// A pattern of literals only.
std::string LiteralsOnly(const std::vector<Item>& items, bool negative, const platform::LocaleSeparators& loc) {
  std::string out = negative ? "-" : "";
  for (const Item& it : items) {
    if (it.kind == Item::Literal) out += it.text;
    else if (it.kind == Item::Percent) out += '%';
    else if (it.kind == Item::Point) out += loc.decimal;
  }
  return out;
}

// The digits to write: the integer part (padded, grouped), the fraction, the exponent.
struct SectionDigits {
  std::string ip, fp;
  int exponent = 0;
};

SectionDigits RoundedDigits(double v, const PatternLayout& l, const platform::LocaleSeparators& loc) {
  if (l.percent) v *= 100;
  for (int k = 0; k < l.scale; ++k) v /= 1000;

  Decimal d = ToDecimal(v);
  SectionDigits out;
  if (l.expAt >= 0 && !d.digits.empty()) {
    int k = l.intPlaces;
    out.exponent = d.point - k;
    d.point = k;
    RoundAt(d, l.fracPlaces);
    if (d.point > k) {  // rounding carried into a new digit
      ++out.exponent;
      d.point = k;
    }
  } else {
    RoundAt(d, l.fracPlaces);
  }

  out.ip = IntegerDigits(d);
  while (static_cast<int>(out.ip.size()) < l.intMin) out.ip.insert(out.ip.begin(), '0');
  if (l.grouping) out.ip = Group(out.ip, loc.thousands);
  out.fp = FractionDigits(d, l.fracPlaces);
  while (static_cast<int>(out.fp.size()) > l.fracMin && out.fp.back() == '0') out.fp.pop_back();
  return out;
}

// Literals between the integer places ("# ### ###"): digits fill the places from the right,
// the literals stay where they stand, surplus digits go to the leftmost place. Empty when the
// pattern has no such literal.
std::vector<std::string> PlaceTexts(const std::vector<Item>& items, const PatternLayout& l, const std::string& ip) {
  bool positional = false;
  if (!l.grouping && l.firstIntDigit >= 0) {
    for (int k = l.firstIntDigit + 1; k < l.lastIntDigit; ++k)
      if (items[k].kind == Item::Literal) positional = true;
  }
  std::vector<std::string> placeText;
  if (!positional) return placeText;
  placeText.assign(l.intPlaces, "");
  int j = static_cast<int>(ip.size()) - 1;
  for (int p = l.intPlaces - 1; p >= 0; --p, --j)
    if (j >= 0) placeText[p] = ip[j];
  if (j >= 0) placeText[0] = ip.substr(0, j + 1) + placeText[0];
  return placeText;
}

// Writes the items in their order with the digits in their places.
std::string WriteItems(const std::vector<Item>& items, const PatternLayout& l, const SectionDigits& d, bool negative,
                       const platform::LocaleSeparators& loc) {
  const std::vector<std::string> placeText = PlaceTexts(items, l, d.ip);
  const bool positional = !placeText.empty();
  std::string out = negative ? "-" : "";
  bool intWritten = false;
  size_t fracUsed = 0;
  auto writeInt = [&]() {
    if (!intWritten) out += d.ip;
    intWritten = true;
  };
  int placeIndex = 0;
  for (int k = 0; k < static_cast<int>(items.size()); ++k) {
    const Item& it = items[k];
    switch (it.kind) {
      case Item::Literal: out += it.text; break;
      case Item::Percent: out += '%'; break;
      case Item::Comma: break;
      case Item::Digit:
        if (k < l.intEnd && positional) {
          out += placeText[placeIndex++];
          intWritten = true;
        } else if (k < l.intEnd) {
          writeInt();
        } else if (k < l.mantEnd) {
          if (fracUsed < d.fp.size()) out += d.fp[fracUsed];
          ++fracUsed;
        }
        break;
      case Item::Point:
        if (k == l.pointAt) {
          writeInt();
          out += loc.decimal;
        }
        break;
      case Item::Exp: {
        if (k != l.expAt) break;
        writeInt();
        out += it.text[0];
        if (d.exponent < 0) out += '-';
        else if (it.text[1] == '+') out += '+';
        std::string e = std::to_string(std::abs(d.exponent));
        while (static_cast<int>(e.size()) < l.expMin) e.insert(e.begin(), '0');
        out += e;
        // The exponent's own places are consumed here.
        while (k + 1 < static_cast<int>(items.size()) && items[k + 1].kind == Item::Digit) ++k;
        break;
      }
    }
  }
  return out;
}

std::string FormatSection(double v, bool negative, std::string_view pattern) {
  const platform::LocaleSeparators& loc = platform::UserLocale();
  const std::vector<Item> items = Tokenise(pattern);
  const PatternLayout layout = LayoutOf(items);
  if (!layout.anyDigit && layout.expAt < 0) return LiteralsOnly(items, negative, loc);
  return WriteItems(items, layout, RoundedDigits(v, layout, loc), negative, loc);
}

}  // namespace

std::string Format(double x, std::string_view pattern) {
  if (pattern.empty()) return CStr(x);
  if (!std::isfinite(x)) return CStr(x);
  std::vector<std::string_view> sections = FormatSections(pattern);
  if (x < 0 && sections.size() >= 2 && !sections[1].empty()) return FormatSection(-x, false, sections[1]);
  if (x == 0 && sections.size() >= 3 && !sections[2].empty()) return FormatSection(0, false, sections[2]);
  return FormatSection(std::fabs(x), x < 0, sections[0]);
}

// --- dates -----------------------------------------------------------------------------------

namespace {

// Days from 1 January of year 0 (proleptic Gregorian) to the given date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const int64_t kEpoch = DaysFromCivil(1899, 12, 30);

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};
const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string Two(int v) {
  std::string s = std::to_string(v);
  return s.size() < 2 ? "0" + s : s;
}

}  // namespace

double DateSerial(int year, int month, int day) {
  int64_t y = year + (month - 1) / 12;
  int64_t m = (month - 1) % 12;
  if (m < 0) {
    m += 12;
    --y;
  }
  return static_cast<double>(DaysFromCivil(y, m + 1, 1) + (day - 1) - kEpoch);
}

double TimeSerial(int hour, int minute, int second) { return (hour * 3600.0 + minute * 60.0 + second) / 86400.0; }

DateParts SerialToParts(double serial) {
  DateParts p;
  // Far beyond any calendar date (and beyond the day count's integer range): the epoch.
  if (!(std::fabs(serial) < 1e12)) return p;
  // Before the epoch the integer part counts days and the fraction is the time of day.
  double whole = std::trunc(serial);
  double frac = std::fabs(serial - whole);
  int64_t secs = static_cast<int64_t>(std::llround(frac * 86400.0));
  int64_t days = static_cast<int64_t>(whole);
  if (secs >= 86400) {
    secs -= 86400;
    days += serial < 0 ? -1 : 1;
  }
  CivilFromDays(days + kEpoch, p.year, p.month, p.day);
  p.hour = static_cast<int>(secs / 3600);
  p.minute = static_cast<int>(secs / 60 % 60);
  p.second = static_cast<int>(secs % 60);
  int64_t w = (days + kEpoch + 3) % 7;  // day 0 of the civil count is a Wednesday
  if (w < 0) w += 7;
  p.weekday = static_cast<int>(w) + 1;
  return p;
}

std::string FormatDate(double serial, std::string_view pattern) {
  const platform::LocaleSeparators& loc = platform::UserLocale();
  DateParts p = SerialToParts(serial);
  std::string out;
  bool lastWasHour = false;
  auto lower = [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); };
  for (size_t i = 0; i < pattern.size();) {
    char c = lower(pattern[i]);
    size_t run = 1;
    while (i + run < pattern.size() && lower(pattern[i + run]) == c) ++run;
    if (c == 'd') {
      if (run == 1) out += std::to_string(p.day);
      else if (run == 2) out += Two(p.day);
      else if (run == 3) out += std::string(kDays[p.weekday - 1]).substr(0, 3);
      else out += kDays[p.weekday - 1];
      lastWasHour = false;
    } else if (c == 'm') {
      // Minutes right after an hour, or right before seconds.
      size_t j = i + run;
      while (j < pattern.size() && !std::isalpha(static_cast<unsigned char>(pattern[j]))) ++j;
      bool beforeSeconds = j < pattern.size() && lower(pattern[j]) == 's';
      if ((lastWasHour || beforeSeconds) && run <= 2) {
        out += run == 1 ? std::to_string(p.minute) : Two(p.minute);
      } else if (run == 1) out += std::to_string(p.month);
      else if (run == 2) out += Two(p.month);
      else if (run == 3) out += std::string(kMonths[p.month - 1]).substr(0, 3);
      else out += kMonths[p.month - 1];
      lastWasHour = false;
    } else if (c == 'y') {
      if (run <= 2) out += Two(((p.year % 100) + 100) % 100);
      else out += std::to_string(p.year);
      lastWasHour = false;
    } else if (c == 'h') {
      out += run == 1 ? std::to_string(p.hour) : Two(p.hour);
      lastWasHour = true;
    } else if (c == 'n') {
      out += run == 1 ? std::to_string(p.minute) : Two(p.minute);
      lastWasHour = false;
    } else if (c == 's') {
      out += run == 1 ? std::to_string(p.second) : Two(p.second);
      lastWasHour = false;
    } else if (c == '/') {
      for (size_t k = 0; k < run; ++k) out += loc.date;
    } else if (c == ':') {
      for (size_t k = 0; k < run; ++k) out += loc.time;
    } else if (c == '"') {
      size_t j = pattern.find('"', i + 1);
      if (j == std::string_view::npos) j = pattern.size();
      out.append(pattern.substr(i + 1, j - i - 1));
      i = j + 1;
      continue;
    } else if (c == '\\') {
      if (i + 1 < pattern.size()) {
        size_t n = utf8::SeqLen(static_cast<unsigned char>(pattern[i + 1]));
        out.append(pattern.substr(i + 1, n));
        i += 1 + n;
      } else {
        ++i;
      }
      continue;
    } else {
      out.append(pattern.substr(i, run));
    }
    i += run;
  }
  return out;
}

// --- rounding ------------------------------------------------------------------------------

double RoundHalfEven(double x) {
  double r = std::round(x);
  if (std::fabs(x - std::trunc(x)) == 0.5) r = 2.0 * std::round(x / 2.0);
  return r;
}

int16_t CInt(double x) {
  double r = RoundHalfEven(x);
  if (!(r >= -32768.0 && r <= 32767.0)) throw RtError(kErrOverflow);
  return static_cast<int16_t>(r);
}

int32_t CLng(double x) {
  double r = RoundHalfEven(x);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw RtError(kErrOverflow);
  return static_cast<int32_t>(r);
}

double Int(double x) { return std::floor(x); }
double Fix(double x) { return std::trunc(x); }
int Sgn(double x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }

int32_t Mod(double a, double b) {
  int32_t la = CLng(a), lb = CLng(b);
  if (lb == 0) throw RtError(kErrDivByZero);
  if (lb == -1) return 0;
  return la % lb;
}

// --- strings -------------------------------------------------------------------------------

int64_t Len(std::string_view s) { return utf8::IsAscii(s) ? static_cast<int64_t>(s.size()) : utf8::CountChars(s); }

std::string Mid(std::string_view s, int64_t start, int64_t length) {
  if (start < 1) throw RtError(kErrInvalidCall);
  size_t b = utf8::ByteOffset(s, start - 1);
  if (length < 0) return std::string(s.substr(b));
  std::string_view rest = s.substr(b);
  size_t e = utf8::ByteOffset(rest, length);
  return std::string(rest.substr(0, e));
}

std::string Left(std::string_view s, int64_t n) {
  if (n < 0) throw RtError(kErrInvalidCall);
  return std::string(s.substr(0, utf8::ByteOffset(s, n)));
}

std::string Right(std::string_view s, int64_t n) {
  if (n < 0) throw RtError(kErrInvalidCall);
  int64_t len = Len(s);
  if (n >= len) return std::string(s);
  return std::string(s.substr(utf8::ByteOffset(s, len - n)));
}

int64_t InStr(int64_t start, std::string_view s, std::string_view needle) {
  if (start < 1) throw RtError(kErrInvalidCall);
  int64_t len = Len(s);
  if (start > len + 1) return 0;
  if (needle.empty()) return start;
  size_t b = utf8::ByteOffset(s, start - 1);
  size_t pos = s.find(needle, b);
  if (pos == std::string_view::npos) return 0;
  return utf8::CountChars(s.substr(0, pos)) + 1;
}

namespace {
uint32_t UpperCp(uint32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  return c;
}
uint32_t LowerCp(uint32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c == 0x178) return 0xFF;
  return c;
}
template <class F>
std::string MapCase(std::string_view s, F f) {
  std::string out;
  out.reserve(s.size());
  if (utf8::IsAscii(s)) {
    for (char c : s) out += static_cast<char>(f(static_cast<unsigned char>(c)));
    return out;
  }
  for (size_t i = 0; i < s.size();) utf8::Append(out, f(utf8::Decode(s, i)));
  return out;
}
}  // namespace

std::string UCase(std::string_view s) { return MapCase(s, UpperCp); }
std::string LCase(std::string_view s) { return MapCase(s, LowerCp); }

std::string LTrim(std::string_view s) {
  size_t b = s.find_first_not_of(' ');
  return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

std::string RTrim(std::string_view s) {
  size_t e = s.find_last_not_of(' ');
  return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::string Trim(std::string_view s) { return LTrim(RTrim(s)); }

std::string Replace(std::string_view s, std::string_view find, std::string_view with) {
  if (find.empty()) return std::string(s);
  std::string out;
  size_t i = 0;
  for (;;) {
    size_t p = s.find(find, i);
    if (p == std::string_view::npos) break;
    out.append(s.substr(i, p - i));
    out.append(with);
    i = p + find.size();
  }
  out.append(s.substr(i));
  return out;
}

std::string Chr(uint32_t c) {
  std::string out;
  utf8::Append(out, c);
  return out;
}

uint32_t AscW(std::string_view s) {
  if (s.empty()) throw RtError(kErrInvalidCall);
  size_t i = 0;
  return utf8::Decode(s, i);
}

}  // namespace vantrel::rt
