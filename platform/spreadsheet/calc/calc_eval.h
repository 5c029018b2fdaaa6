#pragma once
// Title expressions evaluated by Calc itself: the cells an expression references are read from
// the user's document and the expression is evaluated in the session's own hidden document, so
// that every function Calc knows gives Calc's own result. The user's document is only read.

#include <cstdint>
#include <functional>
#include <string>
#include <set>
#include <string_view>
#include <vector>

#include "platform/spreadsheet/calc_session.h"

namespace vantrel::spreadsheet::calc {

// A cell reference of an expression: its sheet as written ("" for none) and its range; whole
// columns and rows span the sheet.
struct Reference {
  std::string sheet;
  formula::Rect r;
};

// An expression in A1 form ("ROMAN(H1)&Data!A2") in Calc's own syntax ("ROMAN(H1)&$Data.A2": ";"
// between arguments, "Sheet." before a cell), with the references it makes outside its text
// literals.
struct CalcExpression {
  std::string text;
  std::vector<Reference> references;
};
CalcExpression ToCalcSyntax(std::string_view a1);

// The index of the document's sheet named `name` in any case; -1 when there is none.
int64_t SheetIndex(Document& doc, std::string_view name);

// The most cells an evaluation copies into the own document.
inline constexpr int64_t kMaxOwnCells = 100000;

class TitleEvaluator {
 public:
  // `expression` (A1 form) evaluated by Calc on the values of `doc` it references, the sheet
  // `active` for the references that name none. own() is the program's own evaluation: it is
  // made first and its value stands when Calc cannot evaluate the expression (an error value, no
  // answer, no own document), which is logged once for each expression. What own() throws is
  // thrown when neither can evaluate it.
  CellValue Evaluate(Session& session, Document& doc, int64_t active, std::string_view expression,
                     const std::function<CellValue()>& own);

 private:
  std::set<std::string, std::less<>> logged_;  // the expressions whose failure was logged
};

}  // namespace vantrel::spreadsheet::calc
