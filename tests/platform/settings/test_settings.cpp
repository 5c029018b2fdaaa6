#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/rterror.h"
#include "platform/settings/qt/qt_settings.h"
#include "platform/settings/settings.h"

namespace vantrel::platform {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the test's XDG config folder.
std::string FreshFolder(const std::string& name) {
  const char* cfg = std::getenv("XDG_CONFIG_HOME");
  fs::path p = fs::path(cfg ? cfg : "/tmp") / "settings-tests" / name;
  fs::remove_all(p);
  return p.string();
}

class StoreGuard {
 public:
  explicit StoreGuard(std::shared_ptr<SettingsStore> s) { SetSettingsStore(std::move(s)); }
  ~StoreGuard() { SetSettingsStore(nullptr); }
};

TEST(Settings, KeysAndSectionsAreCaseInsensitive) {
  for (auto store : {std::shared_ptr<SettingsStore>(std::make_shared<MemorySettingsStore>()),
                     std::shared_ptr<SettingsStore>(std::make_shared<QtSettingsStore>(FreshFolder("case")))}) {
    StoreGuard g(store);
    SaveSetting(kSettingsApp, "Use", "Set08,00", "0,3");
    EXPECT_EQ(GetSetting(kSettingsApp, "USE", "set08,00"), "0,3");
    EXPECT_EQ(GetSetting(kSettingsApp, "use", "SET08,00"), "0,3");
    // The separator is part of the key: the point key is another key.
    EXPECT_EQ(GetSetting(kSettingsApp, "Use", "Set08.00", "0"), "0");
    SaveSetting(kSettingsApp, "use", "SET08,00", "1,5");
    EXPECT_EQ(GetSetting(kSettingsApp, "Use", "Set08,00"), "1,5");
  }
}

TEST(Settings, MissingKeyGivesTheDefaultAndEmptyIsKept) {
  StoreGuard g(std::make_shared<QtSettingsStore>(FreshFolder("missing")));
  EXPECT_EQ(GetSetting(kSettingsApp, "Use", "SpecsMax03.00"), "");
  EXPECT_EQ(GetSetting(kSettingsApp, "Use", "Set99.00", "0"), "0");
  SaveSetting(kSettingsApp, "Use", "Set99.00", "");
  EXPECT_EQ(GetSetting(kSettingsApp, "Use", "Set99.00", "0"), "");
  DeleteSetting(kSettingsApp, "Use", "Set99.00");
  EXPECT_EQ(GetSetting(kSettingsApp, "Use", "Set99.00", "0"), "0");
  DeleteSetting(kSettingsApp, "Use", "NeverWritten");  // no error
}

TEST(Settings, ValuesRoundTripAsWritten) {
  auto store = std::make_shared<QtSettingsStore>(FreshFolder("values"));
  StoreGuard g(store);
  const char* values[] = {"0,3",
                          "a, b, c",
                          "@Invalid()",
                          "=MAX(A2:C60;LEN(\"Orbit ned 1, 2\"))",
                          " lead and trail ",
                          "été \xE2\x80\xAF 1",
                          "x=y;z",
                          "back\\slash",
                          "-1.5E-07"};
  int i = 0;
  for (const char* v : values) SaveSetting(kSettingsApp, "Use", "K" + std::to_string(i++), v);
  QtSettingsStore other(fs::path(store->FilePath(kSettingsApp)).parent_path().string());
  i = 0;
  for (const char* v : values) {
    auto got = other.Read(kSettingsApp, "use", "k" + std::to_string(i++));
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, v);
  }
}

TEST(Settings, FileLiesUnderTheConfigFolderOfTheEnvironment) {
  QtSettingsStore store;
  const char* cfg = std::getenv("XDG_CONFIG_HOME");
  ASSERT_NE(cfg, nullptr);
  EXPECT_EQ(store.FilePath(kSettingsApp), std::string(cfg) + "/Vantrel/Vantrel.ini");
}

TEST(Settings, WrittenByOneProcessReadByAnother) {
  const std::string folder = FreshFolder("process");
  QtSettingsStore early(folder);  // opened before the other process writes
  EXPECT_FALSE(early.Read(kSettingsApp, "use", "set05,00").has_value());
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    QtSettingsStore writer(folder);
    writer.Write(kSettingsApp, "use", "set05,00", "0,25");
    writer.Write(kSettingsApp, "app", "associateext", ".vnx");
    std::_Exit(0);  // no destructor runs: the values must already be on disk
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  QtSettingsStore late(folder);
  EXPECT_EQ(late.Read(kSettingsApp, "use", "set05,00").value_or("?"), "0,25");
  EXPECT_EQ(early.Read(kSettingsApp, "use", "set05,00").value_or("?"), "0,25");
  EXPECT_EQ(early.Read(kSettingsApp, "app", "associateext").value_or("?"), ".vnx");
}

