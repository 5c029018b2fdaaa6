// SheetLink over the spreadsheet layer: workbooks are kept as handles, so that every call names
// the workbook it means (the gathering never reaches a user's workbook through "the active one").

#include <memory>
#include <vector>

#include "datastore/sheet_link.h"
#include "platform/runtime/rterror.h"

#include "platform/spreadsheet/spreadsheet.h"

namespace vantrel::datastore {
namespace {

namespace ss = vantrel::spreadsheet;

SheetCell ToCell(const ss::CellValue& v) {
  SheetCell c;
  c.numeric = v.IsNumeric();
  c.number = v.AsDouble();
  c.text = v.AsString();
  return c;
}

class SpreadsheetLink : public SheetLink {
 public:
  explicit SpreadsheetLink(ss::Application app) : app_(std::move(app)) {}

  std::string Name() override { return app_.Name(); }
  std::string Version() override { return app_.Version(); }
  bool Visible() override { return app_.Visible(); }
  void SetVisible(bool v) override { app_.SetVisible(v); }
  void Quit() override { app_.Quit(); }

  BookId ActiveWorkbook() override {
    ss::Workbook wb = app_.ActiveWorkbook();
    if (wb.IsNothing()) throw rt::RtError(rt::kErrNoObject);
    return Keep(wb);
  }
  std::string WorkbookName(BookId b) override { return Book(b).Name(); }
  int64_t WindowsCount(BookId b) override { return Book(b).Windows().Count(); }
  std::string WindowCaption(BookId b, int64_t n) override { return Book(b).Windows()(n).Caption(); }
  std::string ActiveSheetName(BookId b) override { return Book(b).ActiveSheet().Name(); }

  std::string ActiveCellFormula(BookId b) override { return Cell(b).Formula(); }
  SheetCell ActiveCellValue(BookId b) override { return ToCell(Cell(b).Value()); }
  int64_t ActiveCellRow(BookId b) override { return Cell(b).Row(); }
  int64_t ActiveCellColumn(BookId b) override { return Cell(b).Column(); }
  void FindAndActivate(BookId b, const std::string& what, bool matchCase, bool fromApplication) override {
    ss::Range from = fromApplication ? Book(b).Windows()(1).ActiveSheet().Cells() : Cell(b).Cells();
    ss::FindArgs args{what, ss::kLookInFormulas, ss::kLookAtPart, matchCase, false};
    from.Find(args).Activate();
  }
  SheetCell CellValue(BookId b, int64_t row, int64_t column) override {
    return ToCell(Book(b).Windows()(1).ActiveSheet().Cells(row, column).Value());
  }
  void SelectCell(BookId b, int64_t row, int64_t column) override {
    Book(b).Windows()(1).ActiveSheet().Cells(row, column).Select();
  }
  SheetCell Evaluate(BookId b, const std::string& expression) override {
    Book(b).Activate();
    return ToCell(app_.Evaluate(expression));
  }

  BookId AddWorkbook() override {
    ss::Workbook wb = app_.GetWorkbooks().Add();
    if (wb.IsNothing()) throw rt::RtError(rt::kErrNoObject);
    return Keep(wb);
  }
  void SetCellText(BookId b, int64_t row, int64_t column, const std::string& text) override {
    Book(b).ActiveSheet().Cells(row, column).SetValue(std::string_view(text));
  }
  void CopyRange(BookId b, const std::string& range) override { Book(b).ActiveSheet().GetRange(range).Copy(); }
  void PasteValues(BookId b, const std::string& cell) override {
    Book(b).ActiveSheet().GetRange(cell).PasteSpecial(ss::kPasteValues, ss::kPasteOperationNone, false, false);
  }
  void SetCutCopyMode(bool on) override { app_.SetCutCopyMode(on); }
  void FormatColumns(BookId b, const std::string& columns, double width, const std::string& format) override {
    ss::Range r = Book(b).ActiveSheet().Columns(columns);
    r.SetColumnWidth(width);
    r.SetNumberFormat(format);
  }
  void ForEachCopiedRow(const CopiedRow& each) override {
    std::vector<SheetCell> cells;
    app_.ForEachCopiedRow([&](const std::vector<ss::CellValue>& row) {
      cells.resize(row.size());
      for (size_t k = 0; k < row.size(); ++k) {
        const ss::CellValue& v = row[k];
        SheetCell& c = cells[k];
        c.numeric = v.kind == ss::CellValue::Kind::Number || v.kind == ss::CellValue::Kind::Date;
        c.number = c.numeric ? v.number : 0;
        c.text = c.numeric ? std::string() : v.text;
      }
      each(cells);
    });
  }
  void CloseWorkbook(BookId b) override { Book(b).Close(false); }

 private:
  // Handles of one workbook are told by its name, unique among the open workbooks.
  BookId Keep(const ss::Workbook& wb) {
    const std::string name = wb.Name();
    for (size_t i = 0; i < books_.size(); ++i) {
      std::string other;
      rt::Try([&] { other = books_[i].Name(); });
      if (other == name) {
        books_[i] = wb;
        return static_cast<BookId>(i + 1);
      }
    }
    books_.push_back(wb);
    return static_cast<BookId>(books_.size());
  }
  const ss::Workbook& Book(BookId b) {
    if (b < 1 || b > static_cast<BookId>(books_.size())) throw rt::RtError(rt::kErrNoObject);
    return books_[static_cast<size_t>(b - 1)];
  }
  ss::Range Cell(BookId b) { return Book(b).Windows()(1).ActiveCell(); }

  ss::Application app_;
  std::vector<ss::Workbook> books_;
};

}  // namespace

std::shared_ptr<SheetLink> AttachSpreadsheetLayer() { return std::make_shared<SpreadsheetLink>(ss::GetRunning()); }

}  // namespace vantrel::datastore
