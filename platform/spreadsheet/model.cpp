#include "platform/spreadsheet/model.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <queue>

#include "platform/runtime/vb.h"
#include "platform/spreadsheet/numfmt.h"

namespace vantrel::spreadsheet::model {

using formula::kMaxColumns;
using formula::kMaxRows;
using formula::Rect;

namespace {

constexpr uint32_t kFormulaBit = 1u << 3;
constexpr uint32_t kSharedBit = 1u << 31;

uint32_t KindOf(const Cell& c) { return c.meta & 7u; }
uint32_t FormatOf(const Cell& c) { return c.meta >> 4; }
bool FormulaFlag(const Cell& c) { return (c.meta & kFormulaBit) != 0; }
uint32_t Meta(uint32_t kind, uint32_t fmt, bool formula) { return kind | (formula ? kFormulaBit : 0) | (fmt << 4); }
uint64_t Bits(double d) { return std::bit_cast<uint64_t>(d); }
double FromBits(uint64_t u) { return std::bit_cast<double>(u); }

[[noreturn]] void Rejected(const std::string& what) { throw rt::RtError(rt::kErrRejected, what); }

void CheckCell(int64_t row, int64_t col) {
  if (row < 1 || row > kMaxRows || col < 1 || col > kMaxColumns) Rejected("The cell reference is outside the sheet");
}

bool LessRow(const Cell& c, uint32_t row) { return c.row < row; }

// A row as stored in a run whose rows are moved by shift, kept inside the rows a cell can have.
uint32_t Stored(int64_t row, int64_t shift) {
  return static_cast<uint32_t>(std::clamp<int64_t>(row - shift, 0, UINT32_MAX));
}

}  // namespace

// --- ColumnCells -----------------------------------------------------------------------------

namespace {
// Cells before the first number after which a column stops keeping room for numbers.
constexpr size_t kTakeOverCells = 1024;
}  // namespace

size_t ColumnCells::LowerBound(uint32_t row) const {
  if (!head_.empty() && row <= head_.back().row)
    return static_cast<size_t>(std::lower_bound(head_.begin(), head_.end(), row, LessRow) - head_.begin());
  size_t at = head_.size();
  if (!run_.empty()) {
    if (row <= row0_) return at;
    const uint64_t off = row - row0_;
    if (off < run_.size()) return at + static_cast<size_t>(off);
    at += run_.size();
  }
  return at + static_cast<size_t>(std::lower_bound(tail_.begin(), tail_.end(), row, LessRow) - tail_.begin());
}

void ColumnCells::Append(const Cell* cells, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const Cell& c = cells[i];
    if (!tail_.empty()) {
      tail_.push_back(c);
    } else if (!run_.empty()) {
      // The run's meta is a plain number's: the same meta on the next row continues it.
      if (c.meta == meta_ && c.row == static_cast<uint64_t>(row0_) + run_.size()) run_.push_back(c.num);
      else tail_.push_back(c);
    } else if ((c.meta & 15u) == kNumber && (head_.empty() || head_.back().row < c.row)) {
      // A number without a formula starts the run.
      row0_ = c.row;
      meta_ = c.meta;
      run_.push_back(c.num);
    } else {
      // A long column of other cells (texts, formulas) takes over the room reserved for
      // numbers; a few titles above the numbers leave it to them.
      if (head_.size() == head_.capacity() && head_.size() >= kTakeOverCells && run_.capacity() > head_.capacity()) {
        head_.reserve(run_.capacity());
        Numbers().swap(run_);
      }
      head_.push_back(c);
    }
  }
}

void ColumnCells::Reserve(size_t n) {
  const size_t have = size();
  if (n <= have) return;
  if (have == 0) run_.reserve(n);
  else if (!tail_.empty()) tail_.reserve(n - head_.size() - run_.size());
  else if (!run_.empty()) run_.reserve(n - head_.size());
  else head_.reserve(n);
}

Cells& ColumnCells::Sparse() {
  if (run_.empty() && tail_.empty()) return head_;
  Cells out;
  out.reserve(size());
  out.insert(out.end(), head_.begin(), head_.end());
  for (size_t i = 0; i < run_.size(); ++i) out.push_back(Cell{run_[i], row0_ + static_cast<uint32_t>(i), meta_});
  out.insert(out.end(), tail_.begin(), tail_.end());
  clear();
  head_.swap(out);
  return head_;
}

void ColumnCells::clear() {
  Cells().swap(head_);
  Numbers().swap(run_);
  Cells().swap(tail_);
  row0_ = meta_ = 0;
}

void ColumnCells::swap(ColumnCells& o) noexcept {
  head_.swap(o.head_);
  run_.swap(o.run_);
  tail_.swap(o.tail_);
  std::swap(row0_, o.row0_);
  std::swap(meta_, o.meta_);
}

size_t Sheet::Piece::LowerBound(int64_t row) const {
  return std::clamp(store->LowerBound(Stored(row, shift)), begin, end);
}

size_t Sheet::Piece::UpperBound(int64_t row) const {
  return std::clamp(store->UpperBound(Stored(row, shift)), begin, end);
}

// --- Sheet -----------------------------------------------------------------------------------

void Sheet::EnsureLoaded() {
  if (loadError_) throw rt::FileFault(loadError_, loadDescription_);
  // A call from an event handler run while this sheet is read must not see half of it.
  if (loading_) throw rt::RtError(kErrBusy, "The spreadsheet is busy: the sheet \"" + name_ + "\" is being read");
  if (!loader_) return;
  auto f = std::move(loader_);
  loader_ = nullptr;
  loading_ = true;
  std::shared_ptr<App> app;
  if (auto b = book()) app = b->app();
  struct Count {
    App* a;
    explicit Count(App* x) : a(x) {
      if (a) ++a->loading;
    }
    ~Count() {
      if (a) --a->loading;
    }
  } count(app.get());
  try {
    f();
    loading_ = false;
  } catch (const rt::RtError& e) {
    loading_ = false;
    loadError_ = e.number();
    loadDescription_ = e.description() + " (sheet \"" + name_ + "\")";
    cols_.clear();
    ++version_;
    formulaOf_.clear();
    throw rt::FileFault(loadError_, loadDescription_);
  } catch (const std::bad_alloc&) {
    loading_ = false;
    loadError_ = 7;
    loadDescription_ = "Out of memory while reading the sheet \"" + name_ + "\"";
    cols_.clear();
    ++version_;
    formulaOf_.clear();
    throw rt::FileFault(loadError_, loadDescription_);
  }
}

Sheet::Column& Sheet::Slot(int64_t col) {
  if (static_cast<int64_t>(cols_.size()) < col) cols_.resize(col);
  return cols_[col - 1];
}

Sheet::Column& Sheet::Col(int64_t col) {
  Column& k = Slot(col);
  Materialize(k);
  ++version_;
  return k;
}

model::Cells& Sheet::OwnCells(int64_t col, int64_t r1, int64_t r2) {
  Column& k = Slot(col);
  if (k.shared && r1 <= k.shared->r2 && r2 >= k.shared->r1) Materialize(k);
  ++version_;
  return k.cells.Sparse();
}

