#pragma once
// A small window with the controls the command units reach, implementing their host: the view
// object and the view control are recorded, the main window's other procedures are logged.

#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "datastore/load_queue.h"
#include "datastore/state.h"
#include "platform/forms/layout_store.h"
#include "platform/forms/qt/bars.h"
#include "platform/forms/qt/control_array.h"
#include "platform/forms/qt/controls.h"
#include "platform/forms/qt/form.h"
#include "platform/forms/qt/menu.h"
#include "platform/runtime/rterror.h"
#include "platform/settings/settings.h"
#include "tests/support/guards.h"
#include "ui/command_host.h"
#include "ui/main_shared.h"
#include "ui/menus.h"
#include "ui/option_toolbar.h"
#include "ui/panel_buttons.h"
#include "ui/spec_lists.h"
#include "ui/toolbar_command.h"
#include "view/view_shared.h"

namespace vantrel::ui::test {

struct CameraCall {
  std::string mode;
  double a, b;
  bool operator==(const CameraCall&) const = default;
};

inline std::ostream& operator<<(std::ostream& o, const CameraCall& c) {
  return o << "(" << c.mode << ", " << c.a << ", " << c.b << ")";
}

class FakeMain : public forms::Form, public CommandHost {
 public:
  FakeMain() : forms::Form("frmMain") {
    using namespace forms;
    QWidget* c = Client();
    Toolbar1 = std::make_unique<Toolbar>(this, "Toolbar1");
    Toolbar1->AddButton("select", kButtonGroup);
    Toolbar1->AddButton("pan", kButtonGroup, 0, kButtonPressed);
    Toolbar1->AddButton("zoom", kButtonGroup);
    Toolbar1->AddButton("", kButtonSeparator);
    Toolbar1->AddButton("zminus");
    Toolbar1->AddButton("zplus");
    Toolbar1->AddButton("", kButtonSeparator);
    Toolbar1->AddButton("lightback", kButtonCheck);
    Toolbar1->AddButton("stop", kButtonCheck);
    Toolbar1->AddButton("frozenstart", kButtonCheck);
    Toolbar1->AddButton("", kButtonSeparator);
    Toolbar1->AddButton("vanexxyz");
    Toolbar1->AddButton("vanexxy");
    Toolbar1->AddButton("", kButtonPlaceholder);
    Toolbar1->AddButton("imagespot");
    Toolbar1->AddButton("movieframes");
    ToolBoptions = std::make_unique<Toolbar>(this, "ToolBoptions");
    for (const char* k : {"optSat", "optCub", "optEarth", "", "optMoon", "", "optW", "", "optOpt", "optPenup"})
      ToolBoptions->AddButton(k, *k ? kButtonCheck : kButtonSeparator);

    Options = std::make_unique<Frame>(c, "Options", "Options");
    Options->SetVisible(false);
    QWidget* p = Options->Client();
    for (int i = 0; i <= 10; ++i) Check1.Load(i, p, "Check1", "", i == 8 ? 1 : 0);
    Check3 = std::make_unique<CheckBox>(p, "Check3");
    Check9 = std::make_unique<CheckBox>(p, "Check9");
    Text4.Load(0, p, "Text4", "1");
    Text6 = std::make_unique<TextBox>(p, "Text6");
    Text9 = std::make_unique<TextBox>(p, "Text9", "MAX");
    Combo2 = std::make_unique<ComboBox>(p, "Combo2", "GEO satcom");
    Command2 = std::make_unique<CommandButton>(p, "Command2", "Close");
    Frame1 = std::make_unique<Frame>(c, "Frame1");
    Text1 = std::make_unique<TextBox>(Frame1->Client(), "Text1");
    Text3 = std::make_unique<TextBox>(c, "Text3", "Redraw");
    Text14 = std::make_unique<TextBox>(c, "Text14");
    Text16 = std::make_unique<TextBox>(c, "Text16");
    Text18 = std::make_unique<TextBox>(c, "Text18");
    HScroll1 = std::make_unique<ScrollBar>(c, "HScroll1", 0, 10000, 10000);
    HScroll7 = std::make_unique<ScrollBar>(c, "HScroll7", 0, 100, 1);
    HScroll8 = std::make_unique<ScrollBar>(c, "HScroll8", 0, 32000, 10000);
    HScroll10 = std::make_unique<ScrollBar>(c, "HScroll10", 0, 32000, 10000);
    Command6 = std::make_unique<CommandButton>(c, "Command6", "Run Demo");
    Command7 = std::make_unique<CommandButton>(c, "Command7", "View local");
    Combo1 = std::make_unique<ComboBox>(c, "Combo1");
    ProgressBar1 = std::make_unique<ProgressBar>(c, "ProgressBar1");
    ProgressBar1->SetWidth(7000);

    mnuOptions = std::make_unique<Menu>(menuBar(), "mnuOptions", "&OptionsInteractive");
    mnuOinteractive = std::make_unique<Menu>(*mnuOptions, "mnuOinteractive", "&Interactive");
    mnuView = std::make_unique<Menu>(menuBar(), "mnuView", "&View");
    mnuVGrids = std::make_unique<Menu>(*mnuView, "mnuVGrids", "&Grid");

    Check1.Connect(&CheckBox::Click, [this](int i) { log.push_back("Check1_Click(" + std::to_string(i) + ")"); });
    Check3->Click = [this] { log.push_back("Check3_Click " + std::to_string(Check3->Value())); };
    Check9->Click = [this] { log.push_back("Check9_Click " + std::to_string(Check9->Value())); };
    HScroll1->Change = [this] { HScroll1_Change(); };
    Combo2->Change = [this] { lists.Combo2_Change(); };
    Combo2->Click = [this] { lists.Combo2_Click(); };
    Toolbar1->ButtonClick = [this](ToolbarButton& b) { toolbar.Toolbar1_ButtonClick(b); };
    Toolbar1->Change = [this] { toolbar.SaveToolbarLayout(); };
    ToolBoptions->ButtonClick = [this](ToolbarButton& b) { options.ToolBoptions_ButtonClick(b); };
  }

