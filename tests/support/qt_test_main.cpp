// main() for tests that make widgets: a QApplication lives for the whole run, in a home folder
// of the run's own. Listing the tests (as CTest does to discover them, without the tests'
// environment) needs no display.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/support/test_home.h"

int main(int argc, char** argv) {
  vantrel::test::EnterTestHome();
  bool listing = false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--gtest_list_tests") == 0) listing = true;
  int rc = 0;
  {
    std::unique_ptr<QApplication> app;
    if (!listing) app = std::make_unique<QApplication>(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    rc = RUN_ALL_TESTS();
  }
  vantrel::test::LeaveTestHome();
  return rc;
}