// The shared cells become the column's own, as a copy would have made them: moved to their rows,
// a values view's cells without format and formula and its texts in this book's strings.
void Sheet::Materialize(Column& k) {
  if (!k.shared) return;
  std::optional<SharedCells> sh = std::move(k.shared);
  k.shared.reset();
  ++version_;
  model::Cells mid;
  ColumnCells& store = *sh->store;
  if (sh->store.use_count() == 1) {
    // No other column reads the store: its cells are taken over in place.
    mid = std::move(store.Sparse());
    store.clear();
    mid.erase(mid.begin() + static_cast<ptrdiff_t>(sh->end), mid.end());
    mid.erase(mid.begin(), mid.begin() + static_cast<ptrdiff_t>(sh->begin));
  } else {
    mid.reserve(sh->end - sh->begin);
    for (size_t i = sh->begin; i < sh->end; ++i) mid.push_back(store.At(i));
  }
  sh->store.reset();
  std::shared_ptr<Book> b = sh->strings ? book() : nullptr;
  if (!b) sh->strings.reset();  // a sheet without its book is never read again
  if (sh->shift != 0 || sh->values || sh->strings) {
    size_t n = 0;
    for (const Cell& c : mid) {
      Cell x = c;
      uint32_t kind = KindOf(x);
      if (sh->values) {
        if (kind == kFormatOnly) continue;
        x.meta &= 7u;
      }
      x.row = static_cast<uint32_t>(x.row + sh->shift);
      if (sh->strings && (kind == kText || kind == kError)) x.num = FromBits(b->AddString((*sh->strings)[Bits(x.num)]));
      mid[n++] = x;
    }
    mid.resize(n);
  }
  model::Cells& own = k.cells.Sparse();
  if (own.empty()) {
    own.swap(mid);
    return;
  }
  auto split = std::lower_bound(own.begin(), own.end(), static_cast<uint32_t>(sh->r1), LessRow);
  own.insert(split, mid.begin(), mid.end());
}

Sheet::Pieces Sheet::PiecesOf(int64_t col) const {
  Pieces ps;
  if (col < 1 || col > static_cast<int64_t>(cols_.size())) return ps;
  const Column& k = cols_[col - 1];
  const ColumnCells& own = k.cells;
  const size_t e = own.size();
  if (!k.shared) {
    if (e != 0) ps.p[ps.n++] = Piece{&own, 0, e, 0, ~0u, nullptr};
    return ps;
  }
  const SharedCells& sh = *k.shared;
  const size_t split = own.LowerBound(static_cast<uint32_t>(sh.r1));
  if (split != 0) ps.p[ps.n++] = Piece{&own, 0, split, 0, ~0u, nullptr};
  if (sh.begin != sh.end)
    ps.p[ps.n++] = Piece{sh.store.get(), sh.begin, sh.end, sh.shift, sh.values ? 7u : ~0u, sh.strings.get()};
  if (split != e) ps.p[ps.n++] = Piece{&own, split, e, 0, ~0u, nullptr};
  return ps;
}

std::optional<Sheet::Found> Sheet::Find(int64_t row, int64_t col) const {
  Pieces ps = PiecesOf(col);
  for (int i = 0; i < ps.n; ++i) {
    const Piece& p = ps.p[i];
    if (row > p.RowAt(p.end - 1)) continue;
    if (row < p.RowAt(p.begin)) return std::nullopt;
    const size_t it = p.LowerBound(row);
    if (p.RowAt(it) != row) return std::nullopt;
    Cell c = p.At(it);
    if (p.mask != ~0u && KindOf(c) == kFormatOnly) return std::nullopt;  // a values view has no format-only cells
    return Found{c, p.strings};
  }
  return std::nullopt;
}

std::optional<Sheet::SharedCells> Sheet::ShareValues(int64_t col, int64_t r1, int64_t r2) {
  if (col < 1 || col > static_cast<int64_t>(cols_.size())) return std::nullopt;
  Column& k = cols_[col - 1];
  if (k.unsorted) return std::nullopt;
  // Built and moved in: clang 14 finds no in_place constructor for this nested struct.
  std::optional<SharedCells> out = SharedCells{};
  out->values = true;
  size_t size = 0;
  if (!k.shared) {
    const ColumnCells& v = k.cells;
    out->begin = v.LowerBound(Stored(r1, 0));
    out->end = std::max(out->begin, v.UpperBound(Stored(r2, 0)));
    size = v.size();
  } else {
    // Rows of the shared run only: own cells among them would need a second run.
    const SharedCells& sh = *k.shared;
    if (r1 < sh.r1 || r2 > sh.r2) {
      const ColumnCells& v = k.cells;
      const size_t a = v.LowerBound(Stored(r1, 0));
      if (a != v.size() && v.RowAt(a) <= r2) return std::nullopt;
    }
    const Piece p{sh.store.get(), sh.begin, sh.end, sh.shift, ~0u, nullptr};
    out->begin = p.LowerBound(r1);
    out->end = std::max(out->begin, p.UpperBound(r2));
    out->shift = sh.shift;
    size = sh.store->size();
  }
  // A few cells of a large column are copied: a view would keep the whole column alive.
  if (out->end == out->begin || (out->end - out->begin) * 2 < size) return std::nullopt;
  if (!k.shared) {
    auto store = std::make_shared<ColumnCells>();
    store->swap(k.cells);
    k.shared = SharedCells{store, 0, store->size(), 0, 1, kMaxRows, false, nullptr};
    ++version_;
  }
  out->store = k.shared->store;
  out->strings = k.shared->strings;
  if (!out->strings) {
    auto b = book();
    if (b) out->strings = b->stringTable();
  }
  out->r1 = r1;
  out->r2 = r2;
  return out;
}

void Sheet::SetShared(int64_t col, SharedCells shared) {
  Column& k = Col(col);
  auto b = book();
  if (b && shared.strings == b->stringTable()) shared.strings.reset();
  k.shared = std::move(shared);
}

Cell& Sheet::Put(int64_t row, int64_t col) {
  CheckCell(row, col);
  auto& v = OwnCells(col, row, row);
  uint32_t r = static_cast<uint32_t>(row);
  if (v.empty() || v.back().row < r) {
    v.push_back(Cell{0, r, 0});
    return v.back();
  }
  auto it = std::lower_bound(v.begin(), v.end(), r, LessRow);
  if (it != v.end() && it->row == r) return *it;
  return *v.insert(it, Cell{0, r, 0});
}

void Sheet::EraseFormula(int64_t row, int64_t col) { formulaOf_.erase(Key(row, col)); }

void Sheet::AppendCell(uint32_t col, const Cell& c) { AppendCells(col, &c, 1); }

void Sheet::AppendCells(uint32_t col, const Cell* cells, size_t n) {
  if (n == 0) return;
  Column& k = Col(col);
  bool first = k.cells.empty();
  uint32_t last = first ? 0 : k.cells.RowAt(k.cells.size() - 1);
  for (size_t i = 0; i < n && !k.unsorted; ++i) {
    if (!first && last >= cells[i].row) k.unsorted = true;
    last = cells[i].row;
    first = false;
  }
  k.cells.Append(cells, n);
}

void Sheet::Reserve(int64_t c1, int64_t c2, size_t rows) {
  for (int64_t c = c1; c <= c2; ++c) Col(c).cells.Reserve(rows);
}

void Sheet::AppendNumber(uint32_t row, uint32_t col, double x, uint32_t fmt, bool f) {
  AppendCell(col, Cell{x, row, Meta(kNumber, fmt, f)});
}

void Sheet::AppendText(uint32_t row, uint32_t col, uint32_t textIndex, uint32_t fmt, bool f) {
  AppendCell(col, Cell{FromBits(textIndex), row, Meta(kText, fmt, f)});
}

void Sheet::SetFormulaText(uint32_t row, uint32_t col, std::string text) {
  formulas_.push_back(std::move(text));
  formulaOf_[Key(row, col)] = static_cast<uint32_t>(formulas_.size() - 1);
}

uint32_t Sheet::AddSharedMaster(uint32_t row, uint32_t col, std::string text) {
  shared_.push_back({row, col, std::move(text)});
  return static_cast<uint32_t>(shared_.size() - 1);
}

void Sheet::SetSharedFormula(uint32_t row, uint32_t col, uint32_t si) { formulaOf_[Key(row, col)] = si | kSharedBit; }

void Sheet::SetColumnFormat(int64_t col, uint32_t fmt) { Slot(col).format = fmt; }
void Sheet::SetColumnWidthAt(int64_t col, double w) { Slot(col).width = w; }
double Sheet::ColumnWidthAt(int64_t col) {
  if (col >= 1 && col <= static_cast<int64_t>(cols_.size()) && cols_[col - 1].width > 0) return cols_[col - 1].width;
  return 8.43;
}

