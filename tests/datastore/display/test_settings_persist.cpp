#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "datastore/recent_specs.h"
#include "datastore/settings_persist.h"
#include "datastore/state.h"
#include "platform/settings/qt/qt_settings.h"
#include "platform/settings/settings.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

namespace fs = std::filesystem;
using platform::GetSetting;
using platform::kSettingsApp;
using platform::SaveSetting;

std::string FreshFolder(const std::string& name) {
  fs::path p = fs::path(std::getenv("XDG_CONFIG_HOME")) / "persist-tests" / name;
  fs::remove_all(p);
  return p.string();
}

struct Persist : ::testing::Test {
  ScopedStore scope;
  DataStore& s = scope.store();
  std::shared_ptr<platform::MemorySettingsStore> mem = std::make_shared<platform::MemorySettingsStore>();
  Persist() { platform::SetSettingsStore(mem); }
  ~Persist() override { platform::SetSettingsStore(nullptr); }
};

TEST_F(Persist, KeysCarryTheLocalesDecimalSeparator) {
  {
    test::LocaleGuard loc(".", ",");
    EXPECT_EQ(SettingsKey(0), "Set00.00");
    EXPECT_EQ(SettingsKey(100), "Set100.00");
    EXPECT_EQ(RecentSpecKey(20), "SpecsMax20.00");
  }
  test::LocaleGuard loc(",", " ");
  EXPECT_EQ(SettingsKey(8), "Set08,00");
  EXPECT_EQ(RecentSpecKey(3), "SpecsMax03,00");
}

TEST_F(Persist, EmptyOrAllZeroStoreKeepsTheRecord) {
  s.SettingsBlock.MoonFactor = 7;
  double none = 0;
  UseSettingsW(0, none);
  EXPECT_EQ(none, -1);
  EXPECT_EQ(s.SettingsBlock.MoonFactor, 7);
  for (int i = 0; i < kSettingsEntries; i += 7) SaveSetting(kSettingsApp, "Use", SettingsKey(i), i % 2 ? "0" : "abc");
  none = 0;
  UseSettingsW(0, none);
  EXPECT_EQ(none, -1);
  EXPECT_EQ(s.SettingsBlock.MoonFactor, 7);
}

TEST_F(Persist, StoredColoursAreClampedAndOtherEntriesAreNot) {
  s.FactorySettingsBlock.ColourAxis = {128, 129, 130};
  const struct {
    int entry;
    const char* stored;
    double field;
  } cases[] = {
      {11, "300", 255},    {12, "-5", 0},    {13, "40", 40}, {14, "abc", 128},  // not a number: the factory value
      {15, "", 129},                                                            // nor is an empty text
      {16, "999abc", 130}, {29, "300", 300},                                    // MoonFactor is not clamped
      {8, "abc", 0},  // outside the colours a text that is no number reads 0
  };
  for (const auto& c : cases) SaveSetting(kSettingsApp, "Use", SettingsKey(c.entry), c.stored);
  double none = 0;
  UseSettingsW(0, none);
  EXPECT_EQ(none, 0);
  for (const auto& c : cases) EXPECT_EQ(SettingsField(s.SettingsBlock, c.entry), c.field) << c.entry;
  EXPECT_EQ(s.SettingsArr[11].number, 255);
  EXPECT_EQ(s.SettingsArr[29].text, "300");
}

TEST_F(Persist, SaveWritesEveryEntryAndEmptyTailEntries) {
  test::LocaleGuard loc(".", ",");
  s.SettingsBlock.AxisLengthFactor = 0.3;
  s.SettingsBlock.OptCubicView = 1;
  double none = 0;
  UseSettingsW(1, none);
  EXPECT_EQ(mem->size(), 101u);
  EXPECT_EQ(GetSetting(kSettingsApp, "Use", "Set08.00"), "0.3");
  EXPECT_EQ(GetSetting(kSettingsApp, "Use", "Set37.00"), "1");
  EXPECT_EQ(GetSetting(kSettingsApp, "Use", "Set38.00", "missing"), "");
  EXPECT_EQ(GetSetting(kSettingsApp, "Use", "Set100.00", "missing"), "");
  // Read back: tail entries come back as empty texts and add nothing.
  ScopedStore fresh;
  UseSettingsW(0, none);
  EXPECT_EQ(none, 0);
  EXPECT_EQ(fresh.store().SettingsBlock.AxisLengthFactor, 0.3);
  EXPECT_EQ(fresh.store().SettingsArr[50].text, "");
}

