#pragma once
// The running spreadsheet as the program drives it: application, workbooks, windows, sheets,
// cells, the active cell, Find, the text copy of a range, paste as values, number formats.
//
// The handles below are small values that share the object they name. A handle that names
// nothing (a Find that found nothing, no active workbook) throws RtError 91 on any use, as an
// unset object does. Every failing call throws rt::RtError with the number the callers test:
//   9     a workbook, window or sheet that is not there (Workbooks(name), Windows(n))
//   91    no object (no active workbook, nothing found)
//   429   no running spreadsheet to attach to (GetRunning)
//   1004  a call, a reference or a formula the spreadsheet rejects
//   50290 the spreadsheet is busy (a backend may raise it at any call)
// Nothing here knows of files: a backend may hold workbooks read from files (model.h,
// workbook_file.h) or attach to a live spreadsheet program.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/rterror.h"

namespace vantrel::spreadsheet {

inline constexpr int kErrBusy = 50290;

// Constants passed by number, as the automation interface takes them.
inline constexpr int kLookInFormulas = -4123;
inline constexpr int kLookInValues = -4163;
inline constexpr int kLookAtWhole = 1;
inline constexpr int kLookAtPart = 2;
inline constexpr int kPasteValues = -4163;
inline constexpr int kPasteAll = -4104;
inline constexpr int kPasteOperationNone = -4142;

// A cell's value. Dates are day serials (day 0 = 30 December 1899) told apart by the cell's
// number format.
struct CellValue {
  enum class Kind { Empty, Number, Text, Boolean, Error, Date };
  Kind kind = Kind::Empty;
  double number = 0;  // Number, Date; Boolean: -1 or 0
  std::string text;   // Text; Error: "#N/A", "#DIV/0!", ...

  static CellValue Num(double x) { return {Kind::Number, x, {}}; }
  static CellValue Str(std::string s) { return {Kind::Text, 0, std::move(s)}; }
  static CellValue Bool(bool b) { return {Kind::Boolean, b ? -1.0 : 0.0, {}}; }
  static CellValue Err(std::string s) { return {Kind::Error, 0, std::move(s)}; }
  static CellValue DateSerial(double x) { return {Kind::Date, x, {}}; }

