#pragma once
// Fonts of the view control. Outline fonts are glyph outlines tessellated into polygons and
// drawn in the scene's XY plane at a scene position (one unit of size = one em); bitmap fonts
// are drawn as pixels at the window position of a scene point. Colours are packed as
// red x 65536 + green x 256 + blue. Every draw saves and restores the GL state it changes.
// Draws need the control's GL context current and must not come between glBegin and glEnd.
// In a selection or feedback pass nothing is drawn: texts are not pickable.

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::glview {

// False while the current context runs a selection or feedback pass. Glyph display lists
// and textures are not used in such a pass: Mesa's software drivers crash on them there.
bool InRenderPass();

// The family used for a face name: the face itself when installed, else DejaVu or Liberation.
QString ResolveFace(const std::string& face);

class FontSet {
 public:
  FontSet();
  ~FontSet();

  // Fill id with a new font id (ids start at 1). hdc is accepted and not used; extrusion
  // other than 0 is drawn flat.
  void CreateOutlineFont(long hdc, int& id, const std::string& face, bool bold, bool italic, double deviation,
                         double extrusion = 0);
  void CreateBitmapFont(long hdc, int& id, const std::string& face, bool bold, bool italic, int size);

  // Without a colour the current GL colour is used. An unknown id raises error 5.
  void DrawText3D(int id, const std::string& text, float x, float y, float z, double size,
                  std::optional<long> colour = std::nullopt);
  // The text's baseline starts at the window position of the point, moved by shift (device
  // pixels to the right and up).
  void DrawTextAt(int id, const std::string& text, float x, float y, float z, std::optional<long> colour = std::nullopt,
                  QPoint shift = {});

  // Window text: top-left corner at window pixel (x, y) from the top left of a view of w x h
  // device pixels.
  void DrawWindowText(int x, int y, const std::string& text, long colour, int viewW, int viewH);

  // Width and height in device pixels of a bitmap font's text, and of the window-text font.
  QSize BitmapTextSize(int id, const std::string& text) const;
  QSize WindowTextSize(const std::string& text) const;
  // The rectangle a bitmap font's text takes in the window relative to the point where its
  // baseline starts, in pixels with y up: x from 0 to the width, y from minus the descent.
  QRect BitmapTextBox(int id, const std::string& text) const;

  // Forgets the display lists of a lost context (the next draw builds them again).
  void ResetGL();

  // Device pixels per window pixel (2 on a high-density screen): bitmap and window texts,
  // their sizes and window-text positions are scaled by it, so that texts keep their size
  // relative to the window.
  void SetPixelRatio(double ratio);
  double PixelRatio() const { return ratio_; }

 private:
  struct Font;
  struct Glyph;
  void ApplyPixelSize(Font& f) const;
  Font& Get(int id);
  const Glyph& GlyphOf(Font& f, char32_t cp);
  const QImage& TextImage(Font& f, const std::string& text, long colour);

  std::map<int, std::unique_ptr<Font>> fonts_;
  std::unique_ptr<Font> window_font_;
  int next_id_ = 1;
  double ratio_ = 1;
};

}  // namespace vantrel::glview
