#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/runtime/rterror.h"
#include "platform/shell/desktop.h"
#include "platform/shell/shell.h"
#include "tests/support/guards.h"

namespace vantrel::platform {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& p) {
  std::ifstream f(p);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

TEST(ShellFolders, FollowTheEnvironmentOfTheTest) {
  const char* cfg = std::getenv("XDG_CONFIG_HOME");
  const char* data = std::getenv("XDG_DATA_HOME");
  ASSERT_TRUE(cfg && data);
  EXPECT_EQ(SpecialFolder(5), cfg);
  EXPECT_EQ(ConfigHome(), cfg);
  EXPECT_EQ(DataHome(), data);
  EXPECT_EQ(SpecialFolder(99), "");
  SetProgramPath("/opt/My Apps/bin/vantrel.bin");
  EXPECT_EQ(ProgramFolder(), "/opt/My Apps/bin");
  EXPECT_EQ(ProgramExeName(), "vantrel");
  SetProgramPath("");
  EXPECT_FALSE(ProgramPath().empty());
}

TEST(ShellFolders, DataFolderIsTheInstallsOrElseTheProgramsOwn) {
  const fs::path root = fs::path(DataHome()) / "data-folder";
  fs::remove_all(root);
  auto program = [&](const fs::path& p, fs::perms perms = fs::perms::owner_all) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "#!/bin/sh\n";
    fs::permissions(p, perms);
    return p.string();
  };
  fs::create_directories(root / "usr/share/vantrel");
  fs::create_directories(root / "tools/share/vantrel");
  fs::create_directories(root / "dir/bin/vantrel");
  fs::create_directories(root / "dir/share/vantrel");
  const struct {
    std::string path;
    bool installed;
    fs::path data;  // DataFolderOf
  } cases[] = {
      {program(root / "usr/bin/vantrel"), true, root / "usr/share/vantrel"},
      {program(root / "build/vantrel"), false, root / "build"},  // run from the build folder
      {program(root / "usr/bin/test_shell"), false, root / "usr/share/vantrel"},
      {program(root / "usr/bin/vantrel.bin"), false, root / "usr/share/vantrel"},
      {program(root / "tools/bench/vantrel"), false, root / "tools/share/vantrel"},  // not in a bin folder
      {program(root / "opt/bin/vantrel"), false, root / "opt/bin"},                  // no data folder
      {program(root / "x/bin/vantrel", fs::perms::owner_read), false, root / "x/bin"},
      {(root / "dir/bin/vantrel").string(), false, root / "dir/share/vantrel"},  // a folder
      {"usr/bin/vantrel", false, "usr/bin"},                                     // relative
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsInstalledProgram(c.path), c.installed) << c.path;
    EXPECT_EQ(DataFolderOf(c.path), c.data.string()) << c.path;
  }
  SetProgramPath((root / "usr/bin/vantrel").string());
  EXPECT_EQ(DataFolder(), (root / "usr/share/vantrel").string());
  SetProgramPath("");
}

TEST(Registry, KeysDefaultValuesAndNamedValues) {
  KeyStoreRegistry r;
  r.RegWrite("HKCR\\.vnx\\", "VanexExcelFile");
  r.RegWrite("HKCU\\Soft\\FileExts\\.vnx\\Application", "/opt/v/vantrel");
  EXPECT_EQ(r.RegRead("HKCR\\.vnx\\"), "VanexExcelFile");
  EXPECT_EQ(r.RegRead("hkcr\\.VNX\\"), "VanexExcelFile");  // letter case does not matter
  EXPECT_EQ(r.RegRead("HKCU\\Soft\\FileExts\\.vnx\\application"), "/opt/v/vantrel");
  EXPECT_TRUE(r.HasKey("HKCU\\Soft\\FileExts\\"));  // parents exist
  const struct {
    const char* path;
    bool read;  // whether RegRead succeeds
  } cases[] = {
      {"HKCR\\.vnx", false},                    // a value named ".vnx" under HKCR
      {"HKCR\\Missing\\", false},               // no such key
      {"HKCU\\Soft\\FileExts\\.vnx\\", false},  // key exists, default value never set
      {"HKCU\\Soft\\FileExts\\.vnx\\Other", false},
  };
  for (const auto& c : cases) {
    int err = rt::Try([&] { r.RegRead(c.path); });
    EXPECT_EQ(err == 0, c.read) << c.path;
    if (!c.read) {
      EXPECT_EQ(err, kErrRegistryOpen) << c.path;
    }
  }
}

