// Pastes of values that share the source's cells, against the same pastes made as copies: each
// case runs twice, with sharing on and off, and everything a reader can see of every workbook
// (values, formulas, formats, texts, counts, text copies, searches) must come out the same.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "platform/spreadsheet/model.h"

namespace ss = vantrel::spreadsheet;
namespace model = vantrel::spreadsheet::model;
using ss::CellValue;

namespace {

// The first block of memory a column's cells hold (nullptr: none).
const char* FirstBlock(model::ColumnCells& cells) {
  const char* first = nullptr;
  cells.ForEachBlock([&](char* p, size_t) {
    if (!first) first = p;
  });
  return first;
}

constexpr int kRows = 24, kCols = 10;

struct World {
  std::shared_ptr<model::App> app = model::App::Create();
  std::shared_ptr<model::Book> src = app->AddBook("orbit.xlsx");
  model::Sheet& data = src->AddSheet("Data");
  std::shared_ptr<model::Book> dst;
  ss::Application xl = app->handle();
  std::string log;  // the snapshots taken along the case
  int sharedPastes = 0;

  explicit World(bool share) {
    app->sharePastes = share;
    data.SetText(1, 1, "time");
    data.SetText(1, 2, "x");
    data.SetText(1, 3, "note");
    for (int r = 2; r <= 7; ++r) {
      data.SetNumber(r, 1, r * 1.5);
      data.SetNumber(r, 2, -r / 3.0, r % 2 ? "0.00" : "");
    }
    data.SetText(2, 3, "burn one");
    data.SetBoolean(3, 3, true);
    data.SetError(4, 3, "#N/A");
    data.SetFormula(5, 3, "=A5*2", CellValue::Num(15), "yyyy-mm-dd");
    data.SetText(6, 3, "burn\r\ntwo");
    data.SetNumber(7, 3, 45356.25, "yyyy-mm-dd hh:mm:ss");
    data.SetCellFormat(3, 4, "0.0");  // format-only cells among the copied ones
    data.SetNumber(5, 4, 12);
    data.SetCellFormat(6, 4, "0.000");
    dst = app->BookNamed(xl.GetWorkbooks().Add().Name());
    dst->sheet(0).SetText(1, 1, "From: orbit.xlsx");
  }
  model::Sheet& gather() { return dst->sheet(0); }
  ss::Worksheet Ws(const std::shared_ptr<model::Book>& b, const std::string& sheet) {
    return xl.GetWorkbooks()(b->name()).Sheets(sheet);
  }
  void Paste(const std::shared_ptr<model::Book>& from, const std::string& fromSheet, const std::string& range,
             const std::shared_ptr<model::Book>& to, const std::string& toSheet, const std::string& cell,
             bool skipBlanks = false) {
    Ws(from, fromSheet).GetRange(range).Copy();
    model::Sheet& target = *to->SheetNamed(toSheet);
    size_t before = Views(target);
    Ws(to, toSheet).GetRange(cell).PasteSpecial(ss::kPasteValues, ss::kPasteOperationNone, skipBlanks, false);
    if (Views(target) > before) ++sharedPastes;
    xl.SetCutCopyMode(false);
  }
  // The gathering's paste: Data to Sheet1.
  void Gather(const std::string& range, const std::string& cell) { Paste(src, "Data", range, dst, "Sheet1", cell); }
  static size_t Views(model::Sheet& s) {
    size_t n = 0;
    for (auto& c : s.columns()) n += c.shared && c.shared->values;
    return n;
  }
  void Snap() {
    for (auto& b : {src, dst})
      for (auto& s : b->sheets()) log += Dump(*b, *s);
  }
  std::string Dump(model::Book& b, model::Sheet& s) {
    std::ostringstream out;
    out.precision(17);
    out << "== " << b.name() << "!" << s.name() << " max " << s.MaxRow() << "," << s.MaxColumn() << " cells "
        << s.CellCount() << "\n";
    for (int r = 1; r <= kRows; ++r)
      for (int c = 1; c <= kCols; ++c) {
        CellValue v = s.GetValue(r, c);
        std::string f = s.GetFormula(r, c), fmt = s.GetFormat(r, c), t = s.DisplayText(r, c);
        if (v.kind == CellValue::Kind::Empty && f.empty() && fmt == "General" && t.empty()) continue;
        out << r << "," << c << " k" << static_cast<int>(v.kind) << " " << v.number << " [" << v.text << "] [" << f
            << "] [" << fmt << "] [" << t << "]" << (s.HasFormula(r, c) ? " formula" : "") << "\n";
      }
    if (b.closed) return out.str();
    ss::Worksheet ws = Ws(b.shared_from_this(), s.name());
    ws.GetRange("A1:J24").Copy();
    out << "text:\n" << xl.CopiedText();
    xl.ForEachCopiedRow([&](const std::vector<CellValue>& row) {
      for (const CellValue& v : row) out << static_cast<int>(v.kind) << ":" << v.number << ":" << v.text << "|";
      out << "\n";
    });
    xl.SetCutCopyMode(false);
    for (const char* what : {"burn", "1.5", "TRUE"}) {
      ss::Range at = ws.Cells(1, 1);
      for (int k = 0; k < 3; ++k) {
        at = at.Find(what, ss::kLookInValues, ss::kLookAtPart, false);
        if (at.IsNothing()) break;
        out << "find " << what << " " << at.Address() << "\n";
      }
    }
    return out.str();
  }
};

struct Case {
  const char* name;
  std::function<void(World&)> run;
};

const Case kCases[] = {
    {"read after the paste", [](World& w) { w.Gather("A2:D7", "A2"); }},
    {"whole columns, the filled part", [](World& w) { w.Gather("A2:C1048576", "B2"); }},
    {"write to the destination after the paste",
     [](World& w) {
       w.Gather("A2:D7", "A2");
       w.Snap();
       model::Sheet& g = w.gather();
       g.SetNumber(3, 1, 99);
       g.Clear(4, 2);
       g.SetText(9, 3, "below");    // under the pasted rows
       g.SetCellFormat(6, 4, "0");  // a shared format-only cell is no cell: it gets one
       w.xl.GetWorkbooks()(w.dst->name()).Sheets("Sheet1").GetRange("C2").SetValue("=A2&\"!\"");
     }},
    {"write to the source after the paste",
     [](World& w) {
       w.Gather("A2:D7", "A2");
       w.Snap();
       w.data.SetNumber(3, 1, -7);
       w.data.Clear(2, 3);
       w.data.SetCellFormat(4, 2, "0.000");
       w.data.SetFormula(6, 1, "=A2", CellValue::Num(3));
       w.data.SetText(8, 2, "added");
     }},
    {"the source workbook closed after the paste",
     [](World& w) {
       w.Gather("A2:D7", "A2");
       w.xl.GetWorkbooks()(w.src->name()).Close();
       w.Snap();
       w.gather().SetText(2, 1, "own");  // the texts of the closed book come along
       w.gather().SetNumber(30, 3, 1);
     }},
    {"the source's cells dropped after the paste",
     [](World& w) {
       w.Gather("A2:D7", "A2");
       w.data.DropCells();
       w.Snap();
       w.gather().SetText(5, 3, "x");
     }},
    {"texts across books, then written on both sides",
     [](World& w) {
       w.Gather("C1:C7", "E4");
       w.Snap();
       w.Paste(w.dst, "Sheet1", "E4:E10", w.src, "Data", "H1");  // back into the book of its texts
       w.Snap();
       w.gather().SetText(5, 5, "new text");
       w.data.SetText(2, 3, "renamed");
       w.Snap();
       w.Paste(w.dst, "Sheet1", "E4:E10", w.src, "Data", "I2");  // texts of the gathering's own
       w.xl.GetWorkbooks()(w.dst->name()).Close();
       w.data.SetText(3, 8, "changed");
       w.data.SetText(4, 9, "changed");
     }},
    {"paste over a destination that is not empty",
     [](World& w) {
       model::Sheet& g = w.gather();
       g.SetText(4, 2, "in the way");
       g.SetCellFormat(5, 3, "0.0");  // a format only: the pasted cell keeps it
       g.SetNumber(20, 1, 5);
       w.Gather("A2:D7", "A2");
     }},
    {"skipping blanks into an empty span",
     [](World& w) { w.Paste(w.src, "Data", "A2:D7", w.dst, "Sheet1", "B3", true); }},
    {"overlapping pastes within one sheet",
     [](World& w) {
       w.Paste(w.src, "Data", "A1:B7", w.src, "Data", "F3");  // shared in the same book
       w.Snap();
       w.Paste(w.src, "Data", "F1:G9", w.src, "Data", "G5");  // over itself
       w.Snap();
       w.Paste(w.src, "Data", "A2:A7", w.src, "Data", "A4");
       w.data.SetNumber(6, 6, 1e6);
     }},
    {"formats applied to the destination columns",
     [](World& w) {
       w.Gather("A2:D7", "A2");
       ss::Worksheet ws = w.Ws(w.dst, "Sheet1");
       ws.Columns("A:R").SetColumnWidth(20);
       ws.Columns("A:R").SetNumberFormat("0.0000000000");
       ws.Columns("C").SetNumberFormat("yyyy-mm-dd");
       w.Snap();
       ws.GetRange("B3:B4").SetNumberFormat("0.0");  // cells' own formats
       ws.GetRange("A2:A1048576").SetNumberFormat("0.00");
     }},
    {"formats applied to the source columns",
     [](World& w) {
       w.Gather("A2:D7", "A2");
       w.Ws(w.src, "Data").Columns("A:D").SetNumberFormat("0.0");
       w.Ws(w.src, "Data").GetRange("C3").SetNumberFormat("@");
     }},
    {"a second paste onto a shared column",
     [](World& w) {
       w.Gather("A2:A7", "A2");
       w.Snap();
       w.Gather("C2:C7", "A5");  // over part of the shared rows
       w.Snap();
       w.Gather("B2:B7", "B2");
       w.Gather("A1:A3", "B20");  // beside the shared rows
       w.Snap();
       w.Gather("C1:C7", "B1");  // over them all and the cells beside
     }},
    {"pastes from a shared column",
     [](World& w) {
       w.Gather("A1:D7", "A2");
       w.Paste(w.dst, "Sheet1", "A3:D8", w.dst, "Sheet1", "F10");
       w.Snap();
       w.gather().SetNumber(4, 1, 0.5);  // the first destination written; the second unchanged
       w.Snap();
       w.Ws(w.dst, "Sheet1").GetRange("A2:D8").Copy();
       w.Ws(w.dst, "Sheet1").GetRange("A15").PasteSpecial(ss::kPasteAll);
       w.Ws(w.dst, "Sheet1").GetRange("A2:C3").Copy();
       w.Ws(w.dst, "Sheet1").GetRange("H1").PasteSpecial(ss::kPasteValues, ss::kPasteOperationNone, false, true);
       w.xl.SetCutCopyMode(false);
     }},
    {"cells written while their rows are read",
     [](World& w) {
       w.Gather("A2:D7", "A2");
       w.Ws(w.dst, "Sheet1").GetRange("A1:D8").Copy();
       std::string seen;
       int row = 0;
       w.xl.ForEachCopiedRow([&](const std::vector<CellValue>& cells) {
         if (++row == 3) {
           w.gather().SetText(6, 1, "late");
           w.gather().Clear(7, 2);
           w.data.SetNumber(7, 1, 0);
         }
         for (const CellValue& v : cells) seen += std::to_string(static_cast<int>(v.kind)) + v.text + "|";
         seen += "\n";
       });
       w.xl.SetCutCopyMode(false);
       w.log += seen;
     }},
};

std::string RunCase(const Case& c, bool share, int& sharedPastes) {
  World w(share);
  c.run(w);
  w.Snap();
  sharedPastes = w.sharedPastes;
  return w.log;
}

TEST(SharedPaste, EveryReadGivesWhatACopyGives) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    int sharedWith = 0, sharedWithout = 0;
    std::string shared = RunCase(c, true, sharedWith);
    std::string copied = RunCase(c, false, sharedWithout);
    EXPECT_EQ(shared, copied);
    EXPECT_GT(sharedWith, 0);  // the case compares a shared paste, not two copies
    EXPECT_EQ(sharedWithout, 0);
  }
}

