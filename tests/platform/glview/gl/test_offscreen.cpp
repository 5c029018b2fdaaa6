// The offscreen harness draws with the fixed-function pipeline and reads the pixels back.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/platform/glview/harness/offscreen_gl.h"

namespace vantrel::test {
namespace {

TEST(OffscreenGl, ClearsDrawsAndReadsBack) {
  OffscreenGl gl(64, 32);
  ASSERT_TRUE(gl.Valid()) << "no OpenGL context";
  ASSERT_TRUE(gl.Begin());
  glClearColor(10 / 256.0f, 20 / 256.0f, 70 / 256.0f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 64, 0, 32, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(1, 1, 0);
  glRectf(32, 0, 64, 16);  // bottom-right quarter
  glFinish();
  auto px = gl.ReadPixels(0, 0, 64, 32);
  auto at = [&](int x, int y) { return &px[size_t(y * 64 + x) * 3]; };
  EXPECT_NEAR(at(0, 31)[0], 10, 1);
  EXPECT_NEAR(at(0, 31)[1], 20, 1);
  EXPECT_NEAR(at(0, 31)[2], 70, 1);
  EXPECT_EQ(at(40, 8)[0], 255);
  EXPECT_EQ(at(40, 8)[1], 255);
  EXPECT_EQ(at(40, 8)[2], 0);
  EXPECT_NEAR(at(31, 8)[2], 70, 1);  // left of the quad
}

}  // namespace
}  // namespace vantrel::test
