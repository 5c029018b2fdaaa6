#pragma once
// Vertex batches for the trajectory: the scene issues vertices, colours and breaks as it would
// in immediate mode, and the batches draw them with vertex arrays (OpenGL 1.1) in far fewer
// calls. Line strips are drawn per piece of one colour with the colour of each segment's
// second vertex, as flat shading does. Of points that fall on the same pixel one after the
// other, those that could not pass the depth test are dropped, and opaque ones of one colour
// (or, without a depth test, blended ones with the alpha of all their blends) are drawn once:
// the picture stays as it was.

#include <array>
#include <cstdint>
#include <vector>

namespace vantrel::view {

struct Colour4 {
  float r = 0, g = 0, b = 0, a = 1;
  bool operator==(const Colour4&) const = default;
};

// The mapping of object coordinates to window pixels of the current GL state, and the GL
// state that decides whether points on one pixel may be merged.
struct PixelMapping {
  std::array<double, 16> m{};  // projection x model-view, column-major
  double vx = 0, vy = 0, vw = 1, vh = 1;
  bool affine = true;      // last row of m is (0, 0, 0, 1)
  bool mergeable = false;  // render mode, blending, depth test and point state allow merging
  bool depthTest = false;
  bool depthStrict = false;  // GL_LESS rather than GL_LEQUAL
  bool blending = false;
  float pointSize = 1;
  float keyOffset = 0;  // 0.5 for even point sizes: their square is centred on a corner

  // Reads the matrices, viewport and state of the current context.
  static PixelMapping FromGl();
  // A mapping that never merges (no context, or exact drawing wanted).
  static PixelMapping Exact();
};

class VertexBatch {
 public:
  void Clear();
  void Vertex(float x, float y, float z, const Colour4& c) {
    if (!haveMark_ || !(c == markColour_)) Mark(c);
    pos_.push_back(x);
    pos_.push_back(y);
    pos_.push_back(z);
  }
  // Ends the current piece: the next vertex starts a new strip.
  void Break();
  // Draws the pieces as line strips or points with the GL state in force.
  void Draw(unsigned mode);
  std::size_t Size() const { return pos_.size() / 3; }

 private:
  void Mark(const Colour4& c);
  struct ColourMark {
    std::int64_t vertex;
    Colour4 c;
  };
  std::vector<float> pos_;
  std::vector<std::int64_t> breaks_;  // vertex indexes where a new piece starts
  std::vector<ColourMark> marks_;     // colour in force from each vertex on
  std::vector<std::uint8_t> colours_;
  Colour4 markColour_;
  bool haveMark_ = false;
};

class PointBatch {
 public:
  void Reset(const PixelMapping& map);
  // A point whose clip coordinates are known (x, y, z, w).
  void Add(float x, float y, float z, const double* clip, const Colour4& c);
  void Add(float x, float y, float z, const Colour4& c);
  void Draw();
  std::size_t Size() const { return out_.Size(); }

 private:
  void Flush();
  void Emit(float x, float y, float z, const Colour4& c, double keep);

  PixelMapping map_;
  VertexBatch out_;  // the points drawn
  bool pending_ = false;
  std::int64_t kx_ = 0, ky_ = 0;
  double depth_ = 0;
  float px_ = 0, py_ = 0, pz_ = 0;
  Colour4 pc_;
  double keep_ = 1;  // share of the old colour that the pending point's blends leave
};

// Clip coordinates of (x, y, z, 1).
inline void ClipOf(const PixelMapping& m, double x, double y, double z, double* out) {
  const double* a = m.m.data();
  out[0] = a[0] * x + a[4] * y + a[8] * z + a[12];
  out[1] = a[1] * x + a[5] * y + a[9] * z + a[13];
  out[2] = a[2] * x + a[6] * y + a[10] * z + a[14];
  out[3] = m.affine ? 1.0 : a[3] * x + a[7] * y + a[11] * z + a[15];
}

}  // namespace vantrel::view
