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
namespace {

struct SatShape {
  const char* name;
  double p[5];
};

constexpr SatShape kSatShapeTable[7] = {
    {"GEO satcom", {2, 2, 0, 0, 1}}, {"LEO Spot", {1.5, 1, -1, 0, 0}}, {"Launcher", {10, 0, 0, 0, -1}},
    {"CubeSat", {1, 0, 0, 0, 1}},    {"CubeSat3U", {3, 0, 0, 0, 1}},   {"Smart1", {1, 2, 0, 0, 1}},
    {"CubeSat3U5", {3, 1, 0, 0, 1}},
};

}  // namespace

// --- view toolbar -------------------------------------------------------------------------

void MainWindow::Toolbar1_ButtonClick(forms::ToolbarButton& Button) {
  std::string key = rt::LCase(Button.Key());
  ToolbarCommand(key);
}

void MainWindow::ToolbarCommand(std::string& key) {
  MainSharedValues& ms = MainShared();
  datastore::DataStore& st = datastore::Store();
  double force = 0;
  if (ToolbarInitDone == 0) {
    ToolRadio.fill(0);
    ToolRadio[1] = 1;
    ToolbarInitDone = 1;
    VerticalAxis = 3;
    force = 1;
  }
  const int k = ms.LastKeyCode;
  if (k == 88 || k == 120) VerticalAxis = 1, force = 1;
  if (k == 89 || k == 121) VerticalAxis = 2, force = 1;
  if (k == 90 || k == 122) VerticalAxis = 3, force = 1;
  if (force == 1) key = "vanexxyz";
  st.SettingsBlock.ReloadRequest = 0;
  auto edit = [&](long state) { rt::Try([&] { GlInstance->SetEditState(state); }); };
  auto radio = [&](int entry) {
    ToolRadio.fill(0);
    ToolRadio[static_cast<size_t>(entry)] = 1;
  };
  if (key == "select") {
    edit(1), radio(0);
  } else if (key == "zoom") {
    edit(6), radio(2);
  } else if (key == "zminus") {
    edit(13);
  } else if (key == "zplus") {
    edit(14);
  } else if (key == "dolly") {
    edit(7);
  } else if (key == "pan") {
    edit(8), radio(1);
  } else if (key == "orbit") {
    edit(9);
  } else if (key == "pitch") {
    edit(10);
  } else if (key == "yaw") {
    edit(11);
  } else if (key == "roll") {
    edit(12);
  } else if (key == "move") {
    edit(2);
  } else if (key == "rotate") {
    edit(3);
  } else if (key == "scale") {
    edit(5);
  } else if (key == "arcrotate") {
    edit(4);
  } else if (key == "lightback") {
    edit(15);
  } else if (key == "frozenstart") {
    if (FrozenStartArmed == 0) {
      edit(17);
      double t = -1;
      rt::Try([&] { GlInstance->ChangeCURRINDEXI(t, t); });
      Text3->SetText("Redraw Start" + rt::Format(t, " #0"));
      FrozenStartArmed = 1;
    } else {
      st.AnimState = 1;
      FrozenStartArmed = 0;
      rt::Try([&] { HScroll1_Change(); });
    }
  } else if (key == "stop") {
    edit(16);
    if (glxCtl1) {
      const bool start = glxCtl1->Tag().empty();
      glxCtl1->Animation().SetRunning(start);
      glxCtl1->Animation().Update();
      glxCtl1->SetTag(start ? "Animate" : "");
    }
  } else if (key == "vanexxyz") {
    if (ms.LastShift <= 0)
      rt::Try([&] { st.GlView().CameraSet("isonew", VerticalAxis, force); });
    else
      rt::Try([&] { st.GlView().CameraSet("isonewPlus", 2, 0); });
  } else if (key == "vanexxy") {
    rt::Try([&] { st.GlView().CameraSet(ms.LastShift <= 0 ? "proj" : "projinverse", 2, 0); });
  }
  // "imagespot" and "movieframes" save images through the File menu's commands, which come with
  // the capture commands.
  if (ToolRadio[0] == 1) edit(1);
  if (ToolRadio[1] == 1) edit(8);
  if (ToolRadio[2] == 1) edit(6);
}

void MainWindow::SetImageDirectory() {
  datastore::DataStore& st = datastore::Store();
  if (Text6->Text().empty()) {
    std::string folder;
    rt::Try([&] { folder = platform::ProgramFolder(); });
    st.WorkDir = folder + "/";
    Text6->SetText(st.WorkDir);
  } else {
    st.WorkDir = Text6->Text();
  }
  rt::Try([&] { Toolbar1->Button("imagespot").SetToolTipText("Save Image " + st.WorkDir); });
}

void MainWindow::SaveToolbarLayout() {
  rt::Try([&] {
    Toolbar1->SaveToolbar("User" + view::Shared().ProductName + MainShared().UserName, "ToolBars", "5");
  });
  SetImageDirectory();
}

// --- option toolbar -----------------------------------------------------------------------

