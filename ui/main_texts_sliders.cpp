// The status bar, the log box, the text boxes that keep shared values and single settings, and
// the sliders.

#include <cmath>

#include "datastore/state.h"
#include "numerics/mathas.h"
#include "numerics/valloc.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"
#include "ui/main_window.h"
#include "ui/single_settings.h"
#include "view/class_gl.h"

namespace vantrel::ui {
namespace {

void StoreUse(const std::string& key, const std::string& value) {
  rt::Try([&] { platform::SaveSetting(platform::kSettingsApp, "Use", key, value); });
}

}  // namespace

// --- status bar and log -------------------------------------------------------------------

// The log box, when shown, comes in front of the panels it shares the view with.
void MainWindow::StatusBar1_DblClick() { Text21_DblClick(); }
void MainWindow::Text21_DblClick() {
  Text20->SetVisible(!Text20->Visible());
  if (Text20->Visible()) Text20->ZOrder(0);
}
void MainWindow::Text20_DblClick() { Text20->SetVisible(false); }
void MainWindow::StatusBar1_PanelClick(int /*panel*/) { mnuFOptions_Click(); }

// --- text settings ------------------------------------------------------------------------

void MainWindow::Text4_Change(int Index) {
  datastore::SettingsRecord& sb = datastore::Store().SettingsBlock;
  auto follow = [&](int from, int to) {
    rt::Try([&] { Text4(to).SetText(Text4(from).Text()); });
    HScroll8->Tag = "busy";
    // A text that is no number, or one outside the slider's range, leaves the slider alone.
    rt::Try([&] {
      const std::string text = Text4(from).Text();
      if (text.find_first_of("0123456789") == std::string::npos) return;
      HScroll8->SetValue(rt::RoundHalfEven(numerics::ValLoc(text) * 1000));
    });
    HScroll8->Tag = "";
  };
  if (Index == 4) follow(4, 1);
  if (Index == 1) follow(1, 4);
  rt::Try([&] { sb.LinePlotThickness = numerics::ValLoc(Text4(0).Text()); });
  rt::Try([&] { sb.AxisLengthFactor = numerics::ValLoc(Text4(1).Text()); });
  rt::Try([&] { sb.AxisLineThickness = numerics::ValLoc(Text4(2).Text()); });
  rt::Try([&] { sb.LabelPositionFactor = numerics::ValLoc(Text4(3).Text()); });
}

void MainWindow::Text6_Change() { StoreUse("SetDirBMP", Text6->Text()); }

void MainWindow::Text7_Change() {
  datastore::Store().StringSettings.EarthTexture = Text7->Text();
  StoreUse(SingleSettingKey(kEarthTextureKey), Text7->Text());
}

void MainWindow::Text8_Change() {
  datastore::Store().StringSettings.MoonTexture = Text8->Text();
  StoreUse(SingleSettingKey(kMoonTextureKey), Text8->Text());
}

void MainWindow::Text7_Click() { Text7->ZOrder(0); }
void MainWindow::Text8_Click() { Text8->ZOrder(0); }

void MainWindow::Text9_Change() {
  if (Text9->Tag == "1") return;
  Text9->Tag = "1";
  std::string& keyword = datastore::Store().StringSettings.FormulaKeyWord;
  keyword = numerics::UTrim(Text9->Text());
  if (Text9->Text() != keyword) Text9->SetText(keyword);
  StoreUse(SingleSettingKey(kKeywordKey), keyword);
  Text9->SetSelStart(static_cast<int>(rt::Len(Text9->Text())));
  Text9->Tag = "";
}

void MainWindow::SaveSatelliteSize() {
  datastore::Store().SettingsBlock.SatelliteSize = HScroll3->Value();
  StoreUse(SingleSettingKey(kSatelliteSizeKey), rt::Format(HScroll3->Value(), "0"));
}

// --- sliders ------------------------------------------------------------------------------

void MainWindow::HScroll1_Change() {
  if (HScroll1->Tag == "update") return;
  datastore::DataStore& st = datastore::Store();
  if (SpeedResetArmed == 1) HScroll2->SetValue(0);
  SpeedResetArmed = 1;
  double v = HScroll1->Value();
  const double m = HScroll1->Max();
  if (v == 0) HScroll1->SetValue(1);
  if (!GlInstance) return;
  if (st.AnimState == 1) {
    double c = 0;
    GlInstance->ChangeCURRINDEXI(c, c);
    double previous = -1;
    GlInstance->ChangeCURRINDEXI(c, previous);
    // With one data row there is no fraction to show: the slider goes to its end.
    v = st.LastDataRow > 0 ? c / st.LastDataRow * m : m;
    HScroll1->Tag = "update";
    rt::Try([&] { HScroll1->SetValue(rt::RoundHalfEven(v)); });
    HScroll1->Tag = "";
  } else {
    double row = st.LastDataRow * v / m;
    double previous = -1;
    GlInstance->ChangeCURRINDEXI(row, previous);
  }
  Text3->SetText("Redraw " + rt::Format(v, " #0"));
}

void MainWindow::HScroll2_Change() {
  datastore::DataStore& st = datastore::Store();
  HScroll2->SetMin(0);
  st.STEPPT = std::pow(2.0, HScroll2->Value());
  Text2->SetText("Redraw speed" + rt::Format(st.STEPPT, " #0"));
}

void MainWindow::HScroll4_Change() {
  datastore::DataStore& st = datastore::Store();
  double v = HScroll4->Value();
  if (v == 0) HScroll4->SetValue(1);
  if (!GlInstance) return;
  if (st.AnimState == 1) {
    double f = 0;
    GlInstance->ChangeCURRINDEXMINI(f, f);
    double previous = -1;
    GlInstance->ChangeCURRINDEXMINI(f, previous);
    v = st.LastDataRow > 0 ? f / st.LastDataRow * 1000 : 1000;
  } else {
    double row = st.LastDataRow * v / 1000;
    double previous = -1;
    GlInstance->ChangeCURRINDEXMINI(row, previous);
  }
  Text10->SetText("Starting" + rt::Format(v, " #0"));
}

void MainWindow::HScroll3_Change() {
  HScroll10->Tag = "OptMaster";
  datastore::Store().SettingsBlock.SatelliteSize = HScroll3->Value();
  SaveSatelliteSize();
  Label1(12).SetCaption("Satellite size " + rt::Format(HScroll3->Value() + 1, "0"));
  rt::Try([&] { HScroll10->SetValue(HScroll3->Value()); });
  HScroll10->Tag = "";
}

void MainWindow::HScroll10_Change() {
  if (!HScroll10->Tag.empty()) return;
  HScroll3->SetValue(HScroll10->Value());
  Check3->SetValue(1);
}

void MainWindow::HScroll7_Change() {
  datastore::DataStore& st = datastore::Store();
  rt::Try([&] { st.SettingsBlock.LocalViewIndex = rt::CLng(HScroll7->Value() * double(st.LastDataRow) / 100); });
}

void MainWindow::HScroll8_Change() {
  if (!HScroll8->Tag.empty()) return;
  Text4(4).SetText(rt::CStr(HScroll8->Value() / 1000.0));
}

}  // namespace vantrel::ui
