#pragma once
// A main window on a fresh store: settings in memory, fixed locale and clock, scripted boxes,
// the first load replaced by a counter, and a recording view in place of the view object's
// camera once the start-up has run.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/fake_services.h"
#include "datastore/load_queue.h"
#include "datastore/settings_persist.h"
#include "datastore/state.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"
#include "platform/shell/shell.h"
#include "tests/support/guards.h"
#include "ui/main_shared.h"
#include "ui/main_window.h"
#include "ui/single_settings.h"
#include "view/class_gl.h"
#include "view/view_shared.h"

namespace vantrel::ui {

class UiTest : public ::testing::Test {
 protected:
  UiTest() {
    platform::SetSettingsStore(settings);
    datastore::SetLoadBody([this] { ++loads; });
  }
  ~UiTest() override {
    w.reset();
    datastore::SetLoadBody(nullptr);
    platform::SetSettingsStore(nullptr);
  }

  // Builds the window (without the view control unless asked) and runs its load handler; the
  // view's camera calls are then recorded.
  MainWindow& Start(std::vector<std::string> args = {}, bool withView = false) {
    MainWindowOptions o;
    o.arguments = std::move(args);
    o.withViewControl = withView;
    w = std::make_unique<MainWindow>(std::move(o));
    w->Form_Load();
    st().View = camera;
    return *w;
  }

  void Store(const std::string& key, const std::string& value) {
    platform::SaveSetting(platform::kSettingsApp, "Use", key, value);
  }
  std::string Stored(const std::string& key) {
    return platform::GetSetting(platform::kSettingsApp, "Use", key, "<none>");
  }

  datastore::DataStore& st() { return scope.store(); }
  datastore::SettingsRecord& sb() { return st().SettingsBlock; }
  const std::vector<forms::ScriptedMessageBoxes::Box>& boxes() { return msg.boxes().boxes(); }

  test::LocaleGuard locale{".", ","};
  test::MsgBoxGuard msg;
  test::ClockGuard clock{rt::DateSerial(2026, 3, 5) + rt::TimeSerial(14, 7, 9)};
  std::shared_ptr<platform::MemorySettingsStore> settings = std::make_shared<platform::MemorySettingsStore>();
  datastore::ScopedStore scope;
  view::ScopedViewShared viewShared;
  ScopedMainShared mainShared;
  std::shared_ptr<datastore::FakeView> camera = std::make_shared<datastore::FakeView>();
  int loads = 0;
  std::unique_ptr<MainWindow> w;
};

}  // namespace vantrel::ui