void Sheet::DropCells() {
  cols_.clear();
  ++version_;
  formulaOf_.clear();
  formulas_.clear();
  shared_.clear();
}

void Sheet::Finish() {
  for (auto& c : cols_) {
    if (!c.unsorted) continue;
    model::Cells& v = c.cells.Sparse();
    std::stable_sort(v.begin(), v.end(), [](const Cell& a, const Cell& b) { return a.row < b.row; });
    // A later cell of the same row wins; the numbers on consecutive rows are kept compact again.
    model::Cells out;
    out.reserve(v.size());
    for (const Cell& x : v) {
      if (!out.empty() && out.back().row == x.row) out.back() = x;
      else out.push_back(x);
    }
    c.cells.clear();
    c.cells.Append(out.data(), out.size());
    c.unsorted = false;
  }
}

void Sheet::SetValue(int64_t row, int64_t col, const CellValue& v) {
  EnsureLoaded();
  auto b = book();
  if (v.kind == CellValue::Kind::Empty) {
    Clear(row, col);
    return;
  }
  Cell& c = Put(row, col);
  EraseFormula(row, col);
  uint32_t fmt = FormatOf(c);
  switch (v.kind) {
    case CellValue::Kind::Number:
    case CellValue::Kind::Date:
      c.num = v.number;
      c.meta = Meta(kNumber, fmt, false);
      break;
    case CellValue::Kind::Boolean:
      c.num = v.number != 0 ? 1 : 0;
      c.meta = Meta(kBoolean, fmt, false);
      break;
    case CellValue::Kind::Text:
      c.num = FromBits(b->AddString(v.text));
      c.meta = Meta(kText, fmt, false);
      break;
    case CellValue::Kind::Error:
      c.num = FromBits(b->AddString(v.text));
      c.meta = Meta(kError, fmt, false);
      break;
    case CellValue::Kind::Empty: break;
  }
}

void Sheet::SetNumber(int64_t row, int64_t col, double x, std::string_view format) {
  SetValue(row, col, CellValue::Num(x));
  if (!format.empty()) SetCellFormat(row, col, format);
}

void Sheet::SetText(int64_t row, int64_t col, std::string_view text, std::string_view format) {
  SetValue(row, col, CellValue::Str(std::string(text)));
  if (!format.empty()) SetCellFormat(row, col, format);
}

void Sheet::SetBoolean(int64_t row, int64_t col, bool b) { SetValue(row, col, CellValue::Bool(b)); }
void Sheet::SetError(int64_t row, int64_t col, std::string_view code) {
  SetValue(row, col, CellValue::Err(std::string(code)));
}

void Sheet::SetFormula(int64_t row, int64_t col, std::string_view f, const CellValue& cached, std::string_view format) {
  SetValue(row, col, cached.kind == CellValue::Kind::Empty ? CellValue::Num(0) : cached);
  Cell& c = Put(row, col);
  c.meta |= kFormulaBit;
  SetFormulaText(static_cast<uint32_t>(row), static_cast<uint32_t>(col), std::string(f));
  if (!format.empty()) SetCellFormat(row, col, format);
}

void Sheet::SetCellFormat(int64_t row, int64_t col, std::string_view format) {
  EnsureLoaded();
  uint32_t fmt = book()->FormatIndex(format);
  Cell& c = Put(row, col);
  c.meta = (c.meta & 15u) | (fmt << 4);
}

void Sheet::Clear(int64_t row, int64_t col) {
  EnsureLoaded();
  if (col < 1 || col > static_cast<int64_t>(cols_.size())) return;
  if (!Find(row, col)) {
    EraseFormula(row, col);
    return;
  }
  auto& v = OwnCells(col, row, row);
  auto it = std::lower_bound(v.begin(), v.end(), static_cast<uint32_t>(row), LessRow);
  if (it != v.end() && it->row == row) {
    // The format stays, as a cleared cell keeps it.
    it->meta &= ~15u;
    it->num = 0;
  }
  EraseFormula(row, col);
}

void Sheet::SetActiveCell(int64_t row, int64_t col) {
  CheckCell(row, col);
  activeRow_ = row;
  activeCol_ = col;
  if (row < selR1 || row > selR2 || col < selC1 || col > selC2) {
    selR1 = selR2 = row;
    selC1 = selC2 = col;
  }
}

CellValue Sheet::ValueOf(const Cell& c, const Strings* strings) {
  switch (KindOf(c)) {
    case kNumber: return CellValue::Num(c.num);
    case kText: return CellValue::Str((strings ? *strings : book()->strings())[Bits(c.num)]);
    case kBoolean: return CellValue::Bool(c.num != 0);
    case kError: return CellValue::Err((strings ? *strings : book()->strings())[Bits(c.num)]);
    default: return {};
  }
}

uint32_t Sheet::EffectiveFormat(int64_t col, const Cell& c) {
  uint32_t f = FormatOf(c);
  if (f == 0 && col >= 1 && col <= static_cast<int64_t>(cols_.size())) f = cols_[col - 1].format;
  return f;
}

CellValue Sheet::GetValue(int64_t row, int64_t col) {
  EnsureLoaded();
  CheckCell(row, col);
  auto c = Find(row, col);
  if (!c) return {};
  CellValue v = ValueOf(c->cell, c->strings);
  if (v.kind == CellValue::Kind::Number && book()->FormatIsDate(EffectiveFormat(col, c->cell)))
    v.kind = CellValue::Kind::Date;
  return v;
}

std::string Sheet::FormulaOf(int64_t col, const Cell& c, const Strings* strings) {
  if (FormulaFlag(c)) {
    auto it = formulaOf_.find(Key(c.row, col));
    if (it != formulaOf_.end()) {
      uint32_t v = it->second;
      std::string text;
      if (v & kSharedBit) {
        const Shared& s = shared_[v & ~kSharedBit];
        text = formula::ShiftFormula(s.text, static_cast<int64_t>(c.row) - s.row, col - static_cast<int64_t>(s.col));
      } else {
        text = formulas_[v];
      }
      if (!text.empty() && text[0] == '\x01')
        Rejected("The formula of " + formula::ColumnLetters(col) + std::to_string(c.row) +
                 " is in an unknown syntax: " + text.substr(1));
      return text;
    }
  }
  switch (KindOf(c)) {
    case kNumber:
      // A date constant reads as its date, to the second.
      if (book()->FormatIsDate(EffectiveFormat(col, c)) && c.num >= 0) {
        if (c.num < 1) return rt::FormatDate(c.num, "hh\\:nn\\:ss");
        std::string t = rt::FormatDate(c.num, "yyyy\\-mm\\-dd");
        double secs = rt::RoundHalfEven((c.num - std::floor(c.num)) * 86400);
        if (secs > 0 && secs < 86400) t += rt::FormatDate(c.num, " hh\\:nn\\:ss");
        return t;
      }
      return numfmt::EnglishNumber(c.num);
    case kText:
    case kError: return (strings ? *strings : book()->strings())[Bits(c.num)];
    case kBoolean: return c.num != 0 ? "TRUE" : "FALSE";
    default: return "";
  }
}

std::string Sheet::GetFormula(int64_t row, int64_t col) {
  EnsureLoaded();
  CheckCell(row, col);
  auto c = Find(row, col);
  return c ? FormulaOf(col, c->cell, c->strings) : std::string();
}

bool Sheet::HasFormula(int64_t row, int64_t col) {
  EnsureLoaded();
  auto c = Find(row, col);
  return c && FormulaFlag(c->cell);
}

std::string Sheet::GetFormat(int64_t row, int64_t col) {
  EnsureLoaded();
  CheckCell(row, col);
  auto c = Find(row, col);
  uint32_t f = c ? EffectiveFormat(col, c->cell)
                 : (col <= static_cast<int64_t>(cols_.size()) ? cols_[col - 1].format : 0);
  return f == 0 ? std::string("General") : book()->FormatCode(f);
}

