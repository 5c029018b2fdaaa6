#pragma once
// The shared state of the data store: the data tables and their counters, the load and fit
// flags, the specification texts, the title-mode flags, the settings records, the text settings
// and the few main-window module values the loader reads. One object (Store()) for the whole
// run; every part of the program reads and writes its fields in place. Tests install a fresh
// one with ScopedStore.
//
// Value conventions: numbers are doubles; flags hold 0 and 1 (compared numerically) and True is
// -1; Empty reads as 0.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "datastore/services.h"
#include "datastore/settings_record.h"
#include "datastore/sheet_link.h"
#include "datastore/tables.h"
#include "datastore/text_push.h"
#include "platform/runtime/service_slot.h"
#include "platform/shell/desktop.h"

namespace vantrel::datastore {

// The text settings.
struct StringSettingsRecord {
  std::string EarthTexture;
  std::string MoonTexture;
  std::string FormulaKeyWord = "MAX";  // the keyword of the specification formula
};

// The command-line values the main window owns and the loader reads.
struct CmdLineInfoRecord {
  int DataFileMode = 0;      // 1 when the data come from a data file (command line, File Open)
  std::string DataFilePath;  // the whole command line, or the file chosen with File Open
};

// One entry of the stored settings list: empty, a number or a text (as read back).
struct SettingsEntry {
  enum Kind { kEmpty, kNumber, kText } kind = kEmpty;
  double number = 0;
  std::string text;
};

// Movie file naming: prefix and folder of the saved frames.
struct MovieFilePartsRecord {
  std::string Prefix;
  std::string Folder;
};

// Load requests that wait for the running load, and the load's marks.
struct LoadQueueState {
  std::deque<std::function<void()>> pending;
  bool running = false;
  bool quit = false;
};

// What the worksheet watcher saw last, and whether one of its boxes is open.
struct WatcherState {
  std::string lastSheet;
  std::string lastCaption;
  bool boxOpen = false;
};

// The file association: its records are saved and its first failure told once per run.
struct AssociationState {
  bool recordsSaved = false;
  bool failureTold = false;
};

struct DataStore;
struct LoadWork;

// The reader and the display pass of a load (nullptr: the real steps).
struct LoaderSteps {
  std::function<void(DataStore&, LoadWork&)> reader;
  std::function<void(DataStore&, LoadWork&)> displayPass;
};

// Stand-ins that tests and benchmarks put in place of the parts of a load that reach outside
// the store; each empty one means the real part.
struct LoadSeams {
  std::function<void()> loadBody;  // one whole load, in place of RunOneLoad
  LoaderSteps loaderSteps;
  SheetConnector sheetConnector;          // the running spreadsheet
  platform::ToolRunner associationTools;  // the desktop tools the file association runs
};

struct DataStore {
  DataStore();

  // --- data tables -------------------------------------------------------------------------
  NumTable<5> DataTable;       // 0 time (days), 1..3 X Y Z, 4 break flag (-1 interrupted, 0 joined)
  NumTable<2> EventsTable;     // 0 event time, 1 event value
  EventsListTable EventsList;  // per event number: time and label text
  TextColumn PointLabels;      // label per DataTable row (pen-up-label mode)
  NumTable<5> QuaterTable;     // 0 time, 1..4 q1..q4 (pen-up mode: second polyline X Y Z, flag)
  NumTable<2> SApYTable;       // time, angle of the +Y solar array
  NumTable<2> SAmYTable;       // time, angle of the -Y solar array
  NumTable<2> ValZTable;       // time, value colouring the trajectory

  // --- row counters --------------------------------------------------------------------------
  int32_t LastDataRow = 0;  // index of the last filled DataTable row
  int32_t EventCount = 0;   // number of event entries (1 when the data hold none)
  double QuaterRows = 0;
  double SApYRows = 0;
  double SAmYRows = 0;
  double ValZRows = 0;

  // --- load and fit flags (LoadDone and ReloadRequest are fields of SettingsBlock) -------------
  double LoaderBusy = 0;
  double SceneFitDone = 0;
  double DataFitted = 0;
  double ResizeDone = 0;
  double SourceMode = 0;  // 0 worksheet (or the named file in data-file mode), 1 demo, 2 named file
  double ExcelUsed = 0;
  double ExcelWatchState = 0;
  double EventsGiven = 0;

  // --- specification and formula state -----------------------------------------------------
  std::string UserSpecText;
  double UserSpecGiven = 0;
  std::string LastFormula;
  std::string PendingFormula;
  double FormulaChanged = 0;
  std::string PlotTitle;
  double ScaleFactor = 0;  // 1.0 once the view object exists

  // --- title-mode flags and values ------------------------------------------------------------
  double PenUpMode = 0;
  double PenUpLabelMode = 0;
  double OneColumnMode = 0;
  double ValuesMode = 0;
  double ValAxis = 0;  // 1 x, 2 y, 3 z
  double QuaterOrderAlt = 0;
  double MoonMode = 0;
  double CentralBody = 0;  // 1 Sun .. 6 Jupiter, 11 Moon; 0 (Empty) until a load sets it
  double EarthMoonMode = 0;
  double MoonDistance = 0;
  double LengthsInKm = 0;  // True (-1) when the data lengths are in kilometres
  double IsoScaleMode = 0;
  double ValZMin = 0, ValZMax = 0;
  double Col0Min = 0, Col0Max = 0;

  // --- settings ------------------------------------------------------------------------------
  SettingsRecord SettingsBlock;                // live values
  SettingsRecord FactorySettingsBlock;         // start-up snapshot
  SettingsRecord DemoBackupBlock;              // the user's values while the help-page demo runs
  std::array<SettingsEntry, 101> SettingsArr;  // the stored option list
  StringSettingsRecord StringSettings;

  // --- animation and movie -------------------------------------------------------------------
  double STEPPT = 0;     // rows per animation step
  double AnimState = 0;  // 0 advance, 1 hold, 2 first row read
  MovieFilePartsRecord MovieFileParts;

  // --- main-window module values the loader reads or writes ---------------------------------
  CmdLineInfoRecord CmdLineInfo;
  std::string CmdLineFirst;  // the named data file; completed by the reader
  std::string WorkDir;       // working folder of the current data file, images, movie frames

  // --- services of the main window and the view ----------------------------------------------
  std::shared_ptr<MainWindowServices> MainWindow;
  std::shared_ptr<ViewServices> View;
  MainWindowServices& Main() { return *MainWindow; }
  ViewServices& GlView() { return *View; }

  // Failure count of the line reader, for the whole run.
  long LinInputFailures = 0;

  // --- run state of the loader's parts -------------------------------------------------------
  LoadQueueState LoadQueue;
  WatcherState Watcher;
  AssociationState Association;
  InterfaceGridT InterfaceCells;  // the cells pushed through ClassInterface
  InterfaceEventGridT InterfaceEventCells;
  LoadSeams Seams;
};

// The store in force.
DataStore& Store();
// Installs a store (nullptr: a fresh default one).
void SetStore(std::shared_ptr<DataStore> store);

// Installs a fresh store for the lifetime of the guard, then brings back the previous one.
class ScopedStore {
 public:
  ScopedStore();
  explicit ScopedStore(std::shared_ptr<MainWindowServices> main, std::shared_ptr<ViewServices> view = nullptr);
  ~ScopedStore();
  ScopedStore(const ScopedStore&) = delete;
  ScopedStore& operator=(const ScopedStore&) = delete;
  DataStore& store() { return scope_.get(); }

 private:
  rt::ServiceSlot<DataStore>::Scoped scope_;
};

}  // namespace vantrel::datastore
