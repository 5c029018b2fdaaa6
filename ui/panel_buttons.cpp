#include "ui/panel_buttons.h"

#include <QClipboard>
#include <QGuiApplication>

#include "datastore/settings_persist.h"
#include "datastore/state.h"
#include "numerics/mth.h"
#include "platform/forms/qt/bars.h"
#include "platform/forms/qt/controls.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"
#include "ui/command_host.h"

namespace vantrel::ui {

void ClipboardSetText(const std::string& text) {
  QClipboard* board = QGuiApplication::clipboard();
  if (!board) throw rt::RtError(rt::kErrNoObject);
  board->clear();
  board->setText(QString::fromStdString(text));
}

void PanelButtons::Command1_Click() {
  host_.Options_Click();
  double noneStored = 0;
  datastore::UseSettingsW(1, noneStored);
  platform::SaveSetting(platform::kSettingsApp, "Use", "SetDirBMP", host_.Text6Ref().Text());
  datastore::Store().SettingsBlock.SceneInitDone = 0;
}

void PanelButtons::Command2_Click() {
  forms::CommandButton& close = host_.Command2Ref();
  if (close.Tag != "ToolBoptions") {
    host_.Options_Click();
    forms::Frame& panel = host_.OptionsRef();
    panel.ZOrder(1);
    datastore::Store().SettingsBlock.SceneInitDone = 0;
    panel.SetVisible(false);
    return;
  }
  // Opened from the option toolbar: its button goes up, and its handler closes the panel.
  forms::ToolbarButton& button = host_.ToolBoptionsRef().Button(9);
  button.SetValue(forms::kButtonUp);
  host_.ToolBoptions_ButtonClick(button);
  close.Tag = "";
}

void PanelButtons::Command2_MouseMove(int, int, double, double) { host_.Command2_Click(); }

void PanelButtons::Command3_Click() {
  datastore::DataStore& st = datastore::Store();
  st.SettingsBlock = st.FactorySettingsBlock;
  datastore::SettingsTableW(1);
  host_.OptionAffecteUser();
  host_.Text6Ref().SetText("");
  host_.Text9Ref().SetText("MAX");
}

void PanelButtons::Command4_Click() { ClipboardSetText(host_.Text1Ref().Text()); }

void PanelButtons::Command5_Click() {
  forms::Frame& panel = host_.Frame1Ref();
  panel.ZOrder(1);
  panel.SetVisible(false);
}

void PanelButtons::Command6_Click() { host_.Command6Ref().Tag = "demo"; }

void PanelButtons::SetLocalViewIndex() {
  // The slider is a percentage of the data rows.
  datastore::DataStore& st = datastore::Store();
  rt::Try([&] {
    const double row = numerics::VMax(0.0, host_.HScroll7Ref().Value() * static_cast<double>(st.LastDataRow) / 100);
    st.SettingsBlock.LocalViewIndex = rt::CLng(row);
  });
}

void PanelButtons::Command7_Click() {
  datastore::DataStore& st = datastore::Store();
  auto skip = [](auto&& f) { rt::Try(f); };
  forms::CommandButton& button = host_.Command7Ref();
  if (!button.Tag.empty()) {
    st.SettingsBlock.NedViewOn = 0;
    button.Tag = "";
    skip([&] { host_.Check9Ref().SetValue(rt::RoundHalfEven(SavedCubicView)); });
  } else {
    st.SettingsBlock.NedViewOn = 1.0;
    button.Tag = "NED";
    skip([&] { SavedCubicView = host_.Check9Ref().Value(); });
    skip([&] { host_.Check9Ref().SetValue(2); });
  }
  SetLocalViewIndex();
}

void PanelButtons::Command7_KeyPress(int& /*KeyAscii*/) {
  forms::CommandButton& button = host_.Command7Ref();
  if (button.Tag == "NED") {
    datastore::Store().SettingsBlock.LocalViewIndex = -1;
    button.Tag = "NEDfree";
  } else if (button.Tag == "NEDfree") {
    SetLocalViewIndex();
    button.Tag = "NED";
  }
}

void PanelButtons::Command8_Click() {
  forms::Toolbar& bar = host_.ToolBoptionsRef();
  for (int i = 1; i <= bar.ButtonCount(); ++i) (void)bar.Button(i).Image();
}

void PanelButtons::Command9_Click() {
  forms::Toolbar& bar = host_.Toolbar1Ref();
  for (int i = 1; i <= bar.ButtonCount(); ++i) (void)bar.Button(i).Image();
}

}  // namespace vantrel::ui