std::string Sheet::TextOf(int64_t col, const Cell& c, const Strings* strings) {
  switch (KindOf(c)) {
    case kNumber: {
      uint32_t f = EffectiveFormat(col, c);
      if (f <= 1) return numfmt::GeneralNumber(c.num);
      return numfmt::FormatNumber(c.num, book()->FormatCode(f));
    }
    case kText:
    case kError: return (strings ? *strings : book()->strings())[Bits(c.num)];
    case kBoolean: return c.num != 0 ? "TRUE" : "FALSE";
    default: return "";
  }
}

std::string Sheet::DisplayText(int64_t row, int64_t col) {
  EnsureLoaded();
  CheckCell(row, col);
  auto c = Find(row, col);
  return c ? TextOf(col, c->cell, c->strings) : std::string();
}

int64_t Sheet::MaxRow() {
  EnsureLoaded();
  int64_t m = 0;
  for (int64_t col = 1; col <= static_cast<int64_t>(cols_.size()); ++col) {
    Pieces ps = PiecesOf(col);
    for (int i = ps.n - 1; i >= 0; --i) {
      const Piece& p = ps.p[i];
      size_t it = p.end;
      while (it != p.begin && KindOf(p.store->At(it - 1)) == kFormatOnly) --it;
      if (it != p.begin) {
        m = std::max<int64_t>(m, p.RowAt(it - 1));
        break;
      }
    }
  }
  return m;
}

int64_t Sheet::MaxColumn() {
  EnsureLoaded();
  for (int64_t k = static_cast<int64_t>(cols_.size()); k >= 1; --k) {
    Pieces ps = PiecesOf(k);
    for (int i = 0; i < ps.n; ++i)
      for (size_t it = ps.p[i].begin; it != ps.p[i].end; ++it)
        if (KindOf(ps.p[i].store->At(it)) != kFormatOnly) return k;
  }
  return 0;
}

size_t Sheet::CellCount() {
  EnsureLoaded();
  size_t n = 0;
  for (int64_t col = 1; col <= static_cast<int64_t>(cols_.size()); ++col) {
    Pieces ps = PiecesOf(col);
    for (int i = 0; i < ps.n; ++i) {
      const Piece& p = ps.p[i];
      if (p.mask == ~0u) n += p.end - p.begin;
      else
        for (size_t it = p.begin; it != p.end; ++it) n += KindOf(p.store->At(it)) != kFormatOnly;
    }
  }
  return n;
}

void Sheet::ReplaceSpan(int64_t col, int64_t r1, int64_t r2, model::Cells cells) {
  auto& v = OwnCells(col, r1, r2);
  auto a = std::lower_bound(v.begin(), v.end(), static_cast<uint32_t>(r1), LessRow);
  auto b = std::lower_bound(a, v.end(), static_cast<uint32_t>(r2 + 1), LessRow);
  for (auto it = a; it != b; ++it)
    if (FormulaFlag(*it)) EraseFormula(it->row, col);
  // Keep the formats of the cells that were there.
  size_t k = 0;
  for (auto it = a; it != b; ++it) {
    while (k < cells.size() && cells[k].row < it->row) ++k;
    if (k < cells.size() && cells[k].row == it->row) cells[k].meta = (cells[k].meta & 15u) | (it->meta & ~15u);
  }
  if (a == v.begin() && b == v.end()) {
    v.swap(cells);  // the span was the whole column
    return;
  }
  size_t pos = a - v.begin();
  v.erase(a, b);
  v.insert(v.begin() + pos, cells.begin(), cells.end());
}

// --- Book ------------------------------------------------------------------------------------

Book::Book(std::weak_ptr<App> app, std::string name) : app_(std::move(app)), name_(std::move(name)) {}

Sheet& Book::AddSheet(std::string name) {
  sheets_.push_back(std::make_shared<Sheet>(weak_from_this(), std::move(name)));
  return *sheets_.back();
}

Sheet* Book::SheetNamed(std::string_view name) {
  std::string u = rt::UCase(name);
  for (auto& s : sheets_)
    if (rt::UCase(s->name()) == u) return s.get();
  return nullptr;
}

uint32_t Book::AddString(std::string s) {
  strings_->push_back(std::move(s));
  return static_cast<uint32_t>(strings_->size() - 1);
}

uint32_t Book::FormatIndex(std::string_view code) {
  auto it = formatIndex_.find(std::string(code));
  if (it != formatIndex_.end()) return it->second;
  formats_.emplace_back(code);
  formatIsDate_.push_back(-1);
  uint32_t k = static_cast<uint32_t>(formats_.size() - 1);
  formatIndex_.emplace(std::string(code), k);
  return k;
}

bool Book::FormatIsDate(uint32_t index) {
  if (index >= formats_.size()) return false;
  if (formatIsDate_[index] < 0) formatIsDate_[index] = numfmt::IsDateFormat(formats_[index]) ? 1 : 0;
  return formatIsDate_[index] == 1;
}

// --- interface classes -------------------------------------------------------------------------

namespace {

class RangeImpl;
class SheetImpl;
class WindowImpl;
class WorkbookImpl;

// f(cell, strings) for each cell of rows r1 to r2 of a column, in row order.
template <class F>
void EachCellIn(const Sheet::Pieces& ps, int64_t r1, int64_t r2, F&& f) {
  for (int i = 0; i < ps.n; ++i) {
    const Sheet::Piece& p = ps.p[i];
    for (size_t it = p.LowerBound(r1); it != p.end && p.RowAt(it) <= r2; ++it) f(p.At(it), p.strings);
  }
}

// How many stored cells rows r1 to r2 of a column hold.
size_t CellsIn(const Sheet::Pieces& ps, int64_t r1, int64_t r2) {
  size_t n = 0;
  for (int i = 0; i < ps.n; ++i) {
    const Sheet::Piece& p = ps.p[i];
    const size_t a = p.LowerBound(r1);
    n += std::max(a, p.UpperBound(r2)) - a;
  }
  return n;
}

std::shared_ptr<Book> Live(const std::shared_ptr<Book>& b) {
  if (!b || b->closed) Rejected("The workbook is closed");
  return b;
}

class SheetImpl : public ISheet {
 public:
  SheetImpl(std::shared_ptr<App> app, std::shared_ptr<Sheet> s) : app_(std::move(app)), s_(std::move(s)) {}
  std::string Name() override {
    app_->Enter();
    return s_->name();
  }
  RangeP Cells() override;
  RangeP Cells(int64_t row, int64_t column) override;
  RangeP Range(std::string_view a1) override;
  RangeP Columns(std::string_view letters) override;
  void Activate() override {
    app_->Enter();
    auto b = Live(s_->book());
    for (size_t k = 0; k < b->sheets().size(); ++k)
      if (b->sheets()[k] == s_) b->SetActiveSheet(k);
    app_->ActivateWindow(b, 1);
  }

  std::shared_ptr<App> app_;
  std::shared_ptr<Sheet> s_;
};

class RangeImpl : public IRange {
 public:
  RangeImpl(std::shared_ptr<App> app, std::shared_ptr<Sheet> s, Rect r)
      : app_(std::move(app)), s_(std::move(s)), r_(r) {}

  Sheet& S() {
    app_->Enter();
    Live(s_->book());
    s_->EnsureLoaded();
    return *s_;
  }

  std::string Formula() override { return S().GetFormula(r_.r1, r_.c1); }

  void SetFormula(std::string_view f) override {
    Sheet& s = S();
    for (int64_t c = r_.c1; c <= r_.c2; ++c)
      for (int64_t r = r_.r1; r <= r_.r2; ++r) SetOne(s, r, c, f);
  }

