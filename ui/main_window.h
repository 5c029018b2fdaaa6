#pragma once
// frmMain, the program's main window: the view control between the view toolbar and the status
// bar, the option toolbar, the options panel, the sliders beside the view, the specification
// box and the message boxes under it, the menus and the hidden PowerPoint panel.
//
// The window is built with every control at its design-time value; Form_Load (run once, before
// the window is shown) reads the command line, takes the factory settings, restores the stored
// ones and creates the view object. It implements the services the loader uses
// (datastore::MainWindowServices) and the caption boxes the view's draw handler keeps
// (view::BridgeTexts).

#include <QMenu>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "datastore/services.h"
#include "platform/forms/qt/bars.h"
#include "platform/forms/qt/control_array.h"
#include "platform/forms/qt/controls.h"
#include "platform/forms/qt/form.h"
#include "platform/forms/qt/menu.h"
#include "ui/file_open.h"
#include "ui/frm_dialog.h"
#include "ui/frm_video.h"
#include "ui/help_pages.h"
#include "ui/main_commands_host.h"
#include "ui/save_image.h"
#include "view/event_bridge.h"

namespace vantrel::glview {
class GlView;
}
namespace vantrel::view {
class ClassGl;
}

namespace vantrel::ui {

struct MainWindowOptions {
  // The command-line arguments after the program's own path.
  std::vector<std::string> arguments;
  // Without the view control (tests of the panel alone): the view object is made without a
  // control and nothing is drawn.
  bool withViewControl = true;
};

class MainWindow : public forms::Form, public datastore::MainWindowServices, public view::BridgeTexts {
 public:
  explicit MainWindow(MainWindowOptions options = {});
  ~MainWindow() override;

  // --- lifecycle (start-up, activation, layout, keys, exit) ---------------------------------
  void Form_Load();
  void Form_Activate();
  void Form_Resize() override;
  void Form_KeyDown(int& KeyCode, int Shift);
  void Form_KeyUp(int& KeyCode, int Shift);
  void Form_Unload(int& Cancel);
  void Form_Terminate();
  void ReadCommandLine();
  std::string BuildCaption() const;

  // --- options panel transfer ---------------------------------------------------------------
  void Options_Click() override;
  void OptionAffecteUser() override;
  void Options_DragOver(forms::Control& Source, double X, double Y, int State);
  void Options_DragDrop(forms::Control& Source, double X, double Y);
  void Frame1_MouseMove(int Button, int Shift, double X, double Y);

  // --- toolbar images -----------------------------------------------------------------------
  void toolbarSet();

  // --- check boxes --------------------------------------------------------------------------
  void Check1_Click(int Index);
  void Check2_Click();
  void Check3_Click();
  void Check4_Click();
  void Check6_Click();
  void Check7_Click();
  void Check8_Click();
  void Check9_Click();
  void Check10_Click();

  // --- status bar, log box, text settings ----------------------------------------------------
  void StatusBar1_DblClick();
  void StatusBar1_PanelClick(int panel);
  void Text20_DblClick();
  void Text21_DblClick();
  void Text4_Change(int Index);
  void Text6_Change();
  void Text7_Change();
  void Text7_Click();
  void Text8_Change();
  void Text8_Click();
  void Text9_Change();
  void SaveSatelliteSize();

  // --- sliders ------------------------------------------------------------------------------
  void HScroll1_Change();
  void HScroll2_Change();
  void HScroll4_Change();
  void HScroll3_Change();
  void HScroll10_Change();
  void HScroll7_Change();
  void HScroll8_Change();

  // --- toolbars, lists, buttons and menus used by the above ---------------------------------
  void Toolbar1_ButtonClick(forms::ToolbarButton& Button);
  void ToolBoptions_ButtonClick(forms::ToolbarButton& Button);
  void SetImageDirectory();
  void SaveToolbarLayout();
  void Combo1_InitList(double& count);
  void Combo2_InitList(double arg);
  void Combo2_Change();
  void Command2_Click() override;
  void Command6_Click();
  void mnuFOptions_Click();
  void mnuFExit_Click();
  void mnuOinteractive_Click();
  void mnuVGrids_Click();
  void mnuHAbout_Click();

  // --- MainWindowServices -------------------------------------------------------------------
  std::string Text9Text() override;
  std::string Text20Text() override;
  void SetText20Text(const std::string& text) override;
  void SetText21Text(const std::string& text) override;
  void SetText14Text(const std::string& text) override;
  void SetText14Visible(bool visible) override;
  void SetTextTempoText(const std::string& text) override;
  void SetTextTempoVisible(bool visible) override;
  void SetProgressBar1Visible(bool visible) override;
  void ProgressBar1SetFocus() override;
  void SetProgressBar1Value(float value) override;
  void SetCommand6Visible(bool visible) override;
  void Command6SetFocus() override;
  std::string Command6Tag() override;
  void SetCommand6Tag(const std::string& tag) override;
  void Combo1SetFocus() override;
  void Combo1_GotFocusRoutine() override;
  std::string Combo2Text() override;
  void SetCombo2Text(const std::string& text) override;
  int HScroll2Value() override;
  void SetHScroll2Value(int value) override;
  int HScroll3Max() override;
  int HScroll3Value() override;
  void SetHScroll3Value(int value) override;
  int CheckValue(datastore::CheckBox box) override;
  void SetCheckValue(datastore::CheckBox box, int value) override;
  std::string CheckTag(datastore::CheckBox box) override;
  void SetCheckTag(datastore::CheckBox box, const std::string& tag) override;
  void SetCheckVisible(datastore::CheckBox box, bool visible) override;
  void DoEvents() override;

