#include "platform/glview/fonts.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QOpenGLContext>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <deque>
#include <utility>

#include "platform/runtime/rterror.h"

namespace vantrel::glview {
namespace {

constexpr int kEmPixels = 64;         // outline glyphs are traced at this pixel size
constexpr size_t kImageCache = 2048;  // bitmap text images kept before the cache is emptied

void SetPackedColour(long c) { glColor3ub(GLubyte((c >> 16) & 255), GLubyte((c >> 8) & 255), GLubyte(c & 255)); }

QColor PackedToQColor(long c) { return QColor(int((c >> 16) & 255), int((c >> 8) & 255), int(c & 255)); }

using WindowPos2i = void (*)(GLint, GLint);
WindowPos2i WindowPosFn() {
  QOpenGLContext* ctx = QOpenGLContext::currentContext();
  if (!ctx) return nullptr;
  return reinterpret_cast<WindowPos2i>(ctx->getProcAddress("glWindowPos2i"));
}

// Draws a top-down RGBA image with its bottom-left corner at the current raster position.
void DrawImage(const QImage& img) {
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glDrawPixels(img.width(), img.height(), GL_RGBA, GL_UNSIGNED_BYTE, img.constBits());
  glPopClientAttrib();
}

// The span of one text draw, which every text path opens before its first GL call. Texts
// are drawn in render passes only: a selection or feedback pass gets no text (texts are not
// pickable), and Mesa's software drivers crash replaying glyph display lists in GL_SELECT
// mode. In a render pass it sets the text state (no lighting, texture, culling or fog) and
// restores the caller's state at its end.
class TextPass {
 public:
  TextPass() : on_(InRenderPass()) {
    if (!on_) return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_POLYGON_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  }
  ~TextPass() {
    if (on_) glPopAttrib();
  }
  TextPass(const TextPass&) = delete;
  TextPass& operator=(const TextPass&) = delete;
  explicit operator bool() const { return on_; }

 private:
  bool on_;
};

// Tessellator callbacks.
struct TessData {
  std::deque<std::array<GLdouble, 3>> extra;
};
void TessBegin(GLenum type) { glBegin(type); }
void TessEnd() { glEnd(); }
void TessVertex(void* v) { glVertex3dv(static_cast<const GLdouble*>(v)); }
void TessCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* user) {
  auto* d = static_cast<TessData*>(user);
  d->extra.push_back({coords[0], coords[1], coords[2]});
  *out = d->extra.back().data();
}

}  // namespace

bool InRenderPass() {
  GLint mode = GL_RENDER;
  glGetIntegerv(GL_RENDER_MODE, &mode);
  return mode == GL_RENDER;
}

QString ResolveFace(const std::string& face) {
  QString f = QString::fromStdString(face);
  const QStringList families = QFontDatabase::families();
  if (families.contains(f, Qt::CaseInsensitive)) return f;
  QString lower = f.toLower();
  QStringList wanted;
  if (lower.contains("courier") || lower.contains("mono") || lower.contains("console"))
    wanted = {"Liberation Mono", "DejaVu Sans Mono"};
  else if (lower.contains("times") || lower.contains("serif") || lower.contains("roman") || lower.contains("georgia"))
    wanted = {"Liberation Serif", "DejaVu Serif"};
  else if (lower.contains("arial") || lower.contains("helvetica")) wanted = {"Liberation Sans", "DejaVu Sans"};
  else wanted = {"DejaVu Sans", "Liberation Sans"};
  for (const QString& w : wanted)
    if (families.contains(w, Qt::CaseInsensitive)) return w;
  return wanted.front();
}

struct FontSet::Glyph {
  GLuint list = 0;
  double advance = 0;  // in em
};

struct FontSet::Font {
  bool outline = false;
  QFont qfont;
  int pixels = 0;  // size in window pixels of a bitmap or window font (0: outline)
  std::map<char32_t, Glyph> glyphs;
  std::map<std::pair<std::string, long>, QImage> images;
};

FontSet::FontSet() {
  window_font_ = std::make_unique<Font>();
  window_font_->qfont = QFont(ResolveFace("DejaVu Sans"));
  window_font_->pixels = 13;
  ApplyPixelSize(*window_font_);
}

