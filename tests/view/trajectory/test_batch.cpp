// The vertex batches draw what the same vertices drawn one by one would draw.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include "tests/platform/glview/harness/offscreen_gl.h"
#include "view/scene_batch.h"

namespace vantrel::test {
namespace {

struct V {
  float x, y, z;
  view::Colour4 c;
  bool brk;  // a break before this vertex
};

class Batches : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_.Valid());
    ASSERT_TRUE(gl_.Begin());
    glViewport(0, 0, 128, 128);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 10, -10, 10, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(20, 1, 1, 0);
    glShadeModel(GL_FLAT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  std::vector<std::uint8_t> Frame(const std::function<void()>& draw) {
    glClearColor(0.1f, 0.2f, 0.3f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    glFinish();
    return gl_.ReadPixels(0, 0, 128, 128);
  }
  // A dense random walk: many vertices per pixel, colours changing every `every` vertices.
  std::vector<V> Walk(int n, int every, int breakEvery) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> step(-0.05f, 0.05f);
    const view::Colour4 palette[3] = {{0, 1, 0, 0.6f}, {1, 0, 0.25f, 0.6f}, {0.2f, 0.4f, 1, 0.6f}};
    std::vector<V> out;
    float x = 0, y = 0, z = 0;
    for (int i = 0; i < n; ++i) {
      x += step(rng), y += step(rng), z += step(rng);
      out.push_back({x, y, z, palette[(i / every) % 3], breakEvery > 0 && i % breakEvery == 0});
    }
    return out;
  }
  static int MaxDiff(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    int m = 0;
    for (size_t i = 0; i < a.size(); ++i) m = std::max(m, std::abs(int(a[i]) - int(b[i])));
    return m;
  }
  static int Lit(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& bg) {
    int n = 0;
    for (size_t i = 0; i < a.size(); i += 3)
      if (a[i] != bg[i] || a[i + 1] != bg[i + 1] || a[i + 2] != bg[i + 2]) ++n;
    return n;
  }

  OffscreenGl gl_{128, 128};
};

TEST_F(Batches, LineStripWithColourRunsAndBreaksMatchesImmediateMode) {
  struct Case {
    int every, breakEvery, tolerance;
  } cases[] = {
      {5000, 0, 0},    // few colour changes: one draw per run, exact
      {700, 1300, 0},  // with breaks
      {1, 0, 1},       // a colour per vertex: colour array in 8 bits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.every);
    std::vector<V> w = Walk(20000, c.every, c.breakEvery);
    auto immediate = Frame([&] {
      glBegin(GL_LINE_STRIP);
      for (const V& v : w) {
        if (v.brk) glEnd(), glBegin(GL_LINE_STRIP);
        glColor4f(v.c.r, v.c.g, v.c.b, v.c.a);
        glVertex3f(v.x, v.y, v.z);
      }
      glEnd();
    });
    view::VertexBatch b;
    auto batched = Frame([&] {
      b.Clear();
      for (const V& v : w) {
        if (v.brk) b.Break();
        b.Vertex(v.x, v.y, v.z, v.c);
      }
      b.Draw(GL_LINE_STRIP);
    });
    auto empty = Frame([] {});
    EXPECT_GT(Lit(immediate, empty), 500);
    EXPECT_LE(MaxDiff(immediate, batched), c.tolerance);
  }
}

TEST_F(Batches, MergedPointsLookLikeEveryPointDrawn) {
  struct Case {
    float size, alpha;
    bool depthTest;
    int tolerance;
    double mostDrawn;  // share of the points still drawn
  } cases[] = {
      {1, 0.6f, true, 0, 0.9},  // blended: only points hidden behind earlier ones go
      {2, 0.6f, true, 0, 0.9}, {3, 0.6f, true, 0, 0.9},  {1, 1, true, 0, 0.5},  // opaque: one point per pixel and run
      {3, 1, true, 0, 0.5},    {1, 0.6f, false, 3, 0.5},  // no depth test: one point with the alpha of the run
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " " << c.alpha << " " << c.depthTest);
    glPointSize(c.size);
    if (c.depthTest) glEnable(GL_DEPTH_TEST);
    else glDisable(GL_DEPTH_TEST);
    std::vector<V> w = Walk(30000, 900, 0);
    for (V& v : w) v.c.a = c.alpha;
    auto immediate = Frame([&] {
      glBegin(GL_POINTS);
      for (const V& v : w) {
        glColor4f(v.c.r, v.c.g, v.c.b, v.c.a);
        glVertex3f(v.x, v.y, v.z);
      }
      glEnd();
    });
    view::PointBatch b;
    std::size_t drawn = 0;
    auto merged = Frame([&] {
      b.Reset(view::PixelMapping::FromGl());
      for (const V& v : w) b.Add(v.x, v.y, v.z, v.c);
      b.Draw();
      drawn = b.Size();
    });
    auto empty = Frame([] {});
    EXPECT_LT(double(drawn), c.mostDrawn * double(w.size())) << "points on one pixel are merged";
    EXPECT_GT(Lit(immediate, empty), 300);
    EXPECT_EQ(Lit(immediate, empty), Lit(merged, empty)) << "the same pixels are covered";
    EXPECT_LE(MaxDiff(immediate, merged), c.tolerance) << "and blended alike";
  }
  glEnable(GL_DEPTH_TEST);
}

TEST_F(Batches, FeedbackSeesEveryPoint) {
  std::vector<GLfloat> buf(1 << 16);
  glFeedbackBuffer(GLsizei(buf.size()), GL_3D, buf.data());
  glRenderMode(GL_FEEDBACK);
  view::PointBatch b;
  b.Reset(view::PixelMapping::FromGl());
  for (int i = 0; i < 50; ++i) b.Add(0.001f * i, 0, 0, {1, 1, 1, 0.6f});
  b.Draw();
  GLint n = glRenderMode(GL_RENDER);
  EXPECT_EQ(n, 50 * 4) << "50 point tokens of 3 values each";
}

}  // namespace
}  // namespace vantrel::test