// Saves under one locale in a child process (which ends without running destructors), loads in
// this one.
void SaveInOtherProcess(const std::string& folder, const char* decimal, const char* thousands) {
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    test::LocaleGuard loc(decimal, thousands);
    platform::SetSettingsStore(std::make_shared<platform::QtSettingsStore>(folder));
    ScopedStore st;
    st.store().SettingsBlock.AxisLengthFactor = 0.3;
    st.store().SettingsBlock.ColourBackground = {1, 2, 3};
    st.store().SettingsBlock.MoonFactor = 12.5;
    double none = 0;
    UseSettingsW(1, none);
    std::_Exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(Persist, SettingsWrittenByOneProcessLoadInAnotherUnderPointAndCommaLocales) {
  const struct {
    const char* decimal;
    const char* thousands;
    const char* key;
    const char* text;
  } locales[] = {{".", ",", "Set08.00", "0.3"}, {",", ".", "Set08,00", "0,3"}, {",", " ", "Set08,00", "0,3"}};
  for (const auto& l : locales) {
    const std::string folder = FreshFolder(std::string("proc") + l.decimal + l.thousands);
    SaveInOtherProcess(folder, l.decimal, l.thousands);
    test::LocaleGuard loc(l.decimal, l.thousands);
    platform::SetSettingsStore(std::make_shared<platform::QtSettingsStore>(folder));
    EXPECT_EQ(GetSetting(kSettingsApp, "Use", l.key), l.text);
    ScopedStore fresh;
    double none = 0;
    UseSettingsW(0, none);
    EXPECT_EQ(none, 0);
    EXPECT_EQ(fresh.store().SettingsBlock.AxisLengthFactor, 0.3) << l.decimal;
    EXPECT_EQ(fresh.store().SettingsBlock.MoonFactor, 12.5) << l.decimal;
    EXPECT_EQ(fresh.store().SettingsBlock.ColourBackground, (Rgb{1, 2, 3})) << l.decimal;
  }
}

TEST_F(Persist, ChangeOfDecimalSeparatorBetweenRunsFindsNothing) {
  const std::string folder = FreshFolder("switch");
  SaveInOtherProcess(folder, ",", ".");
  test::LocaleGuard loc(".", ",");
  platform::SetSettingsStore(std::make_shared<platform::QtSettingsStore>(folder));
  s.SettingsBlock.MoonFactor = 10;
  double none = 0;
  UseSettingsW(0, none);
  EXPECT_EQ(none, -1);
  EXPECT_EQ(s.SettingsBlock.MoonFactor, 10);
}

// --- recent specifications ---------------------------------------------------------------

std::vector<std::string> Slots(std::initializer_list<const char*> v) {
  std::vector<std::string> out(v.begin(), v.end());
  out.resize(kRecentSpecSlots);
  return out;
}

void Store(const std::vector<std::string>& slots) {
  for (int i = 0; i < kRecentSpecSlots; ++i)
    if (!slots[i].empty()) SaveSetting(kSettingsApp, "Use", RecentSpecKey(i), slots[i]);
}

TEST_F(Persist, RecentSpecificationsMostRecentFirst) {
  std::vector<std::string> full;
  for (int i = 0; i < kRecentSpecSlots; ++i) full.push_back("S" + std::to_string(i));
  std::vector<std::string> fullAfter = {"N"};
  for (int i = 0; i < kRecentSpecSlots - 1; ++i) fullAfter.push_back("S" + std::to_string(i));
  const struct {
    std::vector<std::string> before;
    const char* spec;
    std::vector<std::string> after;
  } cases[] = {
      {Slots({"A", "B", "C"}), "B", Slots({"B", "A", "C"})},
      {Slots({"A", "B", "C"}), "D", Slots({"D", "A", "B", "C"})},
      {Slots({"A", "", "C"}), "D", Slots({"D", "A", "C"})},
      {Slots({"A", "B"}), "A", Slots({"A", "B"})},
      {Slots({"A", "B"}), "", Slots({"A", "B"})},
      {Slots({"A", "B", "a"}), "a", Slots({"a", "A", "B"})},  // case-sensitive
      {full, "N", fullAfter},
      {full, "S20",
       [&] {
         auto v = full;
         v.insert(v.begin(), "S20");
         v.pop_back();
         return v;
       }()},
  };
  for (const auto& c : cases) {
    auto fresh = std::make_shared<platform::MemorySettingsStore>();
    platform::SetSettingsStore(fresh);
    Store(c.before);
    SaveRecentSpec(c.spec);
    EXPECT_EQ(RecentSpecs(), c.after) << c.spec;
  }
}

TEST_F(Persist, SameSpecAtTheTopRewritesSlotZeroOnly) {
  Store(Slots({"A", "B"}));
  const int before = mem->writes();
  SaveRecentSpec("A");
  EXPECT_EQ(mem->writes() - before, 1);
}

TEST_F(Persist, VirtualStorePathIsTheIdentity) {
  std::string msg = "Saved", out;
  VirtualStorePath(msg, "/home/u/.local/share/Vantrel/_Vantrel.vnx", out);
  EXPECT_EQ(out, "/home/u/.local/share/Vantrel/_Vantrel.vnx");
  EXPECT_EQ(msg, "Saved");
}

}  // namespace
}  // namespace vantrel::datastore
