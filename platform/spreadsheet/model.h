#pragma once
// The in-memory spreadsheet: an application holding workbooks, their windows and sheets, and
// cells with value, formula and number format. It implements the interfaces of spreadsheet.h,
// is what the workbook-file readers fill, and is the spreadsheet that tests script.
//
// Cells are kept per column, sorted by row. A column's run of numbers on consecutive rows with
// one format (the body of a table of numbers) keeps only the numbers, 8 bytes each, so a sheet
// of a million rows and 17 columns stays near 150 MB; any other cell takes 16 bytes. Sheets may
// be filled on first use (a reader's loader).
//
// A paste of values into an empty span shares the source's cells instead of copying them: both
// columns read one store (copy on write), and the first write to a side gives that side's column
// its own cells. Every reading method sees what a copy would show.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/runtime/memory.h"
#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/spreadsheet.h"

namespace vantrel::spreadsheet::model {

class Book;
class App;

struct Cell {
  double num;  // the number, or (bit copy) the index of the text in the book's strings
  uint32_t row;
  uint32_t meta;  // kind (3 bits) | formula flag (1 bit) | format index (28 bits)
};

static_assert(sizeof(Cell) == 16, "a cell outside a run of numbers is 16 bytes");

// A run of cells; a column of a million rows takes its 16 MB straight from the system.
using Cells = std::vector<Cell, rt::LargeAllocator<Cell>>;

enum CellKind : uint32_t { kFormatOnly = 0, kNumber = 1, kText = 2, kBoolean = 3, kError = 4 };

// The cells of one column in row order, as three runs: the cells before a run of plain numbers
// (no formula) on consecutive rows with one meta, that run kept as its numbers only, and the
// cells after it. Cell i is read through At and RowAt whatever run holds it; a writer takes
// the cells as one vector through Sparse, which gives the numbers their rows and meta again.
class ColumnCells {
 public:
  using Numbers = std::vector<double, rt::LargeAllocator<double>>;

  size_t size() const { return head_.size() + run_.size() + tail_.size(); }
  bool empty() const { return size() == 0; }
  uint32_t RowAt(size_t i) const {
    if (i < head_.size()) return head_[i].row;
    i -= head_.size();
    if (i < run_.size()) return row0_ + static_cast<uint32_t>(i);
    return tail_[i - run_.size()].row;
  }
  Cell At(size_t i) const {
    if (i < head_.size()) return head_[i];
    i -= head_.size();
    if (i < run_.size()) return Cell{run_[i], row0_ + static_cast<uint32_t>(i), meta_};
    return tail_[i - run_.size()];
  }
  // The first cell whose row is at least row (size() when none); only for sorted cells.
  size_t LowerBound(uint32_t row) const;
  // The first cell whose row is above row (size() when none); only for sorted cells.
  size_t UpperBound(uint32_t row) const { return row == UINT32_MAX ? size() : LowerBound(row + 1); }
  // Adds cells after the last one, in the order given (rows that go back are the caller's to
  // sort); plain numbers that continue the run are kept as numbers.
  void Append(const Cell* cells, size_t n);
  void Append(const Cell& c) { Append(&c, 1); }
  // Room for n cells, taken as numbers while the column holds none.
  void Reserve(size_t n);
  // The cells as one sorted vector of their own: the run's numbers become cells again.
  Cells& Sparse();
  void clear();
  void swap(ColumnCells& o) noexcept;
  // The large blocks the column holds (its memory, to touch ahead of the writes).
  template <class F>
  void ForEachBlock(F&& f) {
    if (head_.capacity()) f(reinterpret_cast<char*>(head_.data()), head_.capacity() * sizeof(Cell));
    if (run_.capacity()) f(reinterpret_cast<char*>(run_.data()), run_.capacity() * sizeof(double));
    if (tail_.capacity()) f(reinterpret_cast<char*>(tail_.data()), tail_.capacity() * sizeof(Cell));
  }
  // Bytes held, reserved room included.
  size_t Bytes() const {
    return (head_.capacity() + tail_.capacity()) * sizeof(Cell) + run_.capacity() * sizeof(double);
  }