  bool IsEmpty() const { return kind == Kind::Empty; }
  bool IsNumeric() const { return kind == Kind::Number || kind == Kind::Date || kind == Kind::Boolean; }
  // The value as a Double: numbers, dates and booleans; 0 for text, errors and empty cells.
  double AsDouble() const { return IsNumeric() ? number : 0.0; }
  // The value as the run time turns a Variant into text: numbers with up to 15 digits and the
  // locale's decimal separator, "True"/"False", dates as "yyyy/mm/dd[ hh:mm:ss]", "" for empty.
  std::string AsString() const;
  bool operator==(const CellValue&) const = default;
};

struct FindArgs {
  std::string what;
  int lookIn = kLookInFormulas;
  int lookAt = kLookAtPart;
  bool matchCase = false;
  bool searchFormat = false;
};

// --- backend interfaces (one implementation per kind of spreadsheet) -----------------------

struct IRange;
struct ISheet;
struct IWindow;
struct IWorkbook;
struct IApplication;
using RangeP = std::shared_ptr<IRange>;
using SheetP = std::shared_ptr<ISheet>;
using WindowP = std::shared_ptr<IWindow>;
using WorkbookP = std::shared_ptr<IWorkbook>;
using ApplicationP = std::shared_ptr<IApplication>;

struct IRange {
  virtual ~IRange() = default;
  virtual std::string Formula() = 0;
  virtual void SetFormula(std::string_view formula) = 0;
  virtual CellValue Value() = 0;
  virtual void SetValue(const CellValue& v) = 0;
  virtual std::string Text() = 0;
  virtual int64_t Row() = 0;
  virtual int64_t Column() = 0;
  virtual int64_t RowsCount() = 0;
  virtual int64_t ColumnsCount() = 0;
  virtual std::string Address() = 0;
  virtual void Activate() = 0;
  virtual void Select() = 0;
  virtual RangeP Cells(int64_t row, int64_t column) = 0;
  virtual RangeP Find(const FindArgs& args) = 0;
  virtual void Copy() = 0;
  virtual void PasteSpecial(int paste, int operation, bool skipBlanks, bool transpose) = 0;
  virtual double ColumnWidth() = 0;
  virtual void SetColumnWidth(double w) = 0;
  virtual std::string NumberFormat() = 0;
  virtual void SetNumberFormat(std::string_view format) = 0;
  virtual SheetP Worksheet() = 0;
};

struct ISheet {
  virtual ~ISheet() = default;
  virtual std::string Name() = 0;
  virtual RangeP Cells() = 0;
  virtual RangeP Cells(int64_t row, int64_t column) = 0;
  virtual RangeP Range(std::string_view a1) = 0;
  virtual RangeP Columns(std::string_view letters) = 0;
  virtual void Activate() = 0;
};

struct IWindow {
  virtual ~IWindow() = default;
  virtual std::string Caption() = 0;
  virtual RangeP ActiveCell() = 0;
  virtual SheetP ActiveSheet() = 0;
  virtual void Activate() = 0;
  virtual void Close(bool saveChanges, bool routeWorkbook) = 0;
};

struct IWorkbook {
  virtual ~IWorkbook() = default;
  virtual std::string Name() = 0;
  virtual int64_t WindowsCount() = 0;
  virtual WindowP Window(int64_t n) = 0;
  virtual SheetP ActiveSheet() = 0;
  virtual int64_t SheetsCount() = 0;
  virtual SheetP Sheet(int64_t n) = 0;
  virtual SheetP Sheet(std::string_view name) = 0;
  virtual void Activate() = 0;
  virtual void Close(bool saveChanges) = 0;
};

struct IApplication {
  virtual ~IApplication() = default;
  virtual std::string Name() = 0;
  virtual std::string Version() = 0;
  virtual bool Visible() = 0;
  virtual void SetVisible(bool v) = 0;
  virtual void Quit() = 0;
  virtual WorkbookP ActiveWorkbook() = 0;  // null when none
  virtual WindowP ActiveWindow() = 0;      // null when none
  virtual int64_t WorkbooksCount() = 0;
  virtual WorkbookP Workbook(std::string_view name) = 0;
  virtual WorkbookP Workbook(int64_t n) = 0;
  virtual WorkbookP AddWorkbook() = 0;
  virtual int64_t WindowsCount() = 0;
  virtual WindowP Window(int64_t n) = 0;
  virtual RangeP Selection() = 0;  // null when none
  virtual bool CutCopyMode() = 0;
  virtual void SetCutCopyMode(bool on) = 0;
  virtual std::string CopiedText() = 0;
  virtual void ForEachCopiedRow(const std::function<void(const std::vector<CellValue>&)>& each) = 0;
  virtual CellValue Evaluate(std::string_view expression) = 0;
};

// --- handles ---------------------------------------------------------------------------

namespace detail {
template <class T>
T& Use(const std::shared_ptr<T>& p) {
  if (!p) throw rt::RtError(rt::kErrNoObject);
  return *p;
}
}  // namespace detail

class Worksheet;

class Range {
 public:
  Range() = default;
  explicit Range(RangeP p) : p_(std::move(p)) {}
  bool IsNothing() const { return !p_; }

  std::string Formula() const { return detail::Use(p_).Formula(); }
  void SetFormula(std::string_view f) const { detail::Use(p_).SetFormula(f); }
  // The default property.
  CellValue Value() const { return detail::Use(p_).Value(); }
  void SetValue(const CellValue& v) const { detail::Use(p_).SetValue(v); }
  void SetValue(std::string_view text) const { detail::Use(p_).SetValue(CellValue::Str(std::string(text))); }
  void SetValue(double x) const { detail::Use(p_).SetValue(CellValue::Num(x)); }
  // The displayed text of the first cell under its number format.
  std::string Text() const { return detail::Use(p_).Text(); }
  int64_t Row() const { return detail::Use(p_).Row(); }
  int64_t Column() const { return detail::Use(p_).Column(); }
  int64_t RowsCount() const { return detail::Use(p_).RowsCount(); }
  int64_t ColumnsCount() const { return detail::Use(p_).ColumnsCount(); }
  // "$A$1" or "$A$1:$C$60".
  std::string Address() const { return detail::Use(p_).Address(); }
  void Activate() const { detail::Use(p_).Activate(); }
  void Select() const { detail::Use(p_).Select(); }
  // The range itself (Range.Cells) and one of its cells, counted from 1 at its top-left.
  Range Cells() const { return *this; }
  Range Cells(int64_t row, int64_t column) const { return Range(detail::Use(p_).Cells(row, column)); }
  // Searches by rows, starting after the range's top-left cell and wrapping; a range of one
  // cell searches its whole sheet. What may hold the wildcards * and ?, ~ escapes them.
  Range Find(const FindArgs& a) const { return Range(detail::Use(p_).Find(a)); }
  Range Find(std::string_view what, int lookIn, int lookAt, bool matchCase, bool searchFormat = false) const {
    return Find(FindArgs{std::string(what), lookIn, lookAt, matchCase, searchFormat});
  }
  // Marks the range for PasteSpecial and as the source of Application::CopiedText.
  void Copy() const { detail::Use(p_).Copy(); }
  void PasteSpecial(int paste = kPasteValues, int operation = kPasteOperationNone, bool skipBlanks = false,
                    bool transpose = false) const {
    detail::Use(p_).PasteSpecial(paste, operation, skipBlanks, transpose);
  }
  double ColumnWidth() const { return detail::Use(p_).ColumnWidth(); }
  void SetColumnWidth(double w) const { detail::Use(p_).SetColumnWidth(w); }
  std::string NumberFormat() const { return detail::Use(p_).NumberFormat(); }
  void SetNumberFormat(std::string_view f) const { detail::Use(p_).SetNumberFormat(f); }
  inline Worksheet Sheet() const;

