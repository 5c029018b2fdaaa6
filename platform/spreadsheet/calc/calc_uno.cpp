// The reads of calc_session.h over a UNO connection to a running LibreOffice Calc. Built as the
// module libvantrel_calc.so, which the program loads only when it looks for a running Calc.
// Nothing here writes to a user's document: the only change made is the view's cell cursor
// (Select). Expressions are evaluated in a hidden document of the program's own.

#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>
#include <rtl/ustring.hxx>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <com/sun/star/util/XSearchDescriptor.hpp>
#include <com/sun/star/util/XSearchable.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <atomic>
#include <cstdlib>
#include <algorithm>
#include <mutex>
#include <optional>
#include <string>

#include "platform/runtime/rterror.h"
#include "platform/spreadsheet/calc_session.h"

namespace vantrel::spreadsheet::calc {
namespace {

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

// Set once the process exits: UNO's own state may be gone before the last of our references, so
// those still held then are left, not released.
std::atomic<bool> exiting{false};

template <class I>
class Kept {
 public:
  explicit Kept(Reference<I> r) : p_(new Reference<I>(std::move(r))) {}
  Kept(const Kept&) = delete;
  Kept& operator=(const Kept&) = delete;
  ~Kept() {
    if (!exiting) delete p_;
  }
  const Reference<I>& get() const { return *p_; }
  I* operator->() const { return p_->get(); }

 private:
  Reference<I>* p_;
};

std::string Utf8(const OUString& s) { return rtl::OUStringToOString(s, RTL_TEXTENCODING_UTF8).getStr(); }
OUString U(const std::string& s) { return OUString::fromUtf8(s.c_str()); }

[[noreturn]] void Lost(const css::uno::Exception& e) {
  throw rt::RtError(kErrConnectionLost, "The remote procedure call failed: " + Utf8(e.Message));
}

// Runs f, turning UNO exceptions into run-time errors.
template <class F>
auto Call(F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const rt::RtError&) {
    throw;
  } catch (const css::lang::DisposedException& e) {
    Lost(e);
  } catch (const css::uno::Exception& e) {
    throw rt::RtError(rt::kErrRejected, "Calc refused the call: " + Utf8(e.Message));
  }
}

class UnoDocument : public Document {
 public:
  explicit UnoDocument(Reference<css::frame::XModel> model) : model_(std::move(model)) {}

  std::string Title() override {
    return Call([&] {
      Reference<css::frame::XTitle> t(model_.get(), UNO_QUERY);
      if (t.is()) return Utf8(t->getTitle());
      return Utf8(model_->getURL());
    });
  }
  int64_t SheetCount() override {
    return Call([&] { return static_cast<int64_t>(Sheets()->getCount()); });
  }
  std::string SheetName(int64_t sheet) override {
    return Call([&] {
      Reference<css::container::XNamed> n(Sheet(sheet), UNO_QUERY_THROW);
      return Utf8(n->getName());
    });
  }
  int64_t ActiveSheet() override {
    return Call([&] {
      Reference<css::sheet::XCellRangeAddressable> a(View()->getActiveSheet(), UNO_QUERY_THROW);
      return static_cast<int64_t>(a->getRangeAddress().Sheet);
    });
  }
  CellAt ActiveCell() override {
    return Call([&] {
      Reference<css::view::XSelectionSupplier> sel(View(), UNO_QUERY_THROW);
      Any a = sel->getSelection();
      Reference<css::sheet::XCellAddressable> cell(a, UNO_QUERY);
      if (cell.is()) {
        auto ad = cell->getCellAddress();
        return CellAt{ad.Sheet, ad.Row + 1, ad.Column + 1};
      }
      // A range selected: the cursor is at its top-left cell.
      Reference<css::sheet::XCellRangeAddressable> range(a, UNO_QUERY);
      if (range.is()) {
        auto ad = range->getRangeAddress();
        return CellAt{ad.Sheet, ad.StartRow + 1, ad.StartColumn + 1};
      }
      throw rt::RtError(rt::kErrNoObject, "The document has no active cell");
    });
  }
  std::string Formula(const CellAt& c) override {
    return Call([&] { return Utf8(Cell(c)->getFormula()); });
  }
  CellValue Value(const CellAt& c) override {
    return Call([&] {
      Reference<css::table::XCell> cell = Cell(c);
      switch (cell->getType()) {
        case css::table::CellContentType_EMPTY: return CellValue{};
        case css::table::CellContentType_VALUE: return Number(cell);
        case css::table::CellContentType_TEXT: return CellValue::Str(CellText(cell));
        default: break;
      }
      if (cell->getError() != 0) return CellValue::Err(CellText(cell));
      Reference<css::beans::XPropertySet> p(cell, UNO_QUERY_THROW);
      sal_Int32 kind = 0;
      p->getPropertyValue("FormulaResultType2") >>= kind;
      if (kind == css::sheet::FormulaResult::STRING) return CellValue::Str(CellText(cell));
      return Number(cell);
    });
  }
  std::string Text(const CellAt& c) override {
    return Call([&] { return CellText(Cell(c)); });
  }

