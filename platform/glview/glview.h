#pragma once
// The OpenGL view control: a QOpenGLWidget with a compatibility-profile context for the
// program's fixed-function OpenGL 1.x and GLU drawing. It raises its events to one bridge
// (GlViewEvents); during Init/InitGL/Draw/DrawGDI/Reshape/Pick the context is current.
//
// Each frame: viewport, projection and model-view from the camera, clear with the current
// clear colour and depth, lights, Draw, DrawGDI, then the queued window texts, then the
// frame's alpha is forced to 1 so the composed window and read-backs show the drawn colours.

#include <QCursor>
#include <QElapsedTimer>
#include <QImage>
#include <QOpenGLWidget>
#include <QPixmap>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/glview/camera.h"
#include "platform/glview/fonts.h"

namespace vantrel::glview {

// Receiver of the control's events. Arguments follow the program's conventions: mouse
// buttons 1 left, 2 right, 4 middle (MouseMove: the set held), Shift bits 1/2/4, X and Y in
// pixels from the top left, key codes as Windows virtual keys. Exceptions thrown by a
// handler are caught by the control and logged.
class GlViewEvents {
 public:
  virtual ~GlViewEvents() = default;
  virtual void Click() {}
  virtual void DblClick() {}
  virtual void FirstViewEvent() {}
  virtual void InitEvent() {}
  virtual void InitGLEvent() {}
  virtual void DrawEvent() {}
  virtual void DrawGDIEvent() {}
  virtual void IgnoredEvent() {}
  virtual void KeyDown(int& keyCode, int& shift) { (void)keyCode, (void)shift; }
  virtual void KeyPress(int& keyAscii) { (void)keyAscii; }
  virtual void MouseDown(int& button, int& shift, float& x, float& y) { (void)button, (void)shift, (void)x, (void)y; }
  virtual void MouseMove(int& button, int& shift, float& x, float& y) { (void)button, (void)shift, (void)x, (void)y; }
  virtual void MouseUp(int& button, int& shift, float& x, float& y) { (void)button, (void)shift, (void)x, (void)y; }
  virtual void ReshapeEvent(long width, long height, bool& handled) { (void)width, (void)height, (void)handled; }
  // The selection buffer of the last pick (HitCount records: names, min depth, max depth,
  // names...).
  virtual void PickEvent(std::vector<std::int32_t>& buffer) { (void)buffer; }
};

struct Colour4f {
  float r = 0, g = 0, b = 0, a = 1;
};

// A light of the control; item i is GL_LIGHT0 + i - 1. Colour1 is the ambient, Colour2 the
// diffuse and Colour3 the specular colour. The control applies a light it was told about at
// the start of each frame, its position through the camera's model-view (w = 1).
class Light {
 public:
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on) { enabled_ = on, used_ = true; }
  void SetPosition(float x, float y, float z) { position_ = {x, y, z}, used_ = true; }
  Vec3f Position() const { return position_; }
  void SetColour1(float r, float g, float b, float a = 1) { c1_ = {r, g, b, a}, used_ = true; }
  void SetColour2(float r, float g, float b, float a = 1) { c2_ = {r, g, b, a}, used_ = true; }
  void SetColour3(float r, float g, float b, float a = 1) { c3_ = {r, g, b, a}, used_ = true; }
  Colour4f Colour1() const { return c1_; }
  Colour4f Colour2() const { return c2_; }
  Colour4f Colour3() const { return c3_; }
  bool Used() const { return used_; }
  void Apply(int glLight) const;

 private:
  bool enabled_ = false, used_ = false;
  Vec3f position_{0, 0, 1};
  Colour4f c1_{0, 0, 0, 1}, c2_{1, 1, 1, 1}, c3_{1, 1, 1, 1};
};

class LightCollection {
 public:
  static constexpr int kCount = 8;
  Light& Item(int index);  // 1 to 8; else error 9
  int Count() const { return kCount; }

 private:
  std::array<Light, kCount> lights_;
};

