#include "platform/spreadsheet/formula.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "platform/runtime/utf8.h"
#include "platform/runtime/vb.h"
#include "platform/spreadsheet/numfmt.h"

namespace vantrel::spreadsheet::formula {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) {
  return IsLetter(c) || IsDigit(c) || c == '_' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// A reference part at s[i]: [$]letters[$]digits, or only the column or only the row part.
struct RefPart {
  bool colAbs = false, rowAbs = false;
  int64_t col = 0, row = 0;  // 0 when absent
  size_t end = 0;
};

std::optional<RefPart> ScanPart(std::string_view s, size_t i) {
  RefPart p;
  size_t j = i;
  if (j < s.size() && s[j] == '$') {
    p.colAbs = true;
    ++j;
  }
  size_t ls = j;
  while (j < s.size() && IsLetter(s[j]) && j - ls < 4) ++j;
  if (j > ls) {
    p.col = ColumnNumber(s.substr(ls, j - ls));
    if (p.col == 0) return std::nullopt;
  } else if (p.colAbs) {
    // "$5": an absolute row.
    p.colAbs = false;
    p.rowAbs = true;
  }
  if (j < s.size() && s[j] == '$' && p.col) {
    p.rowAbs = true;
    ++j;
  }
  size_t ds = j;
  while (j < s.size() && IsDigit(s[j])) ++j;
  if (j > ds) {
    int64_t r = 0;
    auto res = std::from_chars(s.data() + ds, s.data() + j, r);
    if (res.ec != std::errc() || r < 1 || r > kMaxRows) return std::nullopt;
    p.row = r;
  } else if (p.rowAbs) {
    return std::nullopt;
  }
  if (!p.col && !p.row) return std::nullopt;
  p.end = j;
  return p;
}

}  // namespace

int64_t ColumnNumber(std::string_view letters) {
  if (letters.empty() || letters.size() > 3) return 0;
  int64_t n = 0;
  for (char c : letters) {
    if (!IsLetter(c)) return 0;
    n = n * 26 + (Upper(c) - 'A' + 1);
  }
  return n <= kMaxColumns ? n : 0;
}

std::string ColumnLetters(int64_t column) {
  std::string s;
  while (column > 0) {
    int64_t m = (column - 1) % 26;
    s.insert(s.begin(), static_cast<char>('A' + m));
    column = (column - 1) / 26;
  }
  return s;
}

std::optional<Rect> ParseRange(std::string_view text) {
  size_t colon = text.find(':');
  std::string_view a = text.substr(0, colon);
  std::string_view b = colon == std::string_view::npos ? a : text.substr(colon + 1);
  auto pa = ScanPart(a, 0);
  auto pb = ScanPart(b, 0);
  if (!pa || !pb || pa->end != a.size() || pb->end != b.size()) return std::nullopt;
  bool aCol = pa->col && !pa->row, bCol = pb->col && !pb->row;
  bool aRow = !pa->col && pa->row, bRow = !pb->col && pb->row;
  Rect r;
  if (aCol && bCol) {
    r = {1, pa->col, kMaxRows, pb->col};
  } else if (aRow && bRow && colon != std::string_view::npos) {
    r = {pa->row, 1, pb->row, kMaxColumns};
  } else if (pa->col && pa->row && pb->col && pb->row) {
    r = {pa->row, pa->col, pb->row, pb->col};
  } else {
    return std::nullopt;
  }
  if (r.r1 > r.r2) std::swap(r.r1, r.r2);
  if (r.c1 > r.c2) std::swap(r.c1, r.c2);
  return r;
}

