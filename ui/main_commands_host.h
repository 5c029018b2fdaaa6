#pragma once
// The command units on the main window: the host over its controls, view object and view
// control, the five units, and the wiring of the controls' events to them.
//
// The main window keeps one MainWindowCommands (made after its controls) and calls Connect()
// once its own handlers are connected; its public procedures that other code runs
// (Toolbar1_ButtonClick, ToolBoptions_ButtonClick, Command2_Click, Combo1_InitList, ...) forward
// to the units.

#include <functional>
#include <string>

#include "ui/command_host.h"
#include "ui/menus.h"
#include "ui/option_toolbar.h"
#include "ui/panel_buttons.h"
#include "ui/spec_lists.h"
#include "ui/toolbar_command.h"

namespace vantrel::ui {

class MainWindow;

class MainWindowCommands final : public CommandHost {
 public:
  explicit MainWindowCommands(MainWindow& main) : main_(main) {}

  // Sets the click, change, key and focus handlers of the toolbars, menus, lists and buttons
  // that the units own.
  void Connect();

  ToolbarDispatcher toolbar{*this};
  OptionToolbar options{*this};
  MenuCommands menus{*this};
  SpecLists lists{*this};
  PanelButtons buttons{*this};

  // The File menu's image and movie-frame commands (nothing until they are set).
  std::function<void()> SaveImage, SaveMovieFrames;

  void ViewSetEditState(long state) override;
  void ViewCameraSet(const std::string& mode, double& a, double& b) override;
  void ViewChangeCURRINDEXI(double& value, double& previous) override;
  bool ViewGrids() override;
  void SetViewGrids(bool on) override;
  std::string ViewControlTag() override;
  void SetViewControlTag(const std::string& tag) override;
  void SetViewAnimationRunning(bool on) override;
  void ViewAnimationUpdate() override;
  void ViewRedraw() override;
  void ViewCameraLookAt(float ex, float ey, float ez, float tx, float ty, float tz, float ux, float uy,
                        float uz) override;
  void ViewSetFocus() override;

  forms::Toolbar& Toolbar1Ref() override;
  forms::Toolbar& ToolBoptionsRef() override;
  forms::Frame& OptionsRef() override;
  forms::Frame& Frame1Ref() override;
  forms::CheckBox& Check1Ref(int index) override;
  forms::CheckBox& Check3Ref() override;
  forms::CheckBox& Check9Ref() override;
  forms::TextBox& Text1Ref() override;
  forms::TextBox& Text3Ref() override;
  forms::TextBox& Text4Ref(int index) override;
  forms::TextBox& Text6Ref() override;
  forms::TextBox& Text9Ref() override;
  forms::TextBox& Text14Ref() override;
  forms::TextBox& Text16Ref() override;
  forms::TextBox& Text18Ref() override;
  forms::ScrollBar& HScroll1Ref() override;
  forms::ScrollBar& HScroll7Ref() override;
  forms::ScrollBar& HScroll8Ref() override;
  forms::ScrollBar& HScroll10Ref() override;
  forms::CommandButton& Command2Ref() override;
  forms::CommandButton& Command6Ref() override;
  forms::CommandButton& Command7Ref() override;
  forms::ComboBox& Combo1Ref() override;
  forms::ComboBox& Combo2Ref() override;
  forms::ProgressBar& ProgressBar1Ref() override;
  forms::Menu& mnuOptionsRef() override;
  forms::Menu& mnuOinteractiveRef() override;
  forms::Menu& mnuVGridsRef() override;

  void Options_Click() override;
  void OptionAffecteUser() override;
  void Form_Activate() override;
  void UnloadMainWindow() override;
  void HScroll1_Change() override;
  void mnuFSaveAs_Click() override;
  void mnuFMovieSaveAs_Click() override;
  void mnuFOptions_Click() override;
  void Command2_Click() override;
  void Command7_Click() override;
  void Command7_KeyPress(int& KeyAscii) override;
  void ToolBoptions_ButtonClick(forms::ToolbarButton& Button) override;
  void DoEvents() override;

 private:
  MainWindow& main_;
};

}  // namespace vantrel::ui
