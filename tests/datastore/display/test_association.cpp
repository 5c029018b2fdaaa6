#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "datastore/association.h"
#include "datastore/state.h"
#include "platform/runtime/rterror.h"
#include "platform/settings/settings.h"
#include "platform/shell/desktop.h"
#include "platform/shell/shell.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

namespace fs = std::filesystem;

const std::string kFileExts = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

void Write(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}

struct Assoc : ::testing::Test {
  std::shared_ptr<platform::KeyStoreRegistry> reg = std::make_shared<platform::KeyStoreRegistry>();
  std::vector<std::vector<std::string>> tools;
  test::EnvGuard env;
  ScopedStore scope;  // a fresh run: the records not saved yet, no failure told
  fs::path own;
  Assoc() {
    // Folders of this case's own, the system's ones included: the cases may run at the same time.
    own = fs::path(std::getenv("XDG_DATA_HOME")) / "assoc" /
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(own);
    env.Set("XDG_DATA_HOME", (own / "data").c_str());
    env.Set("XDG_CONFIG_HOME", (own / "config").c_str());
    env.Set("XDG_DATA_DIRS", (own / "system" / "share").c_str());
    env.Set("XDG_CONFIG_DIRS", (own / "system" / "xdg").c_str());
    platform::SetRegistry(reg);
    SetAssociationToolRunner([this](const std::vector<std::string>& argv) {
      tools.push_back(argv);
      return 0;
    });
    fs::remove_all(fs::path(platform::DataHome()) / "applications");
    fs::remove_all(fs::path(platform::DataHome()) / "mime");
  }
  ~Assoc() override {
    platform::SetRegistry(nullptr);
    SetAssociationToolRunner({});
  }
  // An installed program: <prefix>/bin/<name> beside <prefix>/share/vantrel and the icon.
  std::string Install(const std::string& prefix, const std::string& name = "vantrel") {
    const fs::path root = own / prefix;
    Write(root / "bin" / name, "#!/bin/sh\n");
    fs::permissions(root / "bin" / name, fs::perms::owner_all);
    fs::create_directories(root / "share" / "vantrel");
    Write(root / "share" / "icons" / "hicolor" / "scalable" / "apps" / "vantrel.svg", "<svg/>");
    return (root / "bin" / name).string();
  }
  // The system's MIME database knows the type, as after an install that refreshed its caches.
  void SystemKnowsTheType() const { Write(own / "system/share/mime/types", "application/x-vanexexcelfile\n"); }
  fs::path UserDesktopFile() const { return fs::path(platform::DataHome()) / "applications" / "vantrel.desktop"; }
  fs::path UserMimePackage() const { return fs::path(platform::DataHome()) / "mime" / "packages" / "vantrel.xml"; }
};

