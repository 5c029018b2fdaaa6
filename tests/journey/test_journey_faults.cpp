// Faults around the program, each through the assembled program: the fault, the box the user
// sees, the program going on, and what is on disk afterwards.

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QScreen>

#include <cstdint>
#include <stdexcept>

#include "journey_fixture.h"
#include "platform/settings/settings.h"
#include "ui/presentation.h"

namespace vantrel::journey {
namespace {

class FaultJourney;

struct Fault {
  const char* name;
  // Makes the fault in the fresh home before the start; returns the command line.
  std::function<std::vector<std::string>(FaultJourney&)> make;
  // What the user does once the program runs (nothing: the start meets the fault).
  std::function<void(FaultJourney&)> act;
  // The box the user is shown: its title ("" none) and texts it holds.
  const char* title;
  std::function<std::vector<std::string>(FaultJourney&)> texts;
  // What else holds afterwards.
  std::function<void(FaultJourney&)> check;
  bool keepsDataFile = true;  // the data file of the previous run is left as it was
};

class FaultJourney : public JourneyTest, public ::testing::WithParamInterface<Fault> {
 public:
  using JourneyTest::Fixture;
  void TearDown() override {
    if (!cwd_.empty()) fs::current_path(cwd_);
    JourneyTest::TearDown();
  }
  const fs::path& Home() const { return home; }
  fs::path Data() const { return DataFolder(); }
  ui::MainWindow& W() { return *window; }
  void SetEnv(const char* name, const std::string& value) { env.Set(name, value.c_str()); }
  void EnterFolder(const fs::path& folder) {
    cwd_ = fs::current_path();
    fs::current_path(folder);
  }
  const std::vector<SeenBox>& Boxes() const { return boxes; }
  std::string Log() { return window->Text20->Text(); }
  fs::path Workbook() {
    const fs::path book = home / "orbit.xlsx";
    fs::copy_file(Fixture("spreadsheet/orbit.xlsx"), book, fs::copy_options::overwrite_existing);
    return book;
  }
  static bool Wait(const std::function<bool()>& pred, double seconds) { return WaitFor(pred, seconds); }
  void OpenOptionsAndSave() {
    window->mnuFOptions->action()->trigger();
    Settle();
    QTest::mouseClick(window->Command1->widget(), Qt::LeftButton);
    Settle();
  }
  // The geometry of the box whose button is clicked next, and of that button, against the
  // screen: taken as the click reaches the button, when the box is laid out and shown.
  QRect boxRect, buttonRect, screenRect;
  void WatchBoxGeometry() {
    class Watch : public QObject {
     public:
      explicit Watch(FaultJourney& t) : t_(t) {}
      bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress && t_.boxRect.isEmpty()) {
          auto* b = qobject_cast<QAbstractButton*>(o);
          auto* box = b ? qobject_cast<QMessageBox*>(b->window()) : nullptr;
          if (box) {
            t_.boxRect = box->frameGeometry();
            t_.screenRect = box->screen()->availableGeometry();
            t_.buttonRect = QRect(b->mapToGlobal(QPoint(0, 0)), b->size());
          }
        }
        return false;
      }

     private:
      FaultJourney& t_;
    };
    watch_ = std::make_unique<Watch>(*this);
    QApplication::instance()->installEventFilter(watch_.get());
  }

 private:
  fs::path cwd_;
  std::unique_ptr<QObject> watch_;
};

std::string RandomBytes(size_t n) {
  std::string s(n, '\0');
  uint32_t x = 2463534242u;
  for (char& c : s) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x & 0xFF);
  }
  return s;
}

long DeadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

// Files of ours that are temporaries: the names the writers give them now and gave them before.
std::vector<std::string> Temporaries(const fs::path& folder) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    const std::string n = e.path().filename().string();
    if (n.find(".tmp") != std::string::npos) found.push_back(n);
  }
  return found;
}

std::vector<std::string> None(FaultJourney&) { return {}; }

