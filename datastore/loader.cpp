#include "datastore/loader.h"

#include <filesystem>

#include "datastore/a1.h"
#include "datastore/association.h"
#include "datastore/demo_file.h"
#include "datastore/display_pass.h"
#include "datastore/load_errors.h"
#include "datastore/load_queue.h"
#include "datastore/recent_specs.h"
#include "datastore/worksheet_road.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/shell/shell.h"

#include "datastore/datafile_reader.h"

namespace vantrel::datastore {

namespace {

LoaderSteps& Steps() { return Store().Seams.loaderSteps; }

void ReaderStep(DataStore& s, LoadWork& w) {
  if (Steps().reader) return Steps().reader(s, w);
  ReaderHooks hooks;
  hooks.convertA1 = [](const std::string& range, double& c1, double& c2, double& r1, double& r2) {
    ConvertA1LC(range, c1, c2, r1, r2);
  };
  ReadDataFileStep(s, w, hooks);
}

void DisplayStep(DataStore& s, LoadWork& w) {
  if (Steps().displayPass) return Steps().displayPass(s, w);
  DisplayPass(w);
}

namespace fs = std::filesystem;

// The demo file: in the working folder, else the one among the program's read-only data.
std::string DemoFile(const std::string& folder) {
  const fs::path own = fs::path(folder) / kDemoFileName;
  std::error_code ec;
  if (fs::exists(own, ec)) return own.string();
  std::string dataFolder;
  rt::Try([&] { dataFolder = platform::DataFolder(); });
  if (!dataFolder.empty()) {
    const fs::path installed = fs::path(dataFolder) / kDemoFileName;
    if (fs::exists(installed, ec)) return installed.string();
  }
  return own.string();
}

}  // namespace

void SetLoaderSteps(LoaderSteps steps) { Steps() = std::move(steps); }

std::string CurrentDataFileIn(const std::string& workingFolder) {
  return (fs::path(workingFolder) / "_Vantrel.vnx").string();
}

void LoadExcelDataXls() { RequestLoad(); }

bool LoadTakesWorksheetRoad(const DataStore& s) { return !(s.CmdLineInfo.DataFileMode == 1 || s.SourceMode >= 1); }

void RunOneLoad() {
  DataStore& s = Store();
  MainWindowServices& main = s.Main();
  LoadWork w;
  RoadWork r;
  const double loadDoneBefore = s.SettingsBlock.LoadDone;

  // 1-4. Keyword, reset after a one-column load or close the options panel, busy, progress bar.
  // A failure here is passed over, so that the load always reaches its end and clears the flag.
  rt::Try([&] { s.StringSettings.FormulaKeyWord = rt::Trim(main.Text9Text()); });
  s.SettingsBlock.LoadDone = 0;
  if (s.OneColumnMode == 1) {
    s.SceneFitDone = 0;
    for (int64_t row = 0; row <= s.LastDataRow && row < kTableRows; ++row)
      for (int col = 0; col < 5; ++col)
        if (row < s.DataTable.StoredRows()) s.DataTable.Set(row, col, 0);
    s.SettingsBlock.OptNoEarth = 1.0;
    s.SettingsBlock.OptSatellite = 0;
  } else {
    rt::Try([&] { main.Command2_Click(); });
  }
  s.LoaderBusy = 1;
  rt::Try([&] { main.SetProgressBar1Visible(true); });
  rt::Try([&] { main.ProgressBar1SetFocus(); });

  // 6. File names.
  std::string msg;
  w.workingFolder = s.WorkDir;
  w.CurrentDataFile = CurrentDataFileIn(w.workingFolder);
  rt::Try([&] { VirtualStorePath(msg, w.CurrentDataFile, w.currentDataFileMapped); });
  if (w.currentDataFileMapped.empty()) w.currentDataFileMapped = w.CurrentDataFile;
  w.DemoDataFile = DemoFile(w.workingFolder);
  w.numberFormat = "0.0000000000";

  // 7. The worksheet road, unless the data come from a file or the demo.
  const bool withSheet = LoadTakesWorksheetRoad(s);
  if (withSheet && WorksheetRoad(s, w, r) == RoadEnd::kEndLoad) {
    // The early end: the tables and the data file stay as they were, so the previous load's
    // state comes back, and a reload request made for this load is spent.
    s.SettingsBlock.ReloadRequest = 0;
    s.LoaderBusy = 0;
    rt::Try([&] { main.SetProgressBar1Visible(false); });
    s.SettingsBlock.LoadDone = loadDoneBefore;
    return;
  }
  r.app.reset();

  // Every later step: on the worksheet road the general rule, else passed over without a box.
  auto step = [&](auto&& f) {
    try {
      f();
    } catch (const rt::RtError& e) {
      if (withSheet) OnGeneralError(w, e);
    }
  };

  // 8-10. The named file, the association.
  s.CmdLineFirst = s.CmdLineInfo.DataFilePath;
  step([&] { AssociateFileType(".vnx", "VanexExcelFile", ProgramCommand()); });
  step([&] { SaveAssociationRecords(); });

  // 11-12. Reading and the display pass.
  step([&] { ReaderStep(s, w); });
  step([&] { DisplayStep(s, w); });

  // 13. The end of the load. The reader's last steps and the display pass ran without a pass of
  // the event loop, and laying the window out again repaints it whole: one pass between.
  s.SettingsBlock.ReloadRequest = 0;
  step([&] { main.DoEvents(); });
  s.ResizeDone = 0;
  step([&] { main.Form_Resize(); });
  s.ResizeDone = 1;
  s.LoaderBusy = 0;
  step([&] { main.SetProgressBar1Visible(false); });
  step([&] { main.SetHScroll2Value(9); });
  step([&] { s.GlView().CameraSet("isonew", 2, 0); });
  step([&] { s.GlView().CameraSet("isonew", 2, 0); });
  if (s.OneColumnMode == 1) {
    s.SettingsBlock.OptNoEarth = 1.0;
    s.SettingsBlock.OptSatellite = 0;
  } else {
    step([&] { main.Command2_Click(); });
  }
  s.SettingsBlock.LoadDone = 1.0;
}

}  // namespace vantrel::datastore
