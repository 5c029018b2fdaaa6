// The main window's controls at their design-time values, and the wiring of their events.

#include "ui/main_window.h"

#include <QMenuBar>
#include <QTimer>

#include "datastore/state.h"
#include "platform/glview/glview.h"
#include "datastore/settings_persist.h"
#include "platform/forms/twips.h"
#include "platform/runtime/rterror.h"
#include "platform/settings/settings.h"
#include "ui/menus.h"
#include "ui/presentation.h"
#include "ui/toolbar_images.h"
#include "view/capture.h"
#include "view/class_gl.h"
#include "view/view_shared.h"

namespace vantrel::ui {

using forms::CheckBox;
using forms::ComboBox;
using forms::CommandButton;
using forms::Frame;
using forms::Label;
using forms::ScrollBar;
using forms::TextBox;

namespace {

// The view writes up to four lines of text in its top-left corner (the title, the date or time,
// the two legend lines: down to 76 pixels). The controls and panels that stand over the view
// start below them, so that none of these lines is hidden.
constexpr double kBelowCornerTexts = 1320;  // twips (88 pixels)
// The slider column's design positions, moved down by this much.
constexpr double kColumnShift = kBelowCornerTexts - 120;

template <class T>
T& Place(T& c, double left, double top, double width, double height) {
  c.Move(left, top, width, height);
  return c;
}

}  // namespace

MainWindow::MainWindow(MainWindowOptions options)
    : forms::Form("frmMain"), ImageListForToolBar(16, 16), ImageListForToolBarAdd1(16, 16),
      options_(std::move(options)) {
  KeyPreview = true;
  BuildMenus();
  BuildBars();
  if (options_.withViewControl) {
    glxCtl1 = new glview::GlView(Client());
    glxCtl1->setObjectName(QStringLiteral("glxCtl1"));
    glxCtl1->setFocusPolicy(Qt::StrongFocus);
  }
  BuildSideControls();
  BuildOptionsPanel();
  BuildPowerPointPanel();
  // The movie sliders stand in the column beside the view, under the local-view row.
  movieSliders_ = std::make_unique<MovieSliders>(Client());
  Place(*movieSliders_->Text11, 120, kColumnShift + 3600, 2400, 285).SetLocked(true);
  Place(*movieSliders_->HScroll5, 120, kColumnShift + 3885, 2400, 255);
  Place(*movieSliders_->Text12, 120, kColumnShift + 4200, 2400, 285).SetLocked(true);
  Place(*movieSliders_->HScroll6, 120, kColumnShift + 4485, 2400, 255);
  movieSliders_->ShowCaptions();
  capture_ = std::make_unique<CaptureCommands>(
      *Text6,
      [this](std::string& n, std::string& f) {
        return glxCtl1 ? view::SaveBMP(*glxCtl1, n, f) : std::string("The view is not shown: no image saved");
      },
      this);
  ConnectHandlers();
  Move(600, 300, 13800, 10800);
}

MainWindow::~MainWindow() {
  ending_ = true;
  if (glxCtl1) glxCtl1->SetEvents(nullptr);
  bridge_.reset();
  datastore::DataStore& st = datastore::Store();
  if (st.MainWindow.get() == static_cast<datastore::MainWindowServices*>(this))
    st.MainWindow = std::make_shared<datastore::NullMainWindow>();
  view::Shared().SetText15Visible = nullptr;
  if (GlInstance && st.View.get() == static_cast<datastore::ViewServices*>(GlInstance.get()))
    st.View = std::make_shared<datastore::NullView>();
}

// --- menus --------------------------------------------------------------------------------

void MainWindow::BuildMenus() {
  using forms::Menu;
  QMenuBar* bar = menuBar();
  mnuFile = std::make_unique<Menu>(bar, "mnuFile", "&File");
  mnuFOpen = std::make_unique<Menu>(*mnuFile, "mnuFOpen", "&Open *.vnx files");
  mnuFSaveAs = std::make_unique<Menu>(*mnuFile, "mnuFSaveAs", "&SaveImage");
  mnuFMovieSaveAs = std::make_unique<Menu>(*mnuFile, "mnuFMovieSaveAs", "&MovieFrames");
  mnuFRunPowerPoint = std::make_unique<Menu>(*mnuFile, "mnuFRunPowerPoint", "&To run in PowerPoint");
  mnuFSep1 = std::make_unique<Menu>(*mnuFile, "mnuFSep1", "-");
  mnuFOptions = std::make_unique<Menu>(*mnuFile, "mnuFOptions", "&Options");
  mnuFPrint = std::make_unique<Menu>(*mnuFile, "mnuFPrint", "&Print");
  mnuFSep2 = std::make_unique<Menu>(*mnuFile, "mnuFSep2", "-");
  mnuFExit = std::make_unique<Menu>(*mnuFile, "mnuFExit", "E&xit");
  mnuFPrint->SetEnabled(false);

  mnuEdit = std::make_unique<Menu>(bar, "mnuEdit", "&Edit");
  mnuEMove = std::make_unique<Menu>(*mnuEdit, "mnuEMove", "&Move");
  mnuERotate = std::make_unique<Menu>(*mnuEdit, "mnuERotate", "&Rotate");
  mnuEScale = std::make_unique<Menu>(*mnuEdit, "mnuEScale", "&Scale");
  mnuESep1 = std::make_unique<Menu>(*mnuEdit, "mnuESep1", "-");
  mnuEDelete = std::make_unique<Menu>(*mnuEdit, "mnuEDelete", "&Delete");
  mnuESep2 = std::make_unique<Menu>(*mnuEdit, "mnuESep2", "-");
  mnuEProperties = std::make_unique<Menu>(*mnuEdit, "mnuEProperties", "&Properties");
  mnuEdit->SetEnabled(false);

  mnuOptions = std::make_unique<Menu>(bar, "mnuOptions", "&OptionsInteractive");
  mnuOinteractive = std::make_unique<Menu>(*mnuOptions, "mnuOinteractive", "&Interactive");

  mnuView = std::make_unique<Menu>(bar, "mnuView", "&View");
  mnuVGrids = std::make_unique<Menu>(*mnuView, "mnuVGrids", "&Grid");
  mnuVCam = std::make_unique<Menu>(*mnuView, "mnuVCam", "&Camera");
  mnuVReset = std::make_unique<Menu>(*mnuView, "mnuVReset", "&Reset");
  mnuVSep1 = std::make_unique<Menu>(*mnuView, "mnuVSep1", "-");
  mnuVView = std::make_unique<Menu>(*mnuView, "mnuVView", "&View", true);
  mnuVVPerspective = std::make_unique<Menu>(*mnuVView, "mnuVVPerspective", "&Perspecdtive");
  mnuVVTop = std::make_unique<Menu>(*mnuVView, "mnuVVTop", "&Top");
  mnuVVLeft = std::make_unique<Menu>(*mnuVView, "mnuVVLeft", "&Left");
  mnuVVFront = std::make_unique<Menu>(*mnuVView, "mnuVVFront", "&Front");
  for (Menu* m :
       {mnuVCam.get(), mnuVReset.get(), mnuVVPerspective.get(), mnuVVTop.get(), mnuVVLeft.get(), mnuVVFront.get()})
    m->SetEnabled(false);

  mnuHelp = std::make_unique<Menu>(bar, "mnuHelp", "&Help");
  mnuHContents = std::make_unique<Menu>(*mnuHelp, "mnuHContents", "&Contents");
  mnuHSep1 = std::make_unique<Menu>(*mnuHelp, "mnuHSep1", "-");
  mnuHAbout = std::make_unique<Menu>(*mnuHelp, "mnuHAbout", "&About");

  mnuUpdateExcel = std::make_unique<Menu>(bar, "mnuUpdateExcel", "&UpdateExcel", false);
}

// --- toolbars and status bar ----------------------------------------------------------------

void MainWindow::BuildBars() {
  using forms::kButtonCheck;
  using forms::kButtonDefault;
  using forms::kButtonGroup;
  using forms::kButtonPlaceholder;
  using forms::kButtonPressed;
  using forms::kButtonSeparator;
  FillToolbarImageLists(ImageListForToolBar, ImageListForToolBarAdd1);

  Toolbar1 = std::make_unique<forms::Toolbar>(this, "Toolbar1");
  Toolbar1->SetImageList(&ImageListForToolBar);
  auto& t = *Toolbar1;
  t.AddButton("select", kButtonGroup, 7, 0, "Move with left button, Orient with right");
  t.AddButton("pan", kButtonGroup, 10, kButtonPressed, "Pan with Left button, Try the Right button !");
  t.AddButton("zoom", kButtonGroup, 4, 0, "Zoom with Left button, Try the Right button !");
  t.AddButton("", kButtonSeparator);
  t.AddButton("zminus", kButtonDefault, 5, 0, "Zoom out");
  t.AddButton("zplus", kButtonDefault, 6, 0, "Zoom in");
  t.AddButton("", kButtonSeparator);
  t.AddButton("lightback", kButtonCheck, 149, 0, "Change the background color.");
  t.AddButton("stop", kButtonCheck, 105, 0,
              "Enable or disable the automatic rotation  motion given by the left click.  Use first the left "
              "click to stop.");
  t.AddButton("frozenstart", kButtonCheck, 84, 0, "To stop the Redraw");
  t.AddButton("", kButtonSeparator);
  t.AddButton("vanexxyz", kButtonDefault, 66, 0,
              "Fix the orientation ISO (backward with CTRL key); press key X Y or Z to fix the vertical axis");
  t.AddButton("vanexxy", kButtonDefault, 258, 0, "Various orientations (backward with CTRL key)");
  t.AddButton("", kButtonPlaceholder);
  t.AddButton("imagespot", kButtonDefault, 27, 0, "Save Image with timestamp in the directory (see options) ");
  t.AddButton("movieframes", kButtonDefault, 48, 0,
              "Save Movie Frames with timestamp in the directory (Adjust the settings and click again here to "
              "start the movie)");

  ToolBoptions = std::make_unique<forms::Toolbar>(this, "ToolBoptions");
  ToolBoptions->SetImageList(&ImageListForToolBarAdd1);
  auto& o = *ToolBoptions;
  o.AddButton("optSat", kButtonCheck, 1, 0, "Satellite with sides coloured differently");
  o.AddButton("optCub", kButtonCheck, 2, 0, "Cubic view with 3DD and 2D projections on 3 planes");
  o.AddButton("optEarth", kButtonCheck, 96, 0, "Show earth or not");
  o.AddButton("", kButtonSeparator);
  o.AddButton("optMoon", kButtonCheck, 92, 0, "Show Moon with amplification or not");
  o.AddButton("", kButtonSeparator);
  o.AddButton("optW", kButtonCheck, 165, 0, "Local frame at current position with redraw");
  o.AddButton("", kButtonSeparator);
  o.AddButton("optOpt", kButtonCheck, 104, 0, "Show the Option menu or not");
  o.AddButton("optPenup", kButtonCheck, 107, 0, "PenUp or not");

  StatusBar1 = std::make_unique<forms::StatusBar>(this, "StatusBar1");
  StatusBar1->AddPanel("Options", 1200);
  StatusBar1->AddPanel("Double-click here to show or hide the log");
  StatusBar1->SetToolTipText("Click on a panel to show the options; double-click to show or hide the log");
}

// --- controls beside and under the view -------------------------------------------------------

void MainWindow::BuildSideControls() {
  QWidget* c = Client();
  auto caption = [&](std::unique_ptr<TextBox>& box, const char* name, const char* text, const char* tip, double top) {
    box = std::make_unique<TextBox>(c, name, text);
    Place(*box, 120, kColumnShift + top, 2400, 285);
    box->SetLocked(true);
    box->SetToolTipText(tip);
  };
  auto slider = [&](std::unique_ptr<ScrollBar>& bar, const char* name, int max, int step, int value, double top) {
    bar = std::make_unique<ScrollBar>(c, name, 0, max, value, 1, step);
    Place(*bar, 120, kColumnShift + top, 2400, 255);
  };
  const char* redrawTip = "Redraw  feature: new dynamic plot redrawn from the point you select up to the last one";
  caption(Text3, "Text3", "Redraw", redrawTip, 120);
  slider(HScroll1, "HScroll1", 10000, 100, 10000, 405);
  caption(Text2, "Text2", "Redraw speed", "Increase or decrease the speed of the dynamic plot", 720);
  slider(HScroll2, "HScroll2", 16, 3, 9, 1005);
  caption(Text10, "Text10", "Starting", "Starting feature: Trace start from the point you select", 1320);
  slider(HScroll4, "HScroll4", 1000, 100, 0, 1605);
  caption(Text16, "Text16", "CubicView range and Axis length", redrawTip, 1920);
  slider(HScroll8, "HScroll8", 32000, 100, 10000, 2205);
  caption(Text18, "Text18", "Size satellite", redrawTip, 2520);
  slider(HScroll10, "HScroll10", 32000, 1000, 10000, 2805);

  Command7 = std::make_unique<CommandButton>(c, "Command7", "View local");
  Place(*Command7, 120, kColumnShift + 3150, 1200, 330);
  Command7->SetToolTipText(
      "Use a trajectory point (set by the scroll bar) as centre instead of the origin 0,0,0.  For continuous "
      "moving press the key W while this command has the focus. press again W for coming back");
  HScroll7 = std::make_unique<ScrollBar>(c, "HScroll7", 0, 100, 1, 1, 10);
  Place(*HScroll7, 1380, kColumnShift + 3180, 1140, 255);

  // Under the view (their tops follow its bottom edge, Form_Resize).
  Combo1 = std::make_unique<ComboBox>(c, "Combo1");
  Place(*Combo1, 0, 7000, 390, 315);
  Combo1->SetBackColor(forms::RGB(128, 128, 255));
  Combo1->SetToolTipText(
      "When Excel holds no specification, type one here, for example =MAX(A2:C60), and press the Enter key");
  Text14 = std::make_unique<TextBox>(c, "Text14");
  Place(*Text14, 420, 7000, 4000, 315);
  Text14->SetLocked(true);
  Text14->SetVisible(false);
  // Multi-line, so that a prompt longer than the view is wide wraps instead of being cut.
  TextTempo = std::make_unique<TextBox>(c, "TextTempo", "", true);
  Place(*TextTempo, 0, 6600, 7000, 315);
  TextTempo->SetLocked(true);
  TextTempo->SetVisible(false);
  Command6 = std::make_unique<CommandButton>(c, "Command6", "Run Demo");
  Place(*Command6, 0, 6200, 1200, 360);
  Command6->SetVisible(false);
  ProgressBar1 = std::make_unique<forms::ProgressBar>(c, "ProgressBar1", 0, 100);
  Place(*ProgressBar1, 0, 5900, 7000, 255);
  ProgressBar1->SetVisible(false);
  Text21 = std::make_unique<TextBox>(c, "Text21");
  Place(*Text21, 4500, 7000, 7000, 315);
  Text21->SetLocked(true);
  Text21->SetToolTipText("Double-click to show or hide the log");
  Text20 = std::make_unique<TextBox>(c, "Text20", "", true);
  Place(*Text20, 2700, kBelowCornerTexts, 9000, 5000);
  Text20->SetLocked(true);
  Text20->SetVisible(false);
  Text20->SetToolTipText("Log of the loads; double-click to hide it");

  // The unit of the spacecraft model's size, shown by the view when it scales the model down.
  Text15 = std::make_unique<TextBox>(c, "Text15", "km");
  Place(*Text15, 2640, kBelowCornerTexts, 450, 285);
  Text15->SetLocked(true);
  Text15->SetVisible(false);

  Command8 = std::make_unique<CommandButton>(c, "Command8", "IconList");
  Command8->SetVisible(false);
  Command9 = std::make_unique<CommandButton>(c, "Command9", "IconList");
  Command9->SetVisible(false);
}

// --- the options panel ----------------------------------------------------------------------

void MainWindow::BuildOptionsPanel() {
  Options = std::make_unique<Frame>(Client(), "Options", "Options");
  Place(*Options, 2700, kBelowCornerTexts, 6200, 6500);
  QWidget* p = Options->Client();

  Text7 = std::make_unique<TextBox>(p, "Text7");
  Place(*Text7, 120, 480, 1575, 270);
  Text7->SetToolTipText("Earth texture file, in the program's folder");
  Text8 = std::make_unique<TextBox>(p, "Text8");
  Place(*Text8, 360, 600, 1335, 270);
  Text8->SetToolTipText("Moon texture file, in the program's folder");
  Text6 = std::make_unique<TextBox>(p, "Text6");
  Place(*Text6, 1800, 480, 4200, 270);
  Text6->SetToolTipText("Folder of the saved images and movie frames");

  const char* captions[11] = {"no Plot Earth...", "no Colour Axis X", "Large Characters ", "no Plot Axis",
                              "no Logo Label ",   "no Origin Label",  "no Time Moving",    "Interactive",
                              "Moon x10",         "No Sun ray",       "Earth-moon"};
  for (int i = 0; i <= 10; ++i) {
    CheckBox& b = Check1.Load(i, p, "Check1", captions[i], i == 8 ? 1 : 0);
    Place(b, 120, 1000 + 300.0 * i, 2500, 270);
  }
  Check1(9).SetToolTipText(
      "By default the sun ray is displayed on Earth. Check here to avoid this feature. Click here sereral "
      "times to increase or decrease the length...");

  const char* factorCaptions[4] = {"Thickness LinePlot ", "Length Axis Factor", "Thickness LineAxis",
                                   "X,Y,Z position Factor"};
  for (int i = 0; i <= 3; ++i) {
    Place(Label1.Load(i, p, "Label1", factorCaptions[i]), 2760, 1000 + 300.0 * i, 2160, 270);
    Place(Text4.Load(i, p, "Text4", "1"), 4950, 1000 + 300.0 * i, 540, 270);
  }
  Place(Text4.Load(4, p, "Text4", "1.5"), 5550, 1300, 540, 270);
  Text4(4).SetVisible(false);

  Check3 = std::make_unique<CheckBox>(p, "Check3", "Satellite", 0);
  Place(*Check3, 2760, 2300, 1400, 270);
  Check4 = std::make_unique<CheckBox>(p, "Check4", "Solar panel", 0);
  Place(*Check4, 2760, 2600, 1400, 270);
  Check4->SetVisible(false);
  Check6 = std::make_unique<CheckBox>(p, "Check6", "Sat. Axis", 1);
  Place(*Check6, 4300, 2600, 1400, 270);
  Check6->SetVisible(false);
  Place(Label1.Load(12, p, "Label1", "Satellite  size"), 2760, 2900, 1500, 270);
  HScroll3 = std::make_unique<ScrollBar>(p, "HScroll3", 0, 32000, 0, 1, 320);
  Place(*HScroll3, 4300, 2900, 1700, 255);
  Check9 = std::make_unique<CheckBox>(p, "Check9", "Cubic View", 0);
  Place(*Check9, 2760, 3300, 1400, 270);
  Check5 = std::make_unique<CheckBox>(p, "Check5", "Valz", 0);
  Place(*Check5, 2760, 3600, 900, 270);
  Check5->SetVisible(false);
  Check11 = std::make_unique<CheckBox>(p, "Check11", "Only thrust or Whole orbit", 0);
  Place(*Check11, 3700, 3600, 2400, 270);
  Check11->SetVisible(false);
  Combo2 = std::make_unique<ComboBox>(p, "Combo2", "GEO satcom");
  Place(*Combo2, 2760, 3950, 2400, 315);
  Combo2->SetToolTipText("Select the shape of Satellite or Launcher with the number of solar arrays, etc.");

  Check2 = std::make_unique<CheckBox>(p, "Check2", "Ext Change colours", 0);
  Place(*Check2, 120, 4400, 2500, 270);
  Check7 = std::make_unique<CheckBox>(p, "Check7", "white", 0);
  Place(*Check7, 120, 4700, 2500, 270);
  Check7->SetToolTipText(
      "Save current colors and switch to white one. Uncheck to come back to the current colors saved.");
  Check8 = std::make_unique<CheckBox>(p, "Check8", "thrusters", 0);
  Place(*Check8, 120, 5000, 2500, 270);
  Check8->SetToolTipText("Thrusters location x y z (n times)  and orientation x y z  (n times)");
  Check10 = std::make_unique<CheckBox>(p, "Check10", "m", 0);
  Place(*Check10, 120, 5300, 2500, 270);
  Check10->SetToolTipText(
      "If Earth is too big or too small, check it (For ascent compatibility, sometimes it is needed to to use "
      "m instead of km)");

  const std::string thrusters = "{{0.05,-1.15,-1},{-0.05,-1.15,-1},{0.05,-2.35,-1},{-0.05,-2.35,-1},\r\n"
                                "{1,-1.75,-0.1},{1,-1.75,-0.15},{1,-1.55,-0.03},{1,-1.55,-0.08},\r\n"
                                "{1,-1.95,-0.03},{1,-1.95,-0.08},{-1,-1.75,-0.1},{-1,-1.75,-0.15},\r\n"
                                "{-1,-1.55,-0.03},{-1,-1.55,-0.08},{-1,-1.95,-0.03},{-1,-1.95,-0.08}},\r\n"
                                "{{0,0,1},{0,0,1},{0,0,1},{0,0,1},\r\n"
                                "{-1,0,1},{-1,0,1},{-1,0,0},{-1,0,0},\r\n"
                                "{-1,0,0},{-1,0,0},{1,0,1},{1,0,1},\r\n"
                                "{1,0,0},{1,0,0},{1,0,0},{1,0,0}}\r\n";
  Text13 = std::make_unique<TextBox>(p, "Text13", thrusters, true);
  Place(*Text13, 2760, 4350, 3300, 1250);
  Text13->SetVisible(false);

  // The colours and the keyword, shown by "Ext Change colours".
  Place(Label1.Load(10, p, "Label1", "Colour of : "), 6300, 240, 1500, 270);
  const char* colourNames[6] = {"Axis labels", "Axis", "Plot Nominal", "Plot Events", "Sphere", "BackGround"};
  const char* colourValues[18] = {"40",  "80", "120", "128", "128", "128", "0",  "255", "0",
                                  "255", "0",  "0",   "50",  "100", "150", "10", "20",  "70"};
  for (int k = 0; k < 6; ++k) {
    Place(Label1.Load(4 + k, p, "Label1", colourNames[k]), 6300, 540 + 300.0 * k, 1300, 270);
    for (int j = 0; j < 3; ++j) {
      TextBox& b = Text5.Load(3 * k + j, p, "Text5", colourValues[3 * k + j]);
      Place(b, 7650 + 600.0 * j, 540 + 300.0 * k, 540, 270);
      b.SetVisible(false);
    }
  }
  Text9 = std::make_unique<TextBox>(p, "Text9", "MAX");
  Place(*Text9, 6300, 2500, 1500, 270);
  Text9->SetToolTipText("Keyword of the specification formula");
  Text9->SetVisible(false);

  Command1 = std::make_unique<CommandButton>(p, "Command1", "Save");
  Place(*Command1, 120, 5800, 1200, 375);
  Command1->SetToolTipText("Click to immediately take into account the changes, and saving its for the next time.");
  Command2 = std::make_unique<CommandButton>(p, "Command2", "Close");
  Place(*Command2, 1440, 5800, 1200, 375);
  Command2->SetToolTipText("Use the new settings and close that window,  without saving the changes.");
  Command3 = std::make_unique<CommandButton>(p, "Command3", "Factory Settings");
  Place(*Command3, 2760, 5800, 1800, 375);
  Command3->SetToolTipText("Clear the previous setting without saving the changes.");

  Options->SetVisible(false);
}

// --- the PowerPoint panel -------------------------------------------------------------------

void MainWindow::BuildPowerPointPanel() {
  Frame1 = std::make_unique<Frame>(Client(), "Frame1", "To run in PowerPoint");
  Place(*Frame1, 600, 1200, 9000, 5400);
  QWidget* p = Frame1->Client();
  Place(Label2.Load(0, p, "Label2", "Copy the command line for a PowerPoint presentation :"), 120, 300, 8700, 285);
  Text1 = std::make_unique<TextBox>(p, "Text1");
  Place(*Text1, 120, 600, 8700, 315);
  Command4 = std::make_unique<CommandButton>(p, "Command4", "Copy to the clipboard");
  Place(*Command4, 120, 1000, 2400, 375);
  Command5 = std::make_unique<CommandButton>(p, "Command5", "Close this window");
  Place(*Command5, 2640, 1000, 2400, 375);
  const char* texts[4] = {
      "In your PowerPoint presentation , Right Click on the image or on the border of a non empty text box you "
      "select. Choose Action parameter in the folder click with the mouse, check the option execute programme : "
      "and JUST PASTE it in the text zone. It's all.",
      "During your presentation , enjoy to run Vantrel from powerpoint by a click on the image or text box you "
      "have selected.",
      "",
      "Please note also that all files with extension \".vnx\" is associated to Vantrel. You can also  just dble "
      "click on it during the show"};
  // Each note as high as its wrapped lines (the third, the longest, takes six).
  const double tops[4] = {1500, 2400, 3060, 4620}, heights[4] = {850, 600, 1500, 660};
  for (int i = 1; i <= 4; ++i) {
    Label& l = Label2.Load(i, p, "Label2", texts[i - 1]);
    l.SetWordWrap(true);
    Place(l, 120, tops[i - 1], 6000, heights[i - 1]);
  }
  Label2(3).SetCaption(
      "Please note that in Windows 8 the location  is automatically forwarded to the so called Virtual store "
      "(where the true files are stored): \"C:\\Users\\...\\AppData\\Local\\VirtualStore\\...\", so do not "
      "worry... It works fine!" +
      std::string(97, ' ') +
      "You can use the virtual store files, move, copy paste in any other location you may prefer.");
  forms::PictureBox& pic = Picture1.Load(0, p, "Picture1");
  Place(pic, 6240, 1500, 2600, 2600);
  pic.SetPicture(PowerPointPicture(forms::TwipsToPixels(2600)));
  Frame1->SetVisible(false);
}

// --- events -----------------------------------------------------------------------------------

void MainWindow::ConnectHandlers() {
  // The activation runs once the window system has shown the window, so that the window is
  // drawn before the first load, which may ask questions in boxes of its own.
  Activate = [this] {
    if (activationPosted_) return;
    activationPosted_ = true;
    QTimer::singleShot(0, this, [this] {
      activationPosted_ = false;
      Form_Activate();
    });
  };
  Resize = [this] {
    // The window system's resize events come before the start-up has built the view.
    if (GlInstance || !glxCtl1) Form_Resize();
  };
  KeyDown = [this](int& code, int shift) { Form_KeyDown(code, shift); };
  KeyUp = [this](int& code, int shift) { Form_KeyUp(code, shift); };
  Unload = [this](int& cancel) { Form_Unload(cancel); };
  Terminate = [this] { Form_Terminate(); };

  Check1.Connect(&CheckBox::Click, [this](int i) { Check1_Click(i); });
  Check2->Click = [this] { Check2_Click(); };
  Check3->Click = [this] { Check3_Click(); };
  Check4->Click = [this] { Check4_Click(); };
  Check6->Click = [this] { Check6_Click(); };
  Check7->Click = [this] { Check7_Click(); };
  Check8->Click = [this] { Check8_Click(); };
  Check9->Click = [this] { Check9_Click(); };
  Check10->Click = [this] { Check10_Click(); };
  Options->Click = [this] { Options_Click(); };
  // The panel is moved by dragging its background.
  Options->SetDragMode(1);
  Options->DragOver = [this](forms::Control& s, double x, double y, int state) { Options_DragOver(s, x, y, state); };
  Options->DragDrop = [this](forms::Control& s, double x, double y) { Options_DragDrop(s, x, y); };
  Frame1->MouseMove = [this](int b, int s, double x, double y) { Frame1_MouseMove(b, s, x, y); };

  Text4.Connect(&TextBox::Change, [this](int i) { Text4_Change(i); });
  Text6->Change = [this] { Text6_Change(); };
  Text7->Change = [this] { Text7_Change(); };
  Text7->Click = [this] { Text7_Click(); };
  Text8->Change = [this] { Text8_Change(); };
  Text8->Click = [this] { Text8_Click(); };
  Text9->Change = [this] { Text9_Change(); };
  Text20->DblClick = [this] { Text20_DblClick(); };
  Text21->DblClick = [this] { Text21_DblClick(); };
  StatusBar1->DblClick = [this] { StatusBar1_DblClick(); };
  StatusBar1->PanelClick = [this](int panel) { StatusBar1_PanelClick(panel); };

  HScroll1->Change = [this] { HScroll1_Change(); };
  HScroll1->Scroll = [this] { HScroll1_Change(); };
  HScroll2->Change = [this] { HScroll2_Change(); };
  HScroll2->Scroll = [this] { HScroll2_Change(); };
  HScroll4->Change = [this] { HScroll4_Change(); };
  HScroll4->Scroll = [this] { HScroll4_Change(); };
  HScroll3->Change = [this] { HScroll3_Change(); };
  HScroll10->Change = [this] { HScroll10_Change(); };
  HScroll7->Change = [this] { HScroll7_Change(); };
  HScroll8->Change = [this] { HScroll8_Change(); };

  // The File and Help menus' dialog commands.
  mnuHContents->Click = [this] { helpDemo_.mnuHContents_Click(kAboutTitle); };
  mnuFOpen->Click = [this] { fileOpen_.mnuFOpen_Click(); };
  mnuFRunPowerPoint->Click = [this] { mnuFRunPowerPoint_Click(*Frame1, *Text1); };
  mnuFSaveAs->Click = [this] { capture_->mnuFSaveAs_Click(); };
  mnuFMovieSaveAs->Click = [this] { capture_->mnuFMovieSaveAs_Click(); };
  commands_.SaveImage = [this] { capture_->mnuFSaveAs_Click(); };
  commands_.SaveMovieFrames = [this] { capture_->mnuFMovieSaveAs_Click(); };

  // The toolbars, the two lists, the panel buttons and the other menus.
  commands_.Connect();
}

}  // namespace vantrel::ui
