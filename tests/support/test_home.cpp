#include "tests/support/test_home.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "tests/support/temp_dir.h"

namespace vantrel::test {
namespace fs = std::filesystem;

namespace {

std::string& Root() {
  static std::string root;
  return root;
}

pid_t& Owner() {  // the process that made the folder: a forked death-test child leaves it alone
  static pid_t pid = 0;
  return pid;
}

}  // namespace

std::string EnterTestHome() {
  std::error_code ec;
  fs::path root;
  try {
    root = MakeUniqueFolder("vantrel-test");
  } catch (const std::exception&) {
    std::perror("vantrel tests: cannot make a temporary home folder");
    std::exit(2);
  }
  Root() = root.string();
  Owner() = getpid();
  std::atexit(LeaveTestHome);  // also when a test ends the program with exit()
  const fs::path home = root / "home";
  const struct {
    const char* var;
    fs::path path;
  } folders[] = {
      {"HOME", home},
      {"XDG_CONFIG_HOME", home / ".config"},
      {"XDG_DATA_HOME", home / ".local" / "share"},
      {"XDG_STATE_HOME", home / ".local" / "state"},
      {"XDG_CACHE_HOME", home / ".cache"},
      {"XDG_RUNTIME_DIR", root / "runtime"},
      {"XDG_DATA_DIRS", root / "system" / "share"},
      {"XDG_CONFIG_DIRS", root / "system" / "xdg"},
  };
  for (const auto& f : folders) {
    fs::create_directories(f.path, ec);
    setenv(f.var, f.path.c_str(), 1);
  }
  chmod((root / "runtime").c_str(), 0700);  // as the runtime folder must be
  return Root();
}

void LeaveTestHome() {
  if (Root().empty() || Owner() != getpid()) return;
  RemoveTree(Root());
  Root().clear();
}

}  // namespace vantrel::test
