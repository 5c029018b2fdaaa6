// The specification cell, the LEN step, the title cell and the wait for a typed specification.

#include "datastore/a1.h"
#include "datastore/load_errors.h"
#include "datastore/load_queue.h"
#include "datastore/waits.h"
#include "datastore/worksheet_road.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

namespace {

constexpr const char* kTypePrompt =
    "Please enter the specification of the range of cells like \"=MAX(A2:C60)\" in the blue scroll textbox "
    "and  press the Enter Key.";

// The title cell's reference in a title term: the part before the "&", or after it when the part
// before it is a quoted text; "" when the formula has no such term.
std::string TitleCellRef(const std::string& f) {
  int64_t t = rt::InStr(f, "NB(");
  if (t == 0) t = rt::InStr(f, "NBCAR(");
  if (t == 0) t = rt::InStr(f, "COUNT(");
  if (t == 0) t = rt::InStr(f, "LEN(");
  if (t == 0) return {};
  t = rt::InStr(t, f, "(");
  const int64_t a = rt::InStr(t, f, "&");
  if (a == 0) return {};
  std::string ref = rt::Replace(rt::Mid(f, t + 1, a - t - 1), "$", "");
  if (rt::InStr(ref, "\"") > 0) {
    const int64_t close = rt::InStr(a, f, ")");
    const int64_t len = close > 0 ? close - a - 1 : -1;
    ref = rt::Replace(rt::Mid(f, a + 1, len), "$", "");
  }
  return ref;
}

}  // namespace

SheetLink& App(RoadWork& r) {
  if (!r.app) throw rt::RtError(rt::kErrNoObject);
  return *r.app;
}

void LenStep(LoadWork& w, RoadWork& r) {
  const std::string& f = w.cellFormula;
  int64_t p = rt::InStr(f, "LEN(");
  if (p == 0) return;
  const int64_t q = rt::InStr(p, f, ")");
  const std::string f2 = rt::Left(f, q) + rt::Replace(rt::Mid(f, q + 1), " ", "");
  p = rt::InStr(f2, "LEN(");
  const int64_t e = rt::InStr(p, f2, ")+");
  if (e == 0) return;
  const std::string arg = rt::Mid(f2, p + 4, e - p - 4);
  // The argument is evaluated by the spreadsheet; the live cell is never written. A rejected
  // argument gives the cell's own value, as a rejected formula would have left it, and the log
  // says why (the function that could not be evaluated).
  std::string v;
  bool evaluated = true;
  try {
    v = App(r).Evaluate(r.source, arg).text;
  } catch (const rt::RtError& err) {
    AddLogLine(Store().Main(), "LEN title not evaluated. " + err.description());
    OnGeneralError(w, err);
    evaluated = false;
  }
  if (!evaluated) Stmt(w, [&] { v = App(r).ActiveCellValue(r.source).text; });
  w.cellFormula = rt::Left(f2, p + 3) + "\"" + v + "\"" + rt::Mid(f2, e);
}

bool SpecCellStep(DataStore& s, LoadWork& w, RoadWork& r) {
  MainWindowServices& main = s.Main();
  const std::string& key = s.StringSettings.FormulaKeyWord;
  bool cellFound = false;

  // 1. The active workbook; without one nothing of the worksheet can be read.
  bool haveBook = true, noBook = false;
  try {
    r.source = App(r).ActiveWorkbook();
  } catch (const rt::RtError& e) {
    OnGeneralError(w, e);
    haveBook = false;
    noBook = e.number() == rt::kErrNoObject;
    if (noBook) w.NoSpecFlag = 1;
  }

  if (!noBook) {
    // 2. Window count, caption of the last window, active sheet.
    Stmt(w, [&] { w.windowCount = static_cast<double>(App(r).WindowsCount(r.source)); });
    Stmt(w, [&] { w.sourceCaption = App(r).WindowCaption(r.source, static_cast<int64_t>(w.windowCount)); });
    Stmt(w, [&] { w.sheetName = App(r).ActiveSheetName(r.source); });
    // 3. The active cell's formula, through the LEN step.
    Stmt(w, [&] { w.cellFormula = App(r).ActiveCellFormula(r.source); });
    LenStep(w, r);
    // 4. The user's cell.
    Stmt(w, [&] { r.userRow = static_cast<double>(App(r).ActiveCellRow(r.source)); });
    Stmt(w, [&] { r.userCol = static_cast<double>(App(r).ActiveCellColumn(r.source)); });
    // 5. The active cell is the specification cell when it holds the keyword and shows a number.
    Stmt(w, [&] { r.cellValue = App(r).ActiveCellValue(r.source).AsDouble(); });
    cellFound = rt::InStr(w.cellFormula, key) > 0 && r.cellValue != 0;
    if (!cellFound) {
      // 6. Search the sheet, then the application's cells.
      try {
        App(r).FindAndActivate(r.source, key, true, false);
      } catch (const rt::RtError& e) {
        OnGeneralError(w, e);
        if (e.number() == rt::kErrNoObject) {
          w.LastErrNumber = 0;
          Stmt(w, [&] { App(r).FindAndActivate(r.source, key, true, true); });
        }
      }
      // 7. The formula of the cell now active.
      Stmt(w, [&] { w.cellFormula = App(r).ActiveCellFormula(r.source); });
      LenStep(w, r);
    }
  }

  // 8-10. The title cell.
  w.TitlePrefix.clear();
  const std::string ref = TitleCellRef(w.cellFormula);
  if (!ref.empty()) {
    double row = 0, col = 0;
    std::string r1c1;
    CellToR1C1Xls(ref, row, col, r1c1);
    Stmt(w, [&] {
      const double c = rt::RoundHalfEven(col);
      if (row < 1 || c < 1) throw rt::RtError(rt::kErrRejected);
      w.TitlePrefix = App(r).CellValue(r.source, static_cast<int64_t>(row), static_cast<int64_t>(c)).text;
    });
  }

  // 11. A workbook is there and no cell holds the keyword: wait for a typed specification.
  // Every wait shows its prompt and the "Run Demo" button, a later one too: an unseen wait
  // would keep the load (and the watcher) stopped with nothing for the user to answer.
  if (w.LastErrNumber == 91 && w.NoSpecFlag == 0) {
    main.SetTextTempoVisible(true);
    main.SetTextTempoText(kTypePrompt);
    main.SetCommand6Visible(true);
    s.UserSpecGiven = 1;
    main.DoEvents();
    main.Combo1SetFocus();
    main.Command6SetFocus();
    main.Combo1SetFocus();
    main.Combo1_GotFocusRoutine();
    main.DoEvents();
    do {
      PauseSleepW(0.1f, 50.0f);
      main.DoEvents();
      w.cellFormula = s.UserSpecText;
      // A load asked for meanwhile (File Open, the demo) takes over from this one.
    } while (main.Command6Tag() != "demo" && w.cellFormula.empty() && !QuitRequested() && QueuedLoads() == 0);
    main.SetTextTempoVisible(false);
    main.SetCommand6Visible(false);
    if (QuitRequested() || (w.cellFormula.empty() && QueuedLoads() > 0)) return false;
  }
  // 12. No workbook: the wait of a later load ends at once.
  if (w.LastErrNumber == 91 && w.NoSpecFlag == 1) main.SetCommand6Tag("demo");

  // 13-14. Keep the formula; select the user's cell again.
  s.LastFormula = w.cellFormula;
  if (haveBook)
    Stmt(w, [&] { App(r).SelectCell(r.source, static_cast<int64_t>(r.userRow), static_cast<int64_t>(r.userCol)); });
  return true;
}

}  // namespace vantrel::datastore
