#pragma once
// The running spreadsheet as the loader's worksheet road and the watcher drive it: exactly the
// calls they make, on workbooks named by handles. Every failing call throws rt::RtError with the
// number the callers test (9 no such window, 91 no object or nothing found, 1004 rejected,
// 50290 busy). An adapter puts it over the spreadsheet layer; tests pass a scripted fake.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::datastore {

// A workbook of the running spreadsheet; 0 names none.
using BookId = int64_t;

// A cell's value as the road reads it.
struct SheetCell {
  bool numeric = false;  // a number, a date or a boolean
  double number = 0;
  std::string text;  // the value as text ("" for an empty cell)
  double AsDouble() const { return numeric ? number : 0.0; }
};

class SheetLink {
 public:
  virtual ~SheetLink() = default;

  // The application.
  virtual std::string Name() = 0;
  virtual std::string Version() = 0;
  virtual bool Visible() = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void Quit() = 0;

  // The active workbook (error 91 when none), its name, its windows and active sheet.
  virtual BookId ActiveWorkbook() = 0;
  virtual std::string WorkbookName(BookId book) = 0;
  virtual int64_t WindowsCount(BookId book) = 0;
  virtual std::string WindowCaption(BookId book, int64_t n) = 0;
  virtual std::string ActiveSheetName(BookId book) = 0;

  // The active cell of the workbook's first window.
  virtual std::string ActiveCellFormula(BookId book) = 0;
  virtual SheetCell ActiveCellValue(BookId book) = 0;
  virtual int64_t ActiveCellRow(BookId book) = 0;
  virtual int64_t ActiveCellColumn(BookId book) = 0;
  // Searches the active sheet of the workbook's first window for `what` in the cells' formulas
  // (part of the text, case as matchCase says) and makes the found cell the active cell; error
  // 91 when nothing is found. fromApplication: the search of the application's cells, after the
  // active cell's own search found nothing.
  virtual void FindAndActivate(BookId book, const std::string& what, bool matchCase, bool fromApplication) = 0;
  // A cell of the active sheet of the workbook's first window (row and column from 1).
  virtual SheetCell CellValue(BookId book, int64_t row, int64_t column) = 0;
  virtual void SelectCell(BookId book, int64_t row, int64_t column) = 0;
  // The value of "=" & expression on the workbook's active sheet, writing no cell (text
  // literals, numbers, cell references, "&"); error 1004 for anything else.
  virtual SheetCell Evaluate(BookId book, const std::string& expression) = 0;

  // The gathering workbook.
  virtual BookId AddWorkbook() = 0;  // a new empty workbook, never one of the user's
  virtual void SetCellText(BookId book, int64_t row, int64_t column, const std::string& text) = 0;
  // Marks a range of the workbook's active sheet as copied ("A2:C60", "$A$2:$C$60", "E2").
  virtual void CopyRange(BookId book, const std::string& range) = 0;
  // Pastes the copied range as values, its top-left cell at `cell` of the workbook's active sheet.
  virtual void PasteValues(BookId book, const std::string& cell) = 0;
  virtual void SetCutCopyMode(bool on) = 0;
  // Column width and number format of columns such as "A:R" or "G:G".
  virtual void FormatColumns(BookId book, const std::string& columns, double width,
                             const std::string& numberFormat) = 0;
  // The cells of the copied range, one call per row from its top, one cell per column: numbers
  // and dates as numbers, every other cell as its displayed text ("" for an empty one). The
  // system clipboard is not used.
  using CopiedRow = std::function<void(const std::vector<SheetCell>& cells)>;
  virtual void ForEachCopiedRow(const CopiedRow& each) = 0;
  // Closes the workbook without saving.
  virtual void CloseWorkbook(BookId book) = 0;
};

// Attaches to the running spreadsheet; throws RtError 429 when none runs.
using SheetConnector = std::function<std::shared_ptr<SheetLink>()>;
// The connector of the store in force (nullptr: the spreadsheet layer's running spreadsheet).
void SetSheetConnector(SheetConnector connector);
std::shared_ptr<SheetLink> AttachRunningSheet();
// The spreadsheet layer's running spreadsheet as a SheetLink (RtError 429 when none runs);
// nullptr when the program is built without that layer.
std::shared_ptr<SheetLink> AttachSpreadsheetLayer();

}  // namespace vantrel::datastore