  void SetOne(Sheet& s, int64_t r, int64_t c, std::string_view f) {
    if (f.empty()) {
      s.Clear(r, c);
      return;
    }
    if (f[0] != '=') {
      double x = 0;
      auto res = std::from_chars(f.data(), f.data() + f.size(), x);
      if (res.ec == std::errc() && res.ptr == f.data() + f.size()) s.SetValue(r, c, CellValue::Num(x));
      else if (f == "TRUE" || f == "FALSE") s.SetValue(r, c, CellValue::Bool(f == "TRUE"));
      else s.SetValue(r, c, CellValue::Str(std::string(f)));
      return;
    }
    // The model computes the text expressions it knows; other formulas keep an error value.
    CellValue v;
    try {
      v = EvaluateOn(s, f.substr(1));
    } catch (const rt::RtError&) {
      v = CellValue::Err("#NAME?");
    }
    s.SetFormula(r, c, f, v);
  }

  CellValue EvaluateOn(Sheet& s, std::string_view expr) {
    auto book = s.book();
    return formula::EvaluateText(expr, [&](std::string_view sheet, int64_t r, int64_t c) {
      Sheet* t = sheet.empty() ? &s : book->SheetNamed(sheet);
      if (!t) Rejected("No sheet named " + std::string(sheet));
      return t->GetValue(r, c);
    });
  }

  CellValue Value() override { return S().GetValue(r_.r1, r_.c1); }

  void SetValue(const CellValue& v) override {
    Sheet& s = S();
    if ((r_.r2 - r_.r1 + 1) * (r_.c2 - r_.c1 + 1) > 1000000) Rejected("The range is too large to fill");
    for (int64_t c = r_.c1; c <= r_.c2; ++c)
      for (int64_t r = r_.r1; r <= r_.r2; ++r) s.SetValue(r, c, v);
  }

  std::string Text() override { return S().DisplayText(r_.r1, r_.c1); }
  int64_t Row() override { return S(), r_.r1; }
  int64_t Column() override { return S(), r_.c1; }
  int64_t RowsCount() override { return S(), r_.r2 - r_.r1 + 1; }
  int64_t ColumnsCount() override { return S(), r_.c2 - r_.c1 + 1; }

  std::string Address() override {
    S();
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on "$" + a temporary.
    std::string a;
    auto cell = [&a](int64_t r, int64_t c) {
      a += '$';
      a += formula::ColumnLetters(c);
      a += '$';
      a += std::to_string(r);
    };
    if (r_.r1 == 1 && r_.r2 == kMaxRows) {
      a += '$';
      a += formula::ColumnLetters(r_.c1);
      a += ":$";
      a += formula::ColumnLetters(r_.c2);
      return a;
    }
    cell(r_.r1, r_.c1);
    if (r_.r2 != r_.r1 || r_.c2 != r_.c1) {
      a += ':';
      cell(r_.r2, r_.c2);
    }
    return a;
  }

  void RequireActiveSheet() {
    auto b = Live(s_->book());
    if (b->sheets()[b->activeSheet()] != s_) Rejected("Select method of Range class failed: the sheet is not active");
  }

  void Activate() override {
    S();
    RequireActiveSheet();
    if (r_.r1 != r_.r2 || r_.c1 != r_.c2) {
      Select();
      return;
    }
    s_->SetActiveCell(r_.r1, r_.c1);
  }

  void Select() override {
    S();
    RequireActiveSheet();
    s_->selR1 = r_.r1;
    s_->selC1 = r_.c1;
    s_->selR2 = r_.r2;
    s_->selC2 = r_.c2;
    s_->SetActiveCell(r_.r1, r_.c1);
  }

  RangeP Cells(int64_t row, int64_t column) override {
    S();
    int64_t r = r_.r1 + row - 1, c = r_.c1 + column - 1;
    CheckCell(r, c);
    return std::make_shared<RangeImpl>(app_, s_, Rect{r, c, r, c});
  }

  RangeP Find(const FindArgs& a) override;

  void Copy() override {
    S();
    app_->copy = {s_, r_};
    app_->copyMode = true;
  }

  void PasteSpecial(int paste, int operation, bool skipBlanks, bool transpose) override;

  double ColumnWidth() override { return S().ColumnWidthAt(r_.c1); }
  void SetColumnWidth(double w) override {
    Sheet& s = S();
    if (!(w >= 0 && w <= 255)) Rejected("Unable to set the ColumnWidth property");
    for (int64_t c = r_.c1; c <= r_.c2; ++c) s.SetColumnWidthAt(c, w);
  }

  std::string NumberFormat() override { return S().GetFormat(r_.r1, r_.c1); }

  void SetNumberFormat(std::string_view f) override {
    Sheet& s = S();
    uint32_t fmt = s.book()->FormatIndex(f.empty() ? std::string_view("General") : f);
    bool wholeColumns = r_.r1 == 1 && r_.r2 == kMaxRows;
    for (int64_t c = r_.c1; c <= r_.c2; ++c) {
      if (wholeColumns) s.SetColumnFormat(c, fmt);
      if (c > static_cast<int64_t>(s.columns().size())) continue;
      // Shared values carry no format of their own: a column format leaves them shared.
      const auto& shared = s.columns()[c - 1].shared;
      model::Cells& own = wholeColumns && shared && shared->values ? s.columns()[c - 1].cells.Sparse()
                                                                   : s.OwnCells(c, r_.r1, r_.r2);
      for (Cell& x : own)
        if (x.row >= r_.r1 && x.row <= r_.r2) x.meta = (x.meta & 15u) | ((wholeColumns ? 0 : fmt) << 4);
    }
    if (!wholeColumns && (r_.r2 - r_.r1 + 1) * (r_.c2 - r_.c1 + 1) <= 65536)
      for (int64_t c = r_.c1; c <= r_.c2; ++c)
        for (int64_t r = r_.r1; r <= r_.r2; ++r) {
          Cell& x = s.Put(r, c);
          x.meta = (x.meta & 15u) | (fmt << 4);
        }
  }

  SheetP Worksheet() override {
    S();
    return std::make_shared<SheetImpl>(app_, s_);
  }