// The gathering holds no second copy of the cells: its columns read the source's own stores,
// column formats and widths leave them so, and a store no one else reads goes back to its
// column without a copy.
TEST(SharedPaste, TheGatheringKeepsOneCopyOfTheCells) {
  World w(true);
  for (int r = 8; r <= 100; ++r)
    for (int c = 1; c <= 4; ++c) w.data.SetNumber(r, c, r + c / 10.0);
  w.Gather("A2:C100", "A2");
  w.Gather("D2:D100", "D2");
  ss::Worksheet ws = w.Ws(w.dst, "Sheet1");
  ws.Columns("A:R").SetColumnWidth(20);
  ws.Columns("A:R").SetNumberFormat("0.0000000000");
  ws.GetRange("A2:Q100").Copy();
  size_t rows = 0;
  w.xl.ForEachCopiedRow([&](const std::vector<CellValue>&) { ++rows; });
  EXPECT_EQ(rows, 99u);
  w.xl.SetCutCopyMode(false);

  auto& from = w.data.columns();
  auto& to = w.gather().columns();
  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c);
    ASSERT_TRUE(from[c].shared && to[c].shared);
    EXPECT_EQ(from[c].shared->store, to[c].shared->store);
    EXPECT_TRUE(to[c].cells.size() == (c == 0 ? 1u : 0u));  // A1's header is the gathering's own
  }
  const char* store = FirstBlock(*from[0].shared->store);
  ws = ss::Worksheet();
  w.xl.GetWorkbooks()(w.dst->name()).Close();
  w.dst.reset();
  w.data.SetNumber(50, 1, -1);  // the store is the source's alone again: taken back, not copied
  EXPECT_FALSE(from[0].shared);
  EXPECT_EQ(FirstBlock(from[0].cells), store);
  EXPECT_EQ(w.data.GetValue(50, 1), CellValue::Num(-1));
  EXPECT_EQ(w.data.GetValue(51, 1), CellValue::Num(51.1));
}

// The rows of a copy are read to the end when the visitor closes the workbook they come from:
// the walk keeps the sheet it reads.
TEST(SharedPaste, CopiedRowsReadOnWhenTheirWorkbookCloses) {
  for (bool share : {true, false}) {
    World w(share);
    w.Gather("A2:D7", "A2");
    const std::string name = w.dst->name();
    w.Ws(w.dst, "Sheet1").GetRange("A2:B7").Copy();
    w.dst.reset();
    std::vector<double> seen;
    w.xl.ForEachCopiedRow([&](const std::vector<CellValue>& row) {
      if (seen.empty()) w.xl.GetWorkbooks()(name).Close();
      seen.push_back(row[0].number + row[1].number);
    });
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_DOUBLE_EQ(seen[5], 7 * 1.5 - 7 / 3.0);
    EXPECT_FALSE(w.xl.CutCopyMode());
  }
}

}  // namespace