  std::vector<CellValue> Values(int64_t sheet, const formula::Rect& r) override {
    return Call([&] {
      Reference<css::table::XCellRange> s(Sheet(sheet), UNO_QUERY_THROW);
      Reference<css::table::XCellRange> range =
          s->getCellRangeByPosition(static_cast<sal_Int32>(r.c1 - 1), static_cast<sal_Int32>(r.r1 - 1),
                                    static_cast<sal_Int32>(r.c2 - 1), static_cast<sal_Int32>(r.r2 - 1));
      Reference<css::sheet::XCellRangeData> data(range, UNO_QUERY_THROW);
      const Sequence<Sequence<Any>> rows = data->getDataArray();
      std::vector<CellValue> out;
      out.reserve(static_cast<size_t>((r.r2 - r.r1 + 1) * (r.c2 - r.c1 + 1)));
      for (sal_Int32 i = 0; i < rows.getLength(); ++i) {
        const Sequence<Any>& row = rows[i];
        for (sal_Int32 j = 0; j < row.getLength(); ++j) {
          const Any& v = row[j];
          double x = 0;
          OUString t;
          if (v >>= x) {
            out.push_back(CellValue::Num(x));
          } else if (v >>= t) {
            if (t.isEmpty()) out.emplace_back();
            else out.push_back(CellValue::Str(Utf8(t)));
          } else {
            // An error value: the cell shows its code.
            out.push_back(CellValue::Err(CellText(range->getCellByPosition(j, i))));
          }
        }
      }
      return out;
    });
  }

  CellAt UsedEnd(int64_t sheet) override {
    return Call([&] {
      Reference<css::sheet::XSpreadsheet> s = Sheet(sheet);
      Reference<css::sheet::XSheetCellCursor> cur = s->createCursor();
      Reference<css::sheet::XUsedAreaCursor> used(cur, UNO_QUERY_THROW);
      used->gotoEndOfUsedArea(false);
      Reference<css::sheet::XCellRangeAddressable> a(cur, UNO_QUERY_THROW);
      auto ad = a->getRangeAddress();
      return CellAt{sheet, ad.EndRow + 1, ad.EndColumn + 1};
    });
  }

  std::vector<formula::Rect> FindAll(int64_t sheet, const FindArgs& args) override {
    return Call([&] {
      Reference<css::util::XSearchable> search(Sheet(sheet), UNO_QUERY_THROW);
      Reference<css::util::XSearchDescriptor> d = search->createSearchDescriptor();
      d->setSearchString(U(args.what));
      Reference<css::beans::XPropertySet> p(d, UNO_QUERY_THROW);
      p->setPropertyValue("SearchCaseSensitive", Any(args.matchCase));
      p->setPropertyValue("SearchWords", Any(args.lookAt == kLookAtWhole));
      p->setPropertyValue("SearchByRow", Any(true));
      // 0: the formulas, 1: the values.
      p->setPropertyValue("SearchType", Any(static_cast<sal_Int16>(args.lookIn == kLookInValues ? 1 : 0)));
      const bool wild = args.what.find_first_of("*?~") != std::string::npos;
      p->setPropertyValue("SearchWildcard", Any(wild));
      std::vector<formula::Rect> out;
      Reference<css::container::XIndexAccess> found = search->findAll(d);
      if (!found.is()) return out;
      for (sal_Int32 i = 0; i < found->getCount(); ++i) {
        Reference<css::sheet::XCellRangeAddressable> a(found->getByIndex(i), UNO_QUERY);
        if (!a.is()) continue;
        auto ad = a->getRangeAddress();
        out.push_back(formula::Rect{ad.StartRow + 1, ad.StartColumn + 1, ad.EndRow + 1, ad.EndColumn + 1});
      }
      return out;
    });
  }