std::string Slurp(const std::string& p) {
  std::ifstream f(p);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

TEST_F(Assoc, NewExtensionGetsEveryRecordInOrderWithTheCommandQuoted) {
  AssociateFileType(".vnx", "VanexExcelFile", "/opt/My Apps/vantrel");
  const std::vector<std::string> want = {
      "write HKCR\\.vnx\\=VanexExcelFile",
      "write HKCR\\VanexExcelFile\\=vantrel",
      "write HKCR\\VanexExcelFile\\shell\\open\\command\\=\"/opt/My Apps/vantrel\" %L",
      "delete " + kFileExts + ".vnx\\Application",
      "delete " + kFileExts + ".vnx\\OpenWithList",
      "write " + kFileExts + ".vnx\\Application=/opt/My Apps/vantrel",
  };
  EXPECT_EQ(reg->log(), want);
  EXPECT_EQ(reg->RegRead(kFileExts + ".vnx\\Application"), "/opt/My Apps/vantrel");
  // Not an installed program: the desktop's files are left alone.
  EXPECT_FALSE(fs::exists(platform::DataHome()));
  EXPECT_TRUE(tools.empty());
}

TEST_F(Assoc, ExtensionAlreadyOfTheClassIsLeftUntouched) {
  reg->RegWrite("HKCR\\.vnx\\", "VanexExcelFile");
  reg->RegWrite(kFileExts + ".vnx\\Application", "other");
  AssociateFileType(".vnx", "VanexExcelFile", "/opt/vantrel");
  AssociateFileType(".vnx", "VanexExcelFile", "/opt/vantrel");
  EXPECT_EQ(reg->log().size(), 2u);  // only this test's own writes
  EXPECT_EQ(reg->RegRead(kFileExts + ".vnx\\Application"), "other");
  EXPECT_TRUE(tools.empty());
}

TEST_F(Assoc, ExtensionOfAnotherClassIsTakenOver) {
  reg->RegWrite("HKCR\\.vnx\\", "SomethingElse");
  AssociateFileType(".vnx", "VanexExcelFile", "/opt/vantrel");
  EXPECT_EQ(reg->RegRead("HKCR\\.vnx\\"), "VanexExcelFile");
  EXPECT_EQ(reg->RegRead("HKCR\\VanexExcelFile\\shell\\open\\command\\"), "\"/opt/vantrel\" %L");
}

TEST_F(Assoc, WithoutRightsOnTheClassesTheUsersEntriesAreStillWritten) {
  reg->DenyPrefix("HKCR\\");
  reg->RegWrite(kFileExts + ".vnx\\Application", "old");
  const std::string program = Install("usr");
  AssociateFileType(".vnx", "VanexExcelFile", program);
  EXPECT_NE(rt::Try([&] { reg->RegRead("HKCR\\.vnx\\"); }), 0);
  EXPECT_EQ(reg->RegRead(kFileExts + ".vnx\\Application"), program);
  EXPECT_TRUE(fs::exists(UserDesktopFile()));
}

TEST_F(Assoc, InstalledProgramWritesTheUsersDesktopFilesWhereNoApplicationIsKnown) {
  const std::string program = Install("My Apps/usr");
  AssociateFileType(".vnx", "VanexExcelFile", program);
  const std::string desktop = Slurp(UserDesktopFile().string());
  EXPECT_NE(desktop.find("Exec=\"" + program + "\" %f\n"), std::string::npos) << desktop;
  EXPECT_NE(desktop.find("MimeType=application/x-vanexexcelfile;\n"), std::string::npos);
  EXPECT_NE(desktop.find("Icon=" + (own / "My Apps/usr/share/icons/hicolor/scalable/apps/vantrel.svg").string()),
            std::string::npos);
  // The same MIME package as the one installed system-wide.
  EXPECT_EQ(Slurp(UserMimePackage().string()), Slurp(VANTREL_FIXTURES "/../../packaging/vantrel-mime.xml"));
  ASSERT_EQ(tools.size(), 2u);
  EXPECT_EQ(tools[0][0], "update-mime-database");
  EXPECT_EQ(tools[1][0], "update-desktop-database");
  EXPECT_FALSE(fs::exists(platform::MimeAppsListPath()));  // the desktop's choice is its own

  // Again, and after the program moved: only the .desktop file written by us changes.
  tools.clear();
  AssociateFileType(".vnx", "VanexExcelFile", program);
  EXPECT_TRUE(tools.empty());
  const std::string moved = Install("opt/vantrel");
  AssociateFileType(".vnx", "VanexExcelFile", moved);
  EXPECT_NE(Slurp(UserDesktopFile().string()).find("Exec=\"" + moved + "\" %f\n"), std::string::npos);
  ASSERT_EQ(tools.size(), 1u);
  EXPECT_EQ(tools[0][0], "update-desktop-database");
}

TEST_F(Assoc, DesktopFilesAreLeftAloneWhereTheyAreNotOurs) {
  const std::string other = "[Desktop Entry]\nType=Application\nName=Other\nExec=other %f\n"
                            "MimeType=text/plain;application/x-vanexexcelfile;\n";
  const struct {
    const char* what;
    std::function<std::string(Assoc&)> setup;  // gives the program that runs the load
    bool written;
  } cases[] = {
      {"installed, nothing known", [](Assoc& a) { return a.Install("usr"); }, true},
      {"build folder", [](Assoc& a) { return (a.own / "build" / "vantrel").string(); }, false},
      {"build folder with an executable",
       [](Assoc& a) {
         Write(a.own / "build" / "vantrel", "#!/bin/sh\n");
         fs::permissions(a.own / "build" / "vantrel", fs::perms::owner_all);
         return (a.own / "build" / "vantrel").string();
       },
       false},
      {"test program in an install", [](Assoc& a) { return a.Install("usr", "test_datastore_display"); }, false},
      {"benchmark in an install", [](Assoc& a) { return a.Install("usr", "bench_loader"); }, false},
      {"install without its data folder",
       [](Assoc& a) {
         const std::string p = a.Install("usr");
         fs::remove_all(a.own / "usr" / "share" / "vantrel");
         return p;
       },
       false},
      {"not executable",
       [](Assoc& a) {
         const std::string p = a.Install("usr");
         fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write);
         return p;
       },
       false},
      {"the package's own entry",
       [&](Assoc& a) {
         Write(a.own / "system/share/applications/vantrel.desktop", other);
         return a.Install("usr");
       },
       false},
      {"another program, in a sub folder",
       [&](Assoc& a) {
         Write(a.own / "system/share/applications/kde/other.desktop", other);
         return a.Install("usr");
       },
       false},
      {"another program, hidden by the user",
       [&](Assoc& a) {
         Write(a.own / "system/share/applications/other.desktop", other);
         Write(a.own / "data/applications/other.desktop", "[Desktop Entry]\nHidden=true\n");
         return a.Install("usr");
       },
       true},
      {"the user's own vantrel.desktop",
       [&](Assoc& a) {
         Write(a.own / "data/applications/vantrel.desktop", other);
         return a.Install("usr");
       },
       false},
      {"another program for other types only",
       [&](Assoc& a) {
         Write(a.own / "system/share/applications/other.desktop",
               "[Desktop Entry]\nType=Application\nName=O\nExec=o\nMimeType=application/x-vanexexcelfile-old;\n");
         return a.Install("usr");
       },
       true},
      {"a default in the user's mimeapps.list",
       [](Assoc& a) {
         Write(a.own / "config/mimeapps.list", "[Default Applications]\napplication/x-vanexexcelfile=other.desktop;\n");
         return a.Install("usr");
       },
       false},
      {"a removed association in a desktop's list",
       [](Assoc& a) {
         Write(a.own / "config/gnome-mimeapps.list",
               "[Removed Associations]\napplication/x-vanexexcelfile = vantrel.desktop;\n");
         return a.Install("usr");
       },
       false},
      {"a system default",
       [](Assoc& a) {
         Write(a.own / "system/share/applications/defaults.list",
               "[Default Applications]\napplication/x-vanexexcelfile=other.desktop\n");
         return a.Install("usr");
       },
       false},
  };
  for (const auto& c : cases) {
    fs::remove_all(own);
    SystemKnowsTheType();
    tools.clear();
    const std::string program = c.setup(*this);
    const std::string before = Slurp(UserDesktopFile().string());
    AssociateFileType(".vnx", "VanexExcelFile", program);
    EXPECT_EQ(fs::exists(UserMimePackage()), c.written) << c.what;
    EXPECT_EQ(tools.size(), c.written ? 2u : 0u) << c.what;
    if (!c.written) {
      EXPECT_EQ(Slurp(UserDesktopFile().string()), before) << c.what;
    }
  }
}

