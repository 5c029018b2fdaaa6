// The gathering workbook and the writing of the current data file.

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "datastore/a1.h"
#include "datastore/load_errors.h"
#include "datastore/waits.h"
#include "datastore/worksheet_road.h"
#include "platform/locale/locale.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

#if __has_include("datastore/datafile_writer.h")
#include "datastore/datafile_writer.h"
#define VANTREL_HAVE_DATAFILE_WRITER 1
#endif
#if __has_include("datastore/textfile.h")
#include "datastore/textfile.h"
#define VANTREL_HAVE_TEXTFILE 1
#endif

namespace vantrel::datastore {

namespace {

struct Group {
  int part;
  const char* dest;
  float progress;
};
constexpr std::array<Group, kSpecParts> kGroups{{
    {kPartXYZ, "A2", 15},
    {kPartT, "D2", 20},
    {kPartEvents, "E2", 25},
    {kPartQuater, "G2", 27},
    {kPartSApY, "L2", 28},
    {kPartSAmY, "N2", 30},
    {kPartValZ, "P2", 32},
}};

constexpr const char* kNumberFormat = "0.0000000000";

// Line 1 of the data file: the eight header fields, each followed by a TAB, then the 16 empty
// cells B1 to Q1.
std::string HeaderLine(const DataStore& s, const LoadWork& w) {
#ifdef VANTREL_HAVE_DATAFILE_WRITER
  HeaderFields h;
  h.sourceCaption = w.sourceCaption;
  h.sheetName = w.sheetName;
  h.cellFormula = w.cellFormula;
  h.specScale = w.SpecScale;
  h.plotTitle = s.PlotTitle;
  return RenderHeaderLine(h, rt::Now());
#else
  const double now = rt::Now();
  std::string t = "From: \t" + w.sourceCaption + "\t" + w.sheetName + "\t" + w.cellFormula + "\t" +
                  rt::Format(w.SpecScale, "#0.0000000000") + "\t" + s.PlotTitle + "\t" + "Date " +
                  rt::FormatDate(now, "yyyy/MM/dd hh:mm:ss") + "\t" + "Vantrel data file " +
                  rt::FormatDate(now, "yyyy") + "\t";
  t.append(16, '\t');
  return t;
#endif
}

// Replaces the file at path with text through a temporary file renamed over it, so that a
// failure leaves the previous file whole. 0 or a run-time error number.
int ReplaceFile(const std::string& path, const std::string& text) {
#ifdef VANTREL_HAVE_TEXTFILE
  return WriteTextFileAtomic(path, text);
#else
  namespace fs = std::filesystem;
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return rt::kErrPathAccess;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      std::error_code ec;
      fs::remove(temp, ec);
      return rt::kErrPathAccess;
    }
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) {
    fs::remove(temp, ec);
    return rt::kErrPathAccess;
  }
  return 0;
#endif
}

// The copied rows of the block as data lines, each ended by CR LF.
std::string RenderCopiedRows(SheetLink& app) {
  const std::string decimal = platform::UserLocale().decimal;
  std::string out;
  std::vector<DataCell> cells;
  app.ForEachCopiedRow([&](const std::vector<SheetCell>& row) {
    cells.resize(row.size());
    for (size_t k = 0; k < row.size(); ++k) {
      const SheetCell& c = row[k];
      cells[k].kind = c.numeric ? DataCell::kNumber : c.text.empty() ? DataCell::kEmpty : DataCell::kText;
      cells[k].number = c.number;
      cells[k].text = c.text;
    }
    AppendDataLine(out, cells.data(), cells.size(), decimal);
    out += "\r\n";
  });
  return out;
}

double Rows(double first, double last) { return last > first ? last - first + 1 : 1; }

}  // namespace

GatherEnd GatherAndWriteXls(DataStore& s, LoadWork& w, RoadWork& r) {
  MainWindowServices& main = s.Main();

  // 1-2. The gathering workbook is the one this step adds, named by its handle from here on; no
  // call below reaches a workbook of the user's through "the active one".
  BookId gather = 0;
  if (!Stmt(w, [&] { gather = App(r).AddWorkbook(); }) || gather == 0) return GatherEnd::kNotWritten;
  std::string gatherCaption;
  Stmt(w, [&] { gatherCaption = App(r).WindowCaption(gather, 1); });
  // 3. The spreadsheet gave back the source workbook: touch nothing of it.
  if (gather == r.source) return GatherEnd::kSameBook;
  // 4. Busy: leave the previous data file in place.
  Stmt(w, [&] { (void)App(r).ActiveSheetName(gather); });
  if (w.LastErrNumber == 50290) {
    Stmt(w, [&] { App(r).CloseWorkbook(gather); });
    return GatherEnd::kNotWritten;
  }

  // 5. The header text in A1.
  const std::string header = HeaderLine(s, w);
  Stmt(w, [&] { App(r).SetCellText(gather, 1, 1, header); });

  // 6. Every group at its fixed column from row 2; a values-only part behind a copy of T.
  double rows = 1;
  for (const Group& g : kGroups) {
    const std::string& text = w.ranges[g.part];
    if (!text.empty()) {
      std::string dest = g.dest;
      const bool valuesOnly = g.part >= kPartEvents && w.valuesOnly[g.part - kPartEvents];
      if (valuesOnly) {
        if (!w.ranges[kPartT].empty()) PasteTimeColumnXls(w, r, gather, w.ranges[kPartT], dest);
        else Stmt(w, [&] { dest = OffsetCellXls(dest, 1); });
      }
      Stmt(w, [&] { App(r).CopyRange(r.source, text); });
      Stmt(w, [&] { App(r).PasteValues(gather, dest); });
      Stmt(w, [&] { App(r).SetCutCopyMode(false); });
      const double n = g.part == kPartXYZ ? Rows(w.num1, w.num2)
                                          : Rows(w.bounds[g.part].firstRow, w.bounds[g.part].lastRow);
      rows = std::max(rows, n);
    }
    main.SetProgressBar1Value(g.progress);
  }

  // 7. Column widths and the number format of the numbers.
  for (const char* cols : {"A:R", "D:E", "G:G", "L:L", "N:N", "P:P"})
    Stmt(w, [&] { App(r).FormatColumns(gather, cols, 20, kNumberFormat); });

  // 8-11. The text of the block's rows, from the spreadsheet's text copy (the system clipboard is
  // left alone).
  w.LastErrNumber = 0;
  rows = std::min(rows, 1048575.0);
  std::string block;
  Stmt(w, [&] { App(r).CopyRange(gather, "A2:" + CellAddressXls(rows + 1, 17)); });
  Stmt(w, [&] { block = RenderCopiedRows(App(r)); });
  Stmt(w, [&] { App(r).SetCutCopyMode(false); });

  // 12. Header line, rows, and one more line end; written beside the old file and renamed over it.
  GatherEnd end = GatherEnd::kNotWritten;
  if (!block.empty()) {
    const int err = ReplaceFile(w.CurrentDataFile, header + "\r\n" + block + "\r\n");
    if (err == 0)
      end = GatherEnd::kWritten;
    else
      OnGeneralError(w, rt::RtError(err));
  }

  // 13. Close the gathering workbook, unsaved.
  WaitSecondsW(0.01);
  Stmt(w, [&] { App(r).CloseWorkbook(gather); });
  return end;
}

}  // namespace vantrel::datastore