// A material: the values the program sets, applied with Apply() to the current context.
class Material {
 public:
  void SetFace(int glFace) { face_ = glFace; }
  int Face() const { return face_; }
  void SetAmbient(float r, float g, float b, float a = 1) { ambient_ = {r, g, b, a}; }
  void SetDiffuse(float r, float g, float b, float a = 1) { diffuse_ = {r, g, b, a}; }
  void SetSpecular(float r, float g, float b, float a = 1) { specular_ = {r, g, b, a}; }
  void SetEmission(float r, float g, float b, float a = 1) { emission_ = {r, g, b, a}; }
  void SetSpecExp(float e) { spec_exp_ = e; }
  Colour4f Ambient() const { return ambient_; }
  Colour4f Diffuse() const { return diffuse_; }
  Colour4f Specular() const { return specular_; }
  float SpecExp() const { return spec_exp_; }
  void Apply() const;

 private:
  int face_ = 0x0408;  // GL_FRONT_AND_BACK
  Colour4f ambient_{0.2f, 0.2f, 0.2f, 1}, diffuse_{0.8f, 0.8f, 0.8f, 1};
  Colour4f specular_{0, 0, 0, 1}, emission_{0, 0, 0, 1};
  float spec_exp_ = 0;
};

// The control's stock materials, items 1 to 24.
class MaterialCollection {
 public:
  MaterialCollection();
  Material& Item(int index);  // else error 9
  int Count() const { return int(items_.size()); }

 private:
  std::vector<Material> items_;
};

class GlView;

// A 2-D texture. Load reads the image file (error 53 when missing, 75 when unreadable);
// Apply binds it to GL_TEXTURE_2D, first uploading it with linear filtering and the image's
// top row at t = 1; in a selection pass it binds no texture. Apply needs the control's
// context current.
class Texture {
 public:
  ~Texture();
  void Load(const std::string& path);
  // The second argument of the program's call is not used.
  template <class T>
  void Load(const std::string& path, T&) {
    Load(path);
  }
  void Apply();
  bool Loaded() const { return !image_.isNull(); }
  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }

 private:
  friend class GlView;
  QImage image_;  // RGBA, bottom row first
  unsigned name_ = 0;
  bool dirty_ = false;
  std::weak_ptr<std::vector<unsigned>> graveyard_;  // GL names to delete in the next frame
};

// The control's own animation: while Running, the view repaints by itself, one frame per
// refresh of its screen; otherwise it repaints only when asked (Redraw, resize, expose).
class AnimationControl {
 public:
  explicit AnimationControl(GlView& view) : view_(view) {}
  bool Running() const { return running_; }
  // Switching on starts the frames; switching off lets the frame in hand be the last.
  void SetRunning(bool on);
  // Applies the Running state: keeps the frames coming while on, and never asks for a repaint
  // of its own (the draw event calls it at every frame).
  void Update();

 private:
  GlView& view_;
  bool running_ = false;
};

class GlView : public QOpenGLWidget {
 public:
  explicit GlView(QWidget* parent = nullptr);
  ~GlView() override;

  // The bridge; events come only while one is set. Init/InitGL are raised at the first
  // paint after the bridge is set when the context already existed.
  void SetEvents(GlViewEvents* events);

  // Control.
  // A repaint at the pace of the screen: at once when the last frame began a refresh period
  // ago or more, else when that period ends. Requests in between make one frame.
  void Redraw();
  void StartView();
  void DrawText2D(long x, long y, const std::string& text);  // shown after the scene
  void DrawGrid();                                           // immediately, in the XY plane
  void SetSceneExtent(double x, double y, double z);
  std::shared_ptr<Material> CreateMaterial();
  std::shared_ptr<Texture> LoadTexture();
  long HitCount() const { return hit_count_; }
  long ViewWidth() const;   // device pixels
  long ViewHeight() const;  // device pixels
  long hDC() const { return 1; }
  // 0 default, the standard pointer ids 1 to 15 (11 busy), 99 the MouseIcon, and the tool
  // cursors 200 to 207 and 210 to 212.
  void SetMousePointer(int id);
  int MousePointer() const { return mouse_pointer_; }
  void SetMouseIcon(const QPixmap& icon);