  // Units under test.
  ToolbarDispatcher toolbar{*this};
  OptionToolbar options{*this};
  MenuCommands menus{*this};
  SpecLists lists{*this};
  PanelButtons buttons{*this};

  // Recorded view object and control.
  bool viewMissing = false;
  std::vector<long> editStates;
  std::vector<CameraCall> cameraCalls;
  double currentRow = 1234;
  std::vector<std::pair<double, double>> rowCalls;
  bool grids = false;
  std::string viewTag;
  bool animationRunning = false;
  int animationUpdates = 0;
  int redraws = 0;
  std::vector<float> lookAt;
  int viewFocus = 0;
  // Other procedures of the main window, in call order.
  std::vector<std::string> log;
  int unloadError = 0;

  void NoView() const {
    if (viewMissing) throw rt::RtError(rt::kErrNoObject);
  }
  void ViewSetEditState(long state) override {
    NoView();
    editStates.push_back(state);
  }
  void ViewCameraSet(const std::string& mode, double& a, double& b) override {
    NoView();
    cameraCalls.push_back({mode, a, b});
  }
  void ViewChangeCURRINDEXI(double& value, double& previous) override {
    NoView();
    rowCalls.emplace_back(value, previous);
    previous = currentRow;
    datastore::Store().AnimState = 1;
  }
  bool ViewGrids() override { return grids; }
  void SetViewGrids(bool on) override { grids = on; }
  std::string ViewControlTag() override { return NoView(), viewTag; }
  void SetViewControlTag(const std::string& tag) override { NoView(), viewTag = tag; }
  void SetViewAnimationRunning(bool on) override { NoView(), animationRunning = on; }
  void ViewAnimationUpdate() override { NoView(), ++animationUpdates; }
  void ViewRedraw() override { ++redraws; }
  void ViewCameraLookAt(float ex, float ey, float ez, float tx, float ty, float tz, float ux, float uy,
                        float uz) override {
    lookAt = {ex, ey, ez, tx, ty, tz, ux, uy, uz};
  }
  void ViewSetFocus() override { ++viewFocus; }

  forms::Toolbar& Toolbar1Ref() override { return *Toolbar1; }
  forms::Toolbar& ToolBoptionsRef() override { return *ToolBoptions; }
  forms::Frame& OptionsRef() override { return *Options; }
  forms::Frame& Frame1Ref() override { return *Frame1; }
  forms::CheckBox& Check1Ref(int index) override { return Check1(index); }
  forms::CheckBox& Check3Ref() override { return *Check3; }
  forms::CheckBox& Check9Ref() override { return *Check9; }
  forms::TextBox& Text1Ref() override { return *Text1; }
  forms::TextBox& Text3Ref() override { return *Text3; }
  forms::TextBox& Text4Ref(int index) override { return Text4(index); }
  forms::TextBox& Text6Ref() override { return *Text6; }
  forms::TextBox& Text9Ref() override { return *Text9; }
  forms::TextBox& Text14Ref() override { return *Text14; }
  forms::TextBox& Text16Ref() override { return *Text16; }
  forms::TextBox& Text18Ref() override { return *Text18; }
  forms::ScrollBar& HScroll1Ref() override { return *HScroll1; }
  forms::ScrollBar& HScroll7Ref() override { return *HScroll7; }
  forms::ScrollBar& HScroll8Ref() override { return *HScroll8; }
  forms::ScrollBar& HScroll10Ref() override { return *HScroll10; }
  forms::CommandButton& Command2Ref() override { return *Command2; }
  forms::CommandButton& Command6Ref() override { return *Command6; }
  forms::CommandButton& Command7Ref() override { return *Command7; }
  forms::ComboBox& Combo1Ref() override { return *Combo1; }
  forms::ComboBox& Combo2Ref() override { return *Combo2; }
  forms::ProgressBar& ProgressBar1Ref() override { return *ProgressBar1; }
  forms::Menu& mnuOptionsRef() override { return *mnuOptions; }
  forms::Menu& mnuOinteractiveRef() override { return *mnuOinteractive; }
  forms::Menu& mnuVGridsRef() override { return *mnuVGrids; }

