#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "ui/main_window.h"

namespace vantrel::ui {
namespace {

TEST(MainWindow, OpensTitledAndCloses) {
  MainWindow w;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_EQ(w.windowTitle(), QString("Vantrel"));
  EXPECT_GT(w.width(), 0);
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace vantrel::ui
