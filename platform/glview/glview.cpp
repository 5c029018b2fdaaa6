#include "platform/glview/glview.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QScreen>
#include <QSurfaceFormat>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>

#include "platform/forms/qt/cursors.h"
#include "platform/glview/keys.h"
#include "platform/runtime/event_guard.h"
#include "platform/runtime/rterror.h"

namespace vantrel::glview {
namespace {

constexpr double kDefaultRefreshHz = 60;  // when the screen gives no usable rate
constexpr int kPickPixels = 5;            // side of the pick square
constexpr size_t kSelectWords = 1 << 16;

void Lightv(GLenum light, GLenum what, Colour4f c) {
  GLfloat v[4] = {c.r, c.g, c.b, c.a};
  glLightfv(light, what, v);
}

void Materialv(GLenum face, GLenum what, Colour4f c) {
  GLfloat v[4] = {c.r, c.g, c.b, c.a};
  glMaterialfv(face, what, v);
}

// The tool cursors (200 and up), else the standard ones.
Qt::CursorShape CursorFor(int id) {
  switch (id) {
    case 200: return Qt::SizeVerCursor;       // zoom
    case 201: return Qt::OpenHandCursor;      // pan
    case 202: return Qt::SizeVerCursor;       // dolly
    case 203: return Qt::CrossCursor;         // arc rotate
    case 204: return Qt::SizeVerCursor;       // pitch
    case 205: return Qt::SizeHorCursor;       // yaw
    case 206: return Qt::SizeBDiagCursor;     // roll
    case 207: return Qt::CrossCursor;         // orbit
    case 210: return Qt::SizeAllCursor;       // move
    case 211: return Qt::PointingHandCursor;  // rotate
    case 212: return Qt::SizeFDiagCursor;     // scale
    default: return forms::StandardCursor(id);
  }
}

// Makes the widget's context current for the span of an event, unless it already is.
class CurrentScope {
 public:
  explicit CurrentScope(GlView& v) : v_(v) {
    if (QOpenGLContext::currentContext() != v.context()) made_ = v.MakeCurrent();
  }
  ~CurrentScope() {
    if (made_) v_.DoneCurrent();
  }