  // Extender.
  const std::string& Tag() const { return tag_; }
  void SetTag(const std::string& tag) { tag_ = tag; }
  void SetFocus();
  void Move(double left, double top, double width, double height);  // twips
  double TwipsPerPixel() const;

  GlCamera& Camera() { return camera_; }
  LightCollection& Lights() { return lights_; }
  MaterialCollection& Materials() { return materials_; }
  FontSet& Fonts() { return fonts_; }
  AnimationControl& Animation() { return animation_; }

  // Selection pass at window pixel (x, y) from the top left: the Draw event runs in GL_SELECT
  // mode under a pick matrix of a few pixels, each hit is named by the names the drawing
  // loaded (the stack starts with one name, -1), then the PickEvent gets the buffer. A left
  // press runs one before MouseDown. Returns the hit count.
  long Pick(int x, int y);
  bool InSelectionPass() const { return selecting_; }

  // Read-back of the last frame, outside the paint: RGB bytes, rows bottom first, tightly
  // packed. Empty when there is no context.
  std::vector<std::uint8_t> ReadPixels(int x, int y, int w, int h);
  // The last frame as an image (top row first).
  QImage ReadFrame();
  // Makes the context current outside the events (false without a context).
  bool MakeCurrent();
  void DoneCurrent();

  // Frames drawn so far (completed paints; selection passes are not counted).
  long FrameCount() const { return frames_; }
  // Milliseconds between frames: one refresh of the view's screen (60 a second when the
  // screen gives no usable rate).
  double FramePeriodMs() const;
  // The single-shot timer that times the next frame; armed only while a frame is due.
  const QTimer& FrameTimer() const { return frame_timer_; }

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  // The view shows no focus: gaining or losing it asks for no repaint.
  void focusInEvent(QFocusEvent*) override {}
  void focusOutEvent(QFocusEvent*) override {}

 private:
  friend class AnimationControl;
  template <class F>
  void Raise(const char* what, F&& f);
  void RaiseInitEvents();
  void SetMatrices(int w, int h, const std::array<int, 4>* pick, int px, int py);
  void FlushTexts(int w, int h);
  void ForceOpaque();
  void DeleteDeadTextures();
  void MouseEvent(QMouseEvent* e, int kind);
  void RequestFrame();
  void KeepAnimating();

  GlViewEvents* events_ = nullptr;
  GlCamera camera_;
  LightCollection lights_;
  MaterialCollection materials_;
  FontSet fonts_;
  AnimationControl animation_;
  QTimer frame_timer_;            // times the next frame at the screen's pace
  QElapsedTimer clock_;           // started at creation
  qint64 frame_started_ns_ = -1;  // clock_ time of the last paint's start, -1 before any
  bool frame_requested_ = false;  // a repaint asked for while a frame was drawn
  std::shared_ptr<std::vector<unsigned>> graveyard_;
  std::vector<std::weak_ptr<Texture>> textures_;

  struct QueuedText {
    long x, y;
    std::string text;
  };
  std::vector<QueuedText> texts_;
  std::array<double, 3> scene_extent_{100, 100, 100};
  bool context_ready_ = false;  // initializeGL ran for the current context
  bool init_raised_ = false;    // Init raised (once)
  bool initgl_raised_ = false;  // InitGL raised for the current context
  bool first_view_posted_ = false;
  bool selecting_ = false;
  bool in_paint_ = false;
  bool suppress_click_ = false;
  long reshaped_w_ = -1, reshaped_h_ = -1;
  long hit_count_ = 0;
  long frames_ = 0;
  int mouse_pointer_ = 0;
  QCursor mouse_icon_;
  std::string tag_;
};

}  // namespace vantrel::glview
