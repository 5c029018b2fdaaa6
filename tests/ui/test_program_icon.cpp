// The window's icon is built into the program's library (a resource of a static library is
// easily lost at link time).

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

namespace vantrel::ui {
namespace {

TEST(ProgramIcon, BuiltIn) {
  const QString builtIn = QStringLiteral(":/vantrel/vantrel-48.png");
  const QImage image(builtIn);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(48, 48));
  EXPECT_TRUE(image.hasAlphaChannel());
  EXPECT_FALSE(QIcon(builtIn).availableSizes().isEmpty());
}

}  // namespace
}  // namespace vantrel::ui
