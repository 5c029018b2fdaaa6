#pragma once
// What the data store needs of the main window and of the 3D view: the controls the loader reads
// and writes and the public procedures it calls. ui/ and view/ implement these interfaces; tests
// pass the recording fakes of tests/support/fake_services.h. No toolkit type appears here.
//
// A program write that changes a control's value runs that control's change handler at once,
// inside the write (a write that changes nothing runs none); writes of texts, visibility, focus
// and tags run no handler.

#include <string>
#include <string_view>

namespace vantrel::datastore {

// The check boxes of the main window that the loader reads or writes.
enum class CheckBox {
  Check1_0,  // "no Plot Earth..." (Check1 index 0)
  Check3,    // "Satellite"
  Check4,    // "Solar panel"
  Check5,    // "Valz"
  Check9,    // "Cubic View"
  Check11,   // "Only thrust or Whole orbit"
};

class MainWindowServices {
 public:
  virtual ~MainWindowServices() = default;

  // Text9, the keyword box of the options panel.
  virtual std::string Text9Text() = 0;

  // Text20, the log box: AddLogLine (below) reads its text and writes it back with a new line.
  virtual std::string Text20Text() = 0;
  virtual void SetText20Text(const std::string& text) = 0;

  // Text21, the status box: the path of the data file in use.
  virtual void SetText21Text(const std::string& text) = 0;

  // Text14, the named-file box.
  virtual void SetText14Text(const std::string& text) = 0;
  virtual void SetText14Visible(bool visible) = 0;

  // TextTempo, the message box under the view.
  virtual void SetTextTempoText(const std::string& text) = 0;
  virtual void SetTextTempoVisible(bool visible) = 0;

  // ProgressBar1, values 0 to 100 (set as a Single).
  virtual void SetProgressBar1Visible(bool visible) = 0;
  virtual void ProgressBar1SetFocus() = 0;
  virtual void SetProgressBar1Value(float value) = 0;

  // Command6, the "Run Demo" button; its tag "demo" ends the wait for a typed specification.
  virtual void SetCommand6Visible(bool visible) = 0;
  virtual void Command6SetFocus() = 0;
  virtual std::string Command6Tag() = 0;
  virtual void SetCommand6Tag(const std::string& tag) = 0;

  // Combo1, the specification box; Combo1_GotFocusRoutine re-reads the recent specifications
  // into it, widens and colours it.
  virtual void Combo1SetFocus() = 0;
  virtual void Combo1_GotFocusRoutine() = 0;

  // Combo2, the satellite-shape list (a text change runs its change handler).
  virtual std::string Combo2Text() = 0;
  virtual void SetCombo2Text(const std::string& text) = 0;

  // HScroll2, the redraw-speed slider (its change handler sets STEPPT to 2^value).
  virtual int HScroll2Value() = 0;
  virtual void SetHScroll2Value(int value) = 0;

  // HScroll3, the satellite-size slider.
  virtual int HScroll3Max() = 0;
  virtual int HScroll3Value() = 0;
  virtual void SetHScroll3Value(int value) = 0;

  // Check boxes: value 0, 1 or 2 (a change runs the box's click handler), tag, visibility.
  virtual int CheckValue(CheckBox box) = 0;
  virtual void SetCheckValue(CheckBox box, int value) = 0;
  virtual std::string CheckTag(CheckBox box) = 0;
  virtual void SetCheckTag(CheckBox box, const std::string& tag) = 0;
  virtual void SetCheckVisible(CheckBox box, bool visible) = 0;

  // Public procedures of the main window.
  // Closes the options panel after copying its values into SettingsBlock.
  virtual void Command2_Click() = 0;
  // Lays out the view and the controls under it; runs the event loop once at its end.
  virtual void Form_Resize() = 0;
  // Copies the options panel's controls into SettingsBlock.
  virtual void Options_Click() = 0;
  // Sets the options panel from the stored settings list (when it holds anything).
  virtual void OptionAffecteUser() = 0;
  // One pass of the event loop.
  virtual void DoEvents() = 0;
};

class ViewServices {
 public:
  virtual ~ViewServices() = default;
  // The view object's camera command; the loader calls ("isonew", 2, 0) twice after a load.
  virtual void CameraSet(const std::string& mode, double a, double b) = 0;
};

// Services that do nothing: in force until the program (or a test) installs its own.
class NullMainWindow : public MainWindowServices {
 public:
  std::string Text9Text() override { return "MAX"; }
  std::string Text20Text() override { return log_; }
  void SetText20Text(const std::string& text) override { log_ = text; }
  void SetText21Text(const std::string&) override {}
  void SetText14Text(const std::string&) override {}
  void SetText14Visible(bool) override {}
  void SetTextTempoText(const std::string&) override {}
  void SetTextTempoVisible(bool) override {}
  void SetProgressBar1Visible(bool) override {}
  void ProgressBar1SetFocus() override {}
  void SetProgressBar1Value(float) override {}
  void SetCommand6Visible(bool) override {}
  void Command6SetFocus() override {}
  std::string Command6Tag() override { return tag6_; }
  void SetCommand6Tag(const std::string& tag) override { tag6_ = tag; }
  void Combo1SetFocus() override {}
  void Combo1_GotFocusRoutine() override {}
  std::string Combo2Text() override { return {}; }
  void SetCombo2Text(const std::string&) override {}
  int HScroll2Value() override { return 0; }
  void SetHScroll2Value(int) override {}
  int HScroll3Max() override { return 0; }
  int HScroll3Value() override { return 0; }
  void SetHScroll3Value(int) override {}
  int CheckValue(CheckBox) override { return 0; }
  void SetCheckValue(CheckBox, int) override {}
  std::string CheckTag(CheckBox) override { return {}; }
  void SetCheckTag(CheckBox, const std::string&) override {}
  void SetCheckVisible(CheckBox, bool) override {}
  void Command2_Click() override {}
  void Form_Resize() override {}
  void Options_Click() override {}
  void OptionAffecteUser() override {}
  void DoEvents() override {}

 private:
  std::string log_, tag6_;
};

class NullView : public ViewServices {
 public:
  void CameraSet(const std::string&, double, double) override {}
};

// Longest text the log box keeps: older lines are dropped from its front, so that loads that
// append lines for the whole run do not grow it without bound.
inline constexpr size_t kMaxLogText = 256 * 1024;

// Appends one line to the log box: its text becomes text & LineSep & line.
void AddLogLine(MainWindowServices& main, std::string_view line);

}  // namespace vantrel::datastore
