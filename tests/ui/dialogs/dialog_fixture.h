#pragma once
// Shared set-up of the dialog tests: a fresh data store with the recording main window, an
// in-memory settings store, a counted load body in place of the loader, and a temporary folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "datastore/load_queue.h"
#include "datastore/state.h"
#include "platform/settings/settings.h"
#include "tests/support/fake_services.h"
#include "tests/support/guards.h"
#include "tests/support/temp_dir.h"

namespace vantrel::test {

namespace fs = std::filesystem;

struct LoadRecord {
  double SourceMode, DataFileMode;
  std::string DataFilePath;
  double OptNoEarth;  // a field of SettingsBlock, to tell the records apart
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main = std::make_shared<datastore::FakeMainWindow>();
    store = std::make_unique<datastore::ScopedStore>(main);
    platform::SetSettingsStore(std::make_shared<platform::MemorySettingsStore>());
    datastore::SetLoadBody([this] {
      datastore::DataStore& s = datastore::Store();
      loads.push_back(
          {s.SourceMode, double(s.CmdLineInfo.DataFileMode), s.CmdLineInfo.DataFilePath, s.SettingsBlock.OptNoEarth});
      if (duringLoad) {
        auto f = std::move(duringLoad);
        duringLoad = nullptr;
        f();
      }
    });
  }
  void TearDown() override {
    datastore::SetLoadBody(nullptr);
    platform::SetSettingsStore(nullptr);
    store.reset();
  }
  datastore::DataStore& st() { return datastore::Store(); }
  static void WriteFile(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
  }
  static std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::shared_ptr<datastore::FakeMainWindow> main;
  std::unique_ptr<datastore::ScopedStore> store;
  std::vector<LoadRecord> loads;
  std::function<void()> duringLoad;  // runs inside the next load, as the event loop would
  TempDir folder;
  fs::path dir = folder.path();
};

}  // namespace vantrel::test
