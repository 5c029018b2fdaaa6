// Where the program looks for the Calc module: a program of the build folder may take the
// build's module; an installed program (or one in a folder whose name only begins like the
// build folder's) never loads a library out of the build tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/runtime/rterror.h"
#include "platform/shell/shell.h"
#include "platform/spreadsheet/calc.h"
#include "tests/support/guards.h"

namespace ss = vantrel::spreadsheet;
namespace fs = std::filesystem;

namespace {

// The description of the error of an attach by a program at programPath.
std::string AttachErrorFrom(const std::string& programPath) {
  vantrel::test::EnvGuard env("VANTREL_CALC_MODULE", nullptr);
  vantrel::platform::SetProgramPath(programPath);
  ss::CalcConnector::Options o;
  o.connection = "pipe,name=vantrel_module_path_none;urp;StarOffice.ComponentContext";
  ss::CalcConnector c(o);
  std::string description;
  try {
    c.Attach();
  } catch (const vantrel::rt::RtError& e) {
    EXPECT_EQ(e.number(), 429);
    description = e.description();
  }
  vantrel::platform::SetProgramPath("");
  return description;
}

TEST(CalcModulePath, OnlyAProgramOfTheBuildFolderTakesTheBuildsModule) {
  const std::string build = VANTREL_TEST_BUILD_FOLDER;
  if (!fs::exists(build + "/libvantrel_calc.so")) GTEST_SKIP() << "the Calc module is not built";
  // A module once loaded stays loaded: the programs that must not find it come first.
  const struct {
    std::string program;
    bool found;
  } cases[] = {
      {"/usr/bin/vantrel", false},
      {"/nonexistent/usr/local/bin/vantrel", false},
      {build + "-none-x/vantrel", false},
      {build + "-none-y/bin/vantrel", false},
      {build + "/tests/platform/spreadsheet/test_spreadsheet", true},
  };
  for (const auto& c : cases) {
    const std::string d = AttachErrorFrom(c.program);
    EXPECT_EQ(d == "LibreOffice Calc is not installed", !c.found) << c.program << ": " << d;
  }
}

}  // namespace
