#pragma once
// The in-memory spreadsheet: an application holding workbooks, their windows and sheets, and
// cells with value, formula and number format. It implements the interfaces of spreadsheet.h,
// is what the workbook-file readers fill, and is the spreadsheet that tests script.
//
// Cells are kept per column, sorted by row, 16 bytes each, so a sheet of a million rows and
// 17 columns stays near 300 MB. Sheets may be filled on first use (a reader's loader).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/spreadsheet.h"

namespace vantrel::spreadsheet::model {

class Book;
class App;

struct Cell {
  double num;     // the number, or (bit copy) the index of the text in the book's strings
  uint32_t row;
  uint32_t meta;  // kind (3 bits) | formula flag (1 bit) | format index (28 bits)
};

enum CellKind : uint32_t { kFormatOnly = 0, kNumber = 1, kText = 2, kBoolean = 3, kError = 4 };

class Sheet : public std::enable_shared_from_this<Sheet> {
 public:
  Sheet(std::weak_ptr<Book> book, std::string name) : book_(std::move(book)), name_(std::move(name)) {}

  const std::string& name() const { return name_; }
  std::shared_ptr<Book> book() const { return book_.lock(); }

  // --- filling (rows and columns from 1) ---
  void SetNumber(int64_t row, int64_t col, double x, std::string_view format = {});
  void SetText(int64_t row, int64_t col, std::string_view text, std::string_view format = {});
  void SetBoolean(int64_t row, int64_t col, bool b);
  void SetError(int64_t row, int64_t col, std::string_view code);
  // A formula ("=..." as shown in the formula bar) with its cached value.
  void SetFormula(int64_t row, int64_t col, std::string_view formula, const CellValue& cached,
                  std::string_view format = {});
  void SetValue(int64_t row, int64_t col, const CellValue& v);
  void SetCellFormat(int64_t row, int64_t col, std::string_view format);
  void Clear(int64_t row, int64_t col);
  void SetActiveCell(int64_t row, int64_t col);

  // --- reading ---
  CellValue GetValue(int64_t row, int64_t col);
  // "=..." for a formula, the constant's text otherwise ("" when empty).
  std::string GetFormula(int64_t row, int64_t col);
  bool HasFormula(int64_t row, int64_t col);
  std::string GetFormat(int64_t row, int64_t col);
  std::string DisplayText(int64_t row, int64_t col);
  int64_t activeRow() const { return activeRow_; }
  int64_t activeCol() const { return activeCol_; }
  int64_t MaxRow();
  int64_t MaxColumn();
  size_t CellCount();

  // --- used by readers ---
  // Fast appends in row order within each column; format is an index of the book's formats.
  void AppendNumber(uint32_t row, uint32_t col, double x, uint32_t fmt, bool formula = false);
  void AppendText(uint32_t row, uint32_t col, uint32_t textIndex, uint32_t fmt, bool formula = false);
  void AppendCell(uint32_t col, const Cell& c);
  // As AppendCell for each of n cells in turn (a chunk of a column read on another thread).
  void AppendCells(uint32_t col, const Cell* cells, size_t n);
  // Room for rows cells in each of the columns c1 to c2.
  void Reserve(int64_t c1, int64_t c2, size_t rows);
  void SetFormulaText(uint32_t row, uint32_t col, std::string text);
  // A formula shared with the master cell (row, col) of index si: the text is moved on reading.
  void SetSharedFormula(uint32_t row, uint32_t col, uint32_t sharedIndex);
  uint32_t AddSharedMaster(uint32_t row, uint32_t col, std::string text);
  void SetColumnFormat(int64_t col, uint32_t fmt);
  void SetColumnWidthAt(int64_t col, double w);
  double ColumnWidthAt(int64_t col);
  // Forgets every cell and formula (a reader that starts over).
  void DropCells();
  // Sorts columns whose rows came out of order (after filling).
  void Finish();
  // The loader runs on first use; its RtError stays the sheet's answer to every later use.
  void SetLoader(std::function<void()> f) { loader_ = std::move(f); }
  void EnsureLoaded();

  // --- model internals used by the interface classes ---
  struct Column {
    std::vector<Cell> cells;
    uint32_t format = 0;  // column format index, 0 = none
    double width = 0;     // 0 = standard width
    bool unsorted = false;
  };
  std::vector<Column>& columns() { return cols_; }
  const Cell* Find(int64_t row, int64_t col);
  Cell& Put(int64_t row, int64_t col);  // inserts an empty format-only cell when absent
  void EraseFormula(int64_t row, int64_t col);
  CellValue ValueOf(const Cell& c);
  std::string FormulaOf(int64_t col, const Cell& c);
  std::string TextOf(int64_t col, const Cell& c);
  uint32_t EffectiveFormat(int64_t col, const Cell& c);
  void ReplaceSpan(int64_t col, int64_t r1, int64_t r2, std::vector<Cell> cells);
  int64_t selR1 = 1, selC1 = 1, selR2 = 1, selC2 = 1;