  const RangeP& get() const { return p_; }

 private:
  RangeP p_;
};

class Worksheet {
 public:
  Worksheet() = default;
  explicit Worksheet(SheetP p) : p_(std::move(p)) {}
  bool IsNothing() const { return !p_; }
  std::string Name() const { return detail::Use(p_).Name(); }
  Range Cells() const { return Range(detail::Use(p_).Cells()); }
  Range Cells(int64_t row, int64_t column) const { return Range(detail::Use(p_).Cells(row, column)); }
  // "A1", "A2:C60", "$A$2:$C$60", "A:R" (error 1004 for anything else).
  Range GetRange(std::string_view a1) const { return Range(detail::Use(p_).Range(a1)); }
  // "A:R", "D:E", "G" (error 1004 for anything else).
  Range Columns(std::string_view letters) const { return Range(detail::Use(p_).Columns(letters)); }
  void Activate() const { detail::Use(p_).Activate(); }
  const SheetP& get() const { return p_; }

 private:
  SheetP p_;
};

inline Worksheet Range::Sheet() const { return Worksheet(detail::Use(p_).Worksheet()); }

class Window {
 public:
  Window() = default;
  explicit Window(WindowP p) : p_(std::move(p)) {}
  bool IsNothing() const { return !p_; }
  std::string Caption() const { return detail::Use(p_).Caption(); }
  Range ActiveCell() const { return Range(detail::Use(p_).ActiveCell()); }
  Worksheet ActiveSheet() const { return Worksheet(detail::Use(p_).ActiveSheet()); }
  void Activate() const { detail::Use(p_).Activate(); }
  // Closes the window; the workbook closes with its last window. Nothing is ever saved.
  void Close(bool saveChanges = false, bool routeWorkbook = false) const {
    detail::Use(p_).Close(saveChanges, routeWorkbook);
  }
  const WindowP& get() const { return p_; }

 private:
  WindowP p_;
};

class Workbook;

// Workbook.Windows
class WorkbookWindows {
 public:
  explicit WorkbookWindows(WorkbookP p) : p_(std::move(p)) {}
  int64_t Count() const { return detail::Use(p_).WindowsCount(); }
  Window operator()(int64_t n) const { return Window(detail::Use(p_).Window(n)); }

 private:
  WorkbookP p_;
};

class Workbook {
 public:
  Workbook() = default;
  explicit Workbook(WorkbookP p) : p_(std::move(p)) {}
  bool IsNothing() const { return !p_; }
  std::string Name() const { return detail::Use(p_).Name(); }
  WorkbookWindows Windows() const {
    detail::Use(p_);
    return WorkbookWindows(p_);
  }
  Worksheet ActiveSheet() const { return Worksheet(detail::Use(p_).ActiveSheet()); }
  int64_t SheetsCount() const { return detail::Use(p_).SheetsCount(); }
  Worksheet Sheets(int64_t n) const { return Worksheet(detail::Use(p_).Sheet(n)); }
  Worksheet Sheets(std::string_view name) const { return Worksheet(detail::Use(p_).Sheet(name)); }
  void Activate() const { detail::Use(p_).Activate(); }
  void Close(bool saveChanges = false) const { detail::Use(p_).Close(saveChanges); }
  const WorkbookP& get() const { return p_; }

 private:
  WorkbookP p_;
};

// Application.Workbooks
class Workbooks {
 public:
  explicit Workbooks(ApplicationP p) : p_(std::move(p)) {}
  int64_t Count() const { return detail::Use(p_).WorkbooksCount(); }
  // By name (error 9 when no open workbook has it) or by number from 1.
  Workbook operator()(std::string_view name) const { return Workbook(detail::Use(p_).Workbook(name)); }
  Workbook operator()(int64_t n) const { return Workbook(detail::Use(p_).Workbook(n)); }
  // A new empty workbook of one sheet; its window becomes the active window, Windows(1).
  Workbook Add() const { return Workbook(detail::Use(p_).AddWorkbook()); }