  std::shared_ptr<App> app_;
  std::shared_ptr<Sheet> s_;
  Rect r_;
};

RangeP SheetImpl::Cells() {
  app_->Enter();
  return std::make_shared<RangeImpl>(app_, s_, Rect{1, 1, kMaxRows, kMaxColumns});
}

RangeP SheetImpl::Cells(int64_t row, int64_t column) {
  app_->Enter();
  CheckCell(row, column);
  return std::make_shared<RangeImpl>(app_, s_, Rect{row, column, row, column});
}

RangeP SheetImpl::Range(std::string_view a1) {
  app_->Enter();
  auto r = formula::ParseRange(a1);
  if (!r) Rejected("Method 'Range' of object failed: " + std::string(a1));
  return std::make_shared<RangeImpl>(app_, s_, *r);
}

RangeP SheetImpl::Columns(std::string_view letters) {
  app_->Enter();
  size_t colon = letters.find(':');
  int64_t a = formula::ColumnNumber(letters.substr(0, colon));
  int64_t b = colon == std::string_view::npos ? a : formula::ColumnNumber(letters.substr(colon + 1));
  if (!a || !b) Rejected("Method 'Columns' of object failed: " + std::string(letters));
  return std::make_shared<RangeImpl>(app_, s_, Rect{1, std::min(a, b), kMaxRows, std::max(a, b)});
}

// Find: by rows from the cell after `after`, wrapping, over the cells of rect.
RangeP RangeImpl::Find(const FindArgs& a) {
  Sheet& s = S();
  if (a.what.empty()) Rejected("Find needs a text to look for");
  Rect area = r_;
  if (r_.r1 == r_.r2 && r_.c1 == r_.c2) area = Rect{1, 1, kMaxRows, kMaxColumns};
  const int64_t ar = r_.r1, ac = r_.c1;
  std::string pattern = a.lookAt == kLookAtWhole ? a.what : "*" + a.what + "*";
  // A numeric constant's text holds only these characters: skip the test when the pattern
  // needs another one.
  bool numbersCanMatch = true;
  for (size_t k = 0; k < a.what.size(); ++k) {
    char c = a.what[k];
    if (c == '~') {
      ++k;
      if (k < a.what.size()) c = a.what[k];
      else break;
    } else if (c == '*' || c == '?') {
      continue;
    }
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'E' || c == 'e')) numbersCanMatch = false;
  }
  auto matches = [&](int64_t col, const Cell& c, const Sheet::Strings* strings) {
    uint32_t kind = KindOf(c);
    if (kind == kFormatOnly) return false;
    bool hasFormula = FormulaFlag(c);
    if (kind == kNumber && !hasFormula && !numbersCanMatch) return false;
    std::string text;
    if (a.lookIn == kLookInValues) text = s.TextOf(col, c, strings);
    else {
      try {
        text = s.FormulaOf(col, c, strings);
      } catch (const rt::RtError&) {
        return false;
      }
    }
    return formula::WildcardMatch(pattern, text, a.matchCase);
  };
  int64_t c1 = area.c1, c2 = std::min<int64_t>(area.c2, static_cast<int64_t>(s.columns().size()));
  std::vector<Sheet::Pieces> pieces;
  for (int64_t col = c1; col <= c2; ++col) pieces.push_back(s.PiecesOf(col));
  // Two passes: after the start cell to the end of the area, then from its top to the start.
  struct Pos {
    uint32_t row;
    int64_t col;
    int piece;
    size_t at;
    bool operator>(const Pos& o) const { return row != o.row ? row > o.row : col > o.col; }
  };
  for (int pass = 0; pass < 2; ++pass) {
    std::priority_queue<Pos, std::vector<Pos>, std::greater<Pos>> heap;
    for (int64_t col = c1; col <= c2; ++col) {
      const Sheet::Pieces& ps = pieces[col - c1];
      int64_t from = pass == 0 ? (col > ac ? ar : ar + 1) : area.r1;
      from = std::max(from, area.r1);
      for (int i = 0; i < ps.n; ++i) {
        const Sheet::Piece& p = ps.p[i];
        const size_t it = p.LowerBound(from);
        if (it == p.end) continue;
        if (p.RowAt(it) <= area.r2) heap.push({p.At(it).row, col, i, it});
        break;
      }
    }
    while (!heap.empty()) {
      Pos p = heap.top();
      heap.pop();
      if (pass == 1 && (p.row > ar || (p.row == ar && p.col > ac))) break;
      const Sheet::Pieces& ps = pieces[p.col - c1];
      const Sheet::Piece& piece = ps.p[p.piece];
      if (matches(p.col, piece.At(p.at), piece.strings))
        return std::make_shared<RangeImpl>(app_, s_, Rect{p.row, p.col, p.row, p.col});
      Pos next = p;
      if (++next.at == piece.end) {
        if (++next.piece == ps.n) continue;
        next.at = ps.p[next.piece].begin;
      }
      next.row = static_cast<uint32_t>(ps.p[next.piece].RowAt(next.at));
      if (next.row <= area.r2) heap.push(next);
    }
  }
  return nullptr;
}

void RangeImpl::PasteSpecial(int paste, int operation, bool skipBlanks, bool transpose) {
  Sheet& dst = S();
  if (!app_->copyMode || !app_->copy.sheet) Rejected("PasteSpecial method of Range class failed: nothing is copied");
  if (paste != kPasteValues && paste != kPasteAll) Rejected("PasteSpecial: only values can be pasted");
  if (operation != kPasteOperationNone) Rejected("PasteSpecial: only the paste without operation is supported");
  Sheet& src = *app_->copy.sheet;
  Live(src.book());
  src.EnsureLoaded();
  Rect sr = app_->copy.rect;
  // Whole columns or rows copy only the filled part.
  if (sr.r2 == kMaxRows) sr.r2 = std::max<int64_t>(sr.r1, src.MaxRow());
  if (sr.c2 == kMaxColumns) sr.c2 = std::max<int64_t>(sr.c1, src.MaxColumn());
  int64_t nr = sr.r2 - sr.r1 + 1, nc = sr.c2 - sr.c1 + 1;
  if (transpose) std::swap(nr, nc);
  if (r_.r1 + nr - 1 > kMaxRows || r_.c1 + nc - 1 > kMaxColumns)
    Rejected("PasteSpecial: the copied range does not fit");
  auto sbook = src.book(), dbook = dst.book();
  bool withFormulas = paste == kPasteAll;
  const int64_t d1 = r_.r1, d2 = r_.r1 + (sr.r2 - sr.r1);
  // A values paste into a column that holds no cell in the rows pasted shares the source's
  // cells: nothing is kept of what was there, nothing comes but values.
  auto shareable = [&](int64_t dc) {
    if (withFormulas || transpose || !app_->sharePastes) return false;
    if (&dst == &src && dc >= sr.c1 && dc <= sr.c2) return false;  // a column both copied and written
    if (dc > static_cast<int64_t>(dst.columns().size())) return true;
    const Sheet::Column& k = dst.columns()[dc - 1];
    if (k.shared || k.unsorted) return false;
    const size_t it = k.cells.LowerBound(static_cast<uint32_t>(d1));
    return it == k.cells.size() || k.cells.RowAt(it) > d2;
  };
  // Take the source cells first: source and destination may overlap.
  struct Taken {
    int64_t col;
    model::Cells cells;
    std::vector<std::string> formulas;
    std::optional<Sheet::SharedCells> share;
  };
  std::vector<Taken> taken;
  const Sheet::Strings& dstrings = dbook->strings();
  for (int64_t c = sr.c1; c <= sr.c2; ++c) {
    Taken t{c, {}, {}, std::nullopt};
    if (shareable(r_.c1 + (c - sr.c1))) t.share = src.ShareValues(c, sr.r1, sr.r2);
    const Sheet::Pieces ps = src.PiecesOf(c);
    if (!t.share) t.cells.reserve(CellsIn(ps, sr.r1, sr.r2));
    if (!t.share)
      EachCellIn(ps, sr.r1, sr.r2, [&](Cell x, const Sheet::Strings* strings) {
        uint32_t kind = KindOf(x);
        if (kind == kFormatOnly) return;
        if (kind == kText || kind == kError) {
          const Sheet::Strings& from = strings ? *strings : sbook->strings();
          if (&from != &dstrings) x.num = FromBits(dbook->AddString(from[Bits(x.num)]));
        }
        if (withFormulas) {
          std::string f;
          if (FormulaFlag(x)) f = src.FormulaOf(c, x, strings);
          t.formulas.push_back(std::move(f));
        }
        uint32_t fmt = withFormulas ? FormatOf(x) : 0;
        if (withFormulas && sbook != dbook && fmt) fmt = dbook->FormatIndex(sbook->FormatCode(fmt));
        x.meta = Meta(kind, fmt, withFormulas && FormulaFlag(x));
        t.cells.push_back(x);
      });
    taken.push_back(std::move(t));
  }
  if (!transpose) {
    for (auto& t : taken) {
      int64_t dc = r_.c1 + (t.col - sr.c1);
      if (t.share) {
        t.share->shift += r_.r1 - sr.r1;
        t.share->r1 = d1;
        t.share->r2 = d2;
        dst.SetShared(dc, std::move(*t.share));
        continue;
      }
      // The taken cells are moved to their rows in place unless they are needed again below.
      model::Cells cells;
      if (withFormulas) cells = t.cells;
      else cells.swap(t.cells);
      for (Cell& x : cells) x.row = static_cast<uint32_t>(r_.r1 + (x.row - sr.r1));
      if (skipBlanks) {
        for (size_t k = 0; k < cells.size(); ++k) {
          Cell& d = dst.Put(cells[k].row, dc);
          dst.EraseFormula(cells[k].row, dc);
          d.num = cells[k].num;
          d.meta = withFormulas ? cells[k].meta : (cells[k].meta & 7u) | (d.meta & ~15u);
        }
      } else {
        model::Cells keep;
        if (withFormulas) keep = cells;
        dst.ReplaceSpan(dc, r_.r1, r_.r1 + (sr.r2 - sr.r1), std::move(cells));
        if (withFormulas) {
          // Formats and formulas come with the cells.
          auto& v = dst.columns()[dc - 1].cells.Sparse();
          for (const Cell& k : keep) {
            auto it = std::lower_bound(v.begin(), v.end(), k.row, LessRow);
            it->meta = k.meta;
          }
        }
      }
      if (withFormulas)
        for (size_t k = 0; k < t.cells.size(); ++k)
          if (FormulaFlag(t.cells[k]))
            dst.SetFormulaText(static_cast<uint32_t>(r_.r1 + (t.cells[k].row - sr.r1)), static_cast<uint32_t>(dc),
                               formula::ShiftFormula(t.formulas[k], r_.r1 - sr.r1, r_.c1 - sr.c1));
    }
  } else {
    if (!skipBlanks)
      for (int64_t c = r_.c1; c < r_.c1 + nc; ++c)
        for (int64_t r = r_.r1; r < r_.r1 + nr; ++r) dst.Clear(r, c);
    for (auto& t : taken)
      for (const Cell& x : t.cells) {
        int64_t dr = r_.r1 + (t.col - sr.c1), dc = r_.c1 + (x.row - sr.r1);
        Cell& d = dst.Put(dr, dc);
        d.num = x.num;
        d.meta = (x.meta & 7u) | (d.meta & ~15u);
      }
  }
}

