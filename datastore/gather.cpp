// The gathering workbook and the writing of the current data file.

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "datastore/a1.h"
#include "datastore/load_errors.h"
#include "datastore/waits.h"
#include "datastore/worksheet_road.h"
#include "platform/locale/locale.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

#include "datastore/datafile_stream.h"
#include "datastore/datafile_writer.h"
#include "datastore/textfile.h"

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
  HeaderFields h;
  h.sourceCaption = w.sourceCaption;
  h.sheetName = w.sheetName;
  h.cellFormula = w.cellFormula;
  h.specScale = w.SpecScale;
  h.plotTitle = s.PlotTitle;
  return RenderHeaderLine(h, rt::Now());
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

  // 8-12. The block's rows, from the spreadsheet's text copy (the system clipboard is left
  // alone), as data lines after the header line, and one more line end. They are written as they
  // come beside the old file, renamed over it only when the whole block was read and written, so
  // that a failure leaves the previous one whole. The window stays alive meanwhile.
  w.LastErrNumber = 0;
  rows = std::min(rows, 1048575.0);
  const std::string headLine = header + "\r\n";
  // The bar follows the rows written from 32 up to 89, a few steps in all: each change repaints
  // the window.
  const DataFileStream* written = nullptr;
  float shown = 32;
  auto pump = [&] {
    const float at = written ? 32 + 57 * static_cast<float>(static_cast<double>(written->Rows()) / rows) : 0;
    if (at >= shown + 4 && at < 90) main.SetProgressBar1Value(shown = at);
    main.DoEvents();
  };
  DataFileStream out(static_cast<int64_t>(rows), platform::UserLocale().decimal, pump);
  written = &out;
  out.KeepTables();  // the reader takes them instead of reading the file back
  const int openError = out.Open(w.CurrentDataFile, headLine);
  Stmt(w, [&] { App(r).CopyRange(gather, "A2:" + CellAddressXls(rows + 1, kDataFileColumns)); });
  const bool walked =
      Stmt(w, [&] { App(r).ForEachCopiedRow([&](const std::vector<SheetCell>& row) { out.Add(row); }); });
  Stmt(w, [&] { App(r).SetCutCopyMode(false); });

  GatherEnd end = GatherEnd::kNotWritten;
  if (walked && out.Rows() > 0) {
    const int err = openError ? openError : out.Finish("\r\n");
    if (err == 0) {
      end = GatherEnd::kWritten;
      w.filled = out.TakeTables();
    } else {
      // The previous data file (or the demo) is shown instead: the user is told why.
      ReportFileFault(w, rt::FileFault(err, "The data file cannot be written in the folder " + w.workingFolder + ": " +
                                                rt::ErrorDescription(err)));
      OnGeneralError(w, rt::RtError(err));
    }
  }
  out.Abort();

  // 13. Close the gathering workbook, unsaved.
  WaitSecondsW(0.01);
  Stmt(w, [&] { App(r).CloseWorkbook(gather); });
  return end;
}

}  // namespace vantrel::datastore
