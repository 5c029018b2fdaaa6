#pragma once
// The few reads the Calc backend makes of a running LibreOffice Calc, free of UNO types. The
// module libvantrel_calc.so implements them over a UNO connection; calc.cpp loads it at run time
// and builds the spreadsheet interfaces on top. Sheets are counted from 0, rows and columns from
// 1. Every call only reads, except Select, which moves the cell cursor of the document's view.
// Failures throw rt::RtError: 1004 for a refused call, 91 when there is nothing to read, and
// 0x800706BE when the connection to Calc is lost. The calls may block for as long as Calc takes
// to answer: calc.cpp makes them on a thread of its own, each with a deadline.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/rterror.h"
#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/spreadsheet.h"

namespace vantrel::spreadsheet::calc {

inline constexpr int kErrConnectionLost = static_cast<int>(0x800706BEu);

struct CellAt {
  int64_t sheet = 0;
  int64_t row = 1;
  int64_t column = 1;
};

// One spreadsheet document open in Calc.
class Document {
 public:
  virtual ~Document() = default;
  // The title of the document's window ("loader.ods", "Untitled 1").
  virtual std::string Title() = 0;
  virtual int64_t SheetCount() = 0;
  virtual std::string SheetName(int64_t sheet) = 0;
  // The sheet shown in the document's view, and its cell cursor.
  virtual int64_t ActiveSheet() = 0;
  virtual CellAt ActiveCell() = 0;
  // The formula as the API gives it ("=MAX(A2;B2)", "=$Sheet2.B1"); the constant's text for
  // other cells, "" when empty.
  virtual std::string Formula(const CellAt& c) = 0;
  virtual CellValue Value(const CellAt& c) = 0;
  // The displayed text.
  virtual std::string Text(const CellAt& c) = 0;
  // The values of a range in one read, row by row.
  virtual std::vector<CellValue> Values(int64_t sheet, const formula::Rect& r) = 0;
  // The last row and column holding anything (1, 1 for an empty sheet).
  virtual CellAt UsedEnd(int64_t sheet) = 0;
  // The ranges of the sheet whose cells match (formulas or values, part or whole, case).
  virtual std::vector<formula::Rect> FindAll(int64_t sheet, const FindArgs& args) = 0;
  // Makes the cell the document view's cursor, on the sheet shown.
  virtual void Select(const CellAt& c) = 0;
  virtual int64_t RowCount(int64_t sheet) = 0;
  virtual bool Modified() = 0;
};

// Values for the session's own document: a range of the sheet named `sheet`, row by row.
struct OwnRange {
  std::string sheet;
  formula::Rect r;
  std::vector<CellValue> values;
};

class Session {
 public:
  virtual ~Session() = default;
  // The product version, "7.4.7.2".
  virtual std::string ProductVersion() = 0;
  // The spreadsheet document of the active window, else the first open one; null when none.
  virtual std::shared_ptr<Document> ActiveDocument() = 0;
  virtual std::vector<std::shared_ptr<Document>> Documents() = 0;
  // False once Calc no longer answers on the connection.
  virtual bool Alive() = 0;
  // The value of `formula` (Calc's own syntax: "=ROMAN(H1)&$Data.A2") in a hidden document of the
  // session's own, made at the first call and closed with the session, whose first sheet is
  // named `firstSheet` and which holds nothing but `cells`. The user's documents are not
  // touched, and the own document is not among Documents(). RtError 1004 when Calc gives an
  // error value or cannot make the document.
  virtual CellValue EvaluateOwn(const std::string& formula, const std::string& firstSheet,
                                const std::vector<OwnRange>& cells) {
    (void)formula, (void)firstSheet, (void)cells;
    throw rt::RtError(rt::kErrRejected, "This connection to Calc evaluates no formula");
  }
  // Closes the own document, if one was made.
  virtual void CloseOwn() {}
};

// The module's entry point: connects to the Calc listening on `connection` (a UNO connection
// string, "pipe,name=vantrel;urp;StarOffice.ComponentContext"). RtError 429 when none listens,
// kErrConnectionLost when the Calc that listens ends or breaks the connection while connecting.
using ConnectFunction = std::shared_ptr<Session> (*)(const std::string& connection);
inline constexpr const char* kConnectSymbol = "vantrel_calc_connect";

}  // namespace vantrel::spreadsheet::calc
