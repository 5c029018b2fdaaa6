#pragma once
// A load on a fresh store: recording main window and view, scripted boxes, a fixed clock and
// locale, settings and registry in memory, an idle event pump, a working folder of its own, and
// a running spreadsheet made of an in-memory workbook (or none).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "datastore/association.h"
#include "tests/support/fake_services.h"
#include "datastore/load_queue.h"
#include "datastore/loader.h"
#include "datastore/sheet_link.h"
#include "datastore/state.h"
#include "datastore/watcher.h"
#include "platform/events/events.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"
#include "platform/shell/shell.h"
#include "platform/spreadsheet/model.h"
#include "platform/spreadsheet/workbook_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {

inline std::string LoaderFixture(const std::string& name) { return std::string(VANTREL_FIXTURES) + "/loader/" + name; }

// Counts attachments and hands out the instance a test set up (error 429 without one).
class CountingConnector : public spreadsheet::Connector {
 public:
  std::shared_ptr<spreadsheet::model::App> app;
  int attaches = 0;
  spreadsheet::Application Attach() override {
    ++attaches;
    if (!app) throw rt::RtError(rt::kErrCannotCreate);
    return app->handle();
  }
};

class LoaderTest : public ::testing::Test {
 protected:
  LoaderTest() : main(std::make_shared<FakeMainWindow>()), view(std::make_shared<FakeView>()), scope(main, view) {
    platform::SetSettingsStore(settings);
    platform::SetRegistry(std::make_shared<platform::KeyStoreRegistry>(dir.File("registry.txt")));
    SetAssociationToolRunner([](const std::vector<std::string>&) { return 0; });
    SetSheetConnector(nullptr);
    spreadsheet::SetConnector(connector);
    s().WorkDir = dir.path().string();
    s().ScaleFactor = 1.0;
  }
  ~LoaderTest() override {
    spreadsheet::SetConnector(nullptr);
    SetSheetConnector(nullptr);
    SetLoaderSteps({});
    SetAssociationToolRunner(nullptr);
    platform::SetRegistry(nullptr);
    platform::SetSettingsStore(nullptr);
  }

  DataStore& s() { return scope.store(); }
  const std::vector<forms::ScriptedMessageBoxes::Box>& boxes() { return msg.boxes().boxes(); }
  std::string CurrentFile() const { return dir.File("_Vantrel.vnx"); }
  std::string ReadCurrent() const { return test::TempDir::Read(CurrentFile()); }

  // Opens a workbook fixture as the running spreadsheet, its sheet `sheet` active with the
  // active cell at (row, col).
  std::shared_ptr<spreadsheet::model::Book> Run(const std::string& file, size_t sheet = 0, int64_t row = 1,
                                                int64_t col = 1) {
    connector->app = spreadsheet::model::App::Create();
    auto book = spreadsheet::OpenWorkbookFile(*connector->app, LoaderFixture(file));
    book->SetActiveSheet(sheet);
    book->sheet(sheet).EnsureLoaded();  // its saved view must not replace the cell set here
    book->sheet(sheet).SetActiveCell(row, col);
    return book;
  }

  test::TempDir dir;
  test::LocaleGuard locale{".", ","};
  test::MsgBoxGuard msg;
  test::ClockGuard clock{rt::DateSerial(2024, 3, 5) + rt::TimeSerial(14, 7, 9)};
  // Every event-loop pass takes a millisecond of the fake clock, so that waits end.
  std::shared_ptr<platform::FakeEventPump> events =
      std::make_shared<platform::FakeEventPump>([this] { clock.clock().Advance(0.001); });
  platform::EventPumpGuard pump{events};
  std::shared_ptr<platform::MemorySettingsStore> settings = std::make_shared<platform::MemorySettingsStore>();
  std::shared_ptr<CountingConnector> connector = std::make_shared<CountingConnector>();
  std::shared_ptr<FakeMainWindow> main;
  std::shared_ptr<FakeView> view;
  ScopedStore scope;
};

}  // namespace vantrel::datastore