std::string ApiToA1(std::string_view f) {
  if (f.empty() || f[0] != '=') return std::string(f);  // a constant
  std::string out;
  out.reserve(f.size());
  // After a sheet name, a reference part: [$]letters[$]digits.
  auto refFollows = [&](size_t j) {
    if (j < f.size() && f[j] == '$') ++j;
    const size_t letters = j;
    while (j < f.size() && IsLetter(f[j])) ++j;
    if (j == letters) return false;
    if (j < f.size() && f[j] == '$') ++j;
    return j < f.size() && IsDigit(f[j]);
  };
  for (size_t i = 0; i < f.size();) {
    const char c = f[i];
    if (c == '"') {
      size_t j = i + 1;
      while (j < f.size() && !(f[j] == '"' && !(j + 1 < f.size() && f[j + 1] == '"'))) j += f[j] == '"' ? 2 : 1;
      j = std::min(j + 1, f.size());
      out.append(f.substr(i, j - i));
      i = j;
    } else if (c == ';') {
      out += ',';
      ++i;
    } else if (c == '\'' || (c == '$' && i + 1 < f.size() && f[i + 1] == '\'')) {
      // A quoted sheet name, '' inside it standing for one quote.
      size_t j = f.find('\'', i) + 1;
      while (j < f.size() && !(f[j] == '\'' && !(j + 1 < f.size() && f[j + 1] == '\''))) j += f[j] == '\'' ? 2 : 1;
      j = std::min(j + 1, f.size());
      const size_t from = c == '$' ? i + 1 : i;
      out.append(f.substr(from, j - from));
      if (j < f.size() && f[j] == '.' && refFollows(j + 1)) {
        out += '!';
        ++j;
      }
      i = j;
    } else if (IsLetter(c) || c == '_' || c == '$' || static_cast<unsigned char>(c) >= 0x80) {
      size_t j = i + 1;
      while (j < f.size() && (IsLetter(f[j]) || IsDigit(f[j]) || f[j] == '_' || f[j] == '$' ||
                              static_cast<unsigned char>(f[j]) >= 0x80))
        ++j;
      if (j < f.size() && f[j] == '.' && refFollows(j + 1)) {
        out.append(f.substr(c == '$' ? i + 1 : i, j - (c == '$' ? i + 1 : i)));
        out += '!';
        ++j;
      } else {
        out.append(f.substr(i, j - i));
      }
      i = j;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

std::optional<std::string> OdfToA1(std::string_view odf) {
  std::string_view body;
  if (odf.substr(0, 3) == "of:") body = odf.substr(3);
  else if (odf.substr(0, 6) == "msoxl:") return std::string(odf.substr(6));
  else if (!odf.empty() && odf[0] == '=') body = odf;
  else return std::nullopt;
  if (body.empty() || body[0] != '=') return std::nullopt;
  std::string out;
  for (size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    if (c == '"') {
      size_t j = i + 1;
      while (j < body.size()) {
        if (body[j] == '"' && j + 1 < body.size() && body[j + 1] == '"') j += 2;
        else if (body[j] == '"') break;
        else ++j;
      }
      if (j >= body.size()) return std::nullopt;
      out.append(body.substr(i, j - i + 1));
      i = j;
    } else if (c == '[') {
      size_t j = body.find(']', i);
      if (j == std::string_view::npos) return std::nullopt;
      std::string_view ref = body.substr(i + 1, j - i - 1);
      // Parts split by ":", each "[$]sheet.cell" or ".cell".
      std::string conv;
      size_t k = 0;
      bool first = true;
      while (k <= ref.size()) {
        size_t colon = k;
        bool q = false;
        while (colon < ref.size() && (q || ref[colon] != ':')) {
          if (ref[colon] == '\'') q = !q;
          ++colon;
        }
        std::string_view part = ref.substr(k, colon - k);
        if (!part.empty() && part[0] == '$') part.remove_prefix(1);
        size_t dot = std::string_view::npos;
        bool qq = false;
        for (size_t m = 0; m < part.size(); ++m) {
          if (part[m] == '\'') qq = !qq;
          else if (part[m] == '.' && !qq) dot = m;
        }
        if (dot == std::string_view::npos) return std::nullopt;
        std::string_view sh = part.substr(0, dot);
        std::string_view cell = part.substr(dot + 1);
        if (cell.empty() || cell.find_first_of("#") != std::string_view::npos) return std::nullopt;
        if (first) {
          if (!sh.empty()) {
            conv += std::string(sh) + "!";
          }
        } else {
          conv += ':';
        }
        conv += cell;
        first = false;
        if (colon >= ref.size()) break;
        k = colon + 1;
      }
      out += conv;
      i = j;
    } else if (c == ';') {
      out += ',';
    } else {
      out += c;
    }
  }
  return out;
}

std::string ShiftFormula(std::string_view f, int64_t rows, int64_t columns) {
  std::string out;
  for (size_t i = 0; i < f.size();) {
    char c = f[i];
    if (c == '"') {
      size_t j = i + 1;
      while (j < f.size() && !(f[j] == '"' && (j + 1 >= f.size() || f[j + 1] != '"'))) j += f[j] == '"' ? 2 : 1;
      out.append(f.substr(i, j - i + 1));
      i = j + 1;
      continue;
    }
    if (c == '\'') {  // a quoted sheet name
      size_t j = f.find('\'', i + 1);
      if (j == std::string_view::npos) j = f.size() - 1;
      out.append(f.substr(i, j - i + 1));
      i = j + 1;
      continue;
    }
    bool boundary = i == 0 || !IsNameChar(f[i - 1]);
    if (boundary && (c == '$' || IsLetter(c) || IsDigit(c))) {
      auto p = ScanPart(f, i);
      bool ok = p && p->col && p->row;
      if (ok) {
        size_t e = p->end;
        // Not a reference when part of a name, a function or a sheet name.
        if (e < f.size() && (IsNameChar(f[e]) || f[e] == '(' || f[e] == '!')) ok = false;
      }
      if (ok) {
        int64_t col = p->colAbs ? p->col : p->col + columns;
        int64_t row = p->rowAbs ? p->row : p->row + rows;
        if (col < 1 || col > kMaxColumns || row < 1 || row > kMaxRows) {
          out += "#REF!";
        } else {
          if (p->colAbs) out += '$';
          out += ColumnLetters(col);
          if (p->rowAbs) out += '$';
          out += std::to_string(row);
        }
        i = p->end;
        continue;
      }
      // Copy the whole word so that its tail is not read as a reference.
      size_t j = i;
      while (j < f.size() && (IsNameChar(f[j]) || f[j] == '$')) ++j;
      if (j == i) j = i + 1;
      out.append(f.substr(i, j - i));
      i = j;
      continue;
    }
    out += c;
    ++i;
  }
  return out;
}

// --- evaluator -------------------------------------------------------------------------------

namespace {

[[noreturn]] void Reject(std::string_view expr) {
  throw rt::RtError(rt::kErrRejected, "The formula cannot be evaluated: " + std::string(expr));
}

std::string TextOf(const CellValue& v) {
  switch (v.kind) {
    case CellValue::Kind::Empty: return "";
    case CellValue::Kind::Text: return v.text;
    case CellValue::Kind::Error: return v.text;
    case CellValue::Kind::Boolean: return v.number != 0 ? "TRUE" : "FALSE";
    case CellValue::Kind::Number:
    case CellValue::Kind::Date: return numfmt::GeneralNumber(v.number);
  }
  return "";
}

// --- values and functions of the evaluator ---------------------------------------------------

CellValue ValueError() { return CellValue::Err("#VALUE!"); }

// A text read as a number the way VALUE reads it: blanks around, a sign, digits with an
// optional decimal point and exponent, an optional trailing "%".
std::optional<double> NumberInText(std::string_view text) {
  std::string t = rt::Trim(text);
  double scale = 1;
  if (!t.empty() && t.back() == '%') {
    t.pop_back();
    scale = 0.01;
  }
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.empty() || t[0] == '+' || t.back() == ' ') return std::nullopt;
  double x = 0;
  auto r = std::from_chars(t.data(), t.data() + t.size(), x, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return std::nullopt;
  return x * scale;
}

// The number of a value, or the error it gives: text that reads as a number counts as one.
struct Number {
  double x = 0;
  std::optional<CellValue> error;
};
Number NumberOf(const CellValue& v) {
  switch (v.kind) {
    case CellValue::Kind::Empty: return {0, {}};
    case CellValue::Kind::Number:
    case CellValue::Kind::Date: return {v.number, {}};
    case CellValue::Kind::Boolean: return {v.number != 0 ? 1.0 : 0.0, {}};
    case CellValue::Kind::Error: return {0, v};
    case CellValue::Kind::Text:
      if (auto x = NumberInText(v.text)) return {*x, {}};
      return {0, ValueError()};
  }
  return {0, ValueError()};
}

enum class RoundMode { kHalfAway, kAway, kTowardZero };

// x rounded to `digits` decimals (negative: to tens, hundreds, ...), on its 15 significant
// decimal digits as the spreadsheet shows them, so that 2.675 rounds to 2.68.
double RoundDecimal(double x, double digitsArg, RoundMode mode) {
  if (!std::isfinite(x) || x == 0) return x;
  const int digits = static_cast<int>(std::clamp(std::trunc(digitsArg), -400.0, 400.0));
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 14);
  std::string_view sci(buf, static_cast<size_t>(r.ptr - buf));  // d.ddddddddddddde[+-]xx
  std::string mantissa = std::string(sci.substr(0, 1)) + std::string(sci.substr(2, 14));
  int exp10 = 0;
  std::from_chars(sci.data() + 17 + (sci[17] == '+' ? 1 : 0), sci.data() + sci.size(), exp10);
  const int keep = exp10 + 1 + digits;  // digits of the mantissa kept
  if (keep >= 15) return x;
  std::string kept = keep > 0 ? mantissa.substr(0, static_cast<size_t>(keep)) : std::string();
  const std::string rest = keep > 0 ? mantissa.substr(static_cast<size_t>(keep)) : mantissa;
  bool up = false;
  if (mode == RoundMode::kHalfAway) up = keep >= 0 && rest[0] >= '5';
  if (mode == RoundMode::kAway) up = rest.find_first_not_of('0') != std::string::npos;
  if (up) {
    int k = static_cast<int>(kept.size()) - 1;
    while (k >= 0 && kept[static_cast<size_t>(k)] == '9') kept[static_cast<size_t>(k--)] = '0';
    if (k < 0) kept.insert(kept.begin(), '1');
    else ++kept[static_cast<size_t>(k)];
  }
  if (kept.empty() || kept.find_first_not_of('0') == std::string::npos) return 0.0 * x;
  const std::string text = kept + "e" + std::to_string(-digits);
  double y = 0;
  std::from_chars(text.data(), text.data() + text.size(), y);
  return x < 0 ? -y : y;
}

// The spreadsheet's own limit on a cell's text; longer results are an error, never kept.
constexpr int64_t kMaxTextChars = 32767;

std::string Proper(std::string_view s) {
  std::string out;
  bool afterLetter = false;
  for (size_t i = 0; i < s.size();) {
    const size_t n = std::min(rt::utf8::SeqLen(static_cast<unsigned char>(s[i])), s.size() - i);
    const std::string_view ch = s.substr(i, n);
    const std::string up = rt::UCase(ch), low = rt::LCase(ch);
    const bool letter = up != low || IsLetter(ch[0]);
    out += letter ? (afterLetter ? low : up) : std::string(ch);
    afterLetter = letter;
    i += n;
  }
  return out;
}

std::string TrimInner(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

CellValue Substitute(const std::string& text, const std::string& from, const std::string& to, int64_t instance) {
  if (from.empty()) return CellValue::Str(text);
  std::string out;
  size_t at = 0;
  int64_t seen = 0;
  for (size_t p; (p = text.find(from, at)) != std::string::npos; at = p + from.size()) {
    ++seen;
    out.append(text, at, p - at);
    out += instance == 0 || seen == instance ? to : from;
    if (rt::utf8::CountChars(out) > kMaxTextChars) return ValueError();
  }
  out.append(text, at, std::string::npos);
  return CellValue::Str(out);
}

// One function call on evaluated arguments. nullopt: a count of arguments the function does not
// take.
std::optional<CellValue> CallFunction(const std::string& name, const std::vector<CellValue>& a) {
  const size_t n = a.size();
  auto argc = [&](size_t lo, size_t hi) { return n >= lo && n <= hi; };
  // The first error among the arguments is the result of every function here but T and N,
  // which look at their one argument themselves.
  for (const CellValue& v : a)
    if (v.kind == CellValue::Kind::Error) return v;
  auto num = [&](size_t k, double dflt, double& out) -> bool {
    if (k >= n) {
      out = dflt;
      return true;
    }
    Number x = NumberOf(a[k]);
    out = x.x;
    return !x.error;
  };
  auto text = [&](size_t k) { return TextOf(a[k]); };

  if (name == "CONCATENATE" || name == "CONCAT") {
    if (n == 0) return std::nullopt;
    std::string out;
    for (size_t k = 0; k < n; ++k) out += text(k);
    if (rt::utf8::CountChars(out) > kMaxTextChars) return ValueError();
    return CellValue::Str(out);
  }
  if (name == "UPPER" || name == "LOWER" || name == "PROPER" || name == "TRIM" || name == "LEN" || name == "T") {
    if (!argc(1, 1)) return std::nullopt;
    if (name == "T") return CellValue::Str(a[0].kind == CellValue::Kind::Text ? a[0].text : "");
    const std::string s = text(0);
    if (name == "UPPER") return CellValue::Str(rt::UCase(s));
    if (name == "LOWER") return CellValue::Str(rt::LCase(s));
    if (name == "PROPER") return CellValue::Str(Proper(s));
    if (name == "TRIM") return CellValue::Str(TrimInner(s));
    return CellValue::Num(static_cast<double>(rt::Len(s)));
  }
  if (name == "N") {
    if (!argc(1, 1)) return std::nullopt;
    if (a[0].kind == CellValue::Kind::Text || a[0].kind == CellValue::Kind::Empty) return CellValue::Num(0);
    return CellValue::Num(NumberOf(a[0]).x);
  }
  if (name == "LEFT" || name == "RIGHT") {
    if (!argc(1, 2)) return std::nullopt;
    double k = 1;
    if (!num(1, 1, k) || k < 0) return ValueError();
    const std::string s = text(0);
    const int64_t c = static_cast<int64_t>(std::min(std::trunc(k), 1e9));
    return CellValue::Str(name == "LEFT" ? rt::Left(s, c) : rt::Right(s, c));
  }
  if (name == "MID") {
    if (!argc(3, 3)) return std::nullopt;
    double start = 0, count = 0;
    if (!num(1, 0, start) || !num(2, 0, count) || start < 1 || count < 0) return ValueError();
    const std::string s = text(0);
    const int64_t from = static_cast<int64_t>(std::min(std::trunc(start), 1e9));
    if (from > rt::Len(s)) return CellValue::Str("");
    return CellValue::Str(rt::Mid(s, from, static_cast<int64_t>(std::min(std::trunc(count), 1e9))));
  }
  if (name == "REPT") {
    if (!argc(2, 2)) return std::nullopt;
    double times = 0;
    if (!num(1, 0, times) || times < 0) return ValueError();
    const std::string s = text(0);
    const double k = std::trunc(times);
    if (k * static_cast<double>(rt::Len(s)) > kMaxTextChars) return ValueError();
    std::string out;
    for (int64_t i = 0; i < static_cast<int64_t>(k); ++i) out += s;
    return CellValue::Str(out);
  }
  if (name == "SUBSTITUTE") {
    if (!argc(3, 4)) return std::nullopt;
    double instance = 0;
    if (n == 4 && (!num(3, 0, instance) || std::trunc(instance) < 1)) return ValueError();
    return Substitute(text(0), text(1), text(2), static_cast<int64_t>(std::min(std::trunc(instance), 1e9)));
  }
  if (name == "VALUE") {
    if (!argc(1, 1)) return std::nullopt;
    Number x = NumberOf(a[0]);
    if (x.error) return *x.error;
    return CellValue::Num(x.x);
  }
  if (name == "INT" || name == "ABS") {
    if (!argc(1, 1)) return std::nullopt;
    double x = 0;
    if (!num(0, 0, x)) return ValueError();
    return CellValue::Num(name == "INT" ? std::floor(x) : std::fabs(x));
  }
  if (name == "ROUND" || name == "ROUNDUP" || name == "ROUNDDOWN") {
    if (!argc(1, 2) || (n == 1 && name != "ROUND")) return std::nullopt;
    double x = 0, d = 0;
    if (!num(0, 0, x) || !num(1, 0, d)) return ValueError();
    const RoundMode m = name == "ROUND"     ? RoundMode::kHalfAway
                        : name == "ROUNDUP" ? RoundMode::kAway
                                            : RoundMode::kTowardZero;
    return CellValue::Num(RoundDecimal(x, d, m));
  }
  if (name == "FIXED") {
    if (!argc(1, 3)) return std::nullopt;
    double x = 0, d = 2, plain = 0;
    if (!num(0, 0, x) || !num(1, 2, d) || !num(2, 0, plain)) return ValueError();
    d = std::trunc(std::clamp(d, -300.0, 127.0));
    const double y = RoundDecimal(x, d, RoundMode::kHalfAway);
    const std::string whole = plain != 0 ? "0" : "#,##0";
    return CellValue::Str(rt::Format(y, d > 0 ? whole + "." + std::string(static_cast<size_t>(d), '0') : whole));
  }
  if (name == "TEXT") {
    if (!argc(2, 2)) return std::nullopt;
    const std::string code = text(1);
    if (a[0].kind == CellValue::Kind::Text && !NumberInText(a[0].text)) return a[0];
    double x = 0;
    if (!num(0, 0, x)) return ValueError();
    return CellValue::Str(numfmt::FormatNumber(x, code));
  }
  return std::nullopt;
}

// Blanks, "&", "+ -", "* /", "^", unary signs, then the terms: the spreadsheet's order of
// operators, without comparisons.
struct Parser {
  std::string_view s;
  const CellLookup& cell;
  size_t i = 0;
  int depth = 0;

  void Blanks() {
    while (i < s.size() && s[i] == ' ') ++i;
  }
  bool Next(char c) {
    Blanks();
    if (i < s.size() && s[i] == c) {
      ++i;
      return true;
    }
    return false;
  }

  CellValue Expr() {
    // Nesting is bounded so that no formula runs the stack out.
    if (++depth > 64) Reject(s);
    CellValue v = Binary();
    while (Next('&')) {
      CellValue w = Binary();
      if (v.kind == CellValue::Kind::Error) continue;
      if (w.kind == CellValue::Kind::Error) v = w;
      else v = CellValue::Str(TextOf(v) + TextOf(w));
    }
    --depth;
    return v;
  }

  static CellValue Arith(const CellValue& v, const CellValue& w, char op) {
    Number a = NumberOf(v), b = NumberOf(w);
    if (a.error) return *a.error;
    if (b.error) return *b.error;
    double r = 0;
    switch (op) {
      case '+': r = a.x + b.x; break;
      case '-': r = a.x - b.x; break;
      case '*': r = a.x * b.x; break;
      case '/':
        if (b.x == 0) return CellValue::Err("#DIV/0!");
        r = a.x / b.x;
        break;
      default: r = std::pow(a.x, b.x); break;
    }
    if (!std::isfinite(r)) return CellValue::Err("#NUM!");
    return CellValue::Num(r);
  }

  // The binary operators by level, lowest first, each left-associative: "+ -", "* /", "^".
  CellValue Binary(size_t level = 0) {
    static constexpr std::string_view kLevels[] = {"+-", "*/", "^"};
    if (level == std::size(kLevels)) return Unary();
    CellValue v = Binary(level + 1);
    for (;;) {
      Blanks();
      if (i >= s.size() || kLevels[level].find(s[i]) == std::string_view::npos) return v;
      const char op = s[i++];
      v = Arith(v, Binary(level + 1), op);
    }
  }
  CellValue Unary() {
    if (Next('-')) {
      if (++depth > 64) Reject(s);
      CellValue v = Arith(CellValue::Num(0), Unary(), '-');
      --depth;
      return v;
    }
    if (Next('+')) return Unary();
    return Term();
  }

  // NAME( arguments ) at i, or nullopt when no function name stands there.
  std::optional<CellValue> Call() {
    size_t j = i;
    while (j < s.size() && (IsLetter(s[j]) || (j > i && (IsDigit(s[j]) || s[j] == '.' || s[j] == '_')))) ++j;
    size_t k = j;
    while (k < s.size() && s[k] == ' ') ++k;
    if (j == i || k >= s.size() || s[k] != '(') return std::nullopt;
    std::string name = rt::UCase(s.substr(i, j - i));
    if (name.rfind("_XLFN.", 0) == 0) name.erase(0, 6);  // xlsx's prefix of newer functions
    static constexpr std::string_view kKnown[] = {
        "TEXT",  "FIXED",  "ROUND", "ROUNDUP", "ROUNDDOWN", "INT", "ABS", "VALUE", "CONCATENATE", "CONCAT", "UPPER",
        "LOWER", "PROPER", "TRIM",  "LEFT",    "RIGHT",     "MID", "LEN", "REPT",  "SUBSTITUTE",  "N",      "T"};
    const auto unknown = [&] {
      return rt::RtError(rt::kErrRejected,
                         "The formula cannot be evaluated: function " + name + " unknown in " + std::string(s));
    };
    if (std::find(std::begin(kKnown), std::end(kKnown), name) == std::end(kKnown)) throw unknown();
    i = k + 1;
    std::vector<CellValue> args;
    if (!Next(')')) {
      do {
        args.push_back(Expr());
        if (args.size() > 255) Reject(s);
      } while (Next(','));
      if (!Next(')')) Reject(s);
    }
    std::optional<CellValue> v = CallFunction(name, args);
    if (!v)
      throw rt::RtError(rt::kErrRejected, "The formula cannot be evaluated: function " + name +
                                              " takes other arguments in " + std::string(s));
    return v;
  }

  CellValue Term() {
    Blanks();
    if (i >= s.size()) Reject(s);
    char c = s[i];
    if (c == '"') {
      std::string t;
      ++i;
      for (;;) {
        if (i >= s.size()) Reject(s);
        if (s[i] == '"') {
          if (i + 1 < s.size() && s[i + 1] == '"') {
            t += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        t += s[i++];
      }
      return CellValue::Str(t);
    }
    if (c == '(') {
      ++i;
      CellValue v = Expr();
      if (!Next(')')) Reject(s);
      return v;
    }
    if (IsDigit(c) || c == '.') {
      size_t j = i;
      while (j < s.size() && (IsDigit(s[j]) || s[j] == '.')) ++j;
      if (j < s.size() && (s[j] == 'E' || s[j] == 'e')) {
        size_t k = j + 1;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        if (k < s.size() && IsDigit(s[k])) {
          j = k;
          while (j < s.size() && IsDigit(s[j])) ++j;
        }
      }
      // A number, unless it is the row part of a reference such as a sheet named "1".
      if (j >= s.size() || !IsLetter(s[j])) {
        double x = 0;
        auto r = std::from_chars(s.data() + i, s.data() + j, x);
        if (r.ec != std::errc() || r.ptr != s.data() + j) Reject(s);
        i = j;
        return CellValue::Num(x);
      }
    }
    if (IsLetter(c)) {
      if (std::optional<CellValue> v = Call()) return *v;
      for (const char* word : {"TRUE", "FALSE"}) {
        const size_t n = std::string_view(word).size();
        if (rt::UCase(s.substr(i, n)) == word && (i + n >= s.size() || !IsNameChar(s[i + n]))) {
          i += n;
          return CellValue::Num(word[0] == 'T' ? 1 : 0);
        }
      }
    }
    // [sheet!]cell
    std::string sheet;
    size_t j = i;
    if (c == '\'') {
      ++j;
      for (;;) {
        if (j >= s.size()) Reject(s);
        if (s[j] == '\'') {
          if (j + 1 < s.size() && s[j + 1] == '\'') {
            sheet += '\'';
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        sheet += s[j++];
      }
      if (j >= s.size() || s[j] != '!') Reject(s);
      i = j + 1;
    } else {
      while (j < s.size() && (IsNameChar(s[j]) || s[j] == '$')) ++j;
      if (j < s.size() && s[j] == '!') {
        sheet = std::string(s.substr(i, j - i));
        i = j + 1;
      }
    }
    auto p = ScanPart(s, i);
    if (!p || !p->col || !p->row) Reject(s);
    if (p->end < s.size() && (IsNameChar(s[p->end]) || s[p->end] == '(' || s[p->end] == ':')) Reject(s);
    i = p->end;
    return cell(sheet, p->row, p->col);
  }
};

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool MatchFrom(std::string_view p, size_t pi, std::string_view t, size_t ti, bool mc, int depth) {
  if (depth > 64) return false;
  while (pi < p.size()) {
    char c = p[pi];
    if (c == '*') {
      while (pi < p.size() && p[pi] == '*') ++pi;
      if (pi == p.size()) return true;
      for (size_t k = ti; k <= t.size(); ++k)
        if (MatchFrom(p, pi, t, k, mc, depth + 1)) return true;
      return false;
    }
    if (ti >= t.size()) return false;
    if (c == '?') {
      ++pi;
      ti += rt::utf8::SeqLen(static_cast<unsigned char>(t[ti]));
      continue;
    }
    if (c == '~' && pi + 1 < p.size()) c = p[++pi];
    char a = mc ? c : FoldAscii(c), b = mc ? t[ti] : FoldAscii(t[ti]);
    if (a != b) return false;
    ++pi;
    ++ti;
  }
  return ti == t.size();
}

}  // namespace

CellValue EvaluateText(std::string_view expression, const CellLookup& cell) {
  Parser p{expression, cell};
  if (!expression.empty() && expression[0] == '=') p.i = 1;
  CellValue v = p.Expr();
  p.Blanks();
  if (p.i != expression.size()) Reject(expression);
  return v;
}

bool WildcardMatch(std::string_view pattern, std::string_view text, bool matchCase) {
  if (!matchCase && !rt::utf8::IsAscii(pattern)) {
    std::string up = rt::UCase(pattern), ut = rt::UCase(text);
    return MatchFrom(up, 0, ut, 0, true, 0);
  }
  if (!matchCase && !rt::utf8::IsAscii(text)) {
    std::string up = rt::UCase(pattern), ut = rt::UCase(text);
    return MatchFrom(up, 0, ut, 0, true, 0);
  }
  return MatchFrom(pattern, 0, text, 0, matchCase, 0);
}

}  // namespace vantrel::spreadsheet::formula