void MainWindow::ToolBoptions_ButtonClick(forms::ToolbarButton& Button) {
  const std::string key = rt::LCase(Button.Key());
  const bool pressed = Button.Value() == forms::kButtonPressed;
  if (key == "optsat") {
    Check3->SetValue(pressed ? 1 : 0);
    HScroll10->SetVisible(pressed);
    Text18->SetVisible(pressed);
  } else if (key == "optcub") {
    Check9->SetValue(pressed ? 1 : 0);
    HScroll8->SetVisible(pressed);
    Text16->SetVisible(pressed);
  } else if (key == "optearth") {
    Check1(0).SetValue(pressed ? 1 : 0);
  } else if (key == "optmoon") {
    view::Shared().OptMoonState = pressed ? 0 : 1;
  } else if (key == "optopt") {
    if (pressed) {
      Command2->Tag = "ToolBoptions";
      mnuFOptions_Click();
    } else {
      Command2->Tag = "";
      Command2_Click();
    }
  } else if (key == "optpenup") {
    datastore::DataStore& st = datastore::Store();
    st.PenUpMode = 1 - st.PenUpMode;
    if (st.PenUpMode == 1)
      st.SettingsBlock.LinePlotThickness /= 10;
    else
      st.SettingsBlock.LinePlotThickness *= 10;
  }
  // "optw" (the local view at the current point) comes with the options panel's buttons.
}

// --- lists --------------------------------------------------------------------------------

void MainWindow::Combo1_InitList(double& count) {
  count = 0;
  Combo1->Clear();
  for (const std::string& spec : datastore::RecentSpecs()) {
    if (spec.empty()) continue;
    Combo1->AddItem(spec);
    count += 1;
  }
  forms::DoEvents();
}

void MainWindow::Combo2_InitList(double /*arg*/) {
  Combo2->Clear();
  for (const SatShape& s : kSatShapeTable) Combo2->AddItem(s.name);
  // A stored index outside the table (an edited store) falls back to the first shape.
  double index = rt::RoundHalfEven(datastore::Store().SettingsBlock.SatShapeIndex);
  if (!(index >= 0 && index <= 6)) index = 0;
  const int i = static_cast<int>(index);
  if (Combo2->ListIndex() == i)
    Combo2_Change();
  else
    Combo2->SetListIndex(i);
}

void MainWindow::Combo2_Change() {
  const std::string text = Combo2->Text();
  for (int i = 0; i < 7; ++i) {
    if (text != kSatShapeTable[i].name) continue;
    view::ViewShared& vs = view::Shared();
    const double* p = kSatShapeTable[i].p;
    vs.SatShapeParam1 = p[0], vs.SatShapeParam2 = p[1], vs.SatShapeParam3 = p[2];
    vs.SatShapeParam4 = p[3], vs.SatShapeParam5 = p[4];
    datastore::Store().SettingsBlock.SatShapeIndex = i;
    return;
  }
}

void MainWindow::Combo1_GotFocusRoutine() {
  double count = 0;
  Combo1_InitList(count);
  Combo1->SetWidth(ProgressBar1->Width());
  Combo1->SetBackColor(forms::RGB(128, 0, 255));
}

// --- buttons and menus ----------------------------------------------------------------------

void MainWindow::Command2_Click() {
  if (Command2->Tag != "ToolBoptions") {
    Options_Click();
    Options->ZOrder(1);
    datastore::Store().SettingsBlock.SceneInitDone = 0;
    Options->SetVisible(false);
    return;
  }
  forms::ToolbarButton& b = ToolBoptions->Button(9);
  b.SetValue(forms::kButtonUp);
  ToolBoptions_ButtonClick(b);
  Command2->Tag = "";
}

void MainWindow::Command6_Click() { Command6->Tag = "demo"; }

void MainWindow::mnuFOptions_Click() {
  Options->SetVisible(true);
  Options->ZOrder(0);
}

void MainWindow::mnuOinteractive_Click() { Check1(7).SetValue(1 - Check1(7).Value()); }

void MainWindow::mnuVGrids_Click() {
  if (!GlInstance) return;
  GlInstance->SetGrids(!GlInstance->GetGrids());
  mnuVGrids->SetChecked(GlInstance->GetGrids());
  if (glxCtl1) glxCtl1->Redraw();
}

void MainWindow::mnuHAbout_Click() {
  forms::MsgBox("A live 3D view of trajectories and attitudes." + std::string("\n\n") + "Release Vantrel: " +
                    MainShared().VersionDigits,
                64, "Vantrel, 2014-2026");
}

// --- services of the main window ------------------------------------------------------------

std::string MainWindow::Text9Text() { return Text9->Text(); }
std::string MainWindow::Text20Text() { return Text20->Text(); }
void MainWindow::SetText20Text(const std::string& text) { Text20->SetText(text); }
void MainWindow::SetText21Text(const std::string& text) { Text21->SetText(text); }
void MainWindow::SetText14Text(const std::string& text) { Text14->SetText(text); }
void MainWindow::SetText14Visible(bool visible) { Text14->SetVisible(visible); }
void MainWindow::SetTextTempoText(const std::string& text) { TextTempo->SetText(text); }
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

// The movie window comes with the movie commands; until then its counters are not shown.
void MainWindow::SetMovieBox(int /*n*/, const view::CaptionBox& /*box*/) {}

}  // namespace vantrel::ui