TEST(Registry, DeleteRules) {
  KeyStoreRegistry r;
  r.RegWrite("HKCU\\A\\B\\Value", "1");
  // Missing value, missing key: errors; a key with sub keys: refused.
  EXPECT_EQ(rt::Try([&] { r.RegDelete("HKCU\\A\\B\\Nothing"); }), kErrRegistryOpen);
  EXPECT_EQ(rt::Try([&] { r.RegDelete("HKCU\\Z\\"); }), kErrRegistryOpen);
  EXPECT_NE(rt::Try([&] { r.RegDelete("HKCU\\A\\"); }), 0);
  EXPECT_TRUE(r.HasKey("HKCU\\A\\B\\"));
  EXPECT_EQ(rt::Try([&] { r.RegDelete("HKCU\\A\\B\\VALUE"); }), 0);
  EXPECT_NE(rt::Try([&] { r.RegRead("HKCU\\A\\B\\Value"); }), 0);
  EXPECT_EQ(rt::Try([&] { r.RegDelete("HKCU\\A\\B\\"); }), 0);
  EXPECT_FALSE(r.HasKey("HKCU\\A\\B\\"));
  EXPECT_EQ(rt::Try([&] { r.RegDelete("HKCU\\A\\"); }), 0);
}

TEST(Registry, DeniedPrefixRefusesWritesOnly) {
  KeyStoreRegistry r;
  r.DenyPrefix("HKCR\\");
  EXPECT_EQ(rt::Try([&] { r.RegWrite("hkcr\\.vnx\\", "X"); }), kErrRegistryDenied);
  EXPECT_EQ(rt::Try([&] { r.RegWrite("HKCU\\ok\\v", "X"); }), 0);
  EXPECT_NE(rt::Try([&] { r.RegRead("HKCR\\.vnx\\"); }), 0);
}

TEST(Registry, KeptInItsFileAcrossInstances) {
  const std::string file = (fs::path(ConfigHome()) / "reg-test" / "registry.txt").string();
  fs::remove_all(fs::path(file).parent_path());
  {
    KeyStoreRegistry r(file);
    r.RegWrite("HKCR\\VanexExcelFile\\shell\\open\\command\\", "\"/opt/My Apps/vantrel\" %L");
    r.RegWrite("HKCU\\X\\tab\tname", "line1\nline2\\end");
  }
  KeyStoreRegistry again(file);
  EXPECT_EQ(again.RegRead("HKCR\\VanexExcelFile\\shell\\open\\command\\"), "\"/opt/My Apps/vantrel\" %L");
  EXPECT_EQ(again.RegRead("HKCU\\X\\tab\tname"), "line1\nline2\\end");
}

