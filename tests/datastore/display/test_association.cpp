#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "datastore/association.h"
#include "platform/runtime/rterror.h"
#include "platform/settings/settings.h"
#include "platform/shell/desktop.h"
#include "platform/shell/shell.h"

namespace vantrel::datastore {
namespace {

namespace fs = std::filesystem;

const std::string kFileExts = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

struct Assoc : ::testing::Test {
  std::shared_ptr<platform::KeyStoreRegistry> reg = std::make_shared<platform::KeyStoreRegistry>();
  std::vector<std::vector<std::string>> tools;
  Assoc() {
    // Folders of this case's own: the cases of this program may run at the same time.
    const std::string own = (fs::path(std::getenv("XDG_DATA_HOME")) / "assoc" /
                             ::testing::UnitTest::GetInstance()->current_test_info()->name()).string();
    fs::remove_all(own);
    setenv("XDG_DATA_HOME", (own + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (own + "/config").c_str(), 1);
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
  // The desktop's own association, with the path quoted in the Exec line.
  const std::string desktop = Slurp((fs::path(platform::DataHome()) / "applications" / "vantrel.desktop").string());
  EXPECT_NE(desktop.find("Exec=\"/opt/My Apps/vantrel\" %f"), std::string::npos) << desktop;
  EXPECT_NE(desktop.find("MimeType=application/x-vanexexcelfile;"), std::string::npos);
  const std::string mime = Slurp((fs::path(platform::DataHome()) / "mime" / "packages" / "vantrel.xml").string());
  EXPECT_NE(mime.find("*.vnx"), std::string::npos);
  EXPECT_EQ(tools.size(), 2u);
}

TEST_F(Assoc, ExtensionAlreadyOfTheClassIsLeftUntouched) {
  reg->RegWrite("HKCR\\.vnx\\", "VanexExcelFile");
  reg->RegWrite(kFileExts + ".vnx\\Application", "other");
  AssociateFileType(".vnx", "VanexExcelFile", "/opt/vantrel");
  AssociateFileType(".vnx", "VanexExcelFile", "/opt/vantrel");
  EXPECT_EQ(reg->log().size(), 2u);  // only this test's own writes
  EXPECT_EQ(reg->RegRead(kFileExts + ".vnx\\Application"), "other");
  EXPECT_EQ(tools.size(), 2u);  // the desktop files once, then nothing to refresh
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
  AssociateFileType(".vnx", "VanexExcelFile", "/opt/vantrel");
  EXPECT_NE(rt::Try([&] { reg->RegRead("HKCR\\.vnx\\"); }), 0);
  EXPECT_EQ(reg->RegRead(kFileExts + ".vnx\\Application"), "/opt/vantrel");
  EXPECT_TRUE(fs::exists(fs::path(platform::DataHome()) / "applications" / "vantrel.desktop"));
}

TEST_F(Assoc, RecordsAreSavedOncePerRun) {
  auto mem = std::make_shared<platform::MemorySettingsStore>();
  platform::SetSettingsStore(mem);
  ResetAssociationRecordsForTesting();
  platform::SetProgramPathForTesting("/opt/v/vantrel");
  EXPECT_TRUE(SaveAssociationRecords());
  EXPECT_EQ(platform::GetSetting(platform::kSettingsApp, "App", "associateEXE"), "vantrel");
  EXPECT_EQ(platform::GetSetting(platform::kSettingsApp, "App", "associateEXT"), ".vnx");
  EXPECT_EQ(ProgramCommand(), "/opt/v/vantrel");
  platform::DeleteSetting(platform::kSettingsApp, "App", "associateEXT");
  EXPECT_FALSE(SaveAssociationRecords());
  EXPECT_EQ(platform::GetSetting(platform::kSettingsApp, "App", "associateEXT"), "");
  platform::SetProgramPathForTesting("");
  platform::SetSettingsStore(nullptr);
}

}  // namespace
}  // namespace vantrel::datastore
