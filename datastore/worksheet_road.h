#pragma once
// The worksheet road of a load: attachment to the running spreadsheet, the specification cell,
// the formula, the ranges and their layout, the gathering into a workbook of the program's own
// and the writing of the current data file. Runs inside LoadExcelDataXls.

#include <memory>
#include <string>

#include "datastore/load_work.h"
#include "datastore/sheet_link.h"
#include "datastore/state.h"

namespace vantrel::datastore {

// Working values of the road, fresh at every load.
struct RoadWork {
  std::shared_ptr<SheetLink> app;   // null when the attachment failed
  BookId source = 0;                // the workbook of the specification cell
  std::string versionText;          // the spreadsheet's Version
  double userRow = 0, userCol = 0;  // the cell the user had selected
  double cellValue = 0;             // the active cell's value as a Double
  int gatherPasses = 0;
};

// The application of the road; RtError 91 when there is none.
SheetLink& App(RoadWork& r);

enum class RoadEnd {
  kRead,     // go on with the reading of the data file
  kEndLoad,  // the load ends here (a bad XYZ range, or the program is ending)
};

// The whole road, from the attachment to the gathering. Attachment failures take the attach
// error handling (the "Excel not running!" box, one retry); everything after it the general
// error rule of load_errors.h.
RoadEnd WorksheetRoad(DataStore& s, LoadWork& w, RoadWork& r);

// The specification cell, the LEN step, the title cell and the wait for a typed specification.
// Sets w.cellFormula, w.TitlePrefix, w.NoSpecFlag, s.LastFormula; returns false when the wait
// ended because the program is ending or another load was asked for (which then runs).
bool SpecCellStep(DataStore& s, LoadWork& w, RoadWork& r);
// The LEN step on w.cellFormula: a term LEN(arg)+... becomes LEN("value")+... with the value the
// spreadsheet gives arg; no cell is written.
void LenStep(LoadWork& w, RoadWork& r);

// The ranges step. Returns false when the load must end here: the XYZ range is narrower than
// three columns outside one-column mode (after its "Information" box), or the XYZ range text
// was rejected by the A1 reader (after its box).
bool LayoutSpecRanges(DataStore& s, LoadWork& w, RoadWork& r);
// Last non-empty row of column zCol from startRow down, sampled as 1000, 100, 10, 1 row steps.
// A cell that cannot be read goes through the load's error rule when w is given.
double ProbeLastRowXls(SheetLink& app, BookId book, double zCol, double startRow, const std::string& versionText,
                       LoadWork* w = nullptr);
// Pastes the T range at dest of the gathering workbook and moves dest one column right.
void PasteTimeColumnXls(LoadWork& w, RoadWork& r, BookId gather, const std::string& rangeT, std::string& dest);

enum class GatherEnd {
  kWritten,     // the current data file was replaced
  kSameBook,    // the added workbook is the source one: nothing pasted, nothing closed
  kNotWritten,  // adding failed or the spreadsheet was busy; the previous file stays
};
GatherEnd GatherAndWriteXls(DataStore& s, LoadWork& w, RoadWork& r);

}  // namespace vantrel::datastore