// A store beyond the limits no store of the program's own reaches is refused at once with its
// reason, in bounded memory, and never written over; a store within them loads as before.
TEST(Registry, AStoreBeyondItsLimitsIsRefusedAndLeftAsItIs) {
  const std::string dir = (fs::path(std::getenv("XDG_CONFIG_HOME")) / "limits").string();
  fs::create_directories(dir);
  auto deepKey = [](int levels, size_t segment) {
    std::string k = "HKCU";
    for (int i = 0; i < levels; ++i) k += "\\\\" + std::string(segment, 'k') + std::to_string(i);
    return "K\t" + k + "\\\\\n";
  };
  std::string manyLines;
  for (size_t i = 0; i <= kMaxKeyStoreLines; ++i) manyLines += "K\tHKCU\\\\a" + std::to_string(i) + "\\\\\n";
  std::string bulky;
  for (int i = 0; i < 4; ++i) bulky += deepKey(500, 200 + i);
  const struct {
    const char* name;
    std::string bytes;  // "": a folder stands there
    const char* reason;
  } cases[] = {
      {"deep.txt", deepKey(200000, 0), "deeper than 512 levels"},
      {"justtoodeep.txt", deepKey(512, 8), "deeper than 512 levels"},
      {"lines.txt", manyLines, "more than 100000 lines"},
      {"bulky.txt", bulky, "more than 64 MB"},
      {"folder.txt", "", "not a regular file"},
      {"fine.txt", deepKey(511, 8) + "V\tHKCU\\\\x\\\\\tv\t1\n", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = dir + "/" + c.name;
    if (c.bytes.empty()) {
      fs::create_directory(file);
    } else {
      std::ofstream(file, std::ios::binary) << c.bytes;
    }
    KeyStoreRegistry r(file);
    if (!c.reason) {
      EXPECT_EQ(r.fault(), "");
      EXPECT_EQ(r.RegRead("HKCU\\x\\v"), "1");
      continue;
    }
    EXPECT_NE(r.fault().find(file), std::string::npos) << r.fault();
    EXPECT_NE(r.fault().find(c.reason), std::string::npos) << r.fault();
    EXPECT_FALSE(r.HasKey("HKCU\\"));
    EXPECT_EQ(rt::Try([&] { r.RegWrite("HKCR\\.vnx\\", "Vantrel.Document"); }), kErrRegistryDenied);
    if (!c.bytes.empty()) {
      EXPECT_EQ(Slurp(file), c.bytes) << "the store was written over";
    }
  }
}

// A line whose key path is not one of ours (no final backslash) made every later save fail with
// an error nobody handles; it is passed over, and the rest of the store stays usable.
TEST(Registry, ALineWithoutAKeyPathIsPassedOverAndTheStoreStillSaves) {
  const std::string file = (fs::path(std::getenv("XDG_CONFIG_HOME")) / "odd-lines.txt").string();
  std::ofstream(file, std::ios::binary) << "V\tfoo\tn\tv\nK\t\nV\t\tn\tv\nK\tHKCU\\\\a\\\\\nV\tHKCU\\\\a\\\\\tn\t1\n";
  KeyStoreRegistry r(file);
  EXPECT_EQ(r.fault(), "");
  EXPECT_EQ(r.RegRead("HKCU\\a\\n"), "1");
  EXPECT_EQ(rt::Try([&] { r.RegWrite("HKCR\\.vnx\\", "Vantrel.Document"); }), 0);
  KeyStoreRegistry again(file);
  EXPECT_EQ(again.RegRead("HKCR\\.vnx\\"), "Vantrel.Document");
  EXPECT_EQ(again.RegRead("HKCU\\a\\n"), "1");
}

TEST(DesktopAssociation, ExecLineQuotesThePath) {
  const struct {
    const char* path;
    const char* exec;  // as it stands in the file
  } cases[] = {
      {"/usr/bin/vantrel", "\"/usr/bin/vantrel\" %f"},
      {"/opt/My Apps/vantrel", "\"/opt/My Apps/vantrel\" %f"},
      {"/opt/a\"b/$x/100%", "\"/opt/a\\\\\"b/\\\\$x/100%%\" %f"},
      {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\" %f"},
  };
  for (const auto& c : cases) EXPECT_EQ(DesktopExecLine(c.path), c.exec) << c.path;
}

DesktopAssociation Sample() {
  return {".vnx",
          "application/x-vantrel-data",
          "Vantrel trajectory data",
          "Vantrel",
          "vantrel.desktop",
          "/opt/My Apps/vantrel",
          "",
          {"From: \t", "\"From: \t"}};
}

TEST(DesktopAssociation, WritesUnderTheUsersDataFolderAndRefreshesOnce) {
  fs::remove_all(fs::path(DataHome()) / "applications");
  fs::remove_all(fs::path(DataHome()) / "mime");
  fs::remove(MimeAppsListPath());
  {
    std::ofstream f(MimeAppsListPath());
    f << "[Default Applications]\ntext/plain=editor.desktop;\n\n[Added Associations]\nimage/png=viewer.desktop;\n";
  }
  std::vector<std::vector<std::string>> runs;
  auto recorder = [&](const std::vector<std::string>& argv) {
    runs.push_back(argv);
    return 0;
  };
  const DesktopAssociation a = Sample();
  EXPECT_TRUE(RegisterDesktopAssociation(a, recorder));
  EXPECT_EQ(DesktopFilePath(a), (fs::path(DataHome()) / "applications" / "vantrel.desktop").string());
  const std::string desktop = Slurp(DesktopFilePath(a));
  EXPECT_NE(desktop.find("Exec=\"/opt/My Apps/vantrel\" %f\n"), std::string::npos) << desktop;
  EXPECT_NE(desktop.find("MimeType=application/x-vantrel-data;\n"), std::string::npos);
  const std::string mime = Slurp(MimePackagePath(a));
  EXPECT_NE(mime.find("<glob pattern=\"*.vnx\"/>"), std::string::npos) << mime;
  // The desktop's choices are the user's: mimeapps.list is never written.
  EXPECT_EQ(Slurp(MimeAppsListPath()),
            "[Default Applications]\ntext/plain=editor.desktop;\n\n[Added Associations]\nimage/png=viewer.desktop;\n");
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0][0], "update-mime-database");
  EXPECT_EQ(runs[0][1], (fs::path(DataHome()) / "mime").string());
  EXPECT_EQ(runs[1][0], "update-desktop-database");

  // Nothing changed: nothing written, no tool run.
  runs.clear();
  EXPECT_FALSE(RegisterDesktopAssociation(a, recorder));
  EXPECT_TRUE(runs.empty());

  // The program moved: the .desktop file is rewritten, the mime package is not.
  DesktopAssociation moved = a;
  moved.programPath = "/usr/local/bin/vantrel";
  EXPECT_TRUE(RegisterDesktopAssociation(moved, recorder));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0][0], "update-desktop-database");
}