TEST(Settings, RefusedWritesAndEmptyKeysRaiseRunTimeErrors) {
  auto mem = std::make_shared<MemorySettingsStore>();
  StoreGuard g(mem);
  EXPECT_EQ(rt::Try([] { SaveSetting(kSettingsApp, "Use", "", "1"); }), rt::kErrInvalidCall);
  // The store itself refuses; SaveSetting keeps the value in memory and tells it once.
  mem->SetReadOnly(true);
  EXPECT_NE(rt::Try([&] { mem->Write(kSettingsApp, "use", "set00.00", "1"); }), 0);

  // A folder that cannot be created: a plain file stands where it should be.
  const std::string base = FreshFolder("blocked");
  fs::create_directories(fs::path(base).parent_path());
  {
    FILE* f = std::fopen(base.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  QtSettingsStore blocked(base + "/sub");
  EXPECT_NE(rt::Try([&] { blocked.Write(kSettingsApp, "use", "k", "v"); }), 0);
}

// A store that cannot write: every value is kept for the run and read back, the user is told
// once with the store's own description, and the next store starts afresh.
TEST(Settings, RefusedWritesAreKeptInMemoryAndToldOnce) {
  auto mem = std::make_shared<MemorySettingsStore>();
  StoreGuard g(mem);
  std::vector<std::string> told;
  SetSettingsFaultReporter([&](const std::string& d) { told.push_back(d); });
  SaveSetting(kSettingsApp, "Use", "Kept", "before");
  mem->SetReadOnly(true);
  const struct {
    const char* key;
    const char* value;  // nullptr: deleted
  } writes[] = {{"Kept", "after"}, {"New", "1"}, {"New", "2"}, {"Kept", nullptr}, {"Other", "x"}};
  for (const auto& w : writes) {
    SCOPED_TRACE(w.key);
    EXPECT_EQ(rt::Try([&] {
                if (w.value) SaveSetting(kSettingsApp, "Use", w.key, w.value);
                else DeleteSetting(kSettingsApp, "Use", w.key);
              }),
              0);
  }
  EXPECT_EQ(GetSetting(kSettingsApp, "use", "new", "?"), "2");
  EXPECT_EQ(GetSetting(kSettingsApp, "Use", "Kept", "gone"), "gone");
  EXPECT_EQ(GetSetting(kSettingsApp, "Use", "Other", "?"), "x");
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(mem->Read(kSettingsApp, "use", "kept").value_or("?"), "before") << "the store is untouched";

  // Writable again: the value goes to the store and the memory copy is dropped.
  mem->SetReadOnly(false);
  SaveSetting(kSettingsApp, "Use", "New", "3");
  EXPECT_EQ(mem->Read(kSettingsApp, "use", "new").value_or("?"), "3");
  EXPECT_EQ(GetSetting(kSettingsApp, "Use", "New", "?"), "3");

  // A fresh store of a new run is told again.
  auto next = std::make_shared<MemorySettingsStore>();
  next->SetReadOnly(true);
  StoreGuard g2(next);
  SaveSetting(kSettingsApp, "Use", "New", "4");
  EXPECT_EQ(told.size(), 2u);
  SetSettingsFaultReporter(nullptr);
}

// The INI store's refusal names its file and the system's reason.
TEST(Settings, TheQtStoreNamesItsFileAndTheReason) {
  const std::string base = FreshFolder("plainfile");
  fs::create_directories(fs::path(base).parent_path());
  {
    FILE* f = std::fopen(base.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  QtSettingsStore blocked(base + "/Vantrel");
  std::string text;
  try {
    blocked.Write(kSettingsApp, "use", "k", "v");
  } catch (const rt::RtError& e) {
    text = e.description();
  }
  EXPECT_NE(text.find(base + "/Vantrel/Vantrel.ini"), std::string::npos) << text;
  EXPECT_NE(text.find("Not a directory"), std::string::npos) << text;
}

}  // namespace
}  // namespace vantrel::platform