 private:
  ApplicationP p_;
};

// Application.Windows: the windows of every workbook, the active one first.
class AppWindows {
 public:
  explicit AppWindows(ApplicationP p) : p_(std::move(p)) {}
  int64_t Count() const { return detail::Use(p_).WindowsCount(); }
  Window operator()(int64_t n) const { return Window(detail::Use(p_).Window(n)); }

 private:
  ApplicationP p_;
};

class Application {
 public:
  Application() = default;
  explicit Application(ApplicationP p) : p_(std::move(p)) {}
  bool IsNothing() const { return !p_; }

  std::string Name() const { return detail::Use(p_).Name(); }
  // Its Val is 12 or more: sheets have 1,048,576 rows.
  std::string Version() const { return detail::Use(p_).Version(); }
  bool Visible() const { return detail::Use(p_).Visible(); }
  void SetVisible(bool v) const { detail::Use(p_).SetVisible(v); }
  // Ends the instance: its workbooks close unsaved; the next GetRunning starts afresh.
  void Quit() const { detail::Use(p_).Quit(); }

  // A Nothing handle when no workbook is open (error 91 on use).
  Workbook ActiveWorkbook() const { return Workbook(detail::Use(p_).ActiveWorkbook()); }
  Window ActiveWindow() const { return Window(detail::Use(p_).ActiveWindow()); }
  Worksheet ActiveSheet() const { return ActiveWindow().ActiveSheet(); }
  Range ActiveCell() const { return ActiveWindow().ActiveCell(); }
  Workbooks GetWorkbooks() const {
    detail::Use(p_);
    return spreadsheet::Workbooks(p_);
  }
  AppWindows Windows() const {
    detail::Use(p_);
    return AppWindows(p_);
  }
  // On the active sheet of the active workbook.
  Range Cells() const { return ActiveSheet().Cells(); }
  Range Cells(int64_t row, int64_t column) const { return ActiveSheet().Cells(row, column); }
  Range GetRange(std::string_view a1) const { return ActiveSheet().GetRange(a1); }
  Range Columns(std::string_view letters) const { return ActiveSheet().Columns(letters); }
  Range Selection() const { return Range(detail::Use(p_).Selection()); }

  bool CutCopyMode() const { return detail::Use(p_).CutCopyMode(); }
  // False ends the copy mode: the copied range is forgotten.
  void SetCutCopyMode(bool on) const { detail::Use(p_).SetCutCopyMode(on); }
  // The text copy of the range last copied: each cell's displayed text, TAB between cells,
  // CR LF after every row; a line break inside a cell becomes a blank. "" when nothing is
  // copied. The system clipboard is never touched.
  std::string CopiedText() const { return detail::Use(p_).CopiedText(); }
  // The cells of the range last copied, one call per row from its top, one value per column:
  // numbers and dates as numbers, every other cell as its displayed text (texts, TRUE and
  // FALSE, error codes), an empty cell as Empty. No call when nothing is copied.
  void ForEachCopiedRow(const std::function<void(const std::vector<CellValue>&)>& each) const {
    detail::Use(p_).ForEachCopiedRow(each);
  }
  // The value of "=" & expression on the active sheet, without writing any cell: text
  // literals, numbers, cell references (also "Sheet2!B1", "'My sheet'!B1"), "&" and
  // parentheses. Error 1004 for anything else.
  CellValue Evaluate(std::string_view expression) const { return detail::Use(p_).Evaluate(expression); }

  const ApplicationP& get() const { return p_; }

 private:
  ApplicationP p_;
};

// --- the running spreadsheet -----------------------------------------------------------------

// What GetRunning attaches to. The program installs one at start-up; tests install theirs.
// A workbook that is there but cannot be read throws rt::FileFault: 429 at the attachment,
// 1004 (or 7) when a sheet fails on use.
class Connector {
 public:
  virtual ~Connector() = default;
  // The running instance; throws RtError 429 when there is none.
  virtual Application Attach() = 0;
  // Starts reading, off the calling thread, what the next Attach will take, when that can be
  // known beforehand (a workbook file named at start); the Attach then takes it.
  virtual void Prefetch() {}
};

void SetConnector(std::shared_ptr<Connector> c);
std::shared_ptr<Connector> GetConnector();
// The running spreadsheet (GetObject of the running application). RtError 429 when none is
// running or no connector is installed.
Application GetRunning();

}  // namespace vantrel::spreadsheet