TEST(DesktopAssociation, RealMimeDatabaseLearnsTheExtension) {
  if (RunTool({"update-mime-database", "-v"}) < 0) GTEST_SKIP() << "update-mime-database not installed";
  // A data folder of its own: other cases of this program may run at the same time.
  const std::string own = (fs::path(DataHome()) / "real-mime").string();
  fs::remove_all(own);
  test::EnvGuard env("XDG_DATA_HOME", own.c_str());
  env.Set("XDG_CONFIG_HOME", (own + "/config").c_str());
  ASSERT_TRUE(RegisterDesktopAssociation(Sample()));
  const std::string globs = Slurp((fs::path(DataHome()) / "mime" / "globs2").string());
  EXPECT_NE(globs.find("application/x-vantrel-data:*.vnx"), std::string::npos) << globs;
  // The header's magic, above the e-mail type's priority of 50, with its TAB read as one byte.
  const std::string magic = Slurp((fs::path(DataHome()) / "mime" / "magic").string());
  EXPECT_NE(magic.find(std::string("[60:application/x-vantrel-data]\n>0=") + std::string("\0\aFrom: \t", 9)),
            std::string::npos);
}

TEST(DesktopAssociation, ExecProgramReadsBackTheQuotedPath) {
  const char* paths[] = {"/usr/bin/vantrel", "/opt/My Apps/vantrel", "/opt/a\"b/$x/100%", "/opt/back\\slash",
                         "/opt/tick`/tab\there"};
  for (const char* p : paths) EXPECT_EQ(ExecProgram(DesktopExecLine(p)), p) << p;
  const struct {
    const char* exec;
    const char* program;
  } cases[] = {
      {"vantrel %f", "vantrel"},
      {"/usr/bin/vantrel", "/usr/bin/vantrel"},
      {"\"/opt/unclosed %f", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExecProgram(c.exec), c.program) << c.exec;
}

// A data folder and a system folder of the case's own, and a program that can be removed.
struct OwnFolders {
  fs::path root;
  test::EnvGuard env;
  explicit OwnFolders(const std::string& name) : root(fs::path(DataHome()) / name) {
    fs::remove_all(root);
    env.Set("XDG_DATA_HOME", (root / "data").c_str());
    env.Set("XDG_CONFIG_HOME", (root / "config").c_str());
    env.Set("XDG_DATA_DIRS", (root / "system").c_str());
    env.Set("XDG_CONFIG_DIRS", (root / "xdg").c_str());
  }
  std::string Program(const std::string& where) const {
    const fs::path p = root / where / "vantrel";
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "#!/bin/sh\n";
    fs::permissions(p, fs::perms::owner_all);
    return p.string();
  }
  void Write(const std::string& rel, const std::string& text) const {
    fs::create_directories((root / rel).parent_path());
    std::ofstream(root / rel) << text;
  }
};

TEST(DesktopAssociation, AStaleEntryOfOursGoesWithItsMimePackageWhenAnInstallServes) {
  const std::string installed = "[Desktop Entry]\nType=Application\nName=Vantrel\nExec=vantrel %f\n"
                                "MimeType=application/x-vantrel-data;\n";
  const std::string userOwn = "[Desktop Entry]\nType=Application\nExec=/nowhere/v %f\n";
  const struct {
    const char* what;
    std::function<void(OwnFolders&, const std::string& old)> change;  // after our files were written
    bool desktopKept;
    bool mimeKept;
    std::vector<std::string> tools;
  } cases[] = {
      // Our entry then hides the installed one: it is taken over for the program that runs.
      {"the old program is still there",
       [](OwnFolders&, const std::string&) {},
       true,
       true,
       {"update-desktop-database"}},
      {"the old program was removed",
       [](OwnFolders& o, const std::string&) { fs::remove_all(o.root / "opt"); },
       false,
       false,
       {"update-mime-database", "update-desktop-database"}},
      {"the old program is no longer executable",
       [](OwnFolders&, const std::string& old) { fs::permissions(old, fs::perms::owner_read); },
       false,
       false,
       {"update-mime-database", "update-desktop-database"}},
      {"the old program's path is a folder now",
       [](OwnFolders&, const std::string& old) {
         fs::remove(old);
         fs::create_directories(old);
       },
       false,
       false,
       {"update-mime-database", "update-desktop-database"}},
      {"the user's own entry in its place",
       [&](OwnFolders& o, const std::string&) {
         fs::remove_all(o.root / "opt");
         o.Write("data/applications/vantrel.desktop", userOwn);
       },
       true,
       true,
       {}},
      {"the MIME package changed by someone else",
       [](OwnFolders& o, const std::string&) {
         fs::remove_all(o.root / "opt");
         o.Write("data/mime/packages/vantrel.xml", "<mime-info/>\n");
       },
       false,
       true,
       {"update-desktop-database"}},
  };
  for (const auto& c : cases) {
    OwnFolders own("stale");
    DesktopAssociation a = Sample();
    a.programPath = own.Program("opt/gone/bin");
    ASSERT_TRUE(RegisterDesktopAssociation(a, [](const std::vector<std::string>&) { return 0; })) << c.what;
    c.change(own, a.programPath);
    const std::string userEntry = Slurp(DesktopFilePath(a));
    // The program now runs from an install the desktop knows, its caches refreshed.
    own.Write("system/applications/vantrel.desktop", installed);
    own.Write("system/mime/types", "application/x-vantrel-data\n");
    a.programPath = own.Program("usr/bin");
    std::vector<std::string> runs;
    RegisterDesktopAssociation(a, [&](const std::vector<std::string>& argv) {
      runs.push_back(argv[0]);
      return 0;
    });
    EXPECT_EQ(fs::exists(DesktopFilePath(a)), c.desktopKept) << c.what;
    EXPECT_EQ(fs::exists(MimePackagePath(a)), c.mimeKept) << c.what;
    EXPECT_EQ(runs, c.tools) << c.what;
    if (userEntry == userOwn) {
      EXPECT_EQ(Slurp(DesktopFilePath(a)), userOwn) << c.what;
    }
  }
}

TEST(DesktopAssociation, AnEntryClaimingATypeTheMimeDatabaseDoesNotKnowGetsTheMimePackage) {
  const std::string entry = "[Desktop Entry]\nType=Application\nName=Vantrel\nExec=vantrel %f\n"
                            "MimeType=application/x-vantrel-data;\n";
  const struct {
    const char* what;
    const char* types;  // the system's mime/types, nullptr for none
    bool mimeWritten;
  } cases[] = {
      {"no MIME database", nullptr, true},
      {"a database without the type", "text/plain\napplication/x-vantrel-data-old\n", true},
      {"a database with the type", "text/plain\napplication/x-vantrel-data\n", false},
  };
  for (const auto& c : cases) {
    OwnFolders own("unknown-type");
    own.Write("system/applications/vantrel.desktop", entry);
    if (c.types) own.Write("system/mime/types", c.types);
    DesktopAssociation a = Sample();
    a.programPath = own.Program("usr/bin");
    std::vector<std::string> runs;
    auto recorder = [&](const std::vector<std::string>& argv) {
      runs.push_back(argv[0]);
      return 0;
    };
    EXPECT_EQ(MimeTypeKnown(a.mimeType), c.types && !c.mimeWritten) << c.what;
    EXPECT_EQ(RegisterDesktopAssociation(a, recorder), c.mimeWritten) << c.what;
    EXPECT_EQ(fs::exists(MimePackagePath(a)), c.mimeWritten) << c.what;
    // The installed entry serves: no entry of ours hides it.
    EXPECT_FALSE(fs::exists(DesktopFilePath(a))) << c.what;
    EXPECT_EQ(runs, c.mimeWritten ? std::vector<std::string>{"update-mime-database"} : std::vector<std::string>{})
        << c.what;
  }
}

TEST(DesktopAssociation, MissingToolIsNotAnError) { EXPECT_EQ(RunTool({"no-such-tool-vantrel"}), -1); }

}  // namespace
}  // namespace vantrel::platform
