#include "view/scene_batch.h"

#include <GL/gl.h>

#include <cmath>

namespace vantrel::view {
namespace {

std::uint8_t Byte(float v) {
  if (!(v > 0)) return 0;
  if (v >= 1) return 255;
  return std::uint8_t(v * 255.0f + 0.5f);
}

std::int64_t Floor(double v) {
  std::int64_t i = std::int64_t(v);
  return double(i) > v ? i - 1 : i;
}

void Multiply(const double* p, const double* mv, double* out) {
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += p[k * 4 + r] * mv[c * 4 + k];
      out[c * 4 + r] = s;
    }
}

}  // namespace

PixelMapping PixelMapping::Exact() { return PixelMapping{}; }

PixelMapping PixelMapping::FromGl() {
  PixelMapping pm;
  double p[16], mv[16];
  glGetDoublev(GL_PROJECTION_MATRIX, p);
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  Multiply(p, mv, pm.m.data());
  pm.affine = pm.m[3] == 0 && pm.m[7] == 0 && pm.m[11] == 0 && pm.m[15] == 1;
  GLint vp[4] = {0, 0, 1, 1};
  glGetIntegerv(GL_VIEWPORT, vp);
  pm.vx = vp[0], pm.vy = vp[1], pm.vw = vp[2], pm.vh = vp[3];

  GLint mode = GL_RENDER;
  glGetIntegerv(GL_RENDER_MODE, &mode);
  GLfloat size = 1;
  glGetFloatv(GL_POINT_SIZE, &size);
  pm.pointSize = size;
  long pixels = std::lround(size);
  if (pixels < 1) pixels = 1;
  pm.keyOffset = pixels % 2 == 0 ? 0.5f : 0.0f;

  pm.blending = glIsEnabled(GL_BLEND) != 0;
  GLint src = GL_ONE, dst = GL_ZERO;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  bool blendOk = !pm.blending || (src == GL_SRC_ALPHA && dst == GL_ONE_MINUS_SRC_ALPHA);

  pm.depthTest = glIsEnabled(GL_DEPTH_TEST) != 0;
  GLint func = GL_LESS;
  glGetIntegerv(GL_DEPTH_FUNC, &func);
  GLboolean writes = GL_TRUE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
  pm.depthStrict = func == GL_LESS;
  bool depthOk = !pm.depthTest || ((func == GL_LESS || func == GL_LEQUAL) && writes);

  // Only plain square points in a normal render pass are merged: selection and feedback
  // passes see every vertex.
  pm.mergeable = mode == GL_RENDER && blendOk && depthOk && !glIsEnabled(GL_POINT_SMOOTH) && pm.vw > 0 && pm.vh > 0;
  return pm;
}

// --- VertexBatch ---------------------------------------------------------------------------

void VertexBatch::Clear() {
  pos_.clear();
  breaks_.clear();
  marks_.clear();
  haveMark_ = false;
}

void VertexBatch::Mark(const Colour4& c) {
  std::int64_t v = std::int64_t(pos_.size() / 3);
  if (!marks_.empty() && marks_.back().vertex == v) marks_.back().c = c;
  else marks_.push_back({v, c});
  markColour_ = c;
  haveMark_ = true;
}

void VertexBatch::Break() {
  std::int64_t v = std::int64_t(pos_.size() / 3);
  if (v == 0 || (!breaks_.empty() && breaks_.back() == v)) return;
  breaks_.push_back(v);
}

void VertexBatch::Draw(unsigned mode) {
  const std::int64_t n = std::int64_t(pos_.size() / 3);
  if (n == 0) return;
  const bool strip = mode == GL_LINE_STRIP;
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, pos_.data());

  // Pieces between breaks.
  std::vector<std::int64_t> starts;
  starts.reserve(breaks_.size() + 1);
  starts.push_back(0);
  starts.insert(starts.end(), breaks_.begin(), breaks_.end());

  // Many colour changes: one colour per vertex from an array; few: one colour per run.
  const bool perVertex = marks_.size() * 16 > std::size_t(n);
  if (perVertex) {
    colours_.resize(std::size_t(n) * 4);
    for (std::size_t m = 0; m < marks_.size(); ++m) {
      std::int64_t from = marks_[m].vertex;
      std::int64_t to = m + 1 < marks_.size() ? marks_[m + 1].vertex : n;
      const Colour4& c = marks_[m].c;
      std::uint8_t rgba[4] = {Byte(c.r), Byte(c.g), Byte(c.b), Byte(c.a)};
      for (std::int64_t v = from; v < to; ++v)
        for (int k = 0; k < 4; ++k) colours_[std::size_t(v) * 4 + k] = rgba[k];
    }
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colours_.data());
    for (std::size_t p = 0; p < starts.size(); ++p) {
      std::int64_t first = starts[p];
      std::int64_t end = p + 1 < starts.size() ? starts[p + 1] : n;
      if (end - first >= (strip ? 2 : 1)) glDrawArrays(mode, GLint(first), GLsizei(end - first));
    }
    glDisableClientState(GL_COLOR_ARRAY);
    // The colour array leaves the current colour undefined: give back the last one.
    const Colour4& c = marks_.back().c;
    glColor4f(c.r, c.g, c.b, c.a);
  } else {
    // Flat shading gives a segment the colour of its second vertex, a point its own.
    std::size_t m = 0;
    for (std::size_t p = 0; p < starts.size(); ++p) {
      std::int64_t first = starts[p];
      std::int64_t end = p + 1 < starts.size() ? starts[p + 1] : n;
      std::int64_t j = strip ? first + 1 : first;  // first vertex that carries a colour
      while (j < end) {
        while (m + 1 < marks_.size() && marks_[m + 1].vertex <= j) ++m;
        std::int64_t b = m + 1 < marks_.size() ? marks_[m + 1].vertex : end;
        if (b > end) b = end;
        const Colour4& c = marks_[m].c;
        glColor4f(c.r, c.g, c.b, c.a);
        if (strip) glDrawArrays(GL_LINE_STRIP, GLint(j - 1), GLsizei(b - j + 1));
        else glDrawArrays(GL_POINTS, GLint(j), GLsizei(b - j));
        j = b;
      }
    }
    const Colour4& c = marks_.back().c;
    glColor4f(c.r, c.g, c.b, c.a);
  }
  glDisableClientState(GL_VERTEX_ARRAY);
}