 private:
  Cells head_;
  Numbers run_;
  uint32_t row0_ = 0, meta_ = 0;
  Cells tail_;
};

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
  using Strings = std::vector<std::string>;
  // Cells a column reads from a store that other columns may read too: the column's rows r1 to
  // r2 hold store[begin, end), each cell moved by shift rows. A values view shows only the kind
  // and value of each cell (no format, no formula; a format-only cell reads as no cell).
  struct SharedCells {
    std::shared_ptr<ColumnCells> store;
    size_t begin = 0, end = 0;
    int64_t shift = 0;
    int64_t r1 = 1, r2 = 0;
    bool values = false;
    std::shared_ptr<const Strings> strings;  // the table the texts index, when not the book's own
  };
  struct Column {
    // The column's own cells; while `shared` is set, none of them lies in its rows r1 to r2, so
    // read a column through the Sheet (Find, PiecesOf), not through `cells` alone.
    ColumnCells cells;
    std::optional<SharedCells> shared;
    uint32_t format = 0;  // column format index, 0 = none
    double width = 0;     // 0 = standard width
    bool unsorted = false;
  };
  std::vector<Column>& columns() { return cols_; }
  // A column as readers see it: up to three pieces in row order, each the cells begin to end of
  // a store, whose rows are moved by shift, whose meta is masked, and whose texts index
  // `strings` (nullptr: the book's own).
  struct Piece {
    const ColumnCells* store;
    size_t begin;
    size_t end;
    int64_t shift;
    uint32_t mask;
    const Strings* strings;
    // The row cell i shows (rows moved by shift).
    int64_t RowAt(size_t i) const { return store->RowAt(i) + shift; }
    Cell At(size_t i) const {
      Cell c = store->At(i);
      return Cell{c.num, static_cast<uint32_t>(c.row + shift), c.meta & mask};
    }
    // The first cell of the piece that shows row or a later one (end when none).
    size_t LowerBound(int64_t row) const;
    // The first cell of the piece that shows a row after row (end when none).
    size_t UpperBound(int64_t row) const;
  };
  struct Pieces {
    Piece p[3];
    int n = 0;
  };
  Pieces PiecesOf(int64_t col) const;
  struct Found {
    Cell cell;
    const Strings* strings;
  };
  std::optional<Found> Find(int64_t row, int64_t col) const;
  Cell& Put(int64_t row, int64_t col);  // inserts an empty format-only cell when absent
  void EraseFormula(int64_t row, int64_t col);
  CellValue ValueOf(const Cell& c, const Strings* strings = nullptr);
  std::string FormulaOf(int64_t col, const Cell& c, const Strings* strings = nullptr);
  std::string TextOf(int64_t col, const Cell& c, const Strings* strings = nullptr);
  uint32_t EffectiveFormat(int64_t col, const Cell& c);
  void ReplaceSpan(int64_t col, int64_t r1, int64_t r2, Cells cells);
  // The column's own cells, after its shared cells in rows r1 to r2 (if any) are made its own.
  Cells& OwnCells(int64_t col, int64_t r1, int64_t r2);
  // The cells of rows r1 to r2 of column col as a shared values view (the column's cells move to
  // a store on first use), or none when they are too few of their store or not in one run.
  std::optional<SharedCells> ShareValues(int64_t col, int64_t r1, int64_t r2);
  // Sets the column's shared cells; the column must hold no cell in their rows.
  void SetShared(int64_t col, SharedCells shared);
  // Counts changes of the cells' storage: a reader holding pointers into it looks again.
  uint64_t storageVersion() const { return version_; }
  int64_t selR1 = 1, selC1 = 1, selR2 = 1, selC2 = 1;

 private:
  static uint64_t Key(int64_t row, int64_t col) {
    return (static_cast<uint64_t>(row) << 16) | static_cast<uint64_t>(col);
  }
  // The column with all its cells its own (for writers that touch any row).
  Column& Col(int64_t col);
  // The column for its format and width only: shared cells stay shared.
  Column& Slot(int64_t col);
  void Materialize(Column& k);
  uint64_t version_ = 0;
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

  // Texts and number formats shared by the sheets. Texts are only added (a reader that fails
  // takes back what it added): cells pasted into other books read them by index.
  uint32_t AddString(std::string s);
  std::vector<std::string>& strings() { return *strings_; }
  // The table itself, for the cells of other books that read its texts.
  std::shared_ptr<const std::vector<std::string>> stringTable() const { return strings_; }
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
  std::shared_ptr<std::vector<std::string>> strings_ = std::make_shared<std::vector<std::string>>();
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
  // Pastes of values into empty spans share the source's cells; off, they copy them (tests
  // compare the two).
  bool sharePastes = true;
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
