#include "platform/spreadsheet/formula.h"

#include <algorithm>
#include <charconv>

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

struct Parser {
  std::string_view s;
  const CellLookup& cell;
  size_t i = 0;

  void Blanks() {
    while (i < s.size() && s[i] == ' ') ++i;
  }

  CellValue Expr() {
    CellValue v = Term();
    Blanks();
    while (i < s.size() && s[i] == '&') {
      ++i;
      CellValue w = Term();
      if (v.kind == CellValue::Kind::Error) return v;
      if (w.kind == CellValue::Kind::Error) return w;
      v = CellValue::Str(TextOf(v) + TextOf(w));
      Blanks();
    }
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
      Blanks();
      if (i >= s.size() || s[i] != ')') Reject(s);
      ++i;
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
