#include "numerics/valloc.h"

#include "numerics/numerics_state.h"
#include "numerics/warnings.h"
#include "platform/locale/locale.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/utf8.h"
#include "platform/runtime/vb.h"

namespace vantrel::numerics {

namespace {
// Per thread: a reader that converts on several threads gives each its own scope.
thread_local NumberErrorScope* g_errorScope = nullptr;

constexpr std::string_view kNbsp = "\xC2\xA0";

void RemoveAll(std::string& s, std::string_view what) {
  if (what.empty()) return;
  size_t p;
  while ((p = s.find(what)) != std::string::npos) s.erase(p, what.size());
}

// Removes the first character of every occurrence of sep (the separator is one character in
// practice; a longer one loses its first character at each place).
void RemoveSeparator(std::string& s, std::string_view sep) {
  if (sep.empty()) return;
  const size_t first = rt::utf8::SeqLen(static_cast<unsigned char>(sep[0]));
  size_t p;
  while ((p = s.find(sep)) != std::string::npos) s.erase(p, first);
}

// True when the text needs none of the rewriting steps: no blank, no quote, no comma and no
// character of the thousands separator.
bool Plain(std::string_view s, const std::string& ThousandSep) {
  const char t = ThousandSep.empty() ? '\0' : ThousandSep[0];
  for (char c : s) {
    if (c == ' ' || c == '"' || c == ',' || c == '\xC2' || (t && c == t)) return false;
  }
  return true;
}

}  // namespace

NumberErrorScope::NumberErrorScope(std::function<void(const rt::RtError&)> sink)
    : sink_(std::move(sink)), outer_(g_errorScope) {
  g_errorScope = this;
}

NumberErrorScope::~NumberErrorScope() { g_errorScope = outer_; }

std::string GetLocaleStr(long lcType) {
  const platform::LocaleSeparators& loc = platform::UserLocale();
  if (lcType == 14) return loc.decimal;
  if (lcType == 15) return loc.thousands;
  return "";
}

void GetLocaleSeparators() {
  NumericsState& n = Numerics();
  n.DecimalSep = GetLocaleStr(14);
  n.ThousandSep = GetLocaleStr(15);
}

const NumericsState& ReadSeparatorsOnce() {
  NumericsState& n = Numerics();
  std::call_once(n.separatorsRead, GetLocaleSeparators);
  return n;
}

double ValLocale(std::string_view text, int& flag) {
  flag = -1;
  double result = 0;
  try {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string_view::npos) return 0;
    size_t e = text.find_last_not_of(' ');
    std::string_view trimmed = text.substr(b, e - b + 1);
    const NumericsState& n = ReadSeparatorsOnce();
    const std::string& ThousandSep = n.ThousandSep;
    const std::string& DecimalSep = n.DecimalSep;
    if (Plain(trimmed, ThousandSep)) return rt::Val(trimmed);

    std::string s(trimmed);
    RemoveAll(s, " ");
    RemoveAll(s, kNbsp);
    RemoveSeparator(s, ThousandSep);
    // A text left empty here (blanks only, separators only) reads as 0.
    if (!s.empty() && s.front() == '"') s.erase(0, 1);
    if (!s.empty() && s.back() == '"') s.pop_back();
    const size_t c = s.find(',');
    if (c == std::string::npos) return rt::Val(s);

    std::string trial = s;
    trial[c] = '.';
    if (s.find('.') != std::string::npos || trial.find(',') != std::string::npos) {
      flag = 0;
      RemoveAll(s, ",");
      return rt::Val(s);
    }
    const int64_t k = rt::utf8::CountChars(std::string_view(s).substr(c + 1));
    if (k == 3 && DecimalSep != ",") {
      flag = 0;
      s.erase(c, 1);
    } else {
      flag = 1;
      s[c] = '.';
    }
    result = rt::Val(s);
  } catch (const rt::RtError& err) {
    if (g_errorScope) g_errorScope->sink_(err);
    else Warnings().ReportError(err.number(), err.description());
  }
  return result;
}

double ValLocV(std::string_view text, int& flag) { return ValLocale(text, flag); }

double ValLoc(std::string_view text) {
  int flag = -1;
  return ValLocV(text, flag);
}

double ValLoc(double value) { return ValLoc(rt::CStr(value)); }

}  // namespace vantrel::numerics
