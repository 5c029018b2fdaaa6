#include "ui/menus.h"

#include <QMenu>

#include "datastore/load_queue.h"
#include "datastore/state.h"
#include "datastore/watcher.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/qt/controls.h"
#include "platform/forms/qt/menu.h"
#include "platform/runtime/rterror.h"
#include "ui/command_host.h"
#include "ui/main_shared.h"

namespace vantrel::ui {

std::string AboutText(const std::string& versionDigits) {
  return "A live 3D view of trajectories and attitudes, from a worksheet or a data file." + std::string("\n\n") +
         "Release Vantrel: " + versionDigits;
}

void MenuCommands::mnuFOptions_Click() {
  forms::Frame& panel = host_.OptionsRef();
  panel.SetVisible(true);
  panel.ZOrder(0);
}

void MenuCommands::mnuFExit_Click() {
  try {
    host_.UnloadMainWindow();
  } catch (const rt::RtError& e) {
    const int n = e.number();
    if (n != rt::kErrFileNotFound && n != rt::kErrBadFile && n != rt::kErrInvalidCall)
      forms::MsgBox(e.description(), 16, "Error");
  }
}

void MenuCommands::mnuOinteractive_Click() {
  forms::CheckBox& box = host_.Check1Ref(7);
  box.SetValue(1 - box.Value());
}

// Without a view object or control (a failed start), the statements on them are passed over.
void MenuCommands::mnuVGrids_Click() {
  rt::Try([&] { host_.SetViewGrids(!host_.ViewGrids()); });
  rt::Try([&] { host_.mnuVGridsRef().SetChecked(host_.ViewGrids()); });
  rt::Try([&] { host_.ViewRedraw(); });
}

void MenuCommands::mnuVReset_Click() {
  rt::Try([&] { host_.ViewCameraLookAt(0, 0, 0, 0, 0, -1, 0, 1, 0); });
  rt::Try([&] { host_.ViewRedraw(); });
}

void MenuCommands::mnuHAbout_Click() { forms::MsgBox(AboutText(MainShared().VersionDigits), 64, kAboutTitle); }

void MenuCommands::mnuUpdateExcel_Click() {
  datastore::DataStore& st = datastore::Store();
  // 1. The interactive menu goes off.
  if (host_.mnuOptionsRef().Enabled()) {
    host_.mnuOptionsRef().SetEnabled(false);
    host_.mnuOinteractiveRef().SetEnabled(false);
  }
  if (!datastore::LoadRunning()) {
    // 2-7. The watcher reloads at once; the activation refreshes the lists and the view.
    st.SettingsBlock.ReloadRequest = 1.0;
    if (st.SettingsBlock.InteractiveOpt == 1.0) host_.Check1Ref(7).SetValue(0);
    st.CmdLineInfo.DataFileMode = 0;
    host_.Text14Ref().SetVisible(false);
    datastore::ExcelWatchXls();
    host_.Form_Activate();
    return;
  }
  // A load is running: the reload is queued behind it. What the reload needs is set right
  // before it starts, as the watcher would set it, so the running load is left as it is.
  if (st.SettingsBlock.InteractiveOpt == 1.0) host_.Check1Ref(7).SetValue(0);
  host_.Text14Ref().SetVisible(false);
  datastore::RequestLoad([] {
    datastore::DataStore& s = datastore::Store();
    s.SettingsBlock.ReloadRequest = 1.0;
    s.CmdLineInfo.DataFileMode = 0;
    s.SceneFitDone = 0;
    s.DataFitted = 0;
    s.SourceMode = 0;
    s.EventsGiven = 0;
  });
}

}  // namespace vantrel::ui