  void Select(const CellAt& c) override {
    Call([&] {
      Reference<css::view::XSelectionSupplier> sel(View(), UNO_QUERY_THROW);
      sel->select(Any(Cell(c)));
    });
  }
  int64_t RowCount(int64_t sheet) override {
    return Call([&] {
      Reference<css::table::XColumnRowRange> cr(Sheet(sheet), UNO_QUERY_THROW);
      return static_cast<int64_t>(cr->getRows()->getCount());
    });
  }
  bool Modified() override {
    return Call([&] {
      Reference<css::util::XModifiable> m(model_.get(), UNO_QUERY_THROW);
      return static_cast<bool>(m->isModified());
    });
  }

 private:
  // A number, a date or time, or a boolean, as the cell's number format tells.
  CellValue Number(const Reference<css::table::XCell>& cell) {
    const double x = cell->getValue();
    Reference<css::beans::XPropertySet> p(cell, UNO_QUERY_THROW);
    sal_Int32 key = 0;
    p->getPropertyValue("NumberFormat") >>= key;
    Reference<css::util::XNumberFormatsSupplier> supplier(model_.get(), UNO_QUERY_THROW);
    Reference<css::beans::XPropertySet> format = supplier->getNumberFormats()->getByKey(key);
    sal_Int16 type = 0;
    if (format.is()) format->getPropertyValue("Type") >>= type;
    if (type & css::util::NumberFormat::LOGICAL) return CellValue::Bool(x != 0);
    if (type & (css::util::NumberFormat::DATE | css::util::NumberFormat::TIME)) return CellValue::DateSerial(x);
    return CellValue::Num(x);
  }
  static std::string CellText(const Reference<css::table::XCell>& cell) {
    Reference<css::text::XTextRange> t(cell, UNO_QUERY_THROW);
    return Utf8(t->getString());
  }
  Reference<css::container::XIndexAccess> Sheets() {
    Reference<css::sheet::XSpreadsheetDocument> d(model_.get(), UNO_QUERY_THROW);
    return Reference<css::container::XIndexAccess>(d->getSheets(), UNO_QUERY_THROW);
  }
  Reference<css::sheet::XSpreadsheet> Sheet(int64_t sheet) {
    auto sheets = Sheets();
    if (sheet < 0 || sheet >= sheets->getCount()) throw rt::RtError(rt::kErrSubscript, "Subscript out of range");
    return Reference<css::sheet::XSpreadsheet>(sheets->getByIndex(static_cast<sal_Int32>(sheet)), UNO_QUERY_THROW);
  }
  Reference<css::table::XCell> Cell(const CellAt& c) {
    if (c.row < 1 || c.column < 1) throw rt::RtError(rt::kErrRejected, "Calc refused the call: no such cell");
    return Sheet(c.sheet)->getCellByPosition(static_cast<sal_Int32>(c.column - 1), static_cast<sal_Int32>(c.row - 1));
  }
  Reference<css::sheet::XSpreadsheetView> View() {
    Reference<css::sheet::XSpreadsheetView> v(model_->getCurrentController(), UNO_QUERY);
    if (!v.is()) throw rt::RtError(rt::kErrNoObject, "The document has no spreadsheet view");
    return v;
  }

