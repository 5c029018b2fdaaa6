// The main window's start-up, activation, layout, keys and exit.

#include <QDate>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTimer>

#include <pwd.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

#include "datastore/load_queue.h"
#include "datastore/loader.h"
#include "datastore/settings_persist.h"
#include "datastore/state.h"
#include "datastore/watcher.h"
#include "numerics/valloc.h"
#include "platform/forms/keys.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/twips.h"
#include "platform/glview/glview.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"
#include "platform/shell/shell.h"
#include "ui/main_shared.h"
#include "ui/main_window.h"
#include "ui/single_settings.h"
#include "view/class_gl.h"
#include "view/view_shared.h"

namespace vantrel::ui {
namespace {

std::string LoggedOnUser() {
  for (const char* var : {"USER", "LOGNAME"}) {
    const char* v = std::getenv(var);
    if (v && *v) return v;
  }
  if (const passwd* pw = getpwuid(getuid())) return pw->pw_name ? pw->pw_name : "";
  return "";
}

int ClampRound(double v, int lo, int hi) {
  const double r = rt::RoundHalfEven(v);
  if (!(r >= lo)) return lo;  // also NaN
  if (r > hi) return hi;
  return static_cast<int>(r);
}

}  // namespace

std::string MainWindow::BuildCaption() const {
  const int year = rt::SerialToParts(rt::Now()).year;
  return MainCaption(kVersionComment, kMakerBanner, year);
}

void MainWindow::ReadCommandLine() {
  datastore::DataStore& st = datastore::Store();
  st.CmdLineFirst = "";
  const CommandLineValues v = ReadCommandLineArgs(options_.arguments);
  st.CmdLineInfo.DataFilePath = v.DataFilePath;
  st.CmdLineFirst = v.CmdLineFirst;
  st.CmdLineInfo.DataFileMode = v.DataFileMode;
}

void MainWindow::Form_Load() {
  datastore::DataStore& st = datastore::Store();
  MainSharedValues& ms = MainShared();
  view::ViewShared& vs = view::Shared();
  st.MainWindow = std::shared_ptr<datastore::MainWindowServices>(std::shared_ptr<void>(), this);

  // 1-4. Line break and flags, version, command line, user.
  ms.LineSep = "\r\n";
  vs.OptMoonState = 0;
  vs.StartupFlag = 1;
  vs.SetText15Visible = [this](bool on) { Text15->SetVisible(on); };
  ms.VersionDigits = VersionDigitsOf(kVersionMajor, kVersionMinor, kVersionRevision);
  ReadCommandLine();
  ms.UserName = LoggedOnUser();

  // 5-8. Factory settings from the panel's design values, caption, program folder.
  Options_Click();
  st.FactorySettingsBlock = st.SettingsBlock;
  SetCaption(BuildCaption());
  rt::Try([] { platform::SaveSetting(platform::kSettingsApp, "App", "Path", platform::ProgramFolder()); });

  // 9. The stored option values.
  double noneStored = 0;
  datastore::UseSettingsW(0, noneStored);

  // 10. The single settings into their controls (each changed control stores its value again).
  auto get = [](const std::string& key, const char* fallback) {
    return platform::GetSetting(platform::kSettingsApp, "Use", key, fallback);
  };
  Text6->SetText(get("SetDirBMP", ""));
  Text7->SetText(get(SingleSettingKey(kEarthTextureKey), "earthjpg.jpg"));
  Text8->SetText(get(SingleSettingKey(kMoonTextureKey), "moonjpg.jpg"));
  Text9->SetText(get(SingleSettingKey(kKeywordKey), "MAX"));
  // A stored number outside its control's range (an edited store) is brought into it.
  st.SettingsBlock.SatelliteSize = numerics::ValLoc(get(SingleSettingKey(kSatelliteSizeKey), "64"));
  HScroll3->SetValue(ClampRound(st.SettingsBlock.SatelliteSize, HScroll3->Min(), HScroll3->Max()));
  st.SettingsBlock.OptSatellite = numerics::ValLoc(get(SingleSettingKey(kSatelliteKey), "0"));
  Check3->SetValue(ClampRound(st.SettingsBlock.OptSatellite, 0, 2));
  st.SettingsBlock.OptSolarPanel = numerics::ValLoc(get(SingleSettingKey(kSolarPanelKey), "0"));
  Check4->SetValue(ClampRound(st.SettingsBlock.OptSolarPanel, 0, 2));

  // 11-12.
  if (Check3->Value() == 0) {
    HScroll10->SetVisible(false);
    Text18->SetVisible(false);
  }
  if (Check9->Value() == 0) {
    HScroll8->SetVisible(false);
    Text16->SetVisible(false);
  }
  Text7_Change();

  // 13-14. The stored option set into the panel; the interactive-mode warning.
  if (noneStored == 0) OptionAffecteUser();
  if (Check1(7).Value() == 1) {
    const std::string& sep = ms.LineSep;
    const int answer = forms::MsgBox("The current setting is Interactive with Excel. " + sep +
                                         "It is recommanded to save your Excel work now. " + sep +
                                         "Else click on Cancel to disable the Interactivity." + sep + sep +
                                         "Do you want to continue with the Interactivity with Excel ? ",
                                     1, "Warning");
    if (answer == forms::kCancel) {
      Check1(7).SetValue(0);
      st.SettingsBlock.InteractiveOpt = 0;
    }
  }

  // 15. The two lists.
  double count = 0;
  Combo1_InitList(count);
  Combo2_InitList(0);

  // 16. The view object; the control's events reach it from here on.
  GlInstance = std::make_shared<view::ClassGl>(glxCtl1);
  GlInstance->ExcelWatchXls = [] { datastore::ExcelWatchXls(); };
  st.View = GlInstance;
  if (glxCtl1) {
    bridge_ = std::make_unique<view::GlEventBridge>(*glxCtl1, *GlInstance, this);
    glxCtl1->SetEvents(bridge_.get());
  }

  // 17-20. Animation sliders, view control, pan tool, the control's own animation.
  HScroll1_Change();
  HScroll2_Change();
  if (glxCtl1) glxCtl1->StartView();
  GlInstance->SetEditState(8);
  if (bridge_) {
    bridge_->glxCtl1_DblClick();
    glxCtl1->Animation().SetRunning(true);
  }

  // 21-22.
  toolbarSet();
  if (st.CmdLineInfo.DataFileMode == 1) {
    for (forms::Menu* m :
         {mnuFile.get(), mnuEdit.get(), mnuView.get(), mnuHelp.get(), mnuUpdateExcel.get(), mnuOptions.get()})
      m->SetEnabled(false);
  }
}

void MainWindow::toolbarSet() {
  static constexpr int16_t options[18] = {1, 1, 2, 2, 3, 96, 4, 0, 5, 92, 6, 0, 7, 165, 8, 0, 9, 104};
  for (size_t i = 0; i + 1 < std::size(options); i += 2) ToolBoptions->Button(options[i]).SetImage(options[i + 1]);
  static constexpr int16_t view[32] = {1, 7,   2,  10, 3,  4, 4,  0,  5,  5,   6,  6, 7,  0,  8,  149,
                                       9, 105, 10, 84, 11, 0, 12, 66, 13, 258, 14, 0, 15, 27, 16, 48};
  for (size_t i = 0; i + 1 < std::size(view); i += 2) Toolbar1->Button(view[i]).SetImage(view[i + 1]);
}

// --- activation ---------------------------------------------------------------------------

void MainWindow::Form_Activate() {
  datastore::DataStore& st = datastore::Store();
  if (FirstActivationDone != 1 && !firstLoadStarted_) {
    // A nested activation while the first load runs must not start it again.
    firstLoadStarted_ = true;
    SetImageDirectory();
    commands_.toolbar.RestoreToolbarLayout();
    RunFirstLoad();
    FirstActivationDone = 1;
  }
  Command6->Tag = "";
  double count = 0;
  Combo1_InitList(count);
  Combo2_InitList(0);
  Combo1->SetWidth(390);
  if (st.SettingsBlock.TimeRangeGiven == 0) {
    Check3->SetValue(0);
    Check4->SetValue(0);
  }
  if (rt::InStr(rt::LCase(st.PlotTitle), "sat") > 0) {
    Check3->SetValue(1);
    Check4->SetValue(1);
  }
  if (st.PenUpMode != 1) {
    forms::ToolbarButton& cubic = ToolBoptions->Button(2);
    cubic.SetValue(forms::kButtonPressed);
    ToolBoptions_ButtonClick(cubic);
  }
  Text4(4).SetText(rt::CStr(1.75));
  forms::ToolbarButton& iso = Toolbar1->Button(12);
  for (int i = 0; i < 7; ++i) Toolbar1_ButtonClick(iso);
  view::Shared().ShowLabels = 1;
}

void MainWindow::RunFirstLoad() { datastore::LoadExcelDataXls(); }

// --- layout -------------------------------------------------------------------------------

double MainWindow::ClientTop() const {
  const int menu = (menuWidget() && menuWidget()->isVisible()) ? menuWidget()->height() : 0;
  return forms::PixelsToTwips(Client()->mapTo(this, QPoint(0, 0)).y() - menu);
}

void MainWindow::Form_Resize() {
  if (ending_) return;
  const double t = Toolbar1->Height();
  const double s = StatusBar1->Height();
  const double h = std::max(1.0, rt::RoundHalfEven(ScaleHeight() - t - s));
  const double w = std::max(1.0, rt::RoundHalfEven(ScaleWidth()));
  // The controls stand in the area under the toolbars: positions there are measured from its top.
  const double top = ClientTop();
  if (glxCtl1) {
    const double k = glxCtl1->TwipsPerPixel();
    // At least one pixel each way, however small the window.
    const int pw = std::max(1, forms::TwipsToPixels(w)), ph = std::max(1, forms::TwipsToPixels(h));
    glxCtl1->Move(0, forms::TwipsToPixels(t - top) * k, pw * k, ph * k);
    glxCtl1->Redraw();
    glxCtl1->lower();
  }
  // The boxes stand on the view's bottom edge, inside the window (the status bar is not part of
  // the controls' area here), the prompt box and the demo button right above them.
  const double y = t + h - top - Combo1->Height();
  Combo1->SetTop(y);
  Text14->SetTop(y);
  Text21->SetTop(y);
  FitPromptBox();
  forms::DoEvents();
}

void MainWindow::FitPromptBox() {
  auto* box = qobject_cast<QPlainTextEdit*>(TextTempo->widget());
  if (!box) return;
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const QFontMetrics fm(box->font());
  const QString text = QString::fromStdString(TextTempo->Text());
  // The box's frame and document margins around the text.
  const int padW = 2 * (box->frameWidth() + int(std::ceil(box->document()->documentMargin()))) + 8;
  const int padH = 2 * (box->frameWidth() + int(std::ceil(box->document()->documentMargin()))) + 2;
  const int design = forms::TwipsToPixels(7000);
  const int w = std::min(std::max(design, Client()->width()), std::max(design, fm.horizontalAdvance(text) + padW));
  const QRect lines = fm.boundingRect(QRect(0, 0, w - padW, 100000), Qt::TextWordWrap, text);
  const int rows = std::max(1, (lines.height() + fm.lineSpacing() - 1) / fm.lineSpacing());
  const int h = std::max(forms::TwipsToPixels(315), rows * fm.lineSpacing() + padH);
  TextTempo->SetWidth(forms::PixelsToTwips(w));
  TextTempo->SetHeight(forms::PixelsToTwips(h));
  TextTempo->SetTop(Combo1->Top() - TextTempo->Height());
  Command6->SetTop(Combo1->Top() - TextTempo->Height() - Command6->Height());
}

// --- the PowerPoint panel -----------------------------------------------------------------

void MainWindow::Frame1_MouseMove(int /*Button*/, int /*Shift*/, double /*X*/, double /*Y*/) {
  Picture1(0).SetVisible(false);
}

// --- keys ---------------------------------------------------------------------------------

void MainWindow::Form_KeyDown(int& KeyCode, int Shift) {
  MainSharedValues& ms = MainShared();
  ms.LastKeyCode = KeyCode;
  ms.LastShift = Shift;
  // Letter shortcuts, and the caret keys' move to the view, act only outside the boxes where the
  // user types text: there the keys move the caret (the history box moves the focus itself).
  const bool typing = forms::FocusInTextEntry();
  if (!typing) {
    std::string key;
    commands_.toolbar.ToolbarCommand(key);
  }
  if (ms.LastKeyCode == forms::kKeyReturn && Options->Visible()) {
    ms.LastKeyCode = 0;
    Command2_Click();
    return;
  }
  if (typing) return;
  if (KeyCode == forms::kKeyPageUp || KeyCode == forms::kKeyPageDown ||
      (KeyCode >= forms::kKeyLeft && KeyCode <= forms::kKeyDown)) {
    if (glxCtl1) glxCtl1->SetFocus();
  }
  if (KeyCode == 73) {
    Check9->Tag = Shift != 0 ? "" : "REAL_ISO";
    rt::Try([&] { datastore::Store().GlView().CameraSet("ISONEW", 2, 0); });
  } else if (KeyCode == 84) {
    view::ViewShared& vs = view::Shared();
    vs.ShowLabels = rt::Int(1 - vs.ShowLabels);
    KeyCode = 0;
  }
}

void MainWindow::Form_KeyUp(int& /*KeyCode*/, int /*Shift*/) {
  MainShared().LastShift = 0;
  MainShared().LastKeyCode = 0;
}

// --- exit ---------------------------------------------------------------------------------

void MainWindow::Form_Unload(int& /*Cancel*/) {
  datastore::NotifyQuit();
  rt::End();
}

void MainWindow::Form_Terminate() { rt::End(); }


}  // namespace vantrel::ui
