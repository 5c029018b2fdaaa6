// main() for the tests: the run gets a home folder of its own first.
#include <gtest/gtest.h>

#include "tests/support/test_home.h"

int main(int argc, char** argv) {
  vantrel::test::EnterTestHome();
  ::testing::InitGoogleTest(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  vantrel::test::LeaveTestHome();
  return rc;
}