 private:
  static uint64_t Key(int64_t row, int64_t col) { return (static_cast<uint64_t>(row) << 16) | static_cast<uint64_t>(col); }
  Column& Col(int64_t col);
  std::weak_ptr<Book> book_;
  std::string name_;
  std::vector<Column> cols_;
  // Formula texts: own formulas index formulas_, shared ones (high bit) index shared_.
  std::unordered_map<uint64_t, uint32_t> formulaOf_;
  std::vector<std::string> formulas_;
  struct Shared {
    uint32_t row, col;
    std::string text;
  };
  std::vector<Shared> shared_;
  int64_t activeRow_ = 1, activeCol_ = 1;
  std::function<void()> loader_;
  bool loading_ = false;
  int loadError_ = 0;
  std::string loadDescription_;
};

class Book : public std::enable_shared_from_this<Book> {
 public:
  Book(std::weak_ptr<App> app, std::string name);
  const std::string& name() const { return name_; }
  std::shared_ptr<App> app() const { return app_.lock(); }

  Sheet& AddSheet(std::string name);
  std::vector<std::shared_ptr<Sheet>>& sheets() { return sheets_; }
  Sheet* SheetNamed(std::string_view name);
  Sheet& sheet(size_t index) { return *sheets_.at(index); }
  size_t activeSheet() const { return active_; }
  void SetActiveSheet(size_t index) { active_ = index < sheets_.size() ? index : 0; }

  // Texts and number formats shared by the sheets.
  uint32_t AddString(std::string s);
  std::vector<std::string>& strings() { return strings_; }
  uint32_t FormatIndex(std::string_view code);  // 0 for "" (inherit)
  const std::string& FormatCode(uint32_t index) const { return formats_[index]; }
  bool FormatIsDate(uint32_t index);

  // Windows of this book, by number from 1 (one window unless more are opened).
  int64_t windowCount = 1;
  bool closed = false;

 private:
  std::weak_ptr<App> app_;
  std::string name_;
  std::vector<std::shared_ptr<Sheet>> sheets_;
  size_t active_ = 0;
  std::vector<std::string> strings_;
  std::vector<std::string> formats_{"", "General"};
  std::vector<int8_t> formatIsDate_{0, 0};
  std::unordered_map<std::string, uint32_t> formatIndex_{{"", 0}, {"General", 1}};
};

class App : public std::enable_shared_from_this<App> {
 public:
  static std::shared_ptr<App> Create();
  // The handle that the program's calls go through.
  Application handle();

  // A workbook opened in this instance (its window becomes the active one).
  std::shared_ptr<Book> AddBook(std::string name);
  std::shared_ptr<Book> BookNamed(std::string_view name);

  // Test hooks: the next n calls (n < 0: every call until cleared) throw RtError(number).
  void InjectError(int number, int calls = 1, std::string description = {});
  void ClearInjectedError() { faultCalls_ = 0; }
  // Counts every call made through the interfaces.
  int64_t callCount() const { return calls_; }

  // --- internals used by the interface classes ---
  void Enter();
  struct WindowRef {
    std::shared_ptr<Book> book;
    int64_t index;
  };
  std::vector<WindowRef>& zorder() { return zorder_; }
  std::vector<std::shared_ptr<Book>>& books() { return books_; }
  void ActivateWindow(const std::shared_ptr<Book>& b, int64_t index);
  void CloseBook(std::shared_ptr<Book> b);  // by value: b may be an element of books()
  struct CopySource {
    std::shared_ptr<Sheet> sheet;
    formula::Rect rect;
  };
  CopySource copy;
  bool copyMode = false;
  bool visible = true;
  bool quit = false;
  // Sheets being read: a call made meanwhile (from an event handler run during the read) is
  // refused as busy, since the reader fills the books' texts and cells on other threads.
  int loading = 0;
  int newBookCounter = 0;
  std::string appName = "Spreadsheet";
  std::string version = "16.0";

 private:
  std::vector<std::shared_ptr<Book>> books_;
  std::vector<WindowRef> zorder_;
  int faultNumber_ = 0;
  int faultCalls_ = 0;
  std::string faultDescription_;
  int64_t calls_ = 0;
};

// A connector that attaches to one in-memory instance, or fails with 429 when it holds none.
class InMemoryConnector : public Connector {
 public:
  explicit InMemoryConnector(std::shared_ptr<App> app = nullptr) : app_(std::move(app)) {}
  void set(std::shared_ptr<App> app) { app_ = std::move(app); }
  Application Attach() override;
  int attachCount = 0;

 private:
  std::shared_ptr<App> app_;
};

}  // namespace vantrel::spreadsheet::model
