#include "platform/spreadsheet/numfmt.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "platform/locale/locale.h"
#include "platform/runtime/fixed_number.h"
#include "platform/runtime/vb.h"

namespace vantrel::spreadsheet::numfmt {

namespace {

constexpr double kFirstSerialPastDates = 2958466;  // 1 January 10000

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Drops colours, conditions and locale tags, padding and fill characters; keeps currency
// symbols of [$x-nnn] as literals and elapsed-time brackets as plain letters.
std::string Clean(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      size_t j = s.find('"', i + 1);
      if (j == std::string_view::npos) j = s.size();
      out.append(s.substr(i, j - i + 1));
      i = j;
    } else if (c == '\\' && i + 1 < s.size()) {
      out += c;
      out += s[++i];
    } else if (c == '[') {
      size_t j = s.find(']', i);
      if (j == std::string_view::npos) break;
      std::string_view in = s.substr(i + 1, j - i - 1);
      if (!in.empty() && in[0] == '$') {
        size_t dash = in.find('-');
        std::string_view sym = in.substr(1, dash == std::string_view::npos ? in.size() - 1 : dash - 1);
        if (!sym.empty()) {
          out += '"';
          out.append(sym);
          out += '"';
        }
      } else if (!in.empty() && (Lower(in[0]) == 'h' || Lower(in[0]) == 'm' || Lower(in[0]) == 's')) {
        out.append(in);
      }
      i = j;
    } else if (c == '_') {
      out += ' ';
      ++i;
    } else if (c == '*') {
      ++i;
    } else if (c == '?') {
      out += '#';
    } else {
      out += c;
    }
  }
  return out;
}

bool IsGeneral(std::string_view s) {
  std::string t;
  for (char c : s) t += Lower(c);
  return t.empty() || t == "general" || t == "standard" || t == "@";
}

bool HasDateLetters(std::string_view s) {
  bool quoted = false;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') quoted = !quoted;
    else if (quoted) continue;
    else if (c == '\\') ++i;
    else if (c == '[') {
      size_t j = s.find(']', i);
      if (j == std::string_view::npos) return false;
      std::string_view in = s.substr(i + 1, j - i - 1);
      if (!in.empty() && (Lower(in[0]) == 'h' || Lower(in[0]) == 'm' || Lower(in[0]) == 's')) return true;
      i = j;
    } else {
      char l = Lower(c);
      if (l == 'd' || l == 'm' || l == 'y' || l == 'h' || l == 's') return true;
      if (l == 'e' || l == 'g') {
        // "E+" is an exponent, "General" a keyword.
        if (l == 'g') return false;
      }
    }
  }
  return false;
}

std::string FormatDateSection(double x, std::string s) {
  // AM/PM: shift the time by 12 hours so that the hour reads on the 12-hour clock; the
  // day stays the same either way.
  std::string lower;
  for (char c : s) lower += Lower(c);
  size_t ap = lower.find("am/pm");
  size_t apLen = 5;
  if (ap == std::string::npos) {
    ap = lower.find("a/p");
    apLen = 3;
  }
  if (ap != std::string::npos) {
    rt::DateParts p = rt::SerialToParts(x);
    bool pm = p.hour >= 12;
    // 0 h reads 12 AM, 12 h 12 PM, 13 h 1 PM.
    if (p.hour >= 13) x -= 0.5;
    if (p.hour == 0) x += 0.5;
    std::string mark = apLen == 5 ? (pm ? "PM" : "AM") : (pm ? "P" : "A");
    s = s.substr(0, ap) + "\"" + mark + "\"" + s.substr(ap + apLen);
  }
  return rt::FormatDate(x, s);
}

// "0" or "0.00...0": the format of the gathered columns, rendered without the general pattern
// machinery, with the same rounding (15 significant digits, then half away from zero).
int FixedDecimals(std::string_view code) {
  if (code == "0") return 0;
  if (code.size() < 3 || code.size() > 22 || code[0] != '0' || code[1] != '.') return -1;
  for (size_t k = 2; k < code.size(); ++k)
    if (code[k] != '0') return -1;
  return static_cast<int>(code.size() - 2);
}

std::string FormatFixed(double x, int frac) {
  std::string out;
  rt::AppendFixedDecimals(out, x, frac, platform::UserLocale().decimal);
  return out;
}

// "[h]" / "[hh]" (elapsed hours, also past 24) as the literal count of whole hours.
std::string Elapsed(double x, std::string_view sec) {
  std::string out(sec);
  for (const char* tag : {"[hh]", "[HH]", "[h]", "[H]"}) {
    size_t p = out.find(tag);
    if (p == std::string::npos) continue;
    double seconds = rt::RoundHalfEven(x * 86400);
    std::string h = std::to_string(static_cast<int64_t>(seconds / 3600));
    if (std::string_view(tag).size() == 4 && h.size() < 2) h.insert(h.begin(), '0');
    out.replace(p, std::string_view(tag).size(), "\"" + h + "\"");
    break;
  }
  return out;
}

}  // namespace

bool IsDateFormat(std::string_view code) { return HasDateLetters(rt::FormatSections(code)[0]); }

std::string GeneralNumber(double x) { return rt::CStr(x); }

std::string EnglishNumber(double x) {
  std::string s = rt::CStr(x);
  const std::string& dec = platform::UserLocale().decimal;
  if (dec != ".") {
    size_t p = s.find(dec);
    if (p != std::string::npos) s.replace(p, dec.size(), 1, '.');
  }
  return s;
}

std::string FormatNumber(double x, std::string_view code) {
  if (!std::isfinite(x)) return "#NUM!";
  if (int frac = FixedDecimals(code); frac >= 0 && std::fabs(x) < 1e15) return FormatFixed(x, frac);
  std::vector<std::string_view> secs = rt::FormatSections(code);
  if (secs.size() == 1 && IsGeneral(secs[0])) return GeneralNumber(x);
  if (HasDateLetters(secs[0])) {
    std::string_view sec = secs[0];
    if (x < 0 && secs.size() > 1) sec = secs[1];
    if (x < 0 && !HasDateLetters(sec)) return rt::Format(x, Clean(sec));
    // Before day 0 or after 31 December 9999 there is no date to show.
    if (x < 0 || x >= kFirstSerialPastDates) return "#######";
    return FormatDateSection(x, Clean(Elapsed(x, sec)));
  }
  std::string pattern;
  for (size_t k = 0; k < secs.size() && k < 3; ++k) {
    if (k) pattern += ';';
    std::string c = Clean(secs[k]);
    if (IsGeneral(c)) c = "0.##############";  // General inside a section list
    pattern += c;
  }
  return rt::Format(x, pattern);
}

}  // namespace vantrel::spreadsheet::numfmt
