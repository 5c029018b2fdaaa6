// A column's cells kept as runs of bare numbers where they allow it: every read sees the cells
// as they were added, and a sheet filled the readers' way reads and changes as one filled cell
// by cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "platform/spreadsheet/model.h"

namespace ss = vantrel::spreadsheet;
namespace model = vantrel::spreadsheet::model;
using ss::CellValue;

namespace {

constexpr uint32_t kFormula = 1u << 3;

model::Cell Num(uint32_t row, double x, uint32_t fmt = 0, bool formula = false) {
  return model::Cell{x, row, model::kNumber | (formula ? kFormula : 0) | (fmt << 4)};
}
model::Cell Text(uint32_t row, uint32_t index) {
  return model::Cell{std::bit_cast<double>(uint64_t{index}), row, model::kText};
}

std::vector<model::Cell> Numbers(uint32_t from, uint32_t to, uint32_t fmt = 0) {
  std::vector<model::Cell> v;
  for (uint32_t r = from; r <= to; ++r) v.push_back(Num(r, r * 0.25 - 3, fmt));
  return v;
}

std::vector<model::Cell> Join(std::initializer_list<std::vector<model::Cell>> parts) {
  std::vector<model::Cell> v;
  for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
  return v;
}

bool Same(const model::Cell& a, const model::Cell& b) {
  return std::bit_cast<uint64_t>(a.num) == std::bit_cast<uint64_t>(b.num) && a.row == b.row && a.meta == b.meta;
}

TEST(ColumnCells, EveryReadSeesTheCellsAsAppended) {
  struct Case {
    const char* name;
    std::vector<model::Cell> cells;
    bool compact;  // most of the cells are kept as bare numbers
  };
  const std::vector<Case> cases = {
      {"empty", {}, false},
      {"one number", {Num(7, 1.5)}, false},
      {"a title, then numbers", Join({{Text(1, 0)}, Numbers(2, 1000)}), true},
      {"numbers from row 1", Numbers(1, 1000), true},
      {"numbers, then a total below a gap", Join({Numbers(2, 1000), {Num(1003, 9, 0, true)}}), true},
      // Only the first run is kept compact: what follows a break takes 16 bytes a cell.
      {"numbers, a blank row, numbers", Join({Numbers(2, 600), Numbers(602, 1000)}), false},
      {"the format changes midway", Join({Numbers(2, 700), Numbers(701, 1000, 5)}), false},
      {"a formula among the numbers", Join({Numbers(2, 500), {Num(501, 2, 0, true)}, Numbers(502, 1000)}), false},
      {"texts only", {Text(1, 0), Text(2, 1), Text(9, 2)}, false},
      {"a long column of texts",
       [] {
         std::vector<model::Cell> v;
         for (uint32_t r = 1; r <= 3000; ++r) v.push_back(Text(r, r));
         return v;
       }(),
       false},
      {"format-only cells around numbers",
       Join({{model::Cell{0, 1, 3u << 4}}, Numbers(2, 1000), {model::Cell{0, 1001, 3u << 4}}}), true},
      {"sparse numbers", {Num(1, 1), Num(3, 2), Num(5, 3), Num(1048576, 4)}, false},
  };
  for (const Case& c : cases) {
    for (size_t chunk : {size_t{1}, size_t{3}, size_t{1000000}}) {
      SCOPED_TRACE(std::string(c.name) + ", chunks of " + std::to_string(chunk));
      model::ColumnCells col;
      col.Reserve(c.cells.size());
      for (size_t i = 0; i < c.cells.size(); i += chunk)
        col.Append(c.cells.data() + i, std::min(chunk, c.cells.size() - i));
      ASSERT_EQ(col.size(), c.cells.size());
      for (size_t i = 0; i < c.cells.size(); ++i) {
        ASSERT_TRUE(Same(col.At(i), c.cells[i])) << i;
        ASSERT_EQ(col.RowAt(i), c.cells[i].row) << i;
      }
      const uint32_t last = c.cells.empty() ? 0 : c.cells.back().row;
      for (uint32_t r : {0u, 1u, 2u, 3u, 300u, 600u, 601u, 602u, 1000u, 1001u, 1002u, 1003u, last, last + 1}) {
        auto lower = std::lower_bound(c.cells.begin(), c.cells.end(), r,
                                      [](const model::Cell& x, uint32_t row) { return x.row < row; });
        auto upper = std::upper_bound(c.cells.begin(), c.cells.end(), r,
                                      [](uint32_t row, const model::Cell& x) { return row < x.row; });
        EXPECT_EQ(col.LowerBound(r), static_cast<size_t>(lower - c.cells.begin())) << "row " << r;
        EXPECT_EQ(col.UpperBound(r), static_cast<size_t>(upper - c.cells.begin())) << "row " << r;
      }
      // Never more than the cells themselves would take, and much less for a run of numbers.
      EXPECT_LE(col.Bytes(), c.cells.size() * sizeof(model::Cell) * 5 / 4 + 512);
      if (c.compact) {
        EXPECT_LT(col.Bytes(), c.cells.size() * sizeof(model::Cell) * 2 / 3);
      }
      const model::Cells& sparse = col.Sparse();
      ASSERT_EQ(sparse.size(), c.cells.size());
      for (size_t i = 0; i < c.cells.size(); ++i) ASSERT_TRUE(Same(sparse[i], c.cells[i])) << i;
    }
  }
}

// Two sheets with the same cells: one filled the readers' way (appended in row order, the
// numbers kept compact), one cell by cell. Every step below is made on both, and then every
// cell reads the same on both.
struct Twins {
  std::shared_ptr<model::App> app = model::App::Create();
  std::shared_ptr<model::Book> book = app->AddBook("orbit.xlsx");
  model::Sheet& read = book->AddSheet("Read");
  model::Sheet& set = book->AddSheet("Set");
  static constexpr int kRows = 1200;

