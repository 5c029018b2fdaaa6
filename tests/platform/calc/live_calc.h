#pragma once
// A load test beside a LibreOffice Calc of its own, started with a profile and a pipe unique to
// the test, and the live backend connected to it.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/spreadsheet/calc.h"
#include "tests/datastore/loader/loader_harness.h"
#include "tests/platform/calc/calc_driver.h"

namespace vantrel::datastore {

class LiveCalcTest : public LoaderTest {
 protected:
  void SetUp() override {
    if (access("/usr/bin/soffice", X_OK) != 0) GTEST_SKIP() << "LibreOffice is not installed";
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    pipe = "vantrel_test_" + std::to_string(getpid()) + "_" + test->name();
    calc = std::make_unique<test::CalcDriver>(pipe, dir.File("profile"));
    ASSERT_TRUE(calc->started()) << "Calc did not start: " << calc->reason();
    spreadsheet::CalcConnector::Options o;
    o.connection = "pipe,name=" + pipe + ";urp;StarOffice.ComponentContext";
    live = std::make_shared<spreadsheet::CalcConnector>(o);
  }
  void TearDown() override {
    if (program > 0) {
      kill(program, SIGTERM);
      waitpid(program, nullptr, 0);
    }
    LoaderTest::TearDown();
  }

  // The real program started beside the running Calc, from a folder of its own (the program, the
  // Calc module, the textures with their licence text) and with a home folder of its own, where
  // it writes its data file: a first start, with settings of its own.
  void StartProgram() {
    namespace fs = std::filesystem;
    const fs::path folder = ProgramFolder();
    fs::create_directories(folder);
    for (const auto& e : fs::directory_iterator(fs::path(VANTREL_PROGRAM).parent_path())) {
      const std::string name = e.path().filename().string(), ext = e.path().extension().string();
      if (name == "vantrel" || name == "libvantrel_calc.so" || ext == ".jpg" || name == "LICENSES.txt")
        fs::copy_file(e.path(), folder / name);
    }
    program = fork();
    if (program == 0) {
      setenv("VANTREL_CALC", ("pipe,name=" + pipe + ";urp;StarOffice.ComponentContext").c_str(), 1);
      unsetenv("VANTREL_WORKBOOK");
      const std::string home = (folder / "home").string();
      for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) setenv(v, home.c_str(), 1);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      const std::string exe = (folder / "vantrel").string();
      execl(exe.c_str(), exe.c_str(), nullptr);
      _exit(127);
    }
    ASSERT_GT(program, 0);
  }
  std::filesystem::path ProgramFolder() { return dir.File("program"); }
  std::string ProgramDataFile() { return (ProgramFolder() / "home" / "Vantrel" / "_Vantrel.vnx").string(); }
  // Whether the data file the program writes holds every one of `texts`, within 3 minutes.
  bool ProgramDataFileShows(const std::vector<std::string>& texts) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    while (std::chrono::steady_clock::now() < end) {
      std::error_code ec;
      if (std::filesystem::exists(ProgramDataFile(), ec)) {
        const std::string text = test::TempDir::Read(ProgramDataFile());
        bool all = true;
        for (const std::string& t : texts) all = all && text.find(t) != std::string::npos;
        if (all) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }
  // The program is still running, and ends now.
  void EndProgram() {
    EXPECT_EQ(waitpid(program, nullptr, WNOHANG), 0);  // still running
    kill(program, SIGTERM);
    waitpid(program, nullptr, 0);
    program = -1;
  }

  std::string pipe;  // unique to the test
  std::unique_ptr<test::CalcDriver> calc;
  std::shared_ptr<spreadsheet::CalcConnector> live;
  pid_t program = -1;
};

}  // namespace vantrel::datastore
