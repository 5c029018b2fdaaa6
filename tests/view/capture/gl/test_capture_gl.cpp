// Images saved from the view control: the file holds what the frame shows.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/platform/glview/harness/gl_harness.h"
#include "view/capture.h"

namespace vantrel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::int32_t I32(const Bytes& b, size_t at) {
  return std::int32_t(std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
                      std::uint32_t(b[at + 3]) << 24);
}

class Capture : public GlViewTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    folder = dir.path().toStdString();
    // 101 x 60: an odd width, so rows carry a pad byte.
    events.on_draw = [] {
      glColor3f(1, 0, 0);  // bottom half red
      glRectf(-200, -100, 200, 0);
      glColor3f(0, 0, 1);  // top half blue
      glRectf(-200, 0, 200, 100);
      glColor3f(0, 1, 0);  // one green column at the left edge
      glRectf(-200, -100, -49.5f, 100);
    };
    Open(101, 60);
    // Show x from -50.5 to 50.5 (one unit a pixel): the green column is pixel 0.
    view->Camera().SetOrtho(-50.5, 50.5, -30, 30);
    ASSERT_NO_FATAL_FAILURE(Render());
  }
  QTemporaryDir dir;
  std::string folder;
};

TEST_F(Capture, SavedImageEqualsTheReadBack) {
  std::string name = "frame.bmp";
  view::SaveBMP(*view, name, folder);
  EXPECT_EQ(folder.back(), '/') << "the separator is written back";
  Bytes f = ReadFile(folder + name);
  const int w = 101, h = 60, row = 304;
  ASSERT_EQ(f.size(), size_t(58 + row * h));
  EXPECT_EQ(I32(f, 18), w) << "the added column is cut at the viewport";
  EXPECT_EQ(I32(f, 22), h);
  EXPECT_EQ(I32(f, 10), 58);
  std::vector<std::uint8_t> px = view->ReadPixels(0, 0, w, h);
  ASSERT_EQ(px.size(), size_t(w * h * 3));
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < w; ++c) {
      size_t fi = 58 + size_t(r * row + 3 * c), pi = size_t((r * w + c) * 3);
      ASSERT_EQ(f[fi], px[pi + 2]) << "blue at row " << r << " column " << c;
      ASSERT_EQ(f[fi + 1], px[pi + 1]);
      ASSERT_EQ(f[fi + 2], px[pi]);
    }
    ASSERT_EQ(f[58 + size_t(r * row + 303)], 0) << "pad byte of row " << r;
  }
  // Bottom row first: its second pixel is red, stored blue, green, red.
  EXPECT_EQ(f[58 + 3], 0x00);
  EXPECT_EQ(f[58 + 4], 0x00);
  EXPECT_EQ(f[58 + 5], 0xFF);
  EXPECT_EQ(f[58 + 0], 0x00);  // the green column
  EXPECT_EQ(f[58 + 1], 0xFF);
  // The top row is blue.
  size_t top = 58 + size_t((h - 1) * row) + 3;
  EXPECT_EQ(f[top], 0xFF);
  EXPECT_EQ(f[top + 2], 0x00);
}

TEST_F(Capture, EmptyNameSavesImageSavedAndReplacesAnOlderFile) {
  std::string path = folder + "/ImageSaved.bmp";
  {
    std::ofstream old(path, std::ios::binary);
    old << std::string(100000, 'x');
  }
  std::string name;
  view::SaveBMP(*view, name, folder);
  EXPECT_EQ(std::filesystem::file_size(path), 58u + 304u * 60u) << "no tail of the old file";
  for (const auto& e : std::filesystem::directory_iterator(dir.path().toStdString()))
    EXPECT_EQ(e.path().filename(), "ImageSaved.bmp") << "no temporary left";
}

TEST_F(Capture, OneColumnMoreThanAskedWithinTheViewport) {
  ASSERT_TRUE(view->MakeCurrent());
  std::string a = folder + "/narrow.bmp", b = folder + "/cut.bmp";
  EXPECT_EQ(view::WriteBMPW(a, 0, 0, 99, 60), 0);
  EXPECT_EQ(view::WriteBMPW(b, 0, 0, 500, 500), 0);
  view->DoneCurrent();
  Bytes fa = ReadFile(a), fb = ReadFile(b);
  ASSERT_GE(fa.size(), 58u);
  ASSERT_GE(fb.size(), 58u);
  EXPECT_EQ(I32(fa, 18), 100);
  EXPECT_EQ(I32(fb, 18), 101);
  EXPECT_EQ(I32(fb, 22), 60);
}

TEST_F(Capture, FailuresLeaveNoFile) {
  std::string missing = folder + "/no/such/folder/";
  std::string name = "x.bmp";
  EXPECT_NO_THROW(view::SaveBMP(*view, name, missing));
  EXPECT_FALSE(std::filesystem::exists(missing + name));
  // Without a current context nothing is read or written.
  view->DoneCurrent();
  std::string path = folder + "/nocontext.bmp";
  EXPECT_EQ(view::WriteBMPW(path, 0, 0, 10, 10), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace vantrel::test
