#pragma once
// frmVideo ("Movie sequence"), the movie window: the number of frames, the time between frames
// on the wall clock or in plot time, and Start/Restart, Pause and End of a recording. The frames
// are saved by the view's timer (view::MovieSaveAs) from the movie fields of SettingsBlock.
// Also the main window's two movie sliders (frames and time between frames).

#include <memory>
#include <string>

#include "platform/forms/qt/controls.h"
#include "platform/forms/qt/form.h"
#include "view/event_bridge.h"

namespace vantrel::ui {

// The frames text of the movie window and of the main window, and the interval text.
std::string MovieFramesText(double frameNo, double maxFrames);
std::string MainFramesText(double frameNo, double maxFrames);
std::string MovieIntervalText(double interval);

inline constexpr const char* kFramesTip =
    "Before or During a movie process, use this scrollbar to increase the number of Frames (default is 20)";
inline constexpr const char* kVideoIntervalTip =
    "Before or During a movie process, use this scrollbar to change the rate of the Frames (in seconds), default "
    "is 1 s";
inline constexpr const char* kMainIntervalTip =
    "Before or During a movie process, use this scrollbar to change the rate of the Frames (in seconds), default "
    "is 0.3 s";

class FrmVideo : public forms::Form {
 public:
  // Builds the window and runs Form_Load.
  explicit FrmVideo(QWidget* parent = nullptr);

  // Recomputes the interval from the period slider and refreshes the texts.
  void update();

  void Form_Load();
  void Form_Activate();
  void Check1_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void HScroll1_Change();
  void HScroll2_Change();

  // The view's draw handler keeps Text2 and Text3 up to date while a recording runs
  // (view::BridgeTexts::SetMovieBox: n = 2 or 3).
  void SetMovieBox(int n, const view::CaptionBox& box);

  std::unique_ptr<forms::Label> Label1, Label2;
  std::unique_ptr<forms::ScrollBar> HScroll1, HScroll2;
  std::unique_ptr<forms::TextBox> Text1, Text2, Text3;
  std::unique_ptr<forms::CheckBox> Check1;
  std::unique_ptr<forms::CommandButton> Command1, Command2, Command3;
};

// HScroll5 (number of frames, 0 to 1000, value 1000) with its caption box Text11, and HScroll6
// (time between frames, 0 to 16, value 9) with Text12: controls of the main window, made in
// its parent widget; the main window places them.
class MovieSliders {
 public:
  explicit MovieSliders(QWidget* parent);

  void HScroll5_Change();
  void HScroll5_Scroll() { HScroll5_Change(); }
  void HScroll6_Change();
  void HScroll6_Scroll() { HScroll6_Change(); }
  // Fills the two caption boxes with what the sliders stand at, and their tooltips, without
  // touching the movie state (the start-up: the boxes are not blank before a slider moves).
  void ShowCaptions();

  std::unique_ptr<forms::ScrollBar> HScroll5, HScroll6;
  std::unique_ptr<forms::TextBox> Text11, Text12;
  double MovieSliderSeen = 0;  // 1 once HScroll5_Change has run
};

}  // namespace vantrel::ui
