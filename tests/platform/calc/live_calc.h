#pragma once
// A load test beside a LibreOffice Calc of its own, started with a profile and a pipe unique to
// the test, and the live backend connected to it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>

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

  std::string pipe;  // unique to the test
  std::unique_ptr<test::CalcDriver> calc;
  std::shared_ptr<spreadsheet::CalcConnector> live;
};

}  // namespace vantrel::datastore