 private:
  GlView& v_;
  bool made_ = false;
};

}  // namespace

// --- lights and materials -------------------------------------------------------------

void Light::Apply(int glLight) const {
  GLenum l = GLenum(glLight);
  Lightv(l, GL_AMBIENT, c1_);
  Lightv(l, GL_DIFFUSE, c2_);
  Lightv(l, GL_SPECULAR, c3_);
  GLfloat p[4] = {position_.x, position_.y, position_.z, 1};
  glLightfv(l, GL_POSITION, p);
  if (enabled_) glEnable(l);
  else glDisable(l);
}

Light& LightCollection::Item(int index) {
  if (index < 1 || index > kCount) throw rt::RtError(rt::kErrSubscript);
  return lights_[size_t(index - 1)];
}

void Material::Apply() const {
  GLenum f = GLenum(face_);
  Materialv(f, GL_AMBIENT, ambient_);
  Materialv(f, GL_DIFFUSE, diffuse_);
  Materialv(f, GL_SPECULAR, specular_);
  Materialv(f, GL_EMISSION, emission_);
  glMaterialf(f, GL_SHININESS, std::clamp(spec_exp_, 0.0f, 128.0f));
}

MaterialCollection::MaterialCollection() {
  // Stock materials: ambient, diffuse, specular (rgb) and shininess (0..1 of 128).
  struct Stock {
    float a[3], d[3], s[3], e;
  };
  static const Stock kStock[] = {
      {{0.0215f, 0.1745f, 0.0215f}, {0.07568f, 0.61424f, 0.07568f}, {0.633f, 0.727811f, 0.633f}, 0.6f},
      {{0.135f, 0.2225f, 0.1575f}, {0.54f, 0.89f, 0.63f}, {0.316228f, 0.316228f, 0.316228f}, 0.1f},
      {{0.05375f, 0.05f, 0.06625f}, {0.18275f, 0.17f, 0.22525f}, {0.332741f, 0.328634f, 0.346435f}, 0.3f},
      {{0.25f, 0.20725f, 0.20725f}, {1.0f, 0.829f, 0.829f}, {0.296648f, 0.296648f, 0.296648f}, 0.088f},
      {{0.1745f, 0.01175f, 0.01175f}, {0.61424f, 0.04136f, 0.04136f}, {0.727811f, 0.626959f, 0.626959f}, 0.6f},
      {{0.1f, 0.18725f, 0.1745f}, {0.396f, 0.74151f, 0.69102f}, {0.297254f, 0.30829f, 0.306678f}, 0.1f},
      {{0.329412f, 0.223529f, 0.027451f},
       {0.780392f, 0.568627f, 0.113725f},
       {0.992157f, 0.941176f, 0.807843f},
       0.21794872f},
      {{0.2125f, 0.1275f, 0.054f}, {0.714f, 0.4284f, 0.18144f}, {0.393548f, 0.271906f, 0.166721f}, 0.2f},
      {{0.25f, 0.25f, 0.25f}, {0.4f, 0.4f, 0.4f}, {0.774597f, 0.774597f, 0.774597f}, 0.6f},
      {{0.19125f, 0.0735f, 0.0225f}, {0.7038f, 0.27048f, 0.0828f}, {0.256777f, 0.137622f, 0.086014f}, 0.1f},
      {{0.24725f, 0.1995f, 0.0745f}, {0.75164f, 0.60648f, 0.22648f}, {0.628281f, 0.555802f, 0.366065f}, 0.4f},
      {{0.19225f, 0.19225f, 0.19225f}, {0.50754f, 0.50754f, 0.50754f}, {0.508273f, 0.508273f, 0.508273f}, 0.4f},
      {{0.0f, 0.0f, 0.0f}, {0.01f, 0.01f, 0.01f}, {0.5f, 0.5f, 0.5f}, 0.25f},
      {{0.0f, 0.1f, 0.06f}, {0.0f, 0.50980392f, 0.50980392f}, {0.50196078f, 0.50196078f, 0.50196078f}, 0.25f},
      {{0.0f, 0.0f, 0.0f}, {0.1f, 0.35f, 0.1f}, {0.45f, 0.55f, 0.45f}, 0.25f},
      {{0.0f, 0.0f, 0.0f}, {0.5f, 0.0f, 0.0f}, {0.7f, 0.6f, 0.6f}, 0.25f},
      {{0.0f, 0.0f, 0.0f}, {0.55f, 0.55f, 0.55f}, {0.7f, 0.7f, 0.7f}, 0.25f},
      {{0.0f, 0.0f, 0.0f}, {0.5f, 0.5f, 0.0f}, {0.6f, 0.6f, 0.5f}, 0.25f},
      {{0.02f, 0.02f, 0.02f}, {0.01f, 0.01f, 0.01f}, {0.4f, 0.4f, 0.4f}, 0.078125f},
      {{0.0f, 0.05f, 0.05f}, {0.4f, 0.5f, 0.5f}, {0.04f, 0.7f, 0.7f}, 0.078125f},
      {{0.0f, 0.05f, 0.0f}, {0.4f, 0.5f, 0.4f}, {0.04f, 0.7f, 0.04f}, 0.078125f},
      {{0.05f, 0.0f, 0.0f}, {0.5f, 0.4f, 0.4f}, {0.7f, 0.04f, 0.04f}, 0.078125f},
      {{0.05f, 0.05f, 0.05f}, {0.5f, 0.5f, 0.5f}, {0.7f, 0.7f, 0.7f}, 0.078125f},
      {{0.05f, 0.05f, 0.0f}, {0.5f, 0.5f, 0.4f}, {0.7f, 0.7f, 0.04f}, 0.078125f},
  };
  for (const Stock& s : kStock) {
    Material m;
    m.SetAmbient(s.a[0], s.a[1], s.a[2]);
    m.SetDiffuse(s.d[0], s.d[1], s.d[2]);
    m.SetSpecular(s.s[0], s.s[1], s.s[2]);
    m.SetSpecExp(s.e * 128);
    items_.push_back(m);
  }
}

Material& MaterialCollection::Item(int index) {
  if (index < 1 || index > Count()) throw rt::RtError(rt::kErrSubscript);
  return items_[size_t(index - 1)];
}

// --- textures -----------------------------------------------------------------------------

Texture::~Texture() {
  if (name_ != 0)
    if (auto g = graveyard_.lock()) g->push_back(name_);
}

void Texture::Load(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) throw rt::RtError(rt::kErrFileNotFound);
  QImage img(QString::fromStdString(path));
  if (img.isNull()) throw rt::RtError(rt::kErrPathAccess);
  image_ = img.convertToFormat(QImage::Format_RGBA8888).mirrored(false, true);
  dirty_ = true;
}