  void Options_Click() override { log.push_back("Options_Click"); }
  void OptionAffecteUser() override { log.push_back("OptionAffecteUser"); }
  void Form_Activate() override { log.push_back("Form_Activate"); }
  void UnloadMainWindow() override {
    log.push_back("Unload");
    if (unloadError) throw rt::RtError(unloadError, "Failure " + std::to_string(unloadError));
  }
  void HScroll1_Change() override { log.push_back("HScroll1_Change " + std::to_string(HScroll1->Value())); }
  void mnuFSaveAs_Click() override { log.push_back("mnuFSaveAs_Click"); }
  void mnuFMovieSaveAs_Click() override { log.push_back("mnuFMovieSaveAs_Click"); }
  void mnuFOptions_Click() override {
    log.push_back("mnuFOptions_Click");
    menus.mnuFOptions_Click();
  }
  void Command2_Click() override {
    log.push_back("Command2_Click");
    buttons.Command2_Click();
  }
  void Command7_Click() override {
    log.push_back("Command7_Click");
    buttons.Command7_Click();
  }
  void Command7_KeyPress(int& KeyAscii) override {
    log.push_back("Command7_KeyPress " + std::to_string(KeyAscii));
    buttons.Command7_KeyPress(KeyAscii);
  }
  void ToolBoptions_ButtonClick(forms::ToolbarButton& Button) override { options.ToolBoptions_ButtonClick(Button); }
  void DoEvents() override { log.push_back("DoEvents"); }

  // Clicks a toolbar button as the user does (a check button toggles first).
  void Click(forms::Toolbar& bar, const std::string& key) { bar.Button(key).action()->trigger(); }

  std::unique_ptr<forms::Toolbar> Toolbar1, ToolBoptions;
  std::unique_ptr<forms::Frame> Options, Frame1;
  forms::ControlArray<forms::CheckBox> Check1;
  forms::ControlArray<forms::TextBox> Text4;
  std::unique_ptr<forms::CheckBox> Check3, Check9;
  std::unique_ptr<forms::TextBox> Text1, Text3, Text6, Text9, Text14, Text16, Text18;
  std::unique_ptr<forms::ScrollBar> HScroll1, HScroll7, HScroll8, HScroll10;
  std::unique_ptr<forms::CommandButton> Command2, Command6, Command7;
  std::unique_ptr<forms::ComboBox> Combo1, Combo2;
  std::unique_ptr<forms::ProgressBar> ProgressBar1;
  std::unique_ptr<forms::Menu> mnuOptions, mnuOinteractive, mnuView, mnuVGrids;
};

// Fresh shared state, settings in memory and a fresh window for every test.
class CommandsTest : public ::testing::Test {
 protected:
  CommandsTest() {
    platform::SetSettingsStore(settings);
    forms::SetLayoutStore(std::make_shared<forms::MemoryLayoutStore>());
    w = std::make_unique<FakeMain>();
  }
  ~CommandsTest() override {
    w.reset();
    datastore::SetLoadBody(nullptr);
    forms::SetLayoutStore(nullptr);
    platform::SetSettingsStore(nullptr);
  }
  datastore::DataStore& st() { return store.store(); }
  std::string Stored(const std::string& section, const std::string& key) {
    return platform::GetSetting(platform::kSettingsApp, section, key, "<none>");
  }

  std::shared_ptr<platform::MemorySettingsStore> settings = std::make_shared<platform::MemorySettingsStore>();
  datastore::ScopedStore store;
  ScopedMainShared mainShared;
  view::ScopedViewShared viewShared;
  vantrel::test::MsgBoxGuard boxes;
  std::unique_ptr<FakeMain> w;
};

}  // namespace vantrel::ui::test
