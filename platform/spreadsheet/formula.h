#pragma once
// Cell references and formula text: A1 references, ODF formulas turned into A1 form, shared
// formulas moved to another cell, and the small evaluator of text expressions.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/spreadsheet/spreadsheet.h"

namespace vantrel::spreadsheet::formula {

inline constexpr int64_t kMaxRows = 1048576;
inline constexpr int64_t kMaxColumns = 16384;

// "A" = 1 ... "XFD" = 16384; 0 for anything else.
int64_t ColumnNumber(std::string_view letters);
std::string ColumnLetters(int64_t column);

struct Rect {
  int64_t r1 = 1, c1 = 1, r2 = 1, c2 = 1;
};

// "A1", "$A$1", "A2:C60", "A:R", "G", "3:5" (rows). Whole columns span every row, whole rows
// every column. nullopt for anything else.
std::optional<Rect> ParseRange(std::string_view text);

// "of:=MAX([.A2:.C60])" -> "=MAX(A2:C60)"; "[$Sheet2.B1]" -> "Sheet2!B1", "['My sheet'.B1]" ->
// "'My sheet'!B1"; ";" between arguments -> ",". nullopt when the formula's syntax is unknown.
std::optional<std::string> OdfToA1(std::string_view odf);

// A formula as the Calc API gives it, in the form above: "=SUM(A2;B2)" -> "=SUM(A2,B2)",
// "=$Sheet2.B1" -> "=Sheet2!B1", "='My sheet'.B1" -> "='My sheet'!B1". Text literals and
// constants stay as they are.
std::string ApiToA1(std::string_view api);

// A formula moved by (rows, columns): the relative references shift, "$" parts stay.
std::string ShiftFormula(std::string_view formula, int64_t rows, int64_t columns);

// Evaluates the expressions titles are made of, as the spreadsheet does: "literal", numbers,
// TRUE and FALSE, cell references (optionally sheet-qualified), "&", + - * / ^, unary signs,
// parentheses, and the functions TEXT FIXED ROUND ROUNDUP ROUNDDOWN INT ABS VALUE CONCATENATE
// CONCAT UPPER LOWER PROPER TRIM LEFT RIGHT MID LEN REPT SUBSTITUTE N T. A value the spreadsheet
// refuses (MID from 0, VALUE of a word) is an error value ("#VALUE!", "#DIV/0!").
// cell(sheet, row, column) gives a cell's value (sheet "" = the current one) and throws what it
// rejects. RtError 1004 for anything else; for an unknown function its description names it.
using CellLookup = std::function<CellValue(std::string_view sheet, int64_t row, int64_t column)>;
CellValue EvaluateText(std::string_view expression, const CellLookup& cell);

// Matches text against a pattern with the wildcards * and ?, ~ escaping the next character.
bool WildcardMatch(std::string_view pattern, std::string_view text, bool matchCase);

}  // namespace vantrel::spreadsheet::formula