// --- PointBatch ----------------------------------------------------------------------------

void PointBatch::Reset(const PixelMapping& map) {
  map_ = map;
  out_.Clear();
  pending_ = false;
}

void PointBatch::Emit(float x, float y, float z, const Colour4& c, double keep) {
  // n blends of alpha a leave keep = (1 - a)^n of what was there: one blend of alpha
  // 1 - keep does the same.
  if (map_.blending && keep != 1 - double(c.a)) {
    Colour4 merged = c;
    merged.a = float(1 - keep);
    out_.Vertex(x, y, z, merged);
  } else {
    out_.Vertex(x, y, z, c);
  }
}

void PointBatch::Flush() {
  if (pending_) Emit(px_, py_, pz_, pc_, keep_);
  pending_ = false;
}

void PointBatch::Add(float x, float y, float z, const Colour4& c) {
  double clip[4];
  ClipOf(map_, x, y, z, clip);
  Add(x, y, z, clip, c);
}

void PointBatch::Add(float x, float y, float z, const double* clip, const Colour4& c) {
  const double once = 1 - double(c.a);
  if (!map_.mergeable) {
    Emit(x, y, z, c, once);
    return;
  }
  double nx = clip[0], ny = clip[1], nz = clip[2];
  if (!map_.affine) {
    double w = clip[3];
    if (!(w > 0)) {
      Flush();
      Emit(x, y, z, c, once);
      return;
    }
    nx /= w, ny /= w, nz /= w;
  }
  if (!(nx >= -1 && nx <= 1 && ny >= -1 && ny <= 1 && nz >= -1 && nz <= 1)) {
    // Outside the view volume: nothing to merge, the GL clips it.
    Flush();
    Emit(x, y, z, c, once);
    return;
  }
  double wx = map_.vx + (nx + 1) * 0.5 * map_.vw + map_.keyOffset;
  double wy = map_.vy + (ny + 1) * 0.5 * map_.vh + map_.keyOffset;
  std::int64_t kx = Floor(wx), ky = Floor(wy);
  // The GL snaps window positions to its sub-pixel grid: a point this close to a pixel's
  // edge may land on the next pixel, so it is drawn as it is.
  constexpr double kEdge = 1.0 / 32;
  if (wx - double(kx) < kEdge || wx - double(kx) > 1 - kEdge || wy - double(ky) < kEdge ||
      wy - double(ky) > 1 - kEdge) {
    Flush();
    Emit(x, y, z, c, once);
    return;
  }
  double depth = nz;
  if (pending_ && kx == kx_ && ky == ky_) {
    if (map_.depthTest) {
      // A point behind one drawn before it on this pixel fails the depth test whatever the
      // depth buffer held: it changes nothing.
      if (map_.depthStrict ? depth >= depth_ : depth > depth_) return;
      // In front: it passes wherever the earlier one did. Opaque, in the same colour, it
      // leaves what the earlier one would have left.
      if (c == pc_ && (!map_.blending || c.a >= 1)) {
        depth_ = depth;
        px_ = x, py_ = y, pz_ = z;
        return;
      }
    } else if (c == pc_) {
      // Without a depth test every point blends: one point with the alpha of all of them.
      keep_ = map_.blending ? keep_ * once : once;
      px_ = x, py_ = y, pz_ = z;
      return;
    }
    Emit(px_, py_, pz_, pc_, keep_);
    depth_ = depth;
    px_ = x, py_ = y, pz_ = z;
    pc_ = c;
    keep_ = once;
    return;
  }
  Flush();
  pending_ = true;
  kx_ = kx, ky_ = ky;
  depth_ = depth;
  px_ = x, py_ = y, pz_ = z;
  pc_ = c;
  keep_ = once;
}

void PointBatch::Draw() {
  Flush();
  if (out_.Size() == 0) return;
  GLfloat cur[4] = {1, 1, 1, 1};
  glGetFloatv(GL_CURRENT_COLOR, cur);
  out_.Draw(GL_POINTS);
  glColor4f(cur[0], cur[1], cur[2], cur[3]);
}

}  // namespace vantrel::view
