#include "view/event_bridge.h"

#include "datastore/state.h"
#include "platform/runtime/vb.h"
#include "view/class_gl.h"
#include "view/trackball.h"

namespace vantrel::view {
namespace {
int Pixel(float v) { return int(rt::RoundHalfEven(v)); }
}  // namespace

GlEventBridge::GlEventBridge(glview::GlView& glxCtl1, ClassGl& GlInstance, BridgeTexts* texts)
    : ctl_(glxCtl1), gl_(GlInstance), texts_(texts) {}

void GlEventBridge::glxCtl1_DblClick() {
  // The control's tag holds the animation state: "Animate" while on.
  if (!ctl_.Tag().empty()) {
    ctl_.Animation().SetRunning(false);
    ctl_.Animation().Update();
    ctl_.SetTag("");
  } else {
    ctl_.Animation().SetRunning(true);
    ctl_.Animation().Update();
    ctl_.SetTag("Animate");
  }
}

void GlEventBridge::glxCtl1_KeyDown(int& KeyCode, int& Shift) { gl_.KeyDown(KeyCode, Shift); }

void GlEventBridge::glxCtl1_KeyPress(int& KeyAscii) { gl_.KeyPress(KeyAscii); }

void GlEventBridge::glxCtl1_MouseDown(int& Button, int& Shift, float& X, float& Y) {
  TrackBallStart(Button, Pixel(X), Pixel(Y));
  gl_.MouseDown(Button, Shift, X, Y);
}

void GlEventBridge::glxCtl1_MouseMove(int& Button, int& Shift, float& X, float& Y) {
  TrackBallMotion(Button, Pixel(X), Pixel(Y));
  gl_.MouseMove(Button, Shift, X, Y);
}

void GlEventBridge::glxCtl1_MouseUp(int& Button, int& Shift, float& X, float& Y) {
  TrackBallStop(Button, Pixel(X), Pixel(Y));
  gl_.MouseUp(Button, Shift, X, Y);
}

void GlEventBridge::glxCtl1_FirstViewEvent() {
  ctl_.Redraw();
  // Only while the animation is off (the tag is empty) is the isometric view applied.
  if (ctl_.Tag().empty()) {
    if (FirstViewDone == 0) {
      gl_.CameraSet("ISOnew", 2, 0);
      FirstViewDone = 1;
    }
    ctl_.SetTag("Done one time");
  }
}

void GlEventBridge::glxCtl1_ReshapeEvent(long width, long height, bool& handled) {
  bool h = false;
  gl_.Reshape(width, height, h);
  handled = h;
  GlViewW = float(width);
  GlViewH = float(height);
}

void GlEventBridge::glxCtl1_InitEvent() { gl_.init(); }

void GlEventBridge::glxCtl1_InitGLEvent() { gl_.InitGL(); }

void GlEventBridge::glxCtl1_DrawEvent() {
  const datastore::SettingsRecord& sb = datastore::Store().SettingsBlock;
  if (texts_) {
    if (sb.MovieFrameNo > 0) {
      if (MovieTextsSaved < 1) MovieTextsSaved = 1;
      if (MovieTextsSaved == 1) {
        CaptionBox t3 = texts_->MainBox(3), t2 = texts_->MainBox(2);
        SavedRedrawTexts = {t3.text, t3.tip, t2.text, t2.tip};
        MovieTextsSaved = 2;
      }
      LastMovieFrame = sb.MovieFrameNo;
      texts_->SetMovieBox(
          3, {rt::Format(LastMovieFrame - 1, "#") + " / " + rt::Format(sb.MovieMaxFrames, "#") + " Frames ",
              "Before or During a movie process, use this scrollbar to increase the number of "
              "Frames (default is 20)"});
      texts_->SetMovieBox(2, {rt::Format(sb.MovieInterval, "#.##") + " seconds between Frames",
                              "Before or During a movie process, use this scrollbar to change the rate of the "
                              "Frames (in seconds), default is 0.3 s"});
    } else if (LastMovieFrame > 0) {
      texts_->SetMainBox(3, {SavedRedrawTexts[0], SavedRedrawTexts[1]});
      texts_->SetMainBox(2, {SavedRedrawTexts[2], SavedRedrawTexts[3]});
      LastMovieFrame = 0;
      MovieTextsSaved = 0;
    }
  }
  gl_.Draw();
}

void GlEventBridge::glxCtl1_DrawGDIEvent() { gl_.DrawGDI(); }

void GlEventBridge::glxCtl1_PickEvent(std::vector<std::int32_t>& buffer) { gl_.Pick(buffer); }

}  // namespace vantrel::view