// A key store holding one key 200,000 levels deep.
std::string DeepKeyStore() {
  std::string key = "K\tHKCU";
  for (int i = 0; i < 200000; ++i) key += "\\\\" + std::to_string(i % 10);
  return key + "\\\\\n";
}

void PrintTo(const Fault& f, std::ostream* os) { *os << f.name; }

const Fault kFaults[] = {
    {"OptionsSaveIntoASettingsFolderUnderAPlainFile",
     [](FaultJourney& t) {
       WriteBytes(t.Home() / "plain", "x");
       t.SetEnv("XDG_CONFIG_HOME", (t.Home() / "plain" / "config").string());
       return std::vector<std::string>{};
     },
     [](FaultJourney& t) {
       t.W().Text9->SetText("KEPT");
       t.OpenOptionsAndSave();
       t.OpenOptionsAndSave();
     },
     "Error",
     [](FaultJourney& t) {
       return std::vector<std::string>{(t.Home() / "plain/config/Vantrel/Vantrel.ini").string(), "Not a directory"};
     },
     [](FaultJourney& t) {
       int told = 0;
       for (const auto& b : t.Boxes()) told += b.text.find("Vantrel.ini") != std::string::npos;
       EXPECT_EQ(told, 1) << "told once in the run";
       EXPECT_EQ(platform::GetSetting(platform::kSettingsApp, "Use", "SetDirBMP", "?"), t.W().Text6->Text())
           << "the values stay in memory";
     }},
    {"AHandlerThatFailsUnexpectedly", nullptr,
     [](FaultJourney& t) {
       // A store that fails in a way no error rule of the program expects.
       struct Broken : platform::MemorySettingsStore {
         void Write(const std::string&, const std::string&, const std::string&, const std::string&) override {
           throw std::logic_error("settings store broke");
         }
       };
       platform::SetSettingsStore(std::make_shared<Broken>());
       t.OpenOptionsAndSave();
     },
     "Error", [](FaultJourney&) { return std::vector<std::string>{"settings store broke"}; },
     [](FaultJourney& t) {
       EXPECT_NE(t.Log().find("settings store broke"), std::string::npos) << "a log line";
       platform::SetSettingsStore(nullptr);
     }},
    {"APipeNamedAsTheDataFile",
     [](FaultJourney& t) {
       const fs::path p = t.Home() / "pipe.vnx";
       EXPECT_EQ(::mkfifo(p.c_str(), 0600), 0);
       return std::vector<std::string>{p.string()};
     },
     nullptr, "Data file",
     [](FaultJourney& t) {
       return std::vector<std::string>{(t.Home() / "pipe.vnx").string(), "named pipe"};
     },
     nullptr},
    {"RandomBytesNamedAsADataFile",
     [](FaultJourney& t) {
       WriteBytes(t.Home() / "x.vnx", RandomBytes(100000));
       return std::vector<std::string>{(t.Home() / "x.vnx").string()};
     },
     nullptr, "Data file",
     [](FaultJourney& t) {
       return std::vector<std::string>{(t.Home() / "x.vnx").string(), "not a data file"};
     },
     [](FaultJourney&) { EXPECT_LT(datastore::Store().LastDataRow, 100) << "no data lines read from it"; }},
    {"AWorkbookNamedAsADataFile",
     [](FaultJourney& t) {
       fs::copy_file(t.Workbook(), t.Home() / "book.vnx");
       return std::vector<std::string>{(t.Home() / "book.vnx").string()};
     },
     nullptr, "Data file",
     [](FaultJourney& t) {
       return std::vector<std::string>{(t.Home() / "book.vnx").string(), "zip archive"};
     },
     nullptr},
    {"AWorkbookAsTheFirstArgumentIsTheRunningSpreadsheet",
     [](FaultJourney& t) { return std::vector<std::string>{t.Workbook().string()}; }, nullptr, "", None,
     [](FaultJourney& t) {
       EXPECT_EQ(datastore::Store().CmdLineInfo.DataFileMode, 0);
       EXPECT_EQ(datastore::Store().SourceMode, 0);
       EXPECT_GT(datastore::Store().LastDataRow, 10);
       EXPECT_TRUE(t.W().mnuUpdateExcel->Enabled());
       EXPECT_NE(ReadBytes(t.Data() / "_Vantrel.vnx").find("orbit.xlsx"), std::string::npos)
           << "the data file was written from the workbook";
     },
     false},
    {"ADataFileTypedInItsOwnFolder",
     [](FaultJourney& t) {
       fs::copy_file(FaultJourney::Fixture("datafile/units_km.vnx"), t.Home() / "e.vnx");
       t.EnterFolder(t.Home());
       return std::vector<std::string>{"e.vnx"};
     },
     nullptr, "", None,
     [](FaultJourney& t) {
       EXPECT_EQ(datastore::Store().CmdLineInfo.DataFileMode, 1);
       EXPECT_EQ(t.W().Text14->Text(), (t.Home() / "e.vnx").string());
       EXPECT_GT(datastore::Store().LastDataRow, 0);
     }},
    {"AMisspeltWorkbookVariable",
     [](FaultJourney& t) {
       t.SetEnv("VANTREL_WORKBOOK", (t.Home() / "Orbitt.xlsx").string());
       return std::vector<std::string>{};
     },
     nullptr, "Error", [](FaultJourney& t) { return std::vector<std::string>{(t.Home() / "Orbitt.xlsx").string()}; },
     [](FaultJourney& t) {
       for (const auto& b : t.Boxes()) EXPECT_NE(b.title, "Excel not running!");
     }},
    {"AKeyStoreOfADeepKey",
     [](FaultJourney& t) {
       fs::create_directories(t.Home() / "config/Vantrel");
       WriteBytes(t.Home() / "config/Vantrel/registry.txt", DeepKeyStore());
       return std::vector<std::string>{t.Workbook().string()};
     },
     nullptr, "", None,
     [](FaultJourney& t) {
       EXPECT_NE(t.Log().find("deeper than 512 levels"), std::string::npos) << "the reason is logged";
       EXPECT_EQ(ReadBytes(t.Home() / "config/Vantrel/registry.txt"), DeepKeyStore()) << "the store is left as it is";
       EXPECT_TRUE(Temporaries(t.Home() / "config/Vantrel").empty());
     },
     false},
    {"TemporariesLeftByAKilledWrite",
     [](FaultJourney& t) {
       fs::create_directories(t.Data());
       WriteBytes(t.Data() / "_Vantrel.vnx.tmp123456", std::string(1000, 'x'));
       WriteBytes(t.Data() / ("._Vantrel.vnx.vantrel-" + std::to_string(DeadPid()) + "-1.tmp"), "x");
       return std::vector<std::string>{t.Workbook().string()};
     },
     nullptr, "", None, nullptr, false},
    {"AWatchedWorkbookOverwrittenWithGarbage",
     [](FaultJourney& t) { return std::vector<std::string>{t.Workbook().string()}; },
     [](FaultJourney& t) {
       const double rows = datastore::Store().LastDataRow;
       t.W().mnuOinteractive->action()->trigger();
       ASSERT_TRUE(t.Wait([] { return datastore::Store().SettingsBlock.InteractiveOpt == 1.0; }, 5));
       WriteBytes(t.Home() / "orbit.xlsx", RandomBytes(5000));
       // Told once the file has stayed unreadable for 5 s between two of the watcher's calls,
       // which come every 100 ticks of the view's timer: far apart on a busy machine.
       EXPECT_TRUE(t.Wait([&] { return t.W().Text21->Text().find("read before") != std::string::npos; }, 120))
           << t.W().Text21->Text();
       QTest::qWait(6000);
       const std::string log = t.Log();
       const size_t first = log.find("read before");
       EXPECT_NE(first, std::string::npos);
       EXPECT_EQ(log.find("read before", first + 1), std::string::npos) << "told once";
       EXPECT_NE(t.W().Text21->Text().find((t.Home() / "orbit.xlsx").string()), std::string::npos);
       EXPECT_EQ(datastore::Store().LastDataRow, rows) << "the view keeps the last good data";
     },
     "", None, nullptr, false},
    {"APresentationLineForAHostileFileName",
     [](FaultJourney& t) {
       const fs::path p = t.Home() / "q\"$(touch x)\"'s.vnx";
       fs::copy_file(FaultJourney::Fixture("datafile/units_km.vnx"), p);
       return std::vector<std::string>{p.string()};
     },
     [](FaultJourney& t) { t.W().mnuFRunPowerPoint->action()->trigger(); }, "", None,
     [](FaultJourney& t) {
       // Each path in single quotes, the quote inside written '\'': a shell runs nothing of it.
       const std::string line = t.W().Text1->Text();
       const std::string want = " '" + t.Home().string() + "/q\"$(touch x)\"'\\''s.vnx'";
       ASSERT_GE(line.size(), want.size());
       EXPECT_EQ(line.substr(line.size() - want.size()), want) << line;
       EXPECT_EQ(line.front(), '\'') << line;
     }},
    {"AHugeImageFolderSetting", [](FaultJourney& t) { return std::vector<std::string>{t.Workbook().string()}; },
     [](FaultJourney& t) {
       t.W().Text6->SetText("/" + std::string(65536, 'i') + "/");
       t.WatchBoxGeometry();
       t.W().Toolbar1->Button("imagespot").action()->trigger();
     },
     "Error", [](FaultJourney&) { return std::vector<std::string>{"iiiiiiii"}; },
     [](FaultJourney& t) {
       ASSERT_FALSE(t.boxRect.isEmpty());
       EXPECT_LE(t.boxRect.width(), t.screenRect.width());
       EXPECT_TRUE(t.screenRect.contains(t.buttonRect)) << "the OK button is off the screen";
     },
     false},
};