  Kept<css::frame::XModel> model_;
};

bool IsSpreadsheet(const Reference<css::uno::XInterface>& x) {
  Reference<css::sheet::XSpreadsheetDocument> d(x, UNO_QUERY);
  Reference<css::frame::XModel> m(x, UNO_QUERY);
  return d.is() && m.is() && m->getCurrentController().is();
}

// A hidden spreadsheet document of the program's own, made at its first use, where
// expressions are evaluated on copies of the cells they reference.
class OwnDocument {
 public:
  explicit OwnDocument(const Reference<css::frame::XDesktop2>& desktop) {
    Reference<css::frame::XComponentLoader> loader(desktop, UNO_QUERY_THROW);
    css::beans::PropertyValue hidden;
    hidden.Name = "Hidden";
    hidden.Value <<= true;
    Sequence<css::beans::PropertyValue> args(1);
    args.getArray()[0] = hidden;
    model_.emplace(Reference<css::frame::XModel>(
        loader->loadComponentFromURL("private:factory/scalc", "_blank", 0, args), UNO_QUERY_THROW));
  }

  bool Is(const Reference<css::uno::XInterface>& x) const {
    return Reference<css::uno::XInterface>(model_->get(), UNO_QUERY) == x;
  }

  CellValue Evaluate(const std::string& formula, const std::string& firstSheet, const std::vector<OwnRange>& cells) {
    Reference<css::sheet::XSpreadsheetDocument> doc(model_->get(), UNO_QUERY_THROW);
    Reference<css::sheet::XSpreadsheets> sheets = doc->getSheets();
    Reference<css::container::XIndexAccess> index(sheets, UNO_QUERY_THROW);
    // One empty sheet named as the user's, and the others the cells name.
    while (index->getCount() > 1) {
      Reference<css::container::XNamed> n(index->getByIndex(1), UNO_QUERY_THROW);
      sheets->removeByName(n->getName());
    }
    Reference<css::sheet::XSpreadsheet> first(index->getByIndex(0), UNO_QUERY_THROW);
    using namespace css::sheet::CellFlags;
    Reference<css::sheet::XSheetOperation>(first, UNO_QUERY_THROW)
        ->clearContents(VALUE | DATETIME | STRING | FORMULA | HARDATTR | ANNOTATION);
    Reference<css::container::XNamed> name(first, UNO_QUERY_THROW);
    if (name->getName() != U(firstSheet)) name->setName(U(firstSheet));
    // The formula's cell is past every cell of the first sheet it references.
    int64_t row = 0, column = 0;
    for (const OwnRange& c : cells) {
      Reference<css::sheet::XSpreadsheet> sheet = first;
      if (c.sheet != firstSheet) {
        if (!sheets->hasByName(U(c.sheet)))
          sheets->insertNewByName(U(c.sheet), static_cast<sal_Int16>(index->getCount()));
        sheet.set(sheets->getByName(U(c.sheet)), UNO_QUERY_THROW);
      } else {
        row = std::max(row, c.r.r2);
        column = std::max(column, c.r.c2);
      }
      Put(sheet, c);
    }
    Reference<css::table::XCell> cell =
        first->getCellByPosition(static_cast<sal_Int32>(column), static_cast<sal_Int32>(row));
    cell->setFormula(U(formula));
    Reference<css::util::XModifiable>(model_->get(), UNO_QUERY_THROW)->setModified(false);
    Reference<css::text::XTextRange> text(cell, UNO_QUERY_THROW);
    if (cell->getError() != 0) throw rt::RtError(rt::kErrRejected, "Calc gives " + Utf8(text->getString()));
    sal_Int32 kind = 0;
    Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)->getPropertyValue("FormulaResultType2") >>= kind;
    if (kind == css::sheet::FormulaResult::STRING) return CellValue::Str(Utf8(text->getString()));
    return CellValue::Num(cell->getValue());
  }

  void Close() {
    Reference<css::util::XCloseable> c(model_->get(), UNO_QUERY);
    if (c.is()) c->close(true);
  }