class WindowImpl : public IWindow {
 public:
  WindowImpl(std::shared_ptr<App> app, std::shared_ptr<Book> b, int64_t index)
      : app_(std::move(app)), b_(std::move(b)), index_(index) {}
  Book& B() {
    app_->Enter();
    Live(b_);
    if (index_ > b_->windowCount) Rejected("The window is closed");
    return *b_;
  }
  std::string Caption() override {
    Book& b = B();
    return b.windowCount > 1 ? b.name() + ":" + std::to_string(index_) : b.name();
  }
  RangeP ActiveCell() override {
    Book& b = B();
    auto& s = b.sheets()[b.activeSheet()];
    s->EnsureLoaded();
    return std::make_shared<RangeImpl>(app_, s, Rect{s->activeRow(), s->activeCol(), s->activeRow(), s->activeCol()});
  }
  SheetP ActiveSheet() override {
    Book& b = B();
    return std::make_shared<SheetImpl>(app_, b.sheets()[b.activeSheet()]);
  }
  void Activate() override {
    B();
    app_->ActivateWindow(b_, index_);
  }
  void Close(bool, bool) override {
    Book& b = B();
    auto& z = app_->zorder();
    z.erase(std::remove_if(z.begin(), z.end(),
                           [&](const App::WindowRef& w) { return w.book == b_ && w.index == index_; }),
            z.end());
    for (auto& w : z)
      if (w.book == b_ && w.index > index_) --w.index;
    if (--b.windowCount == 0) app_->CloseBook(b_);
  }
  std::shared_ptr<App> app_;
  std::shared_ptr<Book> b_;
  int64_t index_;
};

class WorkbookImpl : public IWorkbook {
 public:
  WorkbookImpl(std::shared_ptr<App> app, std::shared_ptr<Book> b) : app_(std::move(app)), b_(std::move(b)) {}
  Book& B() {
    app_->Enter();
    return *Live(b_);
  }
  std::string Name() override { return B().name(); }
  int64_t WindowsCount() override { return B().windowCount; }
  WindowP Window(int64_t n) override {
    Book& b = B();
    if (n < 1 || n > b.windowCount) throw rt::RtError(rt::kErrSubscript);
    return std::make_shared<WindowImpl>(app_, b_, n);
  }
  SheetP ActiveSheet() override {
    Book& b = B();
    return std::make_shared<SheetImpl>(app_, b.sheets()[b.activeSheet()]);
  }
  int64_t SheetsCount() override { return static_cast<int64_t>(B().sheets().size()); }
  SheetP Sheet(int64_t n) override {
    Book& b = B();
    if (n < 1 || n > static_cast<int64_t>(b.sheets().size())) throw rt::RtError(rt::kErrSubscript);
    return std::make_shared<SheetImpl>(app_, b.sheets()[n - 1]);
  }
  SheetP Sheet(std::string_view name) override {
    Book& b = B();
    for (auto& s : b.sheets())
      if (rt::UCase(s->name()) == rt::UCase(name)) return std::make_shared<SheetImpl>(app_, s);
    throw rt::RtError(rt::kErrSubscript);
  }
  void Activate() override {
    B();
    app_->ActivateWindow(b_, 1);
  }
  void Close(bool) override {
    B();
    app_->CloseBook(b_);
  }
  std::shared_ptr<App> app_;
  std::shared_ptr<Book> b_;
};

// Text of one cell in a text copy: a line break inside the cell would end the row, so it
// becomes a blank.
void AppendCellText(std::string& out, std::string t) {
  if (t.find_first_of("\r\n") != std::string::npos) {
    std::string u;
    for (size_t k = 0; k < t.size(); ++k) {
      if (t[k] == '\r') {
        u += ' ';
        if (k + 1 < t.size() && t[k + 1] == '\n') ++k;
      } else if (t[k] == '\n') {
        u += ' ';
      } else {
        u += t[k];
      }
    }
    t.swap(u);
  }
  out += t;
}

