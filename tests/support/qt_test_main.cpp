// main() for tests that make widgets: a QApplication lives for the whole run. Listing the
// tests (as CTest does to discover them, without the tests' environment) needs no display.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

int main(int argc, char** argv) {
  bool listing = false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--gtest_list_tests") == 0) listing = true;
  std::unique_ptr<QApplication> app;
  if (!listing) app = std::make_unique<QApplication>(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
