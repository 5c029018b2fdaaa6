#pragma once
// What the command units (view toolbar, option toolbar, menus, the two lists, the panel buttons)
// need of the main window: its controls, the view object and the view control, and the main
// window's own procedures that the commands run. The main window implements it; tests pass a
// small window of their own.
//
// The view members throw rt::RtError 91 when there is no view object or control; the commands
// that the program runs statement by statement skip such failures.

#include <string>

namespace vantrel::forms {
class CheckBox;
class ComboBox;
class CommandButton;
class Frame;
class Menu;
class ProgressBar;
class ScrollBar;
class TextBox;
class Toolbar;
class ToolbarButton;
}  // namespace vantrel::forms

namespace vantrel::ui {

class CommandHost {
 public:
  virtual ~CommandHost() = default;

  // --- the view object (GlInstance) ---------------------------------------------------------
  virtual void ViewSetEditState(long state) = 0;
  virtual void ViewCameraSet(const std::string& mode, double& a, double& b) = 0;
  virtual void ViewChangeCURRINDEXI(double& value, double& previous) = 0;
  virtual bool ViewGrids() = 0;
  virtual void SetViewGrids(bool on) = 0;

  // --- the view control (glxCtl1) -------------------------------------------------------------
  virtual std::string ViewControlTag() = 0;
  virtual void SetViewControlTag(const std::string& tag) = 0;
  virtual void SetViewAnimationRunning(bool on) = 0;
  virtual void ViewAnimationUpdate() = 0;
  virtual void ViewRedraw() = 0;
  virtual void ViewCameraLookAt(float ex, float ey, float ez, float tx, float ty, float tz, float ux, float uy,
                                float uz) = 0;
  virtual void ViewSetFocus() = 0;

  // --- controls -------------------------------------------------------------------------------
  virtual forms::Toolbar& Toolbar1Ref() = 0;
  virtual forms::Toolbar& ToolBoptionsRef() = 0;
  virtual forms::Frame& OptionsRef() = 0;
  virtual forms::Frame& Frame1Ref() = 0;
  virtual forms::CheckBox& Check1Ref(int index) = 0;
  virtual forms::CheckBox& Check3Ref() = 0;
  virtual forms::CheckBox& Check9Ref() = 0;
  virtual forms::TextBox& Text1Ref() = 0;
  virtual forms::TextBox& Text3Ref() = 0;
  virtual forms::TextBox& Text4Ref(int index) = 0;
  virtual forms::TextBox& Text6Ref() = 0;
  virtual forms::TextBox& Text9Ref() = 0;
  virtual forms::TextBox& Text14Ref() = 0;
  virtual forms::TextBox& Text16Ref() = 0;
  virtual forms::TextBox& Text18Ref() = 0;
  virtual forms::ScrollBar& HScroll1Ref() = 0;
  virtual forms::ScrollBar& HScroll7Ref() = 0;
  virtual forms::ScrollBar& HScroll8Ref() = 0;
  virtual forms::ScrollBar& HScroll10Ref() = 0;
  virtual forms::CommandButton& Command2Ref() = 0;
  virtual forms::CommandButton& Command6Ref() = 0;
  virtual forms::CommandButton& Command7Ref() = 0;
  virtual forms::ComboBox& Combo1Ref() = 0;
  virtual forms::ComboBox& Combo2Ref() = 0;
  virtual forms::ProgressBar& ProgressBar1Ref() = 0;
  virtual forms::Menu& mnuOptionsRef() = 0;
  virtual forms::Menu& mnuOinteractiveRef() = 0;
  virtual forms::Menu& mnuVGridsRef() = 0;

  // --- procedures of the main window ----------------------------------------------------------
  virtual void Options_Click() = 0;
  virtual void OptionAffecteUser() = 0;
  virtual void Form_Activate() = 0;
  // Closes the main window (its unload handler ends the program).
  virtual void UnloadMainWindow() = 0;
  virtual void HScroll1_Change() = 0;
  virtual void mnuFSaveAs_Click() = 0;
  virtual void mnuFMovieSaveAs_Click() = 0;
  // The handlers of the command units, as the main window wires them (one unit runs another's
  // through these).
  virtual void mnuFOptions_Click() = 0;
  virtual void Command2_Click() = 0;
  virtual void Command7_Click() = 0;
  virtual void Command7_KeyPress(int& KeyAscii) = 0;
  virtual void ToolBoptions_ButtonClick(forms::ToolbarButton& Button) = 0;
  // One pass of the event loop.
  virtual void DoEvents() = 0;
};

}  // namespace vantrel::ui