TEST_F(Assoc, AnotherProgramsDefaultSurvivesLoads) {
  const std::string list = "[Default Applications]\napplication/x-vanexexcelfile=other.desktop;\n"
                           "text/plain=editor.desktop;\n";
  Write(own / "config/mimeapps.list", list);
  SystemKnowsTheType();
  const std::string program = Install("usr");
  for (int load = 0; load < 2; ++load) AssociateFileType(".vnx", "VanexExcelFile", program);
  EXPECT_EQ(Slurp((own / "config/mimeapps.list").string()), list);
  EXPECT_FALSE(fs::exists(platform::DataHome()));
}

TEST_F(Assoc, TheEntryOfARemovedInstallGoesAtTheNextLoadOfAnInstalledProgram) {
  // An install the desktop does not search writes the user's entry; that install is removed.
  const std::string old = Install("opt/vantrel");
  AssociateFileType(".vnx", "VanexExcelFile", old);
  ASSERT_TRUE(fs::exists(UserDesktopFile()));
  fs::remove_all(own / "opt");
  // The package's install in a searched folder, its caches refreshed.
  Write(own / "system/share/applications/vantrel.desktop", Slurp(VANTREL_FIXTURES "/../../packaging/vantrel.desktop"));
  SystemKnowsTheType();
  tools.clear();
  AssociateFileType(".vnx", "VanexExcelFile", Install("usr"));
  EXPECT_FALSE(fs::exists(UserDesktopFile()));  // it no longer hides the package's entry
  EXPECT_FALSE(fs::exists(UserMimePackage()));
  ASSERT_EQ(tools.size(), 2u);
  EXPECT_EQ(tools[0][0], "update-mime-database");
  EXPECT_EQ(tools[1][0], "update-desktop-database");
}

