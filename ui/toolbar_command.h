#pragma once
// The view toolbar's command dispatcher: every click on a button of Toolbar1 and every key
// pressed in the main window becomes one ToolbarCommand call with a command word. Also the
// working folder (SetImageDirectory) and the saved arrangement of the view toolbar.

#include <array>
#include <string>

namespace vantrel::forms {
class ToolbarButton;
}

namespace vantrel::ui {

class CommandHost;

// Where the view toolbar's arrangement is kept: key "User" & product & user name, subkey
// "ToolBars", value "5".
std::string ToolbarLayoutKey();
inline constexpr const char* kToolbarLayoutSubkey = "ToolBars";
inline constexpr const char* kToolbarLayoutValue = "5";

class ToolbarDispatcher {
 public:
  explicit ToolbarDispatcher(CommandHost& host) : host_(host) {}

  // Toolbar1_ButtonClick: the button's key in lower case.
  void Toolbar1_ButtonClick(const forms::ToolbarButton& Button);
  // Runs one command. The key is overwritten with "vanexxyz" on the first call of the run and
  // after an X, Y or Z key (MainShared().LastKeyCode 88-90, 120-122). Words are compared exactly.
  // A failing statement is skipped and the next one runs.
  void ToolbarCommand(std::string& key);

  // Toolbar1_Change and Toolbar1_DblClick: saves the view toolbar's arrangement (at the next pass
  // of the event loop, once the bar stands where the user put it), then sets the working folder
  // again.
  void SaveToolbarLayout();
  // The first activation's restore of the arrangement; false when none was saved.
  bool RestoreToolbarLayout();
  // WorkDir from the image-folder box Text6; an empty box takes the per-user data folder (made
  // when missing), written back into the box. The image button's tool tip names the folder.
  void SetImageDirectory();

  // Dispatcher state of the main window (zero when the window is made, never saved).
  std::array<double, 6> ToolRadio{};  // entry 0 select, 1 pan, 2 zoom
  double VerticalAxis = 0;            // 1 X, 2 Y, 3 Z
  double ToolbarInitDone = 0;
  double FrozenStartArmed = 0;

 private:
  CommandHost& host_;
};

}  // namespace vantrel::ui