 private:
  // The values in one call; booleans and dates get the format that makes them so.
  void Put(const Reference<css::sheet::XSpreadsheet>& sheet, const OwnRange& c) {
    Reference<css::table::XCellRange> range =
        sheet->getCellRangeByPosition(static_cast<sal_Int32>(c.r.c1 - 1), static_cast<sal_Int32>(c.r.r1 - 1),
                                      static_cast<sal_Int32>(c.r.c2 - 1), static_cast<sal_Int32>(c.r.r2 - 1));
    const auto width = static_cast<sal_Int32>(c.r.c2 - c.r.c1 + 1),
               height = static_cast<sal_Int32>(c.r.r2 - c.r.r1 + 1);
    if (static_cast<int64_t>(width) * height != static_cast<int64_t>(c.values.size()))
      throw rt::RtError(rt::kErrRejected, "Calc refused the call: the values do not fill their range");
    Sequence<Sequence<Any>> rows(height);
    std::vector<std::pair<sal_Int32, sal_Int32>> logical, dated;
    for (sal_Int32 i = 0; i < height; ++i) {
      Sequence<Any>& row = rows.getArray()[i];
      row.realloc(width);
      for (sal_Int32 j = 0; j < width; ++j) {
        const CellValue& v = c.values[static_cast<size_t>(i) * static_cast<size_t>(width) + static_cast<size_t>(j)];
        Any& a = row.getArray()[j];
        if (v.kind == CellValue::Kind::Text) {
          a <<= U(v.text);
        } else if (v.kind == CellValue::Kind::Boolean) {
          a <<= (v.number != 0 ? 1.0 : 0.0);
          logical.emplace_back(j, i);
        } else if (v.IsNumeric()) {
          a <<= v.number;
          if (v.kind == CellValue::Kind::Date) dated.emplace_back(j, i);
        }
      }
    }
    Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->setDataArray(rows);
    if (logical.empty() && dated.empty()) return;
    Reference<css::util::XNumberFormatsSupplier> supplier(model_->get(), UNO_QUERY_THROW);
    Reference<css::util::XNumberFormatTypes> types(supplier->getNumberFormats(), UNO_QUERY_THROW);
    const css::lang::Locale locale;
    for (const auto& [cells, type] : {std::pair{&logical, css::util::NumberFormat::LOGICAL},
                                      std::pair{&dated, css::util::NumberFormat::DATETIME}}) {
      const sal_Int32 key = types->getStandardFormat(type, locale);
      for (const auto& [x, y] : *cells)
        Reference<css::beans::XPropertySet>(range->getCellByPosition(x, y), UNO_QUERY_THROW)
            ->setPropertyValue("NumberFormat", Any(key));
    }
  }

  std::optional<Kept<css::frame::XModel>> model_;
};

class UnoSession : public Session {
 public:
  UnoSession(Reference<css::uno::XComponentContext> ctx, Reference<css::frame::XDesktop2> desktop)
      : ctx_(std::move(ctx)), desktop_(std::move(desktop)) {}

  std::string ProductVersion() override {
    return Call([&] {
      Reference<css::lang::XMultiServiceFactory> provider = css::configuration::theDefaultProvider::get(ctx_.get());
      css::beans::PropertyValue path;
      path.Name = "nodepath";
      path.Value <<= OUString("/org.openoffice.Setup/Product");
      Sequence<Any> args(1);
      args.getArray()[0] <<= path;
      Reference<css::container::XNameAccess> product(
          provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationAccess", args),
          UNO_QUERY_THROW);
      OUString v;
      product->getByName("ooSetupVersionAboutBox") >>= v;
      return Utf8(v);
    });
  }

  std::shared_ptr<Document> ActiveDocument() override {
    return Call([&]() -> std::shared_ptr<Document> {
      Reference<css::uno::XInterface> current = desktop_->getCurrentComponent();
      if (IsSpreadsheet(current) && !IsOwn(current))
        return std::make_shared<UnoDocument>(Reference<css::frame::XModel>(current, UNO_QUERY));
      auto all = Documents();
      return all.empty() ? nullptr : all.front();
    });
  }

  std::vector<std::shared_ptr<Document>> Documents() override {
    return Call([&] {
      std::vector<std::shared_ptr<Document>> out;
      Reference<css::container::XEnumeration> e = desktop_->getComponents()->createEnumeration();
      while (e->hasMoreElements()) {
        Reference<css::uno::XInterface> x(e->nextElement(), UNO_QUERY);
        if (IsSpreadsheet(x) && !IsOwn(x))
          out.push_back(std::make_shared<UnoDocument>(Reference<css::frame::XModel>(x, UNO_QUERY)));
      }
      return out;
    });
  }

  bool Alive() override {
    try {
      (void)desktop_->getCurrentComponent();
      return true;
    } catch (const css::uno::Exception&) {
      return false;
    }
  }

