#pragma once
// The main window's handlers of the view control's events: each forwards its event to the
// view object, with three additions: the draw event keeps the movie window's frame counter
// up to date while a movie is recorded (and gives the main window's caption boxes their texts
// back afterwards), the first-view event applies a one-time isometric view, and the mouse
// events also feed the trackball.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/glview/glview.h"

namespace vantrel::view {

class ClassGl;

// A caption box: its text and tool tip.
struct CaptionBox {
  std::string text, tip;
  bool operator==(const CaptionBox&) const = default;
};

// The boxes the draw handler writes: Text2 and Text3 (n = 2, 3) of the main window and of the
// movie window. Implemented by the main window.
class BridgeTexts {
 public:
  virtual ~BridgeTexts() = default;
  virtual CaptionBox MainBox(int n) = 0;
  virtual void SetMainBox(int n, const CaptionBox& box) = 0;
  virtual void SetMovieBox(int n, const CaptionBox& box) = 0;
};

class GlEventBridge : public glview::GlViewEvents {
 public:
  // texts may be null: the movie counter texts are then not written.
  GlEventBridge(glview::GlView& glxCtl1, ClassGl& GlInstance, BridgeTexts* texts = nullptr);

  void glxCtl1_Click() {}
  void glxCtl1_DblClick();
  void glxCtl1_KeyDown(int& KeyCode, int& Shift);
  void glxCtl1_KeyPress(int& KeyAscii);
  void glxCtl1_MouseDown(int& Button, int& Shift, float& X, float& Y);
  void glxCtl1_MouseMove(int& Button, int& Shift, float& X, float& Y);
  void glxCtl1_MouseUp(int& Button, int& Shift, float& X, float& Y);
  void glxCtl1_FirstViewEvent();
  void glxCtl1_ReshapeEvent(long width, long height, bool& handled);
  void glxCtl1_InitEvent();
  void glxCtl1_InitGLEvent();
  void glxCtl1_DrawEvent();
  void glxCtl1_DrawGDIEvent();
  void glxCtl1_PickEvent(std::vector<std::int32_t>& buffer);
  void glxCtl1_IgnoredEvent() {}

  // Form values.
  std::array<std::string, 4> SavedRedrawTexts;  // Text3 text, Text3 tip, Text2 text, Text2 tip
  double MovieTextsSaved = 0;                   // 0 none seen, 1 recording started, 2 saved
  double LastMovieFrame = 0;
  double FirstViewDone = 0;
  float GlViewW = 0, GlViewH = 0;  // view size in pixels, for the trackball

  // The control's events.
  void Click() override { glxCtl1_Click(); }
  void DblClick() override { glxCtl1_DblClick(); }
  void FirstViewEvent() override { glxCtl1_FirstViewEvent(); }
  void InitEvent() override { glxCtl1_InitEvent(); }
  void InitGLEvent() override { glxCtl1_InitGLEvent(); }
  void DrawEvent() override { glxCtl1_DrawEvent(); }
  void DrawGDIEvent() override { glxCtl1_DrawGDIEvent(); }
  void IgnoredEvent() override { glxCtl1_IgnoredEvent(); }
  void KeyDown(int& keyCode, int& shift) override { glxCtl1_KeyDown(keyCode, shift); }
  void KeyPress(int& keyAscii) override { glxCtl1_KeyPress(keyAscii); }
  void MouseDown(int& b, int& s, float& x, float& y) override { glxCtl1_MouseDown(b, s, x, y); }
  void MouseMove(int& b, int& s, float& x, float& y) override { glxCtl1_MouseMove(b, s, x, y); }
  void MouseUp(int& b, int& s, float& x, float& y) override { glxCtl1_MouseUp(b, s, x, y); }
  void ReshapeEvent(long w, long h, bool& handled) override { glxCtl1_ReshapeEvent(w, h, handled); }
  void PickEvent(std::vector<std::int32_t>& buffer) override { glxCtl1_PickEvent(buffer); }

 private:
  glview::GlView& ctl_;
  ClassGl& gl_;
  BridgeTexts* texts_;
};

}  // namespace vantrel::view
