// The toolbars' pictures.

#include <gtest/gtest.h>

#include <QImage>

#include <set>

#include "tests/ui/ui_fixture.h"
#include "ui/toolbar_images.h"

namespace vantrel::ui {
namespace {

// Pixels that are neither transparent nor white-ish background.
int Inked(const QPixmap& p) {
  QImage img = p.toImage().convertToFormat(QImage::Format_ARGB32);
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += qAlpha(img.pixel(x, y)) > 128;
  return n;
}

TEST(ToolbarImages, EveryUsedPictureIsDrawnAndDistinct) {
  for (PictureList list : {PictureList::kView, PictureList::kOption}) {
    for (int size : {16, 24}) {
      std::set<QByteArray> seen;
      for (int n : DrawnPictures(list)) {
        QPixmap p = ToolbarPicture(list, n, size);
        ASSERT_EQ(p.width(), size);
        // Enough ink to read at this size, and room left around it.
        const int inked = Inked(p);
        EXPECT_GT(inked, size * size / 10) << n << " at " << size;
        EXPECT_LT(inked, size * size * 9 / 10) << n << " at " << size;
        QImage img = p.toImage();
        seen.insert(QByteArray(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes()));
      }
      EXPECT_EQ(seen.size(), DrawnPictures(list).size()) << "two pictures look the same at " << size;
    }
  }
  EXPECT_EQ(Inked(ToolbarPicture(PictureList::kView, 1, 16)), 0);  // a number no button uses
}

TEST_F(UiTest, ButtonsShowTheirPictures) {
  MainWindow& m = Start();
  EXPECT_EQ(m.ImageListForToolBar.Count(), 262);
  EXPECT_EQ(m.ImageListForToolBarAdd1.Count(), 169);
  const std::pair<int, int> view[] = {{1, 7},   {2, 10},  {3, 4},  {4, 0},   {5, 5},    {6, 6},  {7, 0},   {8, 149},
                                      {9, 105}, {10, 84}, {11, 0}, {12, 66}, {13, 258}, {14, 0}, {15, 27}, {16, 48}};
  for (auto [button, picture] : view) EXPECT_EQ(m.Toolbar1->Button(button).Image(), picture) << button;
  const std::pair<int, int> options[] = {{1, 1}, {2, 2},   {3, 96}, {4, 0},   {5, 92},
                                         {6, 0}, {7, 165}, {8, 0},  {9, 104}, {10, 107}};
  for (auto [button, picture] : options) EXPECT_EQ(m.ToolBoptions->Button(button).Image(), picture) << button;
  const std::pair<int, const char*> keys[] = {{7, "arrow"}, {10, "hand"},  {4, "zoom"},    {5, "zoomm"},
                                              {6, "zoomp"}, {66, "vanex"}, {27, "cactus"}, {48, "squarediam"}};
  for (auto [picture, key] : keys) EXPECT_EQ(m.ImageListForToolBar.IndexOfKey(key), picture);
  EXPECT_EQ(m.ImageListForToolBarAdd1.IndexOfKey("cube"), 2);
  EXPECT_EQ(m.Toolbar1->Button(2).Value(), forms::kButtonPressed);  // pan
}

}  // namespace
}  // namespace vantrel::ui
