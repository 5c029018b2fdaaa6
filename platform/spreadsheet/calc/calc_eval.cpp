#include "platform/spreadsheet/calc/calc_eval.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::spreadsheet::calc {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsRefChar(char c) { return IsLetter(c) || IsDigit(c) || c == '$' || c == ':'; }
bool IsNameChar(char c) { return IsRefChar(c) || c == '_' || c == '.'; }

// The end of the run of characters from i that `is` accepts.
template <class P>
size_t RunEnd(std::string_view s, size_t i, P is) {
  while (i < s.size() && is(s[i])) ++i;
  return i;
}

// The end of the literal that opens at i with `quote` (doubled inside), or npos.
size_t LiteralEnd(std::string_view s, size_t i, char quote) {
  for (size_t j = i + 1; j < s.size(); ++j) {
    if (s[j] != quote) continue;
    if (j + 1 < s.size() && s[j + 1] == quote) {
      ++j;
      continue;
    }
    return j + 1;
  }
  return std::string_view::npos;
}

}  // namespace

CalcExpression ToCalcSyntax(std::string_view s) {
  CalcExpression out;
  auto reference = [&](std::string sheet, std::string_view text) {
    if (auto r = formula::ParseRange(text)) out.references.push_back({std::move(sheet), *r});
  };
  // The cell part after "sheet!" at i, copied; its end.
  auto cellAfterSheet = [&](std::string sheet, size_t i) {
    const size_t end = RunEnd(s, i, IsRefChar);
    reference(std::move(sheet), s.substr(i, end - i));
    out.text += s.substr(i, end - i);
    return end;
  };
  for (size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (c == '"') {
      const size_t end = std::min(LiteralEnd(s, i, '"'), s.size());
      out.text += s.substr(i, end - i);
      i = end;
    } else if (c == ',') {
      out.text += ';';
      ++i;
    } else if (c == '\'') {
      const size_t end = LiteralEnd(s, i, '\'');
      if (end == std::string_view::npos || end >= s.size() || s[end] != '!') {
        out.text += s.substr(i);
        break;
      }
      out.text += "$" + std::string(s.substr(i, end - i)) + ".";
      i = cellAfterSheet(rt::Replace(std::string(s.substr(i + 1, end - i - 2)), "''", "'"), end + 1);
    } else if (IsDigit(c) || c == '.') {
      // A number, its exponent included.
      size_t end = RunEnd(s, i, [](char x) { return IsDigit(x) || x == '.'; });
      if (end < s.size() && (s[end] == 'E' || s[end] == 'e')) {
        size_t k = end + 1;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        if (k < s.size() && IsDigit(s[k])) end = RunEnd(s, k, IsDigit);
      }
      out.text += s.substr(i, end - i);
      i = end;
    } else if (IsLetter(c) || c == '$' || c == '_') {
      const size_t end = RunEnd(s, i, IsNameChar);
      const std::string_view name = s.substr(i, end - i);
      if (end < s.size() && s[end] == '!') {
        // A dotted function name (an add-in's, "COM.SUN.STAR.SHEET.ADDIN.ANALYSIS.GETDEC2HEX")
        // reads in A1 form as a sheet and a name; it is given back as Calc wrote it.
        const size_t call = RunEnd(s, end + 1, IsNameChar);
        if (call > end + 1 && call < s.size() && s[call] == '(') {
          out.text += std::string(name) + "." + std::string(s.substr(end + 1, call - end - 1));
          i = call;
          continue;
        }
        out.text += "$" + std::string(name) + ".";
        i = cellAfterSheet(std::string(name), end + 1);
        continue;
      }
      // A function's name stands before its "(".
      const size_t next = RunEnd(s, end, [](char x) { return x == ' '; });
      if (next >= s.size() || s[next] != '(') reference("", name);
      out.text += name;
      i = end;
    } else {
      out.text += c;
      ++i;
    }
  }
  return out;
}

int64_t SheetIndex(Document& doc, std::string_view name) {
  const std::string u = rt::UCase(name);
  for (int64_t i = 0, n = doc.SheetCount(); i < n; ++i)
    if (rt::UCase(doc.SheetName(i)) == u) return i;
  return -1;
}

namespace {

// The value Calc gives `expression`, on copies of the cells it references.
CellValue EvaluateInCalc(Session& session, Document& doc, int64_t active, std::string_view expression) {
  const CalcExpression e = ToCalcSyntax(expression);
  const std::string first = doc.SheetName(active);
  std::vector<OwnRange> cells;
  std::map<int64_t, CellAt> usedEnds;
  int64_t count = 0;
  for (const Reference& ref : e.references) {
    const int64_t sheet = ref.sheet.empty() ? active : SheetIndex(doc, ref.sheet);
    if (sheet < 0) throw rt::RtError(rt::kErrRejected, "the sheet " + ref.sheet + " does not exist");
    auto used = usedEnds.find(sheet);
    if (used == usedEnds.end()) used = usedEnds.emplace(sheet, doc.UsedEnd(sheet)).first;
    // Past the used area every cell is empty, as it is in the own document.
    const formula::Rect r{ref.r.r1, ref.r.c1, std::min(ref.r.r2, used->second.row),
                          std::min(ref.r.c2, used->second.column)};
    if (r.r1 > r.r2 || r.c1 > r.c2) continue;
    count += (r.r2 - r.r1 + 1) * (r.c2 - r.c1 + 1);
    if (count > kMaxOwnCells) throw rt::RtError(rt::kErrRejected, "the expression references too many cells");
    OwnRange range{sheet == active ? first : doc.SheetName(sheet), r, doc.Values(sheet, r)};
    // An error value is not copied: the program's own evaluation carries it.
    for (const CellValue& v : range.values)
      if (v.kind == CellValue::Kind::Error) throw rt::RtError(rt::kErrRejected, "a cell it references shows " + v.text);
    cells.push_back(std::move(range));
  }
  return session.EvaluateOwn("=" + e.text, first, cells);
}

}  // namespace

CellValue TitleEvaluator::Evaluate(Session& session, Document& doc, int64_t active, std::string_view expression,
                                   const std::function<CellValue()>& own) {
  std::optional<CellValue> mine;
  std::optional<rt::RtError> refused;
  try {
    mine = own();
  } catch (const rt::RtError& e) {
    if (e.number() == kErrConnectionLost) throw;
    refused = e;
  }
  try {
    return EvaluateInCalc(session, doc, active, expression);
  } catch (const rt::RtError& e) {
    // A few hundred expressions at most are remembered; past them every failure is logged.
    constexpr size_t kRemembered = 256;
    if (logged_.find(expression) == logged_.end()) {
      if (logged_.size() < kRemembered) logged_.emplace(expression);
      std::fprintf(stderr, "vantrel: LibreOffice Calc did not evaluate %.*s (%s): %s\n", int(expression.size()),
                   expression.data(), e.description().c_str(),
                   mine ? "the program's own value is used" : "it is not evaluated");
    }
  }
  if (mine) return *mine;
  throw *refused;
}

}  // namespace vantrel::spreadsheet::calc
