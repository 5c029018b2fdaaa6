#pragma once
// A view object drawing into an offscreen framebuffer of 1000 x 1000 pixels, with a camera
// that maps scene x and y one to one onto pixels (x + 500, y + 500) and scene z onto depth,
// and GL feedback to read back the vertices a section emits.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "datastore/state.h"
#include "tests/platform/glview/harness/offscreen_gl.h"
#include "view/class_gl.h"
#include "view/view_shared.h"

namespace vantrel::test {

// The sections under test, reachable from the tests.
class SceneGl : public view::ClassGl {
 public:
  using view::ClassGl::ColorScaleLabels;
  using view::ClassGl::DrawAxisCubic;
  using view::ClassGl::DrawTrajectory;
  using view::ClassGl::DrawValueLegend;
};

struct FbVertex {
  float x, y, z;  // scene coordinates (from the window coordinates of the feedback)
  float r, g, b, a;
};

struct FbPrim {
  GLenum kind;  // GL_POINT_TOKEN, GL_LINE_TOKEN, GL_LINE_RESET_TOKEN, ...
  std::vector<FbVertex> v;
};

inline std::vector<FbPrim> Feedback(const std::function<void()>& draw) {
  std::vector<GLfloat> buf(1 << 20);
  glFeedbackBuffer(GLsizei(buf.size()), GL_3D_COLOR, buf.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  GLint n = glRenderMode(GL_RENDER);
  EXPECT_GE(n, 0) << "feedback buffer overflow";
  std::vector<FbPrim> out;
  auto vertex = [&](GLint& i) {
    FbVertex v{buf[i] - 500, buf[i + 1] - 500, 500 - 1000 * buf[i + 2], buf[i + 3], buf[i + 4], buf[i + 5], buf[i + 6]};
    i += 7;
    return v;
  };
  for (GLint i = 0; i < n;) {
    GLenum token = GLenum(buf[i++]);
    FbPrim p{token, {}};
    switch (token) {
      case GL_POINT_TOKEN:
      case GL_BITMAP_TOKEN:
      case GL_DRAW_PIXEL_TOKEN:
      case GL_COPY_PIXEL_TOKEN: p.v.push_back(vertex(i)); break;
      case GL_LINE_TOKEN:
      case GL_LINE_RESET_TOKEN:
        p.v.push_back(vertex(i));
        p.v.push_back(vertex(i));
        break;
      case GL_POLYGON_TOKEN: {
        int k = int(buf[i++]);
        for (int j = 0; j < k; ++j) p.v.push_back(vertex(i));
        break;
      }
      case GL_PASS_THROUGH_TOKEN: ++i; break;
      default: ADD_FAILURE() << "unknown feedback token " << token; return out;
    }
    out.push_back(std::move(p));
  }
  return out;
}

inline std::vector<FbPrim> OfKind(const std::vector<FbPrim>& all, bool lines) {
  std::vector<FbPrim> out;
  for (const FbPrim& p : all) {
    bool isLine = p.kind == GL_LINE_TOKEN || p.kind == GL_LINE_RESET_TOKEN;
    if (lines ? isLine : p.kind == GL_POINT_TOKEN) out.push_back(p);
  }
  return out;
}

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_.Valid()) << "no OpenGL context";
    ASSERT_TRUE(gl_.Begin());
    glViewport(0, 0, 1000, 1000);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-500, 500, -500, 500, -500, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glShadeModel(GL_FLAT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glPointSize(1);
    glLineWidth(1);
    view = std::make_unique<SceneGl>();
    st().SettingsBlock.OptCubicView = 0;
  }
  void TearDown() override { view.reset(); }

  datastore::DataStore& st() { return store_.store(); }
  // Row r of DataTable.
  void Row(std::int64_t r, double t, double x, double y, double z, double brk = 0) {
    st().DataTable.Set(r, 0, t);
    st().DataTable.Set(r, 1, x);
    st().DataTable.Set(r, 2, y);
    st().DataTable.Set(r, 3, z);
    st().DataTable.Set(r, 4, brk);
    if (r > st().LastDataRow) st().LastDataRow = std::int32_t(r);
  }
  void Event(std::int64_t e, double t, double v) {
    st().EventsTable.Set(e, 0, t);
    st().EventsTable.Set(e, 1, v);
    st().EventCount = std::int32_t(e);
  }
  std::vector<FbPrim> Trajectory() {
    return Feedback([&] { view->DrawTrajectory(); });
  }

  datastore::ScopedStore store_;
  view::ScopedViewShared shared_;
  OffscreenGl gl_{1000, 1000};
  std::unique_ptr<SceneGl> view;
};

}  // namespace vantrel::test
