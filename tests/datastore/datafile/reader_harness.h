#pragma once
// Runs the reader step of a load on a fresh store, with a recording main window, scripted
// message boxes and a working folder of its own.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "datastore/datafile_reader.h"
#include "tests/support/fake_services.h"
#include "datastore/state.h"
#include "tests/support/temp_dir.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {

inline std::string Fixture(const std::string& name) {
  return std::string(VANTREL_FIXTURES) + "/datafile/" + name;
}

class ReaderTest : public ::testing::Test {
 protected:
  ReaderTest() : main(std::make_shared<FakeMainWindow>()), scope(main) {}

  DataStore& s() { return scope.store(); }
  const std::vector<forms::ScriptedMessageBoxes::Box>& boxes() { return msg.boxes().boxes(); }

  // A fresh load's working values with the file names in the working folder.
  void NewLoad() {
    w = std::make_unique<LoadWork>();
    w->CurrentDataFile = dir.File("_Vantrel.vnx");
    w->DemoDataFile = dir.File("VantrelDemo.vnx");
  }
  // Reads the named file as File Open does.
  void ReadNamed(const std::string& path) {
    NewLoad();
    s().CmdLineInfo.DataFileMode = 1;
    s().CmdLineFirst = path;
    ReadDataFileStep(s(), *w);
  }
  // Reads bytes as the current data file of a worksheet load.
  void ReadCurrent(const std::string& bytes) {
    NewLoad();
    s().CmdLineInfo.DataFileMode = 0;
    s().SourceMode = 0;
    dir.Write("_Vantrel.vnx", bytes);
    ReadDataFileStep(s(), *w);
  }
  bool LogHas(const std::string& line) const {
    return main->text20.find("\r\n" + line) != std::string::npos;
  }

  test::TempDir dir;
  test::LocaleGuard locale{".", ","};
  test::MsgBoxGuard msg;
  std::shared_ptr<FakeMainWindow> main;
  ScopedStore scope;
  std::unique_ptr<LoadWork> w;
};

// A header line of the data file for formula and title, without its line end.
inline std::string Header(const std::string& formula, const std::string& title) {
  return "From: \tBook1\tSheet1\t" + formula + "\t1.0000000000\t" + title +
         "\tDate 2024/03/05 14:07:09\tVantrel data file 2024\t" + std::string(16, '\t');
}

}  // namespace vantrel::datastore