void FontSet::ApplyPixelSize(Font& f) const {
  if (f.pixels <= 0) return;
  f.qfont.setPixelSize(std::max(1, int(std::lround(f.pixels * ratio_))));
  f.images.clear();
}

void FontSet::SetPixelRatio(double ratio) {
  if (!(ratio > 0) || ratio == ratio_) return;
  ratio_ = ratio;
  ApplyPixelSize(*window_font_);
  for (auto& [id, f] : fonts_) ApplyPixelSize(*f);
}

FontSet::~FontSet() = default;

void FontSet::CreateOutlineFont(long, int& id, const std::string& face, bool bold, bool italic, double, double) {
  auto f = std::make_unique<Font>();
  f->outline = true;
  f->qfont = QFont(ResolveFace(face));
  f->qfont.setPixelSize(kEmPixels);
  f->qfont.setBold(bold);
  f->qfont.setItalic(italic);
  id = next_id_++;
  fonts_[id] = std::move(f);
}

void FontSet::CreateBitmapFont(long, int& id, const std::string& face, bool bold, bool italic, int size) {
  auto f = std::make_unique<Font>();
  f->qfont = QFont(ResolveFace(face));
  // Sizes are points at 96 pixels per inch.
  f->pixels = std::max(1, int(std::lround(std::max(size, 1) * 96.0 / 72.0)));
  ApplyPixelSize(*f);
  f->qfont.setBold(bold);
  f->qfont.setItalic(italic);
  id = next_id_++;
  fonts_[id] = std::move(f);
}

FontSet::Font& FontSet::Get(int id) {
  auto it = fonts_.find(id);
  if (it == fonts_.end()) throw rt::RtError(rt::kErrInvalidCall);
  return *it->second;
}

const FontSet::Glyph& FontSet::GlyphOf(Font& f, char32_t cp) {
  auto it = f.glyphs.find(cp);
  if (it != f.glyphs.end()) return it->second;
  Glyph g;
  QString s = QString::fromUcs4(&cp, 1);
  QFontMetricsF fm(f.qfont);
  g.advance = fm.horizontalAdvance(s) / kEmPixels;
  QPainterPath path;
  path.addText(0, 0, f.qfont, s);
  const QList<QPolygonF> polys = path.toSubpathPolygons(QTransform::fromScale(1.0 / kEmPixels, -1.0 / kEmPixels));
  g.list = glGenLists(1);
  if (g.list != 0) {
    std::vector<std::array<GLdouble, 3>> pts;
    size_t total = 0;
    for (const QPolygonF& p : polys) total += size_t(p.size());
    pts.reserve(total);
    TessData data;
    GLUtesselator* tess = gluNewTess();
    gluTessCallback(tess, GLU_TESS_BEGIN, reinterpret_cast<_GLUfuncptr>(&TessBegin));
    gluTessCallback(tess, GLU_TESS_END, reinterpret_cast<_GLUfuncptr>(&TessEnd));
    gluTessCallback(tess, GLU_TESS_VERTEX, reinterpret_cast<_GLUfuncptr>(&TessVertex));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(&TessCombine));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE,
                    path.fillRule() == Qt::WindingFill ? GLU_TESS_WINDING_NONZERO : GLU_TESS_WINDING_ODD);
    gluTessNormal(tess, 0, 0, 1);
    glNewList(g.list, GL_COMPILE);
    gluTessBeginPolygon(tess, &data);
    for (const QPolygonF& p : polys) {
      if (p.size() < 3) continue;
      gluTessBeginContour(tess);
      for (const QPointF& q : p) {
        pts.push_back({q.x(), q.y(), 0.0});
        gluTessVertex(tess, pts.back().data(), pts.back().data());
      }
      gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    glEndList();
    gluDeleteTess(tess);
  }
  return f.glyphs.emplace(cp, g).first->second;
}