  Twins() {
    const uint32_t fmt = book->FormatIndex("0.00");
    const uint32_t title = book->AddString("time");
    read.AppendText(1, 1, title, 0);
    set.SetText(1, 1, "time");
    for (uint32_t r = 2; r <= kRows; ++r) {
      read.AppendNumber(r, 1, r / 8.0, 0);
      set.SetNumber(r, 1, r / 8.0);
      read.AppendNumber(r, 2, -1.0 * r, fmt);
      set.SetNumber(r, 2, -1.0 * r, "0.00");
    }
    read.AppendText(kRows + 2, 2, book->AddString("total"), 0);
    set.SetText(kRows + 2, 2, "total");
    read.Finish();
  }

  void ExpectSame(const std::string& step) {
    SCOPED_TRACE(step);
    EXPECT_EQ(read.MaxRow(), set.MaxRow());
    EXPECT_EQ(read.MaxColumn(), set.MaxColumn());
    EXPECT_EQ(read.CellCount(), set.CellCount());
    for (int64_t c = 1; c <= 3; ++c)
      for (int64_t r = 1; r <= kRows + 3; ++r) {
        ASSERT_EQ(read.GetValue(r, c), set.GetValue(r, c)) << r << "," << c;
        ASSERT_EQ(read.GetFormula(r, c), set.GetFormula(r, c)) << r << "," << c;
        ASSERT_EQ(read.GetFormat(r, c), set.GetFormat(r, c)) << r << "," << c;
        ASSERT_EQ(read.DisplayText(r, c), set.DisplayText(r, c)) << r << "," << c;
      }
  }
};

TEST(CompactColumns, ReadAndChangeAsColumnsFilledCellByCell) {
  Twins t;
  EXPECT_LT(t.read.columns()[0].cells.Bytes(), t.set.columns()[0].cells.Bytes() * 2 / 3);
  t.ExpectSame("as read");
  struct Step {
    const char* name;
    void (*apply)(model::Sheet&);
  };
  const Step steps[] = {
      {"a number in the middle of the run", [](model::Sheet& s) { s.SetNumber(500, 1, -7.25); }},
      {"a cell cleared in the run", [](model::Sheet& s) { s.Clear(300, 1); }},
      {"a format in the run", [](model::Sheet& s) { s.SetCellFormat(700, 2, "0.000"); }},
      {"a formula in the run", [](model::Sheet& s) { s.SetFormula(800, 1, "=1+1", CellValue::Num(2)); }},
      {"a text after the run", [](model::Sheet& s) { s.SetText(Twins::kRows + 1, 1, "end"); }},
      {"a number in a new column", [](model::Sheet& s) { s.SetNumber(4, 3, 1); }},
  };
  for (const Step& s : steps) {
    s.apply(t.read);
    s.apply(t.set);
    t.ExpectSame(s.name);
  }
}

// Rows that come back (a reader that met them out of order): the later cell of a row wins, and
// the column reads as one filled in row order.
TEST(CompactColumns, RowsAppendedOutOfOrderAreSortedOnFinish) {
  Twins t;
  model::Sheet& late = t.book->AddSheet("Late");
  for (uint32_t r = 2; r <= 50; ++r) late.AppendNumber(r, 1, r, 0);
  late.AppendNumber(20, 1, -20, 0);
  late.AppendNumber(1, 1, 0.5, 0);
  late.Finish();
  EXPECT_EQ(late.GetValue(20, 1), CellValue::Num(-20));
  EXPECT_EQ(late.GetValue(1, 1), CellValue::Num(0.5));
  EXPECT_EQ(late.GetValue(21, 1), CellValue::Num(21));
  EXPECT_EQ(late.CellCount(), 50u);
  EXPECT_EQ(late.MaxRow(), 50);
}

// A compact column pasted as values into another book, then changed in its own book: the
// paste keeps what was copied and each side reads its own cells.
TEST(CompactColumns, APastedCompactColumnReadsOnAfterTheSourceChanges) {
  Twins t;
  ss::Application xl = t.app->handle();
  auto dst = t.app->BookNamed(xl.GetWorkbooks().Add().Name());
  xl.GetWorkbooks()(t.book->name()).Sheets("Read").GetRange("A1:B1202").Copy();
  xl.GetWorkbooks()(dst->name())
      .Sheets(1)
      .GetRange("C5")
      .PasteSpecial(ss::kPasteValues, ss::kPasteOperationNone, false, false);
  xl.SetCutCopyMode(false);
  model::Sheet& pasted = dst->sheet(0);
  t.read.SetNumber(600, 1, 99);
  t.read.SetNumber(601, 2, 98);
  for (int64_t r = 1; r <= Twins::kRows + 2; ++r)
    for (int64_t c = 1; c <= 2; ++c) {
      const bool changed = (r == 600 && c == 1) || (r == 601 && c == 2);
      ASSERT_EQ(pasted.GetValue(r + 4, c + 2), t.set.GetValue(r, c)) << r << "," << c;
      if (!changed) {
        ASSERT_EQ(t.read.GetValue(r, c), t.set.GetValue(r, c)) << r << "," << c;
      }
    }
  EXPECT_EQ(t.read.GetValue(600, 1), CellValue::Num(99));
  EXPECT_EQ(pasted.GetFormat(600 + 4, 4), "General");  // a values paste brings no format
}

}  // namespace
