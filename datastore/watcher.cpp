#include "datastore/watcher.h"

#include <memory>
#include <string>

#include "datastore/loader.h"
#include "datastore/sheet_link.h"
#include "datastore/state.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

namespace {

WatcherState& Memory() { return Store().Watcher; }

// A box of the watcher; while it is open further watcher calls return at once.
int WatcherBox(const std::string& text, int style, const std::string& title) {
  WatcherState& m = Memory();
  m.boxOpen = true;
  int answer = 0;
  try {
    answer = forms::MsgBox(text, style, title);
  } catch (...) {
    m.boxOpen = false;
    throw;
  }
  m.boxOpen = false;
  return answer;
}

// The call leaves the watcher (the quiet end or a handled reload).
struct Leave {};

bool IsQuietError(int n) {
  const unsigned u = static_cast<unsigned>(n);
  return n == 424 || u == 0x80010108u || u == 0x80010001u || u == 0x800706BEu || n == 50290;
}

}  // namespace

bool WatcherBoxOpen() { return Memory().boxOpen; }

void ExcelWatchXls() {
  WatcherState& m = Memory();
  if (m.boxOpen) return;
  DataStore& s = Store();
  const std::string& key = s.StringSettings.FormulaKeyWord;
  s.ExcelWatchState = 0;

  std::string formula;
  auto reload = [&] {
    s.SceneFitDone = 0;
    s.DataFitted = 0;
    s.SourceMode = 0;
    s.EventsGiven = 0;
    LoadExcelDataXls();
    if (formula != s.LastFormula) s.LastFormula = formula;
    s.FormulaChanged = 0;
  };

  // 2. Update from Excel: reload at once.
  if (s.SettingsBlock.ReloadRequest == 1.0) return reload();
  // 3.
  if (s.ExcelUsed != 1 || s.LoaderBusy == 1 || s.CmdLineInfo.DataFileMode == 1 || s.SourceMode >= 1) return;

  // 4. Attach; without a spreadsheet only a typed specification can reload.
  std::shared_ptr<SheetLink> app;
  try {
    app = AttachRunningSheet();
  } catch (const rt::RtError&) {
    app.reset();
  }

  auto quietEnd = [&] {
    app.reset();
    s.ExcelWatchState = 0;
    throw Leave{};
  };
  // Error 91: the spreadsheet runs without a workbook.
  auto noWorkbook = [&] {
    s.ExcelWatchState = 1;
    try {
      if (!app) throw rt::RtError(rt::kErrNoObject);
      if (!app->Visible()) {
        app->SetVisible(true);
        quietEnd();
      }
      const int answer = WatcherBox("The Excel Worksheet do not answer. Do you want to quit Excel (recommended) ?", 1,
                                    "Excel Still running in the memory");
      if (answer == forms::kOK) {
        app->Quit();
        app.reset();
        s.SceneFitDone = 0;
        s.DataFitted = 0;
        s.SourceMode = 0;
        LoadExcelDataXls();
        s.ExcelWatchState = 0;
        throw Leave{};
      }
      WatcherBox("Close Excel or use  the keys \"Control+Alt+Supp\" and in the task window, terminate the process Excel",
                 16, "Help");
      quietEnd();
    } catch (const rt::RtError&) {
      // A failure inside this handling ends the call as the quiet end.
      quietEnd();
    }
  };
  // One statement of steps 5 to 11 under the watcher's error handling.
  auto stmt = [&](auto&& f) {
    try {
      f();
    } catch (const rt::RtError& e) {
      const int n = e.number();
      if (IsQuietError(n)) quietEnd();
      if (n == rt::kErrNoObject) noWorkbook();
      if (n == rt::kErrFileNotFound || n == rt::kErrBadFile) return;
      app.reset();
      WatcherBox(e.description(), 16, "Error");
    }
  };
  auto App = [&]() -> SheetLink& {
    if (!app) throw rt::RtError(rt::kErrNoObject);
    return *app;
  };

  try {
    bool toReload = false;
    if (app) {
      // 5. Read the active workbook's last window caption, active sheet and active cell.
      BookId book = 0;
      int64_t n = 0;
      std::string caption, sheet;
      stmt([&] { (void)App().Name(); });
      stmt([&] { book = App().ActiveWorkbook(); (void)App().WorkbookName(book); });
      stmt([&] { n = App().WindowsCount(book); });
      stmt([&] { caption = App().WindowCaption(book, n); });
      stmt([&] { sheet = App().ActiveSheetName(book); });
      stmt([&] { formula = App().ActiveCellFormula(book); });
      // 6-7. Another sheet or window: force a reload below.
      if (sheet != m.lastSheet) {
        m.lastSheet = sheet;
        s.LastFormula = kForcedLastFormula;
        s.PendingFormula = kForcedPendingFormula;
        s.FormulaChanged = 1;
      }
      if (caption != m.lastCaption) {
        m.lastCaption = caption;
        s.LastFormula = kForcedLastFormula;
        s.PendingFormula = kForcedPendingFormula;
        s.FormulaChanged = 1;
      }
      // 8.
      app.reset();
      if (s.SettingsBlock.InteractiveOpt != 1.0) {
        toReload = true;
      } else {
        // 9.
        if (formula == s.LastFormula) return;
        // 10.
        if (s.FormulaChanged == 0) {
          if (rt::InStr(s.LastFormula, key) > 0 && rt::InStr(formula, key) > 0) {
            toReload = true;
          } else {
            s.PendingFormula = formula;
            s.FormulaChanged = 1;
          }
        }
        if (!toReload && s.FormulaChanged == 1 && formula != s.PendingFormula) toReload = true;
      }
    }
    // 11. A typed specification.
    if (!toReload) {
      if (rt::InStr(formula, key) == 0 && rt::InStr(s.PendingFormula, key) == 0 && s.UserSpecGiven >= 1) {
        formula = s.UserSpecText;
        if (formula != s.LastFormula) toReload = true;
      }
    }
    if (toReload) reload();
  } catch (const Leave&) {
  }
}

}  // namespace vantrel::datastore
