// main() for tests that make widgets: a QApplication lives for the whole run, in a home folder
// of the run's own. Listing the tests (as CTest does to discover them, without the tests'
// environment) needs no display.
#include <QApplication>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "tests/support/test_home.h"

namespace {

// An X server may refuse connections for a moment (one started without -noreset resets when its
// last client leaves, and test programs start and end beside each other); Qt tries once and
// aborts. Wait until the display takes a connection (for up to a minute, then let Qt try and say
// why).
void WaitForDisplay() {
  const char* display = std::getenv("DISPLAY");
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!display || !*display || (platform && *platform && std::strncmp(platform, "xcb", 3) != 0)) return;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (int tries = 1;; ++tries) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const bool taken = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    if (taken) {
      if (tries > 1) std::fprintf(stderr, "display %s took a connection at try %d\n", display, tries);
      return;
    }
    if (std::chrono::steady_clock::now() > until) {
      std::fprintf(stderr, "display %s refused every connection for a minute\n", display);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
}

}  // namespace

int main(int argc, char** argv) {
  vantrel::test::EnterTestHome();
  bool listing = false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--gtest_list_tests") == 0) listing = true;
  int rc = 0;
  {
    std::unique_ptr<QApplication> app;
    if (!listing) {
      WaitForDisplay();
      app = std::make_unique<QApplication>(argc, argv);
    }
    ::testing::InitGoogleTest(&argc, argv);
    rc = RUN_ALL_TESTS();
  }
  vantrel::test::LeaveTestHome();
  return rc;
}