  CellValue EvaluateOwn(const std::string& formula, const std::string& firstSheet,
                        const std::vector<OwnRange>& cells) override {
    return Call([&] {
      if (!own_) {
        try {
          own_.emplace(desktop_.get());
        } catch (const css::lang::DisposedException&) {
          throw;
        } catch (const css::uno::Exception& e) {
          throw rt::RtError(rt::kErrRejected, "Calc does not make a document of the program's own: " + Utf8(e.Message));
        }
      }
      try {
        return own_->Evaluate(formula, firstSheet, cells);
      } catch (const css::lang::DisposedException&) {
        if (!Alive()) throw;
        // Closed in Calc while the connection holds: made anew at the next call.
        own_.reset();
        throw rt::RtError(rt::kErrRejected, "The program's own document in Calc was closed");
      }
    });
  }

  void CloseOwn() override {
    if (!own_ || exiting) return;
    try {
      own_->Close();
    } catch (const css::uno::Exception&) {
      // Calc has ended, and the document with it.
    }
    own_.reset();
  }

 private:
  bool IsOwn(const Reference<css::uno::XInterface>& x) const { return own_ && own_->Is(x); }

  Kept<css::uno::XComponentContext> ctx_;
  Kept<css::frame::XDesktop2> desktop_;
  std::optional<OwnDocument> own_;
};

// The local UNO environment, made once and kept to the end of the process: the type and service
// libraries of the installed LibreOffice.
Reference<css::uno::XComponentContext> LocalContext() {
  static std::mutex m;
  static auto* kept = new Reference<css::uno::XComponentContext>;
  Reference<css::uno::XComponentContext>& ctx = *kept;
  std::lock_guard<std::mutex> lock(m);
  if (!ctx.is()) {
    // The installed LibreOffice's bootstrap file names its type and service libraries.
    const char* env = std::getenv("URE_BOOTSTRAP");
    if (!env || !*env)
      rtl::Bootstrap::set(OUString("URE_BOOTSTRAP"),
                          U("vnd.sun.star.pathname:" VANTREL_LIBREOFFICE_PROGRAM "/fundamentalrc"));
    ctx = cppu::defaultBootstrap_InitialComponentContext();
  }
  return ctx;
}

}  // namespace
}  // namespace vantrel::spreadsheet::calc

extern "C" __attribute__((visibility("default"))) std::shared_ptr<vantrel::spreadsheet::calc::Session>
vantrel_calc_connect(const std::string& connection) {
  namespace css = com::sun::star;
  using namespace vantrel::spreadsheet::calc;
  using vantrel::rt::RtError;
  using rtl::OUString;
  const std::string notRunning = "Calc does not answer on " + connection;
  Reference<css::bridge::XUnoUrlResolver> resolver;
  try {
    resolver = css::bridge::UnoUrlResolver::create(LocalContext());
    static std::once_flag atExit;
    std::call_once(atExit, [] { std::atexit([] { exiting = true; }); });
  } catch (const css::uno::Exception& e) {
    throw RtError(vantrel::rt::kErrCannotCreate,
                  "The UNO environment of LibreOffice cannot be set up: " + Utf8(e.Message));
  }
  try {
    const std::string url = connection.rfind("uno:", 0) == 0 ? connection : "uno:" + connection;
    Reference<css::uno::XComponentContext> remote(resolver->resolve(U(url)), UNO_QUERY);
    if (!remote.is()) throw RtError(vantrel::rt::kErrCannotCreate, notRunning);
    Reference<css::frame::XDesktop2> desktop = css::frame::Desktop::create(remote);
    return std::make_shared<UnoSession>(remote, desktop);
  } catch (const RtError&) {
    throw;
  } catch (const css::uno::RuntimeException& e) {
    // A Calc listened, then ended or broke the connection before its desktop was reached.
    throw RtError(kErrConnectionLost, "The connection to Calc on " + connection + " was lost: " + Utf8(e.Message));
  } catch (const css::uno::Exception& e) {
    // Nobody listens on the connection, or it is not one.
    throw RtError(vantrel::rt::kErrCannotCreate, notRunning + ": " + Utf8(e.Message));
  }
}
