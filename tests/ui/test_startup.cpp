// Start-up: the command line, the caption, the single settings and the stored options.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <QMainWindow>

#include "platform/events/events.h"
#include "platform/forms/layout_store.h"
#include "platform/runtime/event_guard.h"
#include "platform/spreadsheet/spreadsheet.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"
#include "tests/ui/ui_fixture.h"
#include "ui/app.h"

namespace vantrel::ui {
namespace {

TEST(CommandLine, SplitList) {
  struct Case {
    std::string text;
    std::vector<std::string> items;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {" , ,, ", {}},
      {"C:\\My Files\\data.vnx", {"C:\\My", "Files\\data.vnx"}},
      {"C:\\Data\\run.vnx , x", {"C:\\Data\\run.vnx", "x"}},
      {"  \"a b\"  c ", {"\"a", "b\"", "c"}},  // quotes stay part of the items
      {"a\tb", {"a\tb"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitList(c.text), c.items) << "[" << c.text << "]";
}

TEST(CommandLine, ArgumentsGiveDataFileMode) {
  struct Case {
    std::vector<std::string> args;
    std::string path, first;
    int mode;
  } cases[] = {
      {{}, "", "", 0},
      {{"C:\\a.vnx"}, "C:\\a.vnx", "C:\\a.vnx", 1},  // exactly 8 characters
      {{"a.vnx"}, "a.vnx", "a.vnx", 0},
      // The shell split an unquoted path with a blank: only its first part is the file.
      {{"C:\\My", "Files\\data.vnx"}, "C:\\My", "C:\\My", 0},
      {{"C:\\Data\\run.vnx", ",", "x"}, "C:\\Data\\run.vnx", "C:\\Data\\run.vnx", 1},
      {{"   "}, "   ", "", 0},
      {{",,"}, ",,", "", 0},
      // A quoted path keeps its blanks and opens in data-file mode.
      {{"\"/home/u/my files/run.vnx\""}, "/home/u/my files/run.vnx", "/home/u/my files/run.vnx", 1},
      {{"/home/u/my files/run.vnx"}, "/home/u/my files/run.vnx", "/home/u/my files/run.vnx", 1},
  };
  for (const Case& c : cases) {
    CommandLineValues v = ReadCommandLineArgs(c.args);
    EXPECT_EQ(v.DataFilePath, c.path);
    EXPECT_EQ(v.CmdLineFirst, c.first);
    EXPECT_EQ(v.DataFileMode, c.mode) << c.path;
  }
}

// The command line as a file manager would hand it: workbooks become the running spreadsheet,
// existing files their absolute paths, names of nothing stay as typed.
TEST(CommandLine, PrepareHandsOverAbsolutePathsAndWorkbooks) {
  const test::TempDir folder("vantrel-cmdline");
  const std::string dir = folder.path().string();
  for (const char* f : {"e.vnx", "book.xlsx", "Book.ODS"}) std::ofstream(dir + "/" + f) << "x";
  char* was = ::getcwd(nullptr, 0);
  ASSERT_EQ(::chdir(dir.c_str()), 0);
  const struct {
    std::vector<std::string> args, out;
    std::string workbook;
  } cases[] = {
      {{}, {}, ""},
      {{"e.vnx"}, {dir + "/e.vnx"}, ""},
      {{"./e.vnx", "x"}, {dir + "/e.vnx", "x"}, ""},
      {{"missing.vnx"}, {"missing.vnx"}, ""},
      {{"\"e.vnx\""}, {"\"e.vnx\""}, ""},
      {{"book.xlsx", "e.vnx"}, {dir + "/e.vnx"}, dir + "/book.xlsx"},
      {{"Book.ODS"}, {}, dir + "/Book.ODS"},
      {{"gone.ods"}, {}, dir + "/gone.ods"},
      {{"e.vnx", "book.xlsx"}, {dir + "/e.vnx", dir + "/book.xlsx"}, ""},  // only the first names the workbook
      {{"book.xlsx.vnx"}, {"book.xlsx.vnx"}, ""},
  };
  for (const auto& c : cases) {
    std::string workbook = "stale";
    EXPECT_EQ(PrepareCommandLine(c.args, workbook), c.out) << (c.args.empty() ? "" : c.args[0]);
    EXPECT_EQ(workbook, c.workbook);
  }
  // The typed name of the file in its own folder now opens it in data-file mode.
  std::string workbook;
  EXPECT_EQ(ReadCommandLineArgs(PrepareCommandLine({"e.vnx"}, workbook)).DataFileMode, 1);
  ASSERT_EQ(::chdir(was), 0);
  std::free(was);
}

TEST(Caption, VersionAndYear) {
  EXPECT_EQ(VersionDigitsOf(2, 8, 6), "002008006");
  const std::string banner = "Banner";
  EXPECT_EQ(MainCaption("--2.8 0 6p1-- more", banner, 2026),
            "Vantrel   p1" + std::string(23, ' ') + "Banner   --2.8 0 6p1-- ");
  EXPECT_EQ(MainCaption("--2.8 0 6p1-- more", banner, 1989), "Vantrel" + std::string(30, ' ') + "Banner");
}

TEST(SingleSettings, KeysFollowTheLocaleSeparator) {
  {
    test::LocaleGuard l(".", ",");
    EXPECT_EQ(SingleSettingKey(kEarthTextureKey), "Setstr01.00");
    EXPECT_EQ(SingleSettingKey(kMoonTextureKey), "Setstr11.00");
    EXPECT_EQ(SingleSettingKey(kSolarPanelKey), "Setstr15.00");
  }
  test::LocaleGuard l(",", ".");
  EXPECT_EQ(SingleSettingKey(kKeywordKey), "Setstr12,00");
}

TEST_F(UiTest, EmptyStoreStartsWithTheDefaults) {
  MainWindow& m = Start();
  EXPECT_EQ(m.Text6->Text(), "");
  EXPECT_EQ(m.Text7->Text(), "earthjpg.jpg");
  EXPECT_EQ(m.Text8->Text(), "moonjpg.jpg");
  EXPECT_EQ(m.Text9->Text(), "MAX");
  EXPECT_EQ(st().StringSettings.EarthTexture, "earthjpg.jpg");
  EXPECT_EQ(st().StringSettings.MoonTexture, "moonjpg.jpg");
  EXPECT_EQ(m.HScroll3->Value(), 64);
  EXPECT_EQ(sb().SatelliteSize, 64);
  EXPECT_EQ(m.Label1(12).Caption(), "Satellite size 65");
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(m.Caption(), "Vantrel   p1" + std::string(23, ' ') + kMakerBanner + "   --2.8 0 6p1-- ");
  EXPECT_EQ(MainShared().VersionDigits, "002008006");
  EXPECT_EQ(st().STEPPT, 512);
  EXPECT_EQ(m.Text2->Text(), "Redraw speed 512");
  EXPECT_EQ(m.Text3->Text(), "Redraw  10000");
  EXPECT_EQ(view::Shared().StartupFlag, 1);
  EXPECT_EQ(m.GlInstance->EditState, 8);
  // Each control that changed stored its value again.
  EXPECT_EQ(Stored("Setstr01.00"), "earthjpg.jpg");
  EXPECT_EQ(Stored("Setstr11.00"), "moonjpg.jpg");
  EXPECT_EQ(Stored("Setstr13.00"), "64");
  EXPECT_EQ(Stored("Setstr12.00"), "<none>");  // the keyword box held "MAX" already
  // Nothing stored: the options panel keeps its design values, the satellite controls are off.
  EXPECT_EQ(m.Check1(8).Value(), 1);
  EXPECT_FALSE(m.HScroll10->Visible());
  EXPECT_FALSE(m.Text18->Visible());
  EXPECT_FALSE(m.HScroll8->Visible());
  EXPECT_TRUE(m.mnuFile->Enabled());
  EXPECT_EQ(platform::GetSetting(platform::kSettingsApp, "App", "Path", ""), platform::ProgramFolder());
  EXPECT_EQ(m.Combo2->Text(), "GEO satcom");
  ASSERT_TRUE(view::Shared().SetText15Visible);
  EXPECT_FALSE(m.Text15->Visible());
  view::Shared().SetText15Visible(true);
  EXPECT_TRUE(m.Text15->Visible());
  EXPECT_EQ(m.Text15->Text(), "km");
  const view::ViewShared& vs = view::Shared();
  EXPECT_EQ((std::array<double, 5>{vs.SatShapeParam1, vs.SatShapeParam2, vs.SatShapeParam3, vs.SatShapeParam4,
                                   vs.SatShapeParam5}),
            (std::array<double, 5>{2, 2, 0, 0, 1}));
}

TEST_F(UiTest, FactorySettingsAreThePanelsDesignValues) {
  Store("Set08.00", "3");  // a stored option set does not reach the factory copy
  Start();
  const datastore::SettingsRecord& f = st().FactorySettingsBlock;
  EXPECT_EQ(f.MoonFactor, 10);
  EXPECT_EQ(f.SatelliteSize, 0);
  EXPECT_EQ(f.AxisLengthFactor, 1);
  EXPECT_EQ(f.ColourBackground, (datastore::Rgb{10, 20, 70}));
  EXPECT_EQ(f.ColourAxisLabels, (datastore::Rgb{40, 80, 120}));
  EXPECT_EQ(f.OptCubicView, 0);
  EXPECT_EQ(sb().AxisLengthFactor, 3);
  EXPECT_EQ(w->Text4(1).Text(), "3");
}

TEST_F(UiTest, DataFileModeSwitchesTheTopMenusOff) {
  MainWindow& m = Start({"/data/run.vnx"});
  EXPECT_EQ(st().CmdLineInfo.DataFileMode, 1);
  EXPECT_EQ(st().CmdLineInfo.DataFilePath, "/data/run.vnx");
  EXPECT_EQ(st().CmdLineFirst, "/data/run.vnx");
  for (forms::Menu* menu :
       {m.mnuFile.get(), m.mnuEdit.get(), m.mnuView.get(), m.mnuHelp.get(), m.mnuUpdateExcel.get(), m.mnuOptions.get()})
    EXPECT_FALSE(menu->Enabled()) << menu->Name();
}

TEST_F(UiTest, StoredSingleSettingsReachTheirControls) {
  Store("SetDirBMP", "/tmp/images/");
  Store("Setstr01.00", "mars.jpg");
  Store("Setstr12.00", " min ");
  Store("Setstr13.00", "1.5E3");
  Store("Setstr14.00", "1");
  Store("Setstr15.00", "1");
  MainWindow& m = Start();
  EXPECT_EQ(m.Text6->Text(), "/tmp/images/");
  EXPECT_EQ(st().StringSettings.EarthTexture, "mars.jpg");
  EXPECT_EQ(m.Text9->Text(), "MIN");
  EXPECT_EQ(st().StringSettings.FormulaKeyWord, "MIN");
  EXPECT_EQ(m.Check3->Value(), 1);
  EXPECT_EQ(m.Check4->Value(), 1);
  EXPECT_TRUE(m.HScroll10->Visible());
  EXPECT_TRUE(m.Check4->Visible());
  EXPECT_EQ(sb().OptSatellite, 1);
  EXPECT_EQ(sb().OptSolarPanel, 1);
}

TEST_F(UiTest, StoredValuesOutsideTheirControlsAreBroughtIntoRange) {
  struct Case {
    const char* key;
    const char* value;
    int check3, check4, hscroll3;
  } cases[] = {
      {"Setstr14.00", "7", 2, 0, 64},   {"Setstr14.00", "-3", 0, 0, 64},       {"Setstr15.00", "2.6", 0, 2, 64},
      {"Setstr14.00", "abc", 0, 0, 64}, {"Setstr13.00", "99999", 0, 0, 32000}, {"Setstr13.00", "-4", 0, 0, 0},
  };
  for (const Case& c : cases) {
    settings = std::make_shared<platform::MemorySettingsStore>();
    platform::SetSettingsStore(settings);
    Store(c.key, c.value);
    MainWindow& m = Start();
    EXPECT_EQ(m.Check3->Value(), c.check3) << c.key << "=" << c.value;
    EXPECT_EQ(m.Check4->Value(), c.check4) << c.key << "=" << c.value;
    EXPECT_EQ(m.HScroll3->Value(), c.hscroll3) << c.key << "=" << c.value;
  }
}

TEST_F(UiTest, StoredCheckEntryOutsideZeroToTwoDoesNotStopTheStartUp) {
  Store(datastore::SettingsKey(0), "5");
  Store(datastore::SettingsKey(34), "2.01");
  MainWindow& m = Start();
  EXPECT_EQ(m.Check1(0).Value(), 2);
  EXPECT_EQ(m.Check1(9).Value(), 2);
}

TEST_F(UiTest, InteractiveWarning) {
  for (int answer : {forms::kOK, forms::kCancel}) {
    settings = std::make_shared<platform::MemorySettingsStore>();
    platform::SetSettingsStore(settings);
    Store(datastore::SettingsKey(30), "1");
    msg.boxes().Answer({answer});
    const size_t before = boxes().size();
    MainWindow& m = Start();
    ASSERT_EQ(boxes().size(), before + 1);
    const auto& box = boxes().back();
    EXPECT_EQ(box.title, "Warning");
    EXPECT_EQ(box.style, 1);
    EXPECT_EQ(box.text,
              "The current setting is Interactive with Excel. \r\nIt is recommanded to save your Excel work now. "
              "\r\nElse click on Cancel to disable the Interactivity.\r\n\r\nDo you want to continue with the "
              "Interactivity with Excel ? ");
    const int on = answer == forms::kOK ? 1 : 0;
    EXPECT_EQ(m.Check1(7).Value(), on);
    EXPECT_EQ(sb().InteractiveOpt, on);
    EXPECT_EQ(m.mnuOinteractive->Checked(), on == 1);
  }
}

// The services InstallPlatformServices puts in place, taken back at the end of a test.
struct InstalledServices {
  ~InstalledServices() {
    rt::SetEventFaultReporter(nullptr);
    platform::SetSettingsFaultReporter(nullptr);
    platform::SetLocaleProvider(nullptr);
    forms::SetMessageBoxService(nullptr);
    platform::SetSettingsStore(nullptr);
    platform::SetEventPump(nullptr);
    forms::SetLayoutStore(nullptr);
    spreadsheet::SetConnector(nullptr);
  }
};

// A handler that fails the same way at every tick opens one "Error" box, not one per tick; the
// services installed afresh (a new start of the program) have told nothing yet.
TEST(HandlerFailures, EachPlaceAndTextOpensOneBoxPerInstalledReporter) {
  datastore::ScopedStore store;
  InstalledServices restore;
  QMainWindow shown;  // the box waits for a main window on screen
  shown.show();
  const auto fail = [](const char* description) {
    rt::GuardEvent("Timer1_Timer", [&] { throw rt::RtError(5, description); });
  };
  std::vector<std::string> told;
  for (int start = 0; start < 2; ++start) {
    InstallPlatformServices();
    test::MsgBoxGuard boxes;
    fail("Invalid procedure call");
    fail("Invalid procedure call");
    fail("Type mismatch");
    ASSERT_TRUE(test::WaitUntil([&] { return boxes.boxes().boxes().size() >= 2; }));
    for (const auto& b : boxes.boxes().boxes()) told.push_back(b.title + ": " + b.text);
  }
  EXPECT_EQ(told, (std::vector<std::string>{"Error: Invalid procedure call", "Error: Type mismatch",
                                            "Error: Invalid procedure call", "Error: Type mismatch"}));
}

}  // namespace
}  // namespace vantrel::ui