TEST_F(Assoc, AnInstallWhoseCachesWereNotRefreshedGetsTheUsersMimePackage) {
  Write(own / "system/share/applications/vantrel.desktop", Slurp(VANTREL_FIXTURES "/../../packaging/vantrel.desktop"));
  Write(own / "system/share/mime/packages/vantrel.xml", Slurp(VANTREL_FIXTURES "/../../packaging/vantrel-mime.xml"));
  AssociateFileType(".vnx", "VanexExcelFile", Install("usr"));
  EXPECT_EQ(Slurp(UserMimePackage().string()), Slurp(VANTREL_FIXTURES "/../../packaging/vantrel-mime.xml"));
  EXPECT_FALSE(fs::exists(UserDesktopFile()));
  ASSERT_EQ(tools.size(), 1u);
  EXPECT_EQ(tools[0][0], "update-mime-database");
}

TEST(InstalledDesktopFiles, NameTheTypeTheProgramRegisters) {
  const std::string mime = DataFileMimeType("VanexExcelFile");
  EXPECT_EQ(mime, "application/x-vanexexcelfile");
  const std::string package = Slurp(VANTREL_FIXTURES "/../../packaging/vantrel-mime.xml");
  EXPECT_NE(package.find("<mime-type type=\"" + mime + "\">"), std::string::npos) << package;
  EXPECT_NE(package.find("<glob pattern=\"*.vnx\"/>"), std::string::npos);
  const std::string entry = Slurp(VANTREL_FIXTURES "/../../packaging/vantrel.desktop");
  EXPECT_NE(entry.find("\nMimeType=" + mime + ";\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nExec=vantrel %f\n"), std::string::npos);
  EXPECT_NE(entry.find("\nIcon=vantrel\n"), std::string::npos);
}

TEST_F(Assoc, RecordsAreSavedOncePerRun) {
  auto mem = std::make_shared<platform::MemorySettingsStore>();
  platform::SetSettingsStore(mem);
  platform::SetProgramPath("/opt/v/vantrel");
  EXPECT_TRUE(SaveAssociationRecords());
  EXPECT_EQ(platform::GetSetting(platform::kSettingsApp, "App", "associateEXE"), "vantrel");
  EXPECT_EQ(platform::GetSetting(platform::kSettingsApp, "App", "associateEXT"), ".vnx");
  EXPECT_EQ(ProgramCommand(), "/opt/v/vantrel");
  platform::DeleteSetting(platform::kSettingsApp, "App", "associateEXT");
  EXPECT_FALSE(SaveAssociationRecords());
  EXPECT_EQ(platform::GetSetting(platform::kSettingsApp, "App", "associateEXT"), "");
  platform::SetProgramPath("");
  platform::SetSettingsStore(nullptr);
}

}  // namespace
}  // namespace vantrel::datastore