  // --- BridgeTexts --------------------------------------------------------------------------
  view::CaptionBox MainBox(int n) override;
  void SetMainBox(int n, const view::CaptionBox& box) override;
  void SetMovieBox(int n, const view::CaptionBox& box) override;

  // --- controls -----------------------------------------------------------------------------
  // Menus.
  std::unique_ptr<forms::Menu> mnuFile, mnuFOpen, mnuFSaveAs, mnuFMovieSaveAs, mnuFRunPowerPoint, mnuFSep1, mnuFOptions,
      mnuFPrint, mnuFSep2, mnuFExit;
  std::unique_ptr<forms::Menu> mnuEdit, mnuEMove, mnuERotate, mnuEScale, mnuESep1, mnuEDelete, mnuESep2, mnuEProperties;
  std::unique_ptr<forms::Menu> mnuOptions, mnuOinteractive;
  std::unique_ptr<forms::Menu> mnuView, mnuVGrids, mnuVCam, mnuVReset, mnuVSep1, mnuVView, mnuVVPerspective, mnuVVTop,
      mnuVVLeft, mnuVVFront;
  std::unique_ptr<forms::Menu> mnuHelp, mnuHContents, mnuHSep1, mnuHAbout;
  std::unique_ptr<forms::Menu> mnuUpdateExcel;

  // Bars.
  forms::ImageList ImageListForToolBar, ImageListForToolBarAdd1;
  std::unique_ptr<forms::Toolbar> Toolbar1, ToolBoptions;
  std::unique_ptr<forms::StatusBar> StatusBar1;

  // The view control.
  glview::GlView* glxCtl1 = nullptr;

  // Options panel.
  std::unique_ptr<forms::Frame> Options;
  forms::ControlArray<forms::CheckBox> Check1;
  forms::ControlArray<forms::TextBox> Text4, Text5;
  forms::ControlArray<forms::Label> Label1;
  std::unique_ptr<forms::CheckBox> Check2, Check3, Check4, Check5, Check6, Check7, Check8, Check9, Check10, Check11;
  std::unique_ptr<forms::TextBox> Text6, Text7, Text8, Text9, Text13;
  std::unique_ptr<forms::ScrollBar> HScroll3;
  std::unique_ptr<forms::ComboBox> Combo2;
  std::unique_ptr<forms::CommandButton> Command1, Command2, Command3;

  // Beside and under the view.
  std::unique_ptr<forms::ScrollBar> HScroll1, HScroll2, HScroll4, HScroll7, HScroll8, HScroll10;
  std::unique_ptr<forms::TextBox> Text2, Text3, Text10, Text16, Text18;
  std::unique_ptr<forms::CommandButton> Command6, Command7, Command8, Command9;
  std::unique_ptr<forms::ComboBox> Combo1;
  std::unique_ptr<forms::TextBox> Text14, TextTempo, Text15, Text20, Text21;
  std::unique_ptr<forms::ProgressBar> ProgressBar1;

  // PowerPoint panel.
  std::unique_ptr<forms::Frame> Frame1;
  forms::ControlArray<forms::Label> Label2;
  forms::ControlArray<forms::PictureBox> Picture1;
  std::unique_ptr<forms::TextBox> Text1;
  std::unique_ptr<forms::CommandButton> Command4, Command5;

  // --- form values --------------------------------------------------------------------------
  std::shared_ptr<view::ClassGl> GlInstance;
  double FirstActivationDone = 0;
  double SpeedResetArmed = 0;
  double SunRayStep = 0;
  double OptionsFrameWidth = 0;
  double SavedFormWidth = 0;
  std::array<std::string, 3> SavedBackground;
  std::array<std::array<double, 4>, 26> ThrusterTable{};

  // --- command units over the controls -------------------------------------------------------
  MainWindowCommands commands_{*this};
  HelpDemo helpDemo_;
  FileOpenCommand fileOpen_{this};
  std::unique_ptr<MovieSliders> movieSliders_;
  std::unique_ptr<CaptureCommands> capture_;

 private:
  void BuildMenus();
  void BuildBars();
  void BuildOptionsPanel();
  void BuildSideControls();
  void BuildPowerPointPanel();
  void ConnectHandlers();
  forms::CheckBox& Box(datastore::CheckBox box);
  forms::TextBox& CaptionTextBox(int n);
  double ClientTop() const;  // top of the controls' area in the window's inner area, twips
  // Sizes the prompt box to its whole text (wrapped to the view's width) and stands it, with
  // the demo button above it, right above the history box.
  void FitPromptBox();

  void RunFirstLoad();

  MainWindowOptions options_;
  bool firstLoadStarted_ = false;
  bool activationPosted_ = false;
  std::unique_ptr<view::GlEventBridge> bridge_;
  bool ending_ = false;
};

}  // namespace vantrel::ui