void FontSet::DrawText3D(int id, const std::string& text, float x, float y, float z, double size,
                         std::optional<long> colour) {
  Font& f = Get(id);
  if (!f.outline) {
    DrawTextAt(id, text, x, y, z, colour);
    return;
  }
  TextPass pass;
  if (!pass) return;
  const QList<uint> cps = QString::fromStdString(text).toUcs4();
  // Build missing glyph lists first: a list cannot be compiled while the text is drawn.
  for (uint cp : cps) GlyphOf(f, char32_t(cp));
  if (colour) SetPackedColour(*colour);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glTranslatef(x, y, z);
  glScaled(size, size, size);
  for (uint cp : cps) {
    const Glyph& g = GlyphOf(f, char32_t(cp));
    if (g.list) glCallList(g.list);
    glTranslated(g.advance, 0, 0);
  }
  glPopMatrix();
}

const QImage& FontSet::TextImage(Font& f, const std::string& text, long colour) {
  auto key = std::make_pair(text, colour);
  auto it = f.images.find(key);
  if (it != f.images.end()) return it->second;
  if (f.images.size() >= kImageCache) f.images.clear();
  QString s = QString::fromStdString(text);
  QFontMetricsF fm(f.qfont);
  int w = std::max(1, int(std::ceil(fm.horizontalAdvance(s))) + 1);
  int h = std::max(1, int(std::ceil(fm.height())));
  QImage img(w, h, QImage::Format_RGBA8888);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setFont(f.qfont);
    p.setPen(PackedToQColor(colour));
    p.drawText(QPointF(0, fm.ascent()), s);
  }
  // GL wants the bottom row first.
  img = img.mirrored(false, true);
  return f.images.emplace(key, std::move(img)).first->second;
}

QSize FontSet::BitmapTextSize(int id, const std::string& text) const {
  auto it = fonts_.find(id);
  if (it == fonts_.end()) return {};
  QFontMetricsF fm(it->second->qfont);
  return QSize(int(std::ceil(fm.horizontalAdvance(QString::fromStdString(text)))) + 1, int(std::ceil(fm.height())));
}

QRect FontSet::BitmapTextBox(int id, const std::string& text) const {
  auto it = fonts_.find(id);
  if (it == fonts_.end()) return {};
  QFontMetricsF fm(it->second->qfont);
  const QSize size = BitmapTextSize(id, text);
  const int descent = int(std::ceil(fm.height() - fm.ascent()));
  return QRect(0, -descent, size.width(), size.height());
}

QSize FontSet::WindowTextSize(const std::string& text) const {
  QFontMetricsF fm(window_font_->qfont);
  return QSize(int(std::ceil(fm.horizontalAdvance(QString::fromStdString(text)))) + 1, int(std::ceil(fm.height())));
}

void FontSet::DrawTextAt(int id, const std::string& text, float x, float y, float z, std::optional<long> colour,
                         QPoint shift) {
  Font& f = Get(id);
  if (text.empty()) return;
  TextPass pass;
  if (!pass) return;
  long c = 0;
  if (colour) {
    c = *colour;
  } else {
    GLfloat cur[4];
    glGetFloatv(GL_CURRENT_COLOR, cur);
    c = (long(std::lround(cur[0] * 255)) << 16) | (long(std::lround(cur[1] * 255)) << 8) |
        long(std::lround(cur[2] * 255));
  }
  const QImage& img = TextImage(f, text, c);
  QFontMetricsF fm(f.qfont);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glRasterPos3f(x, y, z);
  GLint valid = 0;
  glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
  if (valid) {
    // The baseline sits on the point: move the raster position down by the descent.
    glBitmap(0, 0, 0, 0, GLfloat(shift.x()), GLfloat(shift.y()) - GLfloat(std::ceil(fm.height() - fm.ascent())),
             nullptr);
    DrawImage(img);
  }
}

void FontSet::DrawWindowText(int x, int y, const std::string& text, long colour, int, int viewH) {
  if (text.empty()) return;
  WindowPos2i windowPos = WindowPosFn();
  if (!windowPos) return;
  TextPass pass;
  if (!pass) return;
  const QImage& img = TextImage(*window_font_, text, colour);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  const int px = int(std::lround(x * ratio_)), py = int(std::lround(y * ratio_));
  windowPos(px, viewH - py - img.height());
  DrawImage(img);
}

void FontSet::ResetGL() {
  for (auto& [id, f] : fonts_) f->glyphs.clear();
}

}  // namespace vantrel::glview