class ApplicationImpl : public IApplication {
 public:
  explicit ApplicationImpl(std::shared_ptr<App> app) : app_(std::move(app)) {}
  App& A() {
    app_->Enter();
    return *app_;
  }
  std::string Name() override { return A().appName; }
  std::string Version() override { return A().version; }
  bool Visible() override { return A().visible; }
  void SetVisible(bool v) override { A().visible = v; }
  void Quit() override {
    App& a = A();
    while (!a.books().empty()) a.CloseBook(a.books().front());
    a.copy = {};
    a.copyMode = false;
    a.quit = true;
  }
  WorkbookP ActiveWorkbook() override {
    App& a = A();
    if (a.zorder().empty()) return nullptr;
    return std::make_shared<WorkbookImpl>(app_, a.zorder().front().book);
  }
  WindowP ActiveWindow() override {
    App& a = A();
    if (a.zorder().empty()) return nullptr;
    return std::make_shared<WindowImpl>(app_, a.zorder().front().book, a.zorder().front().index);
  }
  int64_t WorkbooksCount() override { return static_cast<int64_t>(A().books().size()); }
  WorkbookP Workbook(std::string_view name) override {
    App& a = A();
    auto b = a.BookNamed(name);
    if (!b) throw rt::RtError(rt::kErrSubscript);
    return std::make_shared<WorkbookImpl>(app_, b);
  }
  WorkbookP Workbook(int64_t n) override {
    App& a = A();
    if (n < 1 || n > static_cast<int64_t>(a.books().size())) throw rt::RtError(rt::kErrSubscript);
    return std::make_shared<WorkbookImpl>(app_, a.books()[n - 1]);
  }
  WorkbookP AddWorkbook() override {
    App& a = A();
    std::string name;
    do {
      name = "Book" + std::to_string(++a.newBookCounter);
    } while (a.BookNamed(name));
    auto b = a.AddBook(name);
    b->AddSheet("Sheet1");
    return std::make_shared<WorkbookImpl>(app_, b);
  }
  int64_t WindowsCount() override { return static_cast<int64_t>(A().zorder().size()); }
  WindowP Window(int64_t n) override {
    App& a = A();
    if (n < 1 || n > static_cast<int64_t>(a.zorder().size())) throw rt::RtError(rt::kErrSubscript);
    auto& w = a.zorder()[n - 1];
    return std::make_shared<WindowImpl>(app_, w.book, w.index);
  }
  RangeP Selection() override {
    App& a = A();
    if (a.zorder().empty()) return nullptr;
    auto b = a.zorder().front().book;
    auto& s = b->sheets()[b->activeSheet()];
    s->EnsureLoaded();
    return std::make_shared<RangeImpl>(app_, s, Rect{s->selR1, s->selC1, s->selR2, s->selC2});
  }
  bool CutCopyMode() override { return A().copyMode; }
  void SetCutCopyMode(bool on) override {
    App& a = A();
    if (!on) {
      a.copyMode = false;
      a.copy = {};
    }
  }
  std::string CopiedText() override {
    std::string out;
    WalkCopied([&](Sheet& s, int64_t c, const Cell* cell, const Sheet::Strings* strings, int64_t k) {
      if (k < 0) {
        out += "\r\n";
        return;
      }
      if (k) out += '\t';
      if (cell) AppendCellText(out, s.TextOf(c, *cell, strings));
    });
    return out;
  }
  void ForEachCopiedRow(const std::function<void(const std::vector<CellValue>&)>& each) override {
    // One row of values, overwritten in place from row to row.
    std::vector<CellValue> row;
    WalkCopied([&](Sheet& s, int64_t c, const Cell* cell, const Sheet::Strings* strings, int64_t k) {
      if (k < 0) {
        each(row);
        return;
      }
      if (row.size() <= static_cast<size_t>(k)) row.resize(static_cast<size_t>(k) + 1);
      CellValue& v = row[static_cast<size_t>(k)];
      if (cell && KindOf(*cell) != kFormatOnly && KindOf(*cell) != kNumber) {
        v.kind = CellValue::Kind::Text;
        v.number = 0;
        v.text = s.TextOf(c, *cell, strings);
        return;
      }
      const bool number = cell && KindOf(*cell) == kNumber;
      v.kind = number ? CellValue::Kind::Number : CellValue::Kind::Empty;
      v.number = number ? cell->num : 0;
      v.text.clear();
    });
  }
  // Visits the copied range by rows: visit(sheet, column, cell or nullptr, strings, k) for the
  // k-th column of a row, then visit(sheet, 0, nullptr, nullptr, -1) at the end of the row.
  template <class Visit>
  void WalkCopied(Visit&& visit) {
    App& a = A();
    if (!a.copyMode || !a.copy.sheet) return;
    std::shared_ptr<Sheet> keep = a.copy.sheet;  // the visitor may end the copy or close the book
    Sheet& s = *keep;
    Live(s.book());
    s.EnsureLoaded();
    Rect r = a.copy.rect;
    if (r.r2 == kMaxRows) r.r2 = std::max<int64_t>(r.r1, s.MaxRow());
    if (r.c2 == kMaxColumns) r.c2 = std::max<int64_t>(r.c1, s.MaxColumn());
    int64_t ncols = r.c2 - r.c1 + 1;
    // Per column, the next cell to show: `at` in run i of its pieces, the row it shows in `next`.
    struct Cursor {
      int64_t next = INT64_MAX;
      const ColumnCells* store = nullptr;
      size_t at = 0;
      size_t end = 0;
      int64_t shift = 0;
      uint32_t mask = ~0u;
      const Sheet::Strings* strings = nullptr;
      int i = 0;
      Sheet::Pieces ps;
      void Enter(int piece, size_t from, bool fromStart) {
        i = piece;
        if (i >= ps.n) {
          next = INT64_MAX;
          return;
        }
        const Sheet::Piece& p = ps.p[i];
        store = p.store;
        at = fromStart ? p.begin : from;
        end = p.end;
        shift = p.shift;
        mask = p.mask;
        strings = p.strings;
        next = store->RowAt(at) + shift;
      }
    };
    std::vector<Cursor> cur(static_cast<size_t>(ncols));
    uint64_t version = 0;
    auto seek = [&](int64_t row) {
      for (int64_t k = 0; k < ncols; ++k) {
        Cursor& u = cur[k];
        u.ps = s.PiecesOf(r.c1 + k);
        int i = 0;
        size_t it = 0;
        for (; i < u.ps.n; ++i) {
          const Sheet::Piece& p = u.ps.p[i];
          it = p.LowerBound(row);
          if (it != p.end) break;
        }
        u.Enter(i, it, false);
      }
      version = s.storageVersion();
    };
    seek(r.r1);
    for (int64_t row = r.r1; row <= r.r2; ++row) {
      for (int64_t k = 0; k < ncols; ++k) {
        int64_t c = r.c1 + k;
        Cursor& u = cur[k];
        if (u.next != row) {
          visit(s, c, nullptr, nullptr, k);
          continue;
        }
        Cell x = u.store->At(u.at);
        x.row = static_cast<uint32_t>(row);
        x.meta &= u.mask;
        const Sheet::Strings* strings = u.strings;
        if (++u.at != u.end) u.next = u.store->RowAt(u.at) + u.shift;
        else u.Enter(u.i + 1, 0, true);
        visit(s, c, &x, strings, k);
      }
      visit(s, 0, nullptr, nullptr, -1);
      // A visitor that changed the sheet's cells: the cursors look again from the next row.
      if (s.storageVersion() != version && row < r.r2) seek(row + 1);
    }
  }
  CellValue Evaluate(std::string_view expression) override {
    App& a = A();
    if (a.zorder().empty()) throw rt::RtError(rt::kErrNoObject);
    auto b = a.zorder().front().book;
    auto s = b->sheets()[b->activeSheet()];
    RangeImpl r(app_, s, Rect{});
    return r.EvaluateOn(*s, expression);
  }

  std::shared_ptr<App> app_;
};

}  // namespace

// --- App ---------------------------------------------------------------------------------------

std::shared_ptr<App> App::Create() { return std::make_shared<App>(); }

Application App::handle() { return Application(std::make_shared<ApplicationImpl>(shared_from_this())); }

std::shared_ptr<Book> App::AddBook(std::string name) {
  auto b = std::make_shared<Book>(weak_from_this(), std::move(name));
  books_.push_back(b);
  zorder_.insert(zorder_.begin(), WindowRef{b, 1});
  return b;
}

std::shared_ptr<Book> App::BookNamed(std::string_view name) {
  std::string u = rt::UCase(name);
  for (auto& b : books_)
    if (rt::UCase(b->name()) == u) return b;
  return nullptr;
}

void App::ActivateWindow(const std::shared_ptr<Book>& b, int64_t index) {
  auto it =
      std::find_if(zorder_.begin(), zorder_.end(), [&](const WindowRef& w) { return w.book == b && w.index == index; });
  if (it == zorder_.end()) return;
  WindowRef w = *it;
  zorder_.erase(it);
  zorder_.insert(zorder_.begin(), w);
}

void App::CloseBook(std::shared_ptr<Book> b) {
  zorder_.erase(std::remove_if(zorder_.begin(), zorder_.end(), [&](const WindowRef& w) { return w.book == b; }),
                zorder_.end());
  books_.erase(std::remove(books_.begin(), books_.end(), b), books_.end());
  b->closed = true;
  if (copy.sheet && copy.sheet->book() == b) {
    copy = {};
    copyMode = false;
  }
}

void App::InjectError(int number, int calls, std::string description) {
  faultNumber_ = number;
  faultCalls_ = calls;
  faultDescription_ = std::move(description);
}

void App::Enter() {
  ++calls_;
  if (loading > 0) throw rt::RtError(kErrBusy, "The spreadsheet is busy reading a sheet");
  if (quit)
    throw rt::RtError(static_cast<int>(0x800706BEu), "The remote procedure call failed: the spreadsheet has quit");
  if (faultCalls_ != 0) {
    if (faultCalls_ > 0) --faultCalls_;
    if (faultDescription_.empty()) throw rt::RtError(faultNumber_);
    throw rt::RtError(faultNumber_, faultDescription_);
  }
}

Application InMemoryConnector::Attach() {
  ++attachCount;
  if (!app_ || app_->quit) throw rt::RtError(rt::kErrCannotCreate);
  return app_->handle();
}

}  // namespace vantrel::spreadsheet::model
