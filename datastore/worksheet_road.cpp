#include "datastore/worksheet_road.h"

#include "datastore/load_errors.h"
#include "datastore/recent_specs.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

#include "datastore/formula_parser.h"

namespace vantrel::datastore {

namespace {

constexpr const char* kNotRunningTitle = "Excel not running!";
constexpr const char* kNotRunning1 = "You can open your Excel speadsheet NOW, and after click on OK.  ";
constexpr const char* kNotRunning2 =
    "Else, click on Cancel to show, if exist, the previous plot, or the original demo.";
constexpr const char* kNoSpec1 =
    "Warning: an Excel sheet may already be open without a correct specification for Vantrel:    ";
constexpr const char* kNoSpec2 = "   . You should open only the one with a correct specification or ";
constexpr const char* kNoSpec3 = "you can write or use a previous specification in the scolling textbox";

// Passes over the gathering that finds the source workbook given back for its own.
constexpr int kMaxGatherPasses = 3;

// The attachment with its error handling: a first failure asks the user to start the
// spreadsheet (OK tries once more), a second one gives up.
void Attach(DataStore& s, LoadWork& w, RoadWork& r) {
  for (;;) {
    try {
      r.app = AttachRunningSheet();
      return;
    } catch (const rt::FileFault& e) {
      // The workbook is there but cannot be read: say why, then go on as after a failed attach.
      r.app.reset();
      ReportFileFault(w, e);
      w.attachError = rt::kErrCannotCreate;
      return;
    } catch (const rt::RtError&) {
      r.app.reset();
      w.attachAttempts += 1;
      if (w.attachAttempts >= 2) {
        w.attachError = rt::kErrCannotCreate;
        return;
      }
      MainWindowServices& main = s.Main();
      main.SetProgressBar1Visible(false);
      if (!(s.CmdLineInfo.DataFileMode == 1 || s.SourceMode >= 1))
        w.boxAnswer = forms::MsgBox(std::string(kNotRunning1) + "\r\n" + kNotRunning2, 1, kNotRunningTitle);
      main.SetProgressBar1Visible(true);
      if (w.boxAnswer != static_cast<double>(forms::kOK)) {
        w.attachError = rt::kErrCannotCreate;
        return;
      }
    }
  }
}

void ParseFormula(DataStore& s, LoadWork& w) {
  Extraction_info(w.cellFormula, w.TitlePrefix, w.SpecScale, s.PlotTitle, w.ranges, s.StringSettings.FormulaKeyWord);
}

}  // namespace

RoadEnd WorksheetRoad(DataStore& s, LoadWork& w, RoadWork& r) {
  // 1-3. Attachment; from here the general error rule holds.
  Attach(s, w, r);
  s.ExcelUsed = 0;
  if (w.attachError != 429 || !(s.CmdLineInfo.DataFileMode == 1 || s.SourceMode == 2)) s.ExcelUsed = 1;
  // 4.
  Stmt(w, [&] { r.versionText = App(r).Version(); });
  w.NoSpecFlag = 0;
  // 5.
  if (!SpecCellStep(s, w, r)) return RoadEnd::kEndLoad;

  for (;;) {
    // 6. The formula.
    if (w.NoSpecFlag == 0 && w.cellFormula.empty())
      forms::MsgBox(std::string(kNoSpec1) + w.cellFormula + kNoSpec2 + kNoSpec3, 64, "Information");
    s.QuaterRows = 0;
    Stmt(w, [&] { ParseFormula(s, w); });
    if (!w.cellFormula.empty()) Stmt(w, [&] { SaveRecentSpec(w.cellFormula); });
    if (w.ranges[kPartXYZ].empty() || rt::InStr(w.cellFormula, s.StringSettings.FormulaKeyWord) == 0)
      return RoadEnd::kRead;

    // 7. The ranges, then the gathering.
    if (!LayoutSpecRanges(s, w, r)) return RoadEnd::kEndLoad;
    w.LastErrNumber = 0;
    const GatherEnd g = GatherAndWriteXls(s, w, r);
    if (g != GatherEnd::kSameBook || ++r.gatherPasses >= kMaxGatherPasses) return RoadEnd::kRead;
  }
}

}  // namespace vantrel::datastore
