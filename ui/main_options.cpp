// The options panel: transfer between its controls and the live option record, and the
// handlers of its check boxes.

#include <cmath>

#include "datastore/settings_persist.h"
#include "datastore/state.h"
#include "numerics/valloc.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"
#include "ui/main_shared.h"
#include "ui/main_window.h"
#include "ui/single_settings.h"
#include "view/view_shared.h"

namespace vantrel::ui {
namespace {

using datastore::SettingsEntryValue;

// A check box written from a stored number: rounded, and brought into 0..2 (an edited store
// may hold anything; the box refuses other values).
void SetBox(forms::CheckBox& box, double v) {
  double r = rt::RoundHalfEven(v);
  if (!(r >= 0)) r = 0;
  if (r > 2) r = 2;
  box.SetValue(r);
}

void SetSlider(forms::ScrollBar& bar, double v) {
  double r = rt::RoundHalfEven(v);
  if (!(r >= bar.Min())) r = bar.Min();
  if (r > bar.Max()) r = bar.Max();
  bar.SetValue(r);
}

void StoreUse(const std::string& key, const std::string& value) {
  rt::Try([&] { platform::SaveSetting(platform::kSettingsApp, "Use", key, value); });
}

}  // namespace

// --- transfer -----------------------------------------------------------------------------

void MainWindow::Options_Click() {
  datastore::SettingsRecord& sb = datastore::Store().SettingsBlock;
  using namespace datastore;
  for (int i = 0; i < kOptionCheckFields; ++i) SetSettingsField(sb, kFirstOptionCheckField + i, Check1(i).Value());
  for (int i = 0; i < kLineNumberFields; ++i)
    SetSettingsField(sb, kFirstLineNumberField + i, numerics::ValLoc(Text4(i).Text()));
  std::array<double, kColourFields> colours{};
  for (int i = 0; i < kColourFields; ++i) {
    const double v = ClampColour(numerics::ValLoc(Text5(i).Text()));
    Text5(i).SetText(rt::CStr(v));
    colours[static_cast<size_t>(i)] = v;
  }
  for (int i = 0; i < kColourFields; ++i) SetSettingsField(sb, kFirstColourField + i, colours[static_cast<size_t>(i)]);
  sb.MoonFactor = Check1(8).Value() * 9 + 1;
  sb.InteractiveOpt = Check1(7).Value();
  sb.SatelliteSize = HScroll3->Value();
  sb.OptSatellite = Check3->Value();
  sb.OptSolarPanel = Check4->Value();
  sb.SunRayLength = Check1(9).Value();
  sb.EarthMoonOpt = Check1(10).Value();
  sb.OptCubicView = Check9->Value();
  if (Check9->Value() == 1) ToolBoptions->Button(2).SetValue(forms::kButtonPressed);
  if (Check9->Value() == 0) ToolBoptions->Button(2).SetValue(forms::kButtonUp);
  if (Check1(7).Value() == 1) mnuOinteractive->SetChecked(true);
  if (Check1(7).Value() == 0) mnuOinteractive->SetChecked(false);
}

void MainWindow::OptionAffecteUser() {
  const auto& arr = datastore::Store().SettingsArr;
  double s = 0;
  for (const auto& e : arr) s += SettingsEntryValue(e);
  if (s != 0) {
    using namespace datastore;
    auto entry = [&](int j) { return SettingsEntryValue(arr[static_cast<size_t>(j)]); };
    for (int j = 0; j < kOptionCheckFields; ++j) SetBox(Check1(j), entry(kFirstOptionCheckField + j));
    for (int j = 0; j < kLineNumberFields; ++j) Text4(j).SetText(rt::CStr(entry(kFirstLineNumberField + j)));
    for (int j = 0; j < kColourFields; ++j) Text5(j).SetText(rt::CStr(entry(kFirstColourField + j)));
    SetBox(Check1(8), rt::Int((entry(29) - 1) / 9 + 0.5));
    SetBox(Check1(7), entry(30));
    SetSlider(*HScroll3, entry(31));
    SetBox(*Check3, entry(32));
    SetBox(*Check4, entry(33));
    SetBox(Check1(9), entry(34));
    SetBox(Check1(10), entry(35));
  }
  if (Check1(7).Value() == 1) mnuOinteractive->SetChecked(true);
  if (Check1(7).Value() == 0) mnuOinteractive->SetChecked(false);
}

// The panel follows a drag of its background: the point where it was grabbed stays under the
// pointer. Other controls dragged over it leave it where it is.
void MainWindow::Options_DragOver(forms::Control& Source, double X, double Y, int /*State*/) {
  if (&Source != Options.get()) return;
  Options->SetTop(Options->Top() + Y - Source.DragGrabY());
  Options->SetLeft(Options->Left() + X - Source.DragGrabX());
}

void MainWindow::Options_DragDrop(forms::Control& /*Source*/, double /*X*/, double /*Y*/) {}

// --- check boxes --------------------------------------------------------------------------

void MainWindow::Check1_Click(int Index) {
  datastore::SettingsRecord& sb = datastore::Store().SettingsBlock;
  Options_Click();
  if (Check1(0).Value() == 1) {
    sb.MoonFactor = 1.0;
  } else if (Index == 7) {
    sb.InteractiveOpt = Check1(7).Value();
    if (sb.InteractiveOpt == 1) {
      mnuOinteractive->SetChecked(true);
      mnuOinteractive->SetEnabled(true);
      mnuOptions->SetEnabled(true);
    } else if (sb.InteractiveOpt == 0) {
      mnuOinteractive->SetChecked(false);
    }
  }
  if (Index == 9) {
    if (Check1(9).Value() == 1) {
      sb.SunRayLength = 1.0;
    } else {
      SunRayStep += 2;
      sb.SunRayLength = SunRayStep;
    }
    if (sb.SunRayLength > 3.0) {
      sb.SunRayLength = 0.01;
      SunRayStep = 0.01;
    }
  }
}

void MainWindow::Check2_Click() {
  // Every statement that fails is passed over.
  const double W = forms::ScreenWidth();
  rt::Try([&] {
    if (OptionsFrameWidth == 0) OptionsFrameWidth = Options->Width();
  });
  double F = 9695, M = 11210;
  if (W < 11210) {
    M = W;
    F = W - 1450;
  }
  if (Check2->Value() == 1) {
    rt::Try([&] { SavedFormWidth = Width(); });
    rt::Try([&] { Options->SetWidth(F); });
    for (int i = 0; i < datastore::kColourFields; ++i) rt::Try([&] { Text5(i).SetVisible(true); });
    rt::Try([&] {
      if (SavedFormWidth < 10215) SetWidth(M);
    });
    rt::Try([&] { Text9->SetVisible(true); });
  } else {
    rt::Try([&] { Options->SetWidth(OptionsFrameWidth); });
    rt::Try([&] { SetWidth(SavedFormWidth); });
    rt::Try([&] {
      if (SavedFormWidth < 5685) SetWidth(6060);
    });
    for (int i = 0; i < datastore::kColourFields; ++i) rt::Try([&] { Text5(i).SetVisible(false); });
    rt::Try([&] { Text9->SetVisible(false); });
  }
}

void MainWindow::Check3_Click() {
  datastore::DataStore& st = datastore::Store();
  st.SettingsBlock.OptSatellite = Check3->Value();
  StoreUse(SingleSettingKey(kSatelliteKey), rt::CStr(Check3->Value()));
  const bool S = Check3->Value() == 1;
  Label1(12).SetVisible(S);
  HScroll3->SetVisible(S);
  Check4->SetVisible(S);
  Check6->SetVisible(S);
  view::Shared().SatAxisOpt = Check6->Value();
  if (st.ScaleFactor != 0 && S && st.SettingsBlock.NedViewOn != 1.0) {
    double v = 10 * std::pow(std::fabs((1 / st.ScaleFactor) / 3 / 80 * 6400 - 1), 1 / 1.5);
    if (v > HScroll3->Max()) v = HScroll3->Max();
    HScroll3->SetValue(rt::RoundHalfEven(v));
  }
  if (st.ScaleFactor != 0 && S && st.SettingsBlock.NedViewOn == 1.0) HScroll3->SetValue(0);
  if (Check3->Value() == 0) {
    HScroll10->SetVisible(false);
    Text18->SetVisible(false);
  } else if (Check3->Value() == 1) {
    HScroll10->SetVisible(true);
    Text18->SetVisible(true);
  }
}

void MainWindow::Check4_Click() {
  datastore::Store().SettingsBlock.OptSolarPanel = Check4->Value();
  StoreUse(SingleSettingKey(kSolarPanelKey), rt::CStr(Check4->Value()));
}

void MainWindow::Check6_Click() { view::Shared().SatAxisOpt = Check6->Value(); }

void MainWindow::Check7_Click() {
  for (int i = 15; i <= 17; ++i) {
    std::string& saved = SavedBackground[static_cast<size_t>(i - 15)];
    if (Check7->Value() == 1) {
      saved = Text5(i).Text();
      Text5(i).SetText("255");
    } else {
      Text5(i).SetText(saved);
    }
  }
}

void MainWindow::Check8_Click() {
  if (Check8->Value() == 1) {
    Text13->SetVisible(true);
    return;
  }
  std::string s = Text13->Text();
  for (const char* sep : {"{", "}", ";", ","}) s = rt::Replace(s, sep, " ");
  s = rt::Replace(s, "\r", "");
  s = rt::Replace(s, "\n", "");
  s = rt::Trim(s);
  std::vector<double> numbers;
  int64_t p = 0;
  do {
    p = rt::InStr(s, " ");
    const std::string token = p == 0 ? s : rt::Left(s, p);
    // The number at the start of the token, with "." as its point whatever the locale.
    double v = 0;
    rt::Try([&] { v = rt::Val(token); });
    numbers.push_back(v);
    s = p == 0 ? std::string() : rt::Trim(rt::Mid(s, p + 1));
  } while (p != 0);
  const double n = static_cast<double>(numbers.size());
  const double k = rt::RoundHalfEven(n / 6);
  if (6 * k != n) {
    forms::MsgBox(" Wrong data count. Number of thruster =" + rt::CStr(k) + "  but number data = " + rt::CStr(n) +
                      "  which should be 6n=" + rt::CStr(6 * k),
                  16, "Error");
    return;
  }
  // The table holds 25 thrusters; a longer list is refused rather than overrun the table.
  if (k > 25) {
    forms::MsgBox(" Too many thrusters: " + rt::CStr(k) + " given, at most 25.", 16, "Error");
    return;
  }
  ThrusterTable[0][0] = k;
  size_t next = 0;
  for (int j = 1; j <= static_cast<int>(k); ++j)
    for (int c = 1; c <= 3; ++c) ThrusterTable[static_cast<size_t>(j)][static_cast<size_t>(c)] = numbers[next++];
  Text13->SetVisible(false);
}

void MainWindow::Check9_Click() {
  const int v = Check9->Value();
  datastore::Store().SettingsBlock.OptCubicView = v;
  Text4(4).SetVisible(v > 0);
  Label1(1).SetCaption(v > 0 ? "Length Axis Factor/Cubic" : "Length Axis Factor");
  if (v == 0) {
    HScroll8->SetVisible(false);
    Text16->SetVisible(false);
  } else if (v == 1) {
    HScroll8->SetVisible(true);
    Text16->SetVisible(true);
  }
}

void MainWindow::Check10_Click() { datastore::Store().SettingsBlock.OptEarthSizeKm = Check10->Value(); }

}  // namespace vantrel::ui