void Texture::Apply() {
  // A selection pass draws untextured (see InRenderPass).
  if (image_.isNull() || !InRenderPass()) {
    glBindTexture(GL_TEXTURE_2D, 0);
    return;
  }
  if (name_ == 0 || dirty_) {
    if (name_ == 0) glGenTextures(1, &name_);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    QImage img = image_;
    if (maxSize > 0 && (img.width() > maxSize || img.height() > maxSize))
      img = img.scaled(std::min(img.width(), maxSize), std::min(img.height(), maxSize), Qt::IgnoreAspectRatio,
                       Qt::SmoothTransformation);
    glBindTexture(GL_TEXTURE_2D, name_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, img.width(), img.height(), 0, GL_RGBA, GL_UNSIGNED_BYTE, img.constBits());
    glPopClientAttrib();
    dirty_ = false;
  }
  glBindTexture(GL_TEXTURE_2D, name_);
}

// --- animation ----------------------------------------------------------------------------

void AnimationControl::SetRunning(bool on) {
  running_ = on;
  Update();
}

void AnimationControl::Update() {
  if (running_) view_.KeepAnimating();
}

// --- the control --------------------------------------------------------------------------

GlView::GlView(QWidget* parent)
    : QOpenGLWidget(parent), animation_(*this), graveyard_(std::make_shared<std::vector<unsigned>>()) {
  QSurfaceFormat fmt = format();
  fmt.setRenderableType(QSurfaceFormat::OpenGL);
  fmt.setProfile(QSurfaceFormat::CompatibilityProfile);
  fmt.setVersion(2, 1);
  fmt.setDepthBufferSize(24);
  fmt.setStencilBufferSize(8);
  fmt.setSamples(0);
  setFormat(fmt);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  clock_.start();
  frame_timer_.setSingleShot(true);
  frame_timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&frame_timer_, &QTimer::timeout, this, [this] { update(); });
}

GlView::~GlView() {
  // Release GL names while the context still exists.
  if (context_ready_ && MakeCurrent()) {
    DeleteDeadTextures();
    for (auto& w : textures_)
      if (auto t = w.lock()) {
        if (t->name_) glDeleteTextures(1, &t->name_);
        t->name_ = 0;
      }
    DoneCurrent();
  }
}

template <class F>
void GlView::Raise(const char* what, F&& f) {
  if (!events_) return;
  // A failure ends the event, whoever raised it, and is told as any handler's failure.
  rt::ProgramCodeScope scope;
  try {
    f(*events_);
  } catch (...) {
    rt::ReportEventFault(std::string("the view's ") + what + " event", std::current_exception());
  }
}

void GlView::SetEvents(GlViewEvents* events) {
  events_ = events;
  update();
}

void GlView::RaiseInitEvents() {
  if (!events_ || !context_ready_) return;
  if (!init_raised_) {
    init_raised_ = true;
    Raise("Init", [](GlViewEvents& e) { e.InitEvent(); });
  }
  if (!initgl_raised_) {
    initgl_raised_ = true;
    Raise("InitGL", [](GlViewEvents& e) { e.InitGLEvent(); });
  }
}

void GlView::initializeGL() {
  bool again = context_ready_;
  context_ready_ = true;
  initgl_raised_ = false;
  fonts_.ResetGL();
  if (again) {
    // A new context: the old names went with the old one.
    graveyard_->clear();
    for (auto& w : textures_)
      if (auto t = w.lock()) t->name_ = 0, t->dirty_ = true;
  }
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_NORMALIZE);
  glClearColor(0, 0, 0, 1);
  glClearDepth(1.0);
  RaiseInitEvents();
}

