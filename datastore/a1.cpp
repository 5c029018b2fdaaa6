#include "datastore/a1.h"

#include <cmath>
#include <vector>

#include "platform/forms/msgbox.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {
namespace {

bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The letter whose code is `code` rounded; codes outside A..Z still give one character, so
// that a malformed address rebuilds to a text that differs from any valid one.
std::string Letter(double code) {
  double r = rt::RoundHalfEven(code);
  if (!(r >= 32 && r <= 126)) r = '?';
  return std::string(1, static_cast<char>(r));
}

double TwoLetters(char a, char b) { return (a - 64) * 26.0 + (b - 64); }

// The table of ConvertA1LC: the text trimmed and upper-cased, without blanks and without "$".
std::string A1Table(const std::string& range) {
  const std::string s = rt::UCase(rt::Trim(range));
  std::string t;
  for (char c : s) {
    if (c == ' ' || c == '$') continue;
    if (t.size() >= 100) throw rt::RtError(rt::kErrSubscript);
    t.push_back(c);
  }
  return t;
}

std::string AsciiCodes(const std::string& t) {
  std::string out;
  for (unsigned char c : t) out += std::to_string(static_cast<int>(c));
  return out;
}

}  // namespace

std::string ColumnLetters(double c) {
  if (c <= 26) return Letter(64 + c);
  const double q = rt::Int((c - 1) / 26);
  const double r = c - 26 * q;
  return Letter(64 + q) + Letter(64 + r);
}

std::string CellAddressXls(double row, double column) {
  if (column > 256) forms::MsgBox("ERROR: last column shall be less than 255 ie iv", 16, "Retry   or    Voir Halvorn");
  return ColumnLetters(column) + rt::Format(row, "#0");
}

bool ConvertA1LC(const std::string& range, double& Ncol1, double& Ncol2, double& num1, double& num2) {
  if (rt::Trim(range).empty()) return false;
  const std::string t = A1Table(range);
  const int64_t m = static_cast<int64_t>(t.size());

  // Shape: letters, digits, ":" and again letters, digits.
  int state = 1, pairs = 0;
  int64_t colon = 0;
  for (int64_t i = 0; i < m; ++i) {
    const char c = t[static_cast<size_t>(i)];
    const int kind = IsLetter(c) ? 1 : IsDigit(c) ? 2 : c == ':' ? 3 : 0;
    if (c == ':') colon = i + 1;
    if (kind == state) ++state;
    if (state == 4) {
      pairs = 4;
      state = 1;
    }
  }
  const bool two = pairs == 4 && state == 3;
  const bool one = pairs == 0 && state == 3;
  if (!two && !one) {
    forms::MsgBox("Entry seems not compatible with the req. Excel for the range of cells: should be like "
                  "A10:C200. Here  " +
                      range + " and " + t + " In asciiW " + AsciiCodes(t),
                  16, "Error entry");
    return false;
  }
  if (one) colon = m + 1;

  // Characters from 1-based position a up to, not including, b.
  auto part = [&](int64_t a, int64_t b) {
    return b > a ? t.substr(static_cast<size_t>(a - 1), static_cast<size_t>(b - a)) : std::string();
  };
  auto at = [&](int64_t i) { return i >= 1 && i <= m ? t[static_cast<size_t>(i - 1)] : '\0'; };

  if (!IsLetter(at(2))) {
    Ncol1 = at(1) - 64;
    num1 = rt::Val(part(2, colon));
  } else {
    Ncol1 = TwoLetters(at(1), at(2));
    num1 = rt::Val(part(3, colon));
  }
  Ncol2 = 0;
  num2 = 0;
  if (two) {
    if (!IsLetter(at(colon + 2))) {
      Ncol2 = at(colon + 1) - 64;
      num2 = rt::Val(part(colon + 2, m + 1));
    } else {
      Ncol2 = TwoLetters(at(colon + 1), at(colon + 2));
      num2 = rt::Val(part(colon + 3, m + 1));
    }
  }

  std::string rebuilt = CellAddressXls(num1, Ncol1);
  if (two) rebuilt += ":" + CellAddressXls(num2, Ncol2);
  if (rebuilt == t) return true;
  forms::MsgBox("High Entry not compatible with the requirements Excel form for the range of cells: should "
                "be like A10:C200 ",
                16, "Error entry");
  return false;
}

void CellToR1C1Xls(const std::string& cell, double& row, double& column, std::string& r1c1) {
  const std::string s = rt::Replace(rt::UCase(rt::Trim(cell)), "$", "");
  if (s.empty()) {
    row = 0;
    column = 0;
    return;
  }
  size_t k = 0;
  while (k < 3 && k < s.size() && IsLetter(s[k])) ++k;
  try {
    row = rt::Val(s.substr(k));
  } catch (const rt::RtError& e) {
    forms::MsgBox(e.description(), 64, "ERROR n° " + std::to_string(e.number()));
  }
  if (k == 1) {
    column = s[0] - 64;
  } else if (k == 2) {
    column = TwoLetters(s[0], s[1]);
  } else if (k == 0) {
    column = kWholeRowColumn;
  } else {
    forms::MsgBox("Erreur Adresse, voir Halvorn", 16, kProgramTitle);
    row = 0;
    column = 0;
    return;
  }
  if (column > 256 || column < 1 || row > 65536 || row < 1)
    forms::MsgBox("Error Address: " + s + " not allowed, voir Halvorn", 16, kProgramTitle);
  if (k == 0)
    r1c1 = "R" + rt::Format(row, "#") + "C" + rt::Format(1, "#") + ":R" + rt::Format(row, "#") + "C" +
           rt::Format(255, "#");
  else r1c1 = "R" + rt::Format(row, "#") + "C" + rt::Format(column, "#");
}

std::string OffsetCellXls(const std::string& cell, double n) {
  double row = 0, column = 0;
  std::string r1c1;
  CellToR1C1Xls(cell, row, column, r1c1);
  return CellAddressXls(row, column + n);
}

void GrowRangeXls(std::string& range, double firstCol, double lastCol, double firstRow, double& lastRow, double flag,
                  double baseRow, double endRow, std::string& formula) {
  if (flag != 1 || range.empty() || lastRow != firstRow) return;
  lastRow = firstRow + (endRow - baseRow);
  const std::string grown = CellAddressXls(firstRow, firstCol) + ":" + CellAddressXls(lastRow, lastCol);
  const size_t at = formula.find("(" + range);
  if (at != std::string::npos) formula.replace(at + 1, range.size(), grown);
  range = grown;
}

}  // namespace vantrel::datastore