TEST_P(FaultJourney, IsToldAndTheProgramGoesOn) {
  const Fault& f = GetParam();
  // The data file of an earlier run.
  fs::create_directories(DataFolder());
  const std::string previous = ReadBytes(Fixture("datafile/units_km.vnx"));
  WriteBytes(CurrentDataFile(), previous);
  std::vector<std::string> args = f.make ? f.make(*this) : std::vector<std::string>{};
  StartProgram(args);
  if (HasFatalFailure()) return;
  if (f.act) f.act(*this);
  if (HasFatalFailure()) return;

  const std::string title = f.title;
  const std::vector<std::string> texts = f.texts(*this);
  auto shown = [&] {
    for (const auto& b : boxes) {
      if (b.title != title) continue;
      bool all = true;
      for (const auto& t : texts) all = all && b.text.find(t) != std::string::npos;
      if (all) return true;
    }
    return false;
  };
  if (!title.empty()) {
    EXPECT_TRUE(WaitFor(shown, 30)) << "no box \"" << title << "\" naming " << (texts.empty() ? "" : texts[0])
                                    << (boxes.empty() ? ""
                                                      : "; last box: " + boxes.back().title + ": " + boxes.back().text);
  } else {
    Settle();
    for (const auto& b : boxes) {
      ADD_FAILURE() << "unexpected box " << b.title << ": " << b.text;
    }
  }

  // The program goes on: the window answers the next commands.
  window->mnuVGrids->action()->trigger();
  window->mnuVGrids->action()->trigger();
  Settle();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(datastore::Store().SettingsBlock.LoadDone, 1.0);
  if (f.check) f.check(*this);

  // On disk: the previous data file as it was, and no temporary left.
  if (f.keepsDataFile) {
    EXPECT_EQ(ReadBytes(CurrentDataFile()), previous) << "the previous data file changed";
  }
  const std::vector<std::string> left = Temporaries(DataFolder());
  EXPECT_TRUE(left.empty()) << left.front();
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultJourney, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantrel::journey