void GlView::resizeGL(int, int) { update(); }

long GlView::ViewWidth() const { return std::lround(width() * devicePixelRatioF()); }
long GlView::ViewHeight() const { return std::lround(height() * devicePixelRatioF()); }

void GlView::SetMatrices(int w, int h, const std::array<int, 4>* pick, int px, int py) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (pick) {
    GLint vp[4] = {(*pick)[0], (*pick)[1], (*pick)[2], (*pick)[3]};
    gluPickMatrix(px + 0.5, h - py - 0.5, kPickPixels, kPickPixels, vp);
  }
  Mat4 p = camera_.Projection(w, h);
  glMultMatrixd(p.data());
  glMatrixMode(GL_MODELVIEW);
  Mat4 m = camera_.ModelView();
  glLoadMatrixd(m.data());
}

void GlView::paintGL() {
  in_paint_ = true;
  frame_started_ns_ = clock_.nsecsElapsed();
  RaiseInitEvents();
  DeleteDeadTextures();
  int w = int(ViewWidth()), h = int(ViewHeight());
  fonts_.SetPixelRatio(devicePixelRatioF());
  if (events_ && (w != reshaped_w_ || h != reshaped_h_)) {
    reshaped_w_ = w;
    reshaped_h_ = h;
    bool handled = false;
    Raise("Reshape", [&](GlViewEvents& e) { e.ReshapeEvent(w, h, handled); });
  }
  glViewport(0, 0, w, h);
  SetMatrices(w, h, nullptr, 0, 0);
  glDisable(GL_SCISSOR_TEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  for (int i = 0; i < LightCollection::kCount; ++i) {
    const Light& l = lights_.Item(i + 1);
    if (l.Used()) l.Apply(GL_LIGHT0 + i);
  }
  if (events_) {
    Raise("Draw", [](GlViewEvents& e) { e.DrawEvent(); });
    Raise("DrawGDI", [](GlViewEvents& e) { e.DrawGDIEvent(); });
  }
  FlushTexts(w, h);
  ForceOpaque();
  ++frames_;
  in_paint_ = false;
  // The end of each frame times the next one while the animation runs.
  if (frame_requested_ || animation_.Running()) {
    frame_requested_ = false;
    RequestFrame();
  }
  if (events_ && !first_view_posted_) {
    first_view_posted_ = true;
    QTimer::singleShot(0, this, [this] {
      CurrentScope cur(*this);
      Raise("FirstView", [](GlViewEvents& e) { e.FirstViewEvent(); });
    });
  }
}

void GlView::FlushTexts(int w, int h) {
  if (texts_.empty()) return;
  GLfloat clear[4] = {0, 0, 0, 1};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  // Light text on dark backgrounds, dark text on light ones.
  double lum = 0.299 * clear[0] + 0.587 * clear[1] + 0.114 * clear[2];
  long colour = lum > 0.5 ? 0x000000 : 0xFFFFFF;
  for (const QueuedText& t : texts_) {
    try {
      fonts_.DrawWindowText(int(t.x), int(t.y), t.text, colour, w, h);
    } catch (const std::exception& e) {
      qWarning("view control: window text: %s", e.what());
    }
  }
  texts_.clear();
}

void GlView::ForceOpaque() {
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glPopAttrib();
}

void GlView::DeleteDeadTextures() {
  if (graveyard_->empty()) return;
  glDeleteTextures(GLsizei(graveyard_->size()), graveyard_->data());
  graveyard_->clear();
}

double GlView::FramePeriodMs() const {
  const QScreen* s = screen();
  double hz = s ? s->refreshRate() : 0;
  if (!std::isfinite(hz) || hz < 20 || hz > 1000) hz = kDefaultRefreshHz;
  return 1000.0 / hz;
}

void GlView::RequestFrame() {
  if (in_paint_) {
    frame_requested_ = true;
    return;
  }
  if (frame_timer_.isActive()) return;  // the next frame is timed already
  double waitMs = 0;
  if (frame_started_ns_ >= 0) waitMs = FramePeriodMs() - double(clock_.nsecsElapsed() - frame_started_ns_) / 1e6;
  if (waitMs <= 0) update();
  else frame_timer_.start(int(std::ceil(waitMs)));
}

void GlView::KeepAnimating() {
  // A frame being drawn, or a selection pass, times the next one at its end.
  if (in_paint_ || selecting_) return;
  RequestFrame();
}

void GlView::Redraw() { RequestFrame(); }

void GlView::StartView() { RequestFrame(); }

void GlView::DrawText2D(long x, long y, const std::string& text) {
  if (selecting_) return;
  texts_.push_back({x, y, text});
}

void GlView::DrawGrid() {
  if (QOpenGLContext::currentContext() == nullptr) return;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glLineWidth(1);
  glColor3f(0.5f, 0.5f, 0.5f);
  double ex = std::fabs(scene_extent_[0]), ey = std::fabs(scene_extent_[1]);
  if (ex <= 0) ex = 1;
  if (ey <= 0) ey = 1;
  glBegin(GL_LINES);
  for (int i = -10; i <= 10; ++i) {
    double x = ex * i / 10.0, y = ey * i / 10.0;
    glVertex3d(x, -ey, 0);
    glVertex3d(x, ey, 0);
    glVertex3d(-ex, y, 0);
    glVertex3d(ex, y, 0);
  }
  glEnd();
  glPopAttrib();
}

void GlView::SetSceneExtent(double x, double y, double z) { scene_extent_ = {x, y, z}; }

std::shared_ptr<Material> GlView::CreateMaterial() { return std::make_shared<Material>(); }

std::shared_ptr<Texture> GlView::LoadTexture() {
  auto t = std::make_shared<Texture>();
  t->graveyard_ = graveyard_;
  textures_.erase(std::remove_if(textures_.begin(), textures_.end(),
                                 [](const std::weak_ptr<Texture>& w) { return w.expired(); }),
                  textures_.end());
  textures_.push_back(t);
  return t;
}

void GlView::SetMousePointer(int id) {
  mouse_pointer_ = id;
  if (id == 0) unsetCursor();
  else if (id == 99 && !mouse_icon_.pixmap().isNull()) setCursor(mouse_icon_);
  else setCursor(CursorFor(id));
}

void GlView::SetMouseIcon(const QPixmap& icon) {
  mouse_icon_ = QCursor(icon);
  if (mouse_pointer_ == 99) setCursor(mouse_icon_);
}

void GlView::SetFocus() { setFocus(Qt::OtherFocusReason); }

double GlView::TwipsPerPixel() const {
  int dpi = logicalDpiX();
  return dpi > 0 ? 1440.0 / dpi : 15.0;
}

void GlView::Move(double left, double top, double width, double height) {
  double k = TwipsPerPixel();
  setGeometry(int(std::lround(left / k)), int(std::lround(top / k)), std::max(0, int(std::lround(width / k))),
              std::max(0, int(std::lround(height / k))));
}

bool GlView::MakeCurrent() {
  if (!context_ready_ || context() == nullptr) return false;
  makeCurrent();
  return QOpenGLContext::currentContext() == context();
}

void GlView::DoneCurrent() { doneCurrent(); }

long GlView::Pick(int x, int y) {
  if (!events_ || !context_ready_ || !initgl_raised_ || in_paint_ || selecting_) return 0;
  CurrentScope cur(*this);
  if (QOpenGLContext::currentContext() != context()) return 0;
  int w = int(ViewWidth()), h = int(ViewHeight());
  std::vector<GLuint> buf(kSelectWords);
  glSelectBuffer(GLsizei(buf.size()), buf.data());
  glRenderMode(GL_SELECT);
  glInitNames();
  glPushName(0xFFFFFFFFu);
  glViewport(0, 0, w, h);
  std::array<int, 4> vp{0, 0, w, h};
  SetMatrices(w, h, &vp, x, y);
  size_t queued = texts_.size();
  // The pass writes nothing to the frame shown (the scene clears the depth buffer), so it
  // needs no repaint after it.
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glDepthMask(GL_FALSE);
  glStencilMask(0);
  selecting_ = true;
  Raise("Draw", [](GlViewEvents& e) { e.DrawEvent(); });
  selecting_ = false;
  glPopAttrib();
  GLint hits = glRenderMode(GL_RENDER);
  texts_.resize(std::min(queued, texts_.size()));
  hit_count_ = hits;
  std::vector<std::int32_t> out;
  if (hits > 0) {
    size_t i = 0;
    for (GLint k = 0; k < hits && i < buf.size(); ++k) i += 3 + buf[i];
    i = std::min(i, buf.size());
    out.reserve(i);
    for (size_t j = 0; j < i; ++j) out.push_back(std::int32_t(buf[j]));
  }
  Raise("Pick", [&](GlViewEvents& e) { e.PickEvent(out); });
  return hit_count_;
}

std::vector<std::uint8_t> GlView::ReadPixels(int x, int y, int w, int h) {
  std::vector<std::uint8_t> px;
  if (w <= 0 || h <= 0) return px;
  CurrentScope cur(*this);
  if (QOpenGLContext::currentContext() != context()) return px;
  px.assign(size_t(w) * size_t(h) * 3, 0);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glReadPixels(x, y, w, h, GL_RGB, GL_UNSIGNED_BYTE, px.data());
  glPopClientAttrib();
  return px;
}

QImage GlView::ReadFrame() {
  int w = int(ViewWidth()), h = int(ViewHeight());
  std::vector<std::uint8_t> px = ReadPixels(0, 0, w, h);
  if (px.empty()) return {};
  QImage img(w, h, QImage::Format_RGB888);
  for (int r = 0; r < h; ++r)
    std::copy_n(px.data() + size_t(h - 1 - r) * size_t(w) * 3, size_t(w) * 3, img.scanLine(r));
  return img;
}

// --- input --------------------------------------------------------------------------------

void GlView::MouseEvent(QMouseEvent* e, int kind) {
  double k = devicePixelRatioF();
  float x = float(e->position().x() * k), y = float(e->position().y() * k);
  int shift = ShiftBits(e->modifiers());
  CurrentScope cur(*this);
  if (kind == 0) {
    int button = ButtonBits(e->button());
    if (e->button() == Qt::LeftButton) Pick(int(x), int(y));
    Raise("MouseDown", [&](GlViewEvents& ev) { ev.MouseDown(button, shift, x, y); });
  } else if (kind == 1) {
    int button = ButtonBits(e->buttons());
    Raise("MouseMove", [&](GlViewEvents& ev) { ev.MouseMove(button, shift, x, y); });
  } else {
    int button = ButtonBits(e->button());
    Raise("MouseUp", [&](GlViewEvents& ev) { ev.MouseUp(button, shift, x, y); });
    if (e->button() == Qt::LeftButton && !suppress_click_) Raise("Click", [](GlViewEvents& ev) { ev.Click(); });
    suppress_click_ = false;
  }
}

void GlView::mousePressEvent(QMouseEvent* e) {
  setFocus(Qt::MouseFocusReason);
  MouseEvent(e, 0);
  e->accept();
}

void GlView::mouseMoveEvent(QMouseEvent* e) {
  MouseEvent(e, 1);
  e->accept();
}

void GlView::mouseReleaseEvent(QMouseEvent* e) {
  MouseEvent(e, 2);
  e->accept();
}

void GlView::mouseDoubleClickEvent(QMouseEvent* e) {
  // The second press of a double click raises DblClick in place of MouseDown, and its
  // release no Click.
  suppress_click_ = true;
  CurrentScope cur(*this);
  Raise("DblClick", [](GlViewEvents& ev) { ev.DblClick(); });
  e->accept();
}

void GlView::keyPressEvent(QKeyEvent* e) {
  CurrentScope cur(*this);
  int code = WindowsKeyCode(e->key(), e->modifiers());
  int shift = ShiftBits(e->modifiers());
  if (code != 0) Raise("KeyDown", [&](GlViewEvents& ev) { ev.KeyDown(code, shift); });
  const QString text = e->text();
  if (!text.isEmpty() && text.at(0).unicode() < 256) {
    int ascii = text.at(0).unicode();
    Raise("KeyPress", [&](GlViewEvents& ev) { ev.KeyPress(ascii); });
  }
  e->accept();
}

}  // namespace vantrel::glview
