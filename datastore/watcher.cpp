#include "datastore/watcher.h"

#include <memory>
#include <optional>
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

// One call of the watcher: the formula read, the attachment, and the ways the call ends.
class WatchCall {
 public:
  WatchCall() : s_(Store()), m_(Memory()), key_(s_.StringSettings.FormulaKeyWord) {}

  void Run();

 private:
  // Clears the fit and the source, reloads, and remembers the formula.
  void Reload();
  [[noreturn]] void QuietEnd();
  // Error 91: the spreadsheet runs without a workbook.
  [[noreturn]] void NoWorkbook();
  // One statement of steps 5 to 11 under the watcher's error handling.
  template <class F>
  void Stmt(F&& f);
  SheetLink& App();
  // 5-7. Reads the active workbook's last window caption, active sheet and active cell; another
  // sheet or window forces a reload.
  void ReadActiveCell();
  // 8-10. Whether the formula read asks for a reload; nullopt when the call ends here.
  std::optional<bool> FormulaAsksReload();
  // 11. A typed specification.
  bool TypedSpecificationAsksReload();

  DataStore& s_;
  WatcherState& m_;
  const std::string& key_;
  std::string formula_;
  std::shared_ptr<SheetLink> app_;
};

void WatchCall::Reload() {
  s_.SceneFitDone = 0;
  s_.DataFitted = 0;
  s_.SourceMode = 0;
  s_.EventsGiven = 0;
  LoadExcelDataXls();
  if (formula_ != s_.LastFormula) s_.LastFormula = formula_;
  s_.FormulaChanged = 0;
}

void WatchCall::QuietEnd() {
  app_.reset();
  s_.ExcelWatchState = 0;
  throw Leave{};
}

void WatchCall::NoWorkbook() {
  s_.ExcelWatchState = 1;
  try {
    if (!app_) throw rt::RtError(rt::kErrNoObject);
    if (!app_->Visible()) {
      app_->SetVisible(true);
      QuietEnd();
    }
    const int answer = WatcherBox("The Excel Worksheet do not answer. Do you want to quit Excel (recommended) ?", 1,
                                  "Excel Still running in the memory");
    if (answer == forms::kOK) {
      app_->Quit();
      app_.reset();
      s_.SceneFitDone = 0;
      s_.DataFitted = 0;
      s_.SourceMode = 0;
      LoadExcelDataXls();
      s_.ExcelWatchState = 0;
      throw Leave{};
    }
    WatcherBox("Close Excel or use  the keys \"Control+Alt+Supp\" and in the task window, terminate the process Excel",
               16, "Help");
    QuietEnd();
  } catch (const rt::RtError&) {
    // A failure inside this handling ends the call as the quiet end.
    QuietEnd();
  }
}

template <class F>
void WatchCall::Stmt(F&& f) {
  try {
    f();
  } catch (const rt::RtError& e) {
    const int n = e.number();
    if (IsQuietError(n)) QuietEnd();
    if (n == rt::kErrNoObject) NoWorkbook();
    if (n == rt::kErrFileNotFound || n == rt::kErrBadFile) return;
    app_.reset();
    WatcherBox(e.description(), 16, "Error");
  }
}

SheetLink& WatchCall::App() {
  if (!app_) throw rt::RtError(rt::kErrNoObject);
  return *app_;
}

void WatchCall::ReadActiveCell() {
  BookId book = 0;
  int64_t n = 0;
  std::string caption, sheet;
  Stmt([&] { (void)App().Name(); });
  Stmt([&] {
    book = App().ActiveWorkbook();
    (void)App().WorkbookName(book);
  });
  Stmt([&] { n = App().WindowsCount(book); });
  Stmt([&] { caption = App().WindowCaption(book, n); });
  Stmt([&] { sheet = App().ActiveSheetName(book); });
  Stmt([&] { formula_ = App().ActiveCellFormula(book); });
  if (sheet != m_.lastSheet) {
    m_.lastSheet = sheet;
    s_.LastFormula = kForcedLastFormula;
    s_.PendingFormula = kForcedPendingFormula;
    s_.FormulaChanged = 1;
  }
  if (caption != m_.lastCaption) {
    m_.lastCaption = caption;
    s_.LastFormula = kForcedLastFormula;
    s_.PendingFormula = kForcedPendingFormula;
    s_.FormulaChanged = 1;
  }
}

std::optional<bool> WatchCall::FormulaAsksReload() {
  // 8.
  app_.reset();
  if (s_.SettingsBlock.InteractiveOpt != 1.0) return true;
  // 9.
  if (formula_ == s_.LastFormula) return std::nullopt;
  // 10.
  if (s_.FormulaChanged == 0) {
    if (rt::InStr(s_.LastFormula, key_) > 0 && rt::InStr(formula_, key_) > 0) return true;
    s_.PendingFormula = formula_;
    s_.FormulaChanged = 1;
  }
  return s_.FormulaChanged == 1 && formula_ != s_.PendingFormula;
}

bool WatchCall::TypedSpecificationAsksReload() {
  if (rt::InStr(formula_, key_) == 0 && rt::InStr(s_.PendingFormula, key_) == 0 && s_.UserSpecGiven >= 1) {
    formula_ = s_.UserSpecText;
    return formula_ != s_.LastFormula;
  }
  return false;
}

void WatchCall::Run() {
  s_.ExcelWatchState = 0;
  // 2. Update from Excel: reload at once.
  if (s_.SettingsBlock.ReloadRequest == 1.0) return Reload();
  // 3.
  if (s_.ExcelUsed != 1 || s_.LoaderBusy == 1 || s_.CmdLineInfo.DataFileMode == 1 || s_.SourceMode >= 1) return;

  // 4. Attach; without a spreadsheet only a typed specification can reload.
  try {
    app_ = AttachRunningSheet();
  } catch (const rt::RtError&) {
    app_.reset();
  }

  try {
    bool toReload = false;
    if (app_) {
      ReadActiveCell();
      const std::optional<bool> asked = FormulaAsksReload();
      if (!asked) return;
      toReload = *asked;
    }
    if (!toReload) toReload = TypedSpecificationAsksReload();
    if (toReload) Reload();
  } catch (const Leave&) {}
}

}  // namespace

bool WatcherBoxOpen() { return Memory().boxOpen; }

void ExcelWatchXls() {
  if (Memory().boxOpen) return;
  WatchCall().Run();
}

}  // namespace vantrel::datastore
