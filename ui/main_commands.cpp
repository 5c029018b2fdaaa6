// The toolbar commands, lists, buttons and menu items that the start-up, the activation and the
// options panel use, and the services the loader calls on the main window.

#include <QApplication>

#include "datastore/recent_specs.h"
#include "datastore/state.h"
#include "numerics/mathas.h"
#include "platform/forms/msgbox.h"
#include "platform/glview/glview.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/shell/shell.h"
#include "ui/main_shared.h"
#include "ui/main_window.h"
#include "view/class_gl.h"
#include "view/view_shared.h"

namespace vantrel::ui {

// --- toolbars, lists, buttons and menus: the command units serve them -----------------------

void MainWindow::Toolbar1_ButtonClick(forms::ToolbarButton& Button) { commands_.toolbar.Toolbar1_ButtonClick(Button); }
void MainWindow::SetImageDirectory() { commands_.toolbar.SetImageDirectory(); }
void MainWindow::SaveToolbarLayout() { commands_.toolbar.SaveToolbarLayout(); }
void MainWindow::ToolBoptions_ButtonClick(forms::ToolbarButton& Button) {
  commands_.options.ToolBoptions_ButtonClick(Button);
}
void MainWindow::Combo1_InitList(double& count) { commands_.lists.Combo1_InitList(count); }
void MainWindow::Combo2_InitList(double arg) { commands_.lists.Combo2_InitList(arg); }
void MainWindow::Combo2_Change() { commands_.lists.Combo2_Change(); }
void MainWindow::Combo1_GotFocusRoutine() { commands_.lists.Combo1_GotFocus(); }
void MainWindow::Command2_Click() { commands_.buttons.Command2_Click(); }
void MainWindow::Command6_Click() { commands_.buttons.Command6_Click(); }
void MainWindow::mnuFOptions_Click() { commands_.menus.mnuFOptions_Click(); }
void MainWindow::mnuFExit_Click() { commands_.menus.mnuFExit_Click(); }
void MainWindow::mnuOinteractive_Click() { commands_.menus.mnuOinteractive_Click(); }
void MainWindow::mnuVGrids_Click() { commands_.menus.mnuVGrids_Click(); }
void MainWindow::mnuHAbout_Click() { commands_.menus.mnuHAbout_Click(); }

// --- services of the main window ------------------------------------------------------------

std::string MainWindow::Text9Text() { return Text9->Text(); }
std::string MainWindow::Text20Text() { return Text20->Text(); }
void MainWindow::SetText20Text(const std::string& text) { Text20->SetText(text); }
void MainWindow::SetText21Text(const std::string& text) { Text21->SetText(text); }
void MainWindow::SetText14Text(const std::string& text) { Text14->SetText(text); }
void MainWindow::SetText14Visible(bool visible) { Text14->SetVisible(visible); }
void MainWindow::SetTextTempoText(const std::string& text) {
  TextTempo->SetText(text);
  FitPromptBox();
}
void MainWindow::SetTextTempoVisible(bool visible) { TextTempo->SetVisible(visible); }
void MainWindow::SetProgressBar1Visible(bool visible) { ProgressBar1->SetVisible(visible); }
void MainWindow::ProgressBar1SetFocus() { ProgressBar1->SetFocus(); }
void MainWindow::SetProgressBar1Value(float value) { ProgressBar1->SetValue(value); }
void MainWindow::SetCommand6Visible(bool visible) { Command6->SetVisible(visible); }
void MainWindow::Command6SetFocus() { Command6->SetFocus(); }
std::string MainWindow::Command6Tag() { return Command6->Tag; }
void MainWindow::SetCommand6Tag(const std::string& tag) { Command6->Tag = tag; }
void MainWindow::Combo1SetFocus() { Combo1->SetFocus(); }
std::string MainWindow::Combo2Text() { return Combo2->Text(); }
void MainWindow::SetCombo2Text(const std::string& text) { Combo2->SetText(text); }
int MainWindow::HScroll2Value() { return HScroll2->Value(); }
void MainWindow::SetHScroll2Value(int value) { HScroll2->SetValue(value); }
int MainWindow::HScroll3Max() { return HScroll3->Max(); }
int MainWindow::HScroll3Value() { return HScroll3->Value(); }
void MainWindow::SetHScroll3Value(int value) { HScroll3->SetValue(value); }

forms::CheckBox& MainWindow::Box(datastore::CheckBox box) {
  switch (box) {
    case datastore::CheckBox::Check1_0: return Check1(0);
    case datastore::CheckBox::Check3: return *Check3;
    case datastore::CheckBox::Check4: return *Check4;
    case datastore::CheckBox::Check5: return *Check5;
    case datastore::CheckBox::Check9: return *Check9;
    case datastore::CheckBox::Check11: return *Check11;
  }
  return *Check5;
}

int MainWindow::CheckValue(datastore::CheckBox box) { return Box(box).Value(); }
void MainWindow::SetCheckValue(datastore::CheckBox box, int value) { Box(box).SetValue(value); }
std::string MainWindow::CheckTag(datastore::CheckBox box) { return Box(box).Tag; }
void MainWindow::SetCheckTag(datastore::CheckBox box, const std::string& tag) { Box(box).Tag = tag; }
void MainWindow::SetCheckVisible(datastore::CheckBox box, bool visible) { Box(box).SetVisible(visible); }
void MainWindow::DoEvents() { forms::DoEvents(); }

// --- caption boxes of the view's draw handler -------------------------------------------------

forms::TextBox& MainWindow::CaptionTextBox(int n) { return n == 2 ? *Text2 : *Text3; }

view::CaptionBox MainWindow::MainBox(int n) {
  forms::TextBox& b = CaptionTextBox(n);
  return {b.Text(), b.ToolTipText()};
}

void MainWindow::SetMainBox(int n, const view::CaptionBox& box) {
  forms::TextBox& b = CaptionTextBox(n);
  b.SetText(box.text);
  b.SetToolTipText(box.tip);
}

// The movie window's counters, once the movie window exists.
void MainWindow::SetMovieBox(int n, const view::CaptionBox& box) {
  if (capture_ && capture_->HasFrmVideo()) capture_->frmVideo().SetMovieBox(n, box);
}

}  // namespace vantrel::ui
