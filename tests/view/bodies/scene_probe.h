#pragma once
// Helpers of the scene tests: a view object whose sections can be called one by one, and the
// vertices GL feedback mode reports for a drawing, turned back into scene coordinates.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "view/class_gl.h"

namespace vantrel::test {

struct SceneProbe : view::ClassGl {
  using view::ClassGl::ClassGl;
  using view::ClassGl::DrawCentralBodies;
  using view::ClassGl::DrawMoon;
  using view::ClassGl::DrawSpacecraft;
  using view::ClassGl::DrawSunLighting;
  using view::ClassGl::MainFocus;
};

struct FbVertex {
  double x = 0, y = 0, z = 0;
  float r = 0, g = 0, b = 0;
};
using FbPolygon = std::vector<FbVertex>;

struct Feedback {
  std::vector<FbPolygon> polygons;
  std::vector<std::array<FbVertex, 2>> lines;
};

// Runs draw in feedback mode under an orthographic box of half-size L on a viewport of
// w x h pixels, with identity model-view, and maps the window coordinates back to the
// coordinates the drawing used. Mesa reports a polygon as a fan of triangles, each with the
// fan's centre last ((b, c, a), (c, d, a)): consecutive triangles of one fan are joined back
// into the polygon (a, b, c, d).
inline Feedback RunFeedback(int w, int h, double L, const std::function<void()>& draw) {
  std::vector<GLfloat> buf(1 << 20);
  glViewport(0, 0, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-L, L, -L, L, -L, L);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glShadeModel(GL_SMOOTH);
  glFeedbackBuffer(GLsizei(buf.size()), GL_3D_COLOR, buf.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  GLint n = glRenderMode(GL_RENDER);
  Feedback fb;
  EXPECT_GE(n, 0) << "feedback buffer overflow";
  auto vertex = [&](GLint& i) {
    FbVertex v;
    v.x = (buf[size_t(i)] / (w / 2.0) - 1) * L;
    v.y = (buf[size_t(i) + 1] / (h / 2.0) - 1) * L;
    v.z = -(2 * double(buf[size_t(i) + 2]) - 1) * L;
    v.r = buf[size_t(i) + 3], v.g = buf[size_t(i) + 4], v.b = buf[size_t(i) + 5];
    i += 7;
    return v;
  };
  std::vector<FbPolygon> raw;
  for (GLint i = 0; i < n;) {
    auto token = GLint(buf[size_t(i++)]);
    if (token == GL_POLYGON_TOKEN) {
      auto count = GLint(buf[size_t(i++)]);
      FbPolygon p;
      for (GLint k = 0; k < count; ++k) p.push_back(vertex(i));
      raw.push_back(p);
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      FbVertex a = vertex(i);
      FbVertex b = vertex(i);
      fb.lines.push_back({a, b});
    } else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN || token == GL_DRAW_PIXEL_TOKEN ||
               token == GL_COPY_PIXEL_TOKEN) {
      vertex(i);
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      ++i;
    } else {
      ADD_FAILURE() << "unknown feedback token " << token;
      break;
    }
  }
  auto same = [](const FbVertex& a, const FbVertex& b) {
    return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9 && std::abs(a.z - b.z) < 1e-9;
  };
  for (size_t k = 0; k < raw.size(); ++k) {
    FbPolygon p = raw[k];
    if (p.size() == 3) {
      // Fan centre last: (v1, v2, v0), (v2, v3, v0), ...
      if (k + 1 < raw.size() && raw[k + 1].size() == 3 && same(raw[k + 1][2], p[2]) && same(raw[k + 1][0], p[1])) {
        p = {raw[k][2], raw[k][0], raw[k][1]};
        while (k + 1 < raw.size() && raw[k + 1].size() == 3 && same(raw[k + 1][2], p[0]) &&
               same(raw[k + 1][0], p.back())) {
          p.push_back(raw[k + 1][1]);
          ++k;
        }
      } else {
        // Fan centre first: (v0, v1, v2), (v0, v2, v3), ...
        while (k + 1 < raw.size() && raw[k + 1].size() == 3 && same(raw[k + 1][0], p[0]) &&
               same(raw[k + 1][1], p.back())) {
          p.push_back(raw[k + 1][2]);
          ++k;
        }
      }
    }
    fb.polygons.push_back(p);
  }
  return fb;
}

}  // namespace vantrel::test
