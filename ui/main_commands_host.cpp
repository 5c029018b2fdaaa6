#include "ui/main_commands_host.h"

#include <QMenu>

#include "datastore/state.h"
#include "platform/forms/qt/form.h"
#include "platform/glview/glview.h"
#include "platform/runtime/rterror.h"
#include "ui/main_window.h"
#include "view/class_gl.h"

namespace vantrel::ui {
namespace {

template <class T>
T& Need(T* p) {
  if (!p) throw rt::RtError(rt::kErrNoObject);
  return *p;
}

}  // namespace

void MainWindowCommands::Connect() {
  MainWindow& m = main_;
  m.Toolbar1->ButtonClick = [this](forms::ToolbarButton& b) { toolbar.Toolbar1_ButtonClick(b); };
  m.Toolbar1->Change = [this] { toolbar.SaveToolbarLayout(); };
  m.Toolbar1->DblClick = [this] { toolbar.SaveToolbarLayout(); };
  m.ToolBoptions->ButtonClick = [this](forms::ToolbarButton& b) { options.ToolBoptions_ButtonClick(b); };

  m.Combo1->DblClick = [this] { lists.Combo1_DblClick(); };
  m.Combo1->KeyPress = [this](int& ascii) { lists.Combo1_KeyPress(ascii); };
  m.Combo1->Validate = [this](int& cancel) { lists.Combo1_Validate(cancel); };
  m.Combo1->GotFocus = [this] { lists.Combo1_GotFocus(); };
  m.Combo1->LostFocus = [this] { lists.Combo1_LostFocus(); };
  m.Combo1->KeyDown = [this](int& code, int shift) { lists.Combo1_KeyDown(code, shift); };
  m.Combo1->Change = nullptr;
  m.Combo2->Change = [this] { lists.Combo2_Change(); };
  m.Combo2->Click = [this] { lists.Combo2_Click(); };

  m.Command1->Click = [this] { buttons.Command1_Click(); };
  m.Command2->Click = [this] { buttons.Command2_Click(); };
  m.Command2->MouseMove = [this](int b, int s, double x, double y) { buttons.Command2_MouseMove(b, s, x, y); };
  m.Command3->Click = [this] { buttons.Command3_Click(); };
  m.Command4->Click = [this] { buttons.Command4_Click(); };
  m.Command5->Click = [this] { buttons.Command5_Click(); };
  m.Command6->Click = [this] { buttons.Command6_Click(); };
  m.Command7->Click = [this] { buttons.Command7_Click(); };
  m.Command7->KeyPress = [this](int& ascii) { buttons.Command7_KeyPress(ascii); };
  m.Command8->Click = [this] { buttons.Command8_Click(); };
  m.Command9->Click = [this] { buttons.Command9_Click(); };

  m.mnuFOptions->Click = [this] { menus.mnuFOptions_Click(); };
  m.mnuFPrint->Click = [this] { menus.mnuFPrint_Click(); };
  m.mnuFExit->Click = [this] { menus.mnuFExit_Click(); };
  m.mnuEMove->Click = [this] { menus.mnuEMove_Click(); };
  m.mnuERotate->Click = [this] { menus.mnuERotate_Click(); };
  m.mnuEScale->Click = [this] { menus.mnuEScale_Click(); };
  m.mnuEProperties->Click = [this] { menus.mnuEProperties_Click(); };
  m.mnuOinteractive->Click = [this] { menus.mnuOinteractive_Click(); };
  m.mnuVGrids->Click = [this] { menus.mnuVGrids_Click(); };
  m.mnuVReset->Click = [this] { menus.mnuVReset_Click(); };
  m.mnuHAbout->Click = [this] { menus.mnuHAbout_Click(); };
  m.mnuUpdateExcel->Click = [this] { menus.mnuUpdateExcel_Click(); };
}

// --- the view object and the view control ---------------------------------------------------

void MainWindowCommands::ViewSetEditState(long state) { Need(main_.GlInstance.get()).SetEditState(state); }
// Through the store's view services, which the view object serves once it exists.
void MainWindowCommands::ViewCameraSet(const std::string& mode, double& a, double& b) {
  datastore::Store().GlView().CameraSet(mode, a, b);
}
void MainWindowCommands::ViewChangeCURRINDEXI(double& value, double& previous) {
  Need(main_.GlInstance.get()).ChangeCURRINDEXI(value, previous);
}
bool MainWindowCommands::ViewGrids() { return Need(main_.GlInstance.get()).GetGrids(); }
void MainWindowCommands::SetViewGrids(bool on) { Need(main_.GlInstance.get()).SetGrids(on); }
std::string MainWindowCommands::ViewControlTag() { return Need(main_.glxCtl1).Tag(); }
void MainWindowCommands::SetViewControlTag(const std::string& tag) { Need(main_.glxCtl1).SetTag(tag); }
void MainWindowCommands::SetViewAnimationRunning(bool on) { Need(main_.glxCtl1).Animation().SetRunning(on); }
void MainWindowCommands::ViewAnimationUpdate() { Need(main_.glxCtl1).Animation().Update(); }
void MainWindowCommands::ViewRedraw() { Need(main_.glxCtl1).Redraw(); }
void MainWindowCommands::ViewCameraLookAt(float ex, float ey, float ez, float tx, float ty, float tz, float ux,
                                          float uy, float uz) {
  Need(main_.glxCtl1).Camera().LookAt(ex, ey, ez, tx, ty, tz, ux, uy, uz);
}
void MainWindowCommands::ViewSetFocus() { Need(main_.glxCtl1).SetFocus(); }

// --- controls -------------------------------------------------------------------------------

forms::Toolbar& MainWindowCommands::Toolbar1Ref() { return *main_.Toolbar1; }
forms::Toolbar& MainWindowCommands::ToolBoptionsRef() { return *main_.ToolBoptions; }
forms::Frame& MainWindowCommands::OptionsRef() { return *main_.Options; }
forms::Frame& MainWindowCommands::Frame1Ref() { return *main_.Frame1; }
forms::CheckBox& MainWindowCommands::Check1Ref(int index) { return main_.Check1(index); }
forms::CheckBox& MainWindowCommands::Check3Ref() { return *main_.Check3; }
forms::CheckBox& MainWindowCommands::Check9Ref() { return *main_.Check9; }
forms::TextBox& MainWindowCommands::Text1Ref() { return *main_.Text1; }
forms::TextBox& MainWindowCommands::Text3Ref() { return *main_.Text3; }
forms::TextBox& MainWindowCommands::Text4Ref(int index) { return main_.Text4(index); }
forms::TextBox& MainWindowCommands::Text6Ref() { return *main_.Text6; }
forms::TextBox& MainWindowCommands::Text9Ref() { return *main_.Text9; }
forms::TextBox& MainWindowCommands::Text14Ref() { return *main_.Text14; }
forms::TextBox& MainWindowCommands::Text16Ref() { return *main_.Text16; }
forms::TextBox& MainWindowCommands::Text18Ref() { return *main_.Text18; }
forms::ScrollBar& MainWindowCommands::HScroll1Ref() { return *main_.HScroll1; }
forms::ScrollBar& MainWindowCommands::HScroll7Ref() { return *main_.HScroll7; }
forms::ScrollBar& MainWindowCommands::HScroll8Ref() { return *main_.HScroll8; }
forms::ScrollBar& MainWindowCommands::HScroll10Ref() { return *main_.HScroll10; }
forms::CommandButton& MainWindowCommands::Command2Ref() { return *main_.Command2; }
forms::CommandButton& MainWindowCommands::Command6Ref() { return *main_.Command6; }
forms::CommandButton& MainWindowCommands::Command7Ref() { return *main_.Command7; }
forms::ComboBox& MainWindowCommands::Combo1Ref() { return *main_.Combo1; }
forms::ComboBox& MainWindowCommands::Combo2Ref() { return *main_.Combo2; }
forms::ProgressBar& MainWindowCommands::ProgressBar1Ref() { return *main_.ProgressBar1; }
forms::Menu& MainWindowCommands::mnuOptionsRef() { return *main_.mnuOptions; }
forms::Menu& MainWindowCommands::mnuOinteractiveRef() { return *main_.mnuOinteractive; }
forms::Menu& MainWindowCommands::mnuVGridsRef() { return *main_.mnuVGrids; }

// --- procedures -----------------------------------------------------------------------------

void MainWindowCommands::Options_Click() { main_.Options_Click(); }
void MainWindowCommands::OptionAffecteUser() { main_.OptionAffecteUser(); }
void MainWindowCommands::Form_Activate() { main_.Form_Activate(); }
void MainWindowCommands::UnloadMainWindow() { main_.close(); }
void MainWindowCommands::HScroll1_Change() { main_.HScroll1_Change(); }
void MainWindowCommands::mnuFSaveAs_Click() {
  if (SaveImage) SaveImage();
}
void MainWindowCommands::mnuFMovieSaveAs_Click() {
  if (SaveMovieFrames) SaveMovieFrames();
}
void MainWindowCommands::mnuFOptions_Click() { main_.mnuFOptions_Click(); }
void MainWindowCommands::Command2_Click() { main_.Command2_Click(); }
void MainWindowCommands::Command7_Click() { buttons.Command7_Click(); }
void MainWindowCommands::Command7_KeyPress(int& KeyAscii) { buttons.Command7_KeyPress(KeyAscii); }
void MainWindowCommands::ToolBoptions_ButtonClick(forms::ToolbarButton& Button) {
  main_.ToolBoptions_ButtonClick(Button);
}
void MainWindowCommands::DoEvents() { forms::DoEvents(); }

}  // namespace vantrel::ui
