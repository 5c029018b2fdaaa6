#pragma once
// The command buttons of the main window: Save, Close and Factory Settings of the options
// panel, the two buttons of the PowerPoint panel, Run Demo and View local (the local view and
// its states), and the two hidden IconList buttons.

#include <string>

namespace vantrel::ui {

class CommandHost;

// Puts text on the clipboard, replacing what it held.
void ClipboardSetText(const std::string& text);

class PanelButtons {
 public:
  explicit PanelButtons(CommandHost& host) : host_(host) {}

  // "Save": the panel into the live options, all 101 option values and the image folder into
  // the settings store; the scene loads its textures again.
  void Command1_Click();
  // "Close": the panel into the live options and hidden; opened from the option toolbar, the
  // toolbar's button goes up and closes it.
  void Command2_Click();
  void Command2_MouseMove(int Button, int Shift, double X, double Y);
  // "Factory Settings": the start-up values back into the options and the panel (not stored);
  // the image folder emptied and the keyword "MAX" (their boxes store them).
  void Command3_Click();
  // "Copy to the clipboard": the PowerPoint command line.
  void Command4_Click();
  // "Close this window": the PowerPoint panel.
  void Command5_Click();
  // "Run Demo": ends the loader's wait for a typed specification with the demo.
  void Command6_Click();
  // "View local": off <-> on at the slider's data row ("NED"); "Cubic View" goes grey while on.
  void Command7_Click();
  // Any key on "View local" while it is on: "NED" <-> "NEDfree" (following the current point).
  void Command7_KeyPress(int& KeyAscii);
  // "IconList": read the buttons' pictures, change nothing.
  void Command8_Click();
  void Command9_Click();

  // The "Cubic View" value before the local view set it grey.
  double SavedCubicView = 0;

 private:
  void SetLocalViewIndex();
  CommandHost& host_;
};

}  // namespace vantrel::ui
