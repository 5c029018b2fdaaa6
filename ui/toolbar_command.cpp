#include "ui/toolbar_command.h"

#include <QTimer>

#include <filesystem>
#include <system_error>

#include "datastore/state.h"
#include "platform/forms/qt/bars.h"
#include "platform/forms/qt/controls.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "ui/command_host.h"
#include "ui/main_shared.h"
#include "view/view_shared.h"

namespace vantrel::ui {

std::string ToolbarLayoutKey() {
  // The view object names the product when it is made; the key is the same before that.
  std::string product = view::Shared().ProductName;
  if (product.empty()) product = "Vantrel";
  return "User" + product + MainShared().UserName;
}

void ToolbarDispatcher::Toolbar1_ButtonClick(const forms::ToolbarButton& Button) {
  std::string key = rt::LCase(Button.Key());
  ToolbarCommand(key);
}

void ToolbarDispatcher::ToolbarCommand(std::string& key) {
  MainSharedValues& ms = MainShared();
  datastore::DataStore& st = datastore::Store();
  auto skip = [](auto&& f) { rt::Try(f); };
  auto edit = [&](long state) { skip([&] { host_.ViewSetEditState(state); }); };
  auto radio = [&](size_t entry) {
    ToolRadio.fill(0);
    ToolRadio[entry] = 1;
  };

  // 1-4. The first call of the run and the axis keys turn any key into the ISO command.
  double force = 0;
  if (ToolbarInitDone == 0) {
    ToolRadio.fill(0);
    ToolRadio[1] = 1;
    ToolbarInitDone = 1;
    VerticalAxis = 3;
    force = 1;
  }
  const int code = ms.LastKeyCode;
  if (code == 88 || code == 120) VerticalAxis = 1, force = 1;
  if (code == 89 || code == 121) VerticalAxis = 2, force = 1;
  if (code == 90 || code == 122) VerticalAxis = 3, force = 1;
  if (force == 1) key = "vanexxyz";

  // 5. Every call ends a pending reload request.
  st.SettingsBlock.ReloadRequest = 0;

  // 6. The first matching word runs.
  if (key == "select") {
    edit(1);
    radio(0);
  } else if (key == "zoom") {
    edit(6);
    radio(2);
  } else if (key == "zminus") {
    edit(13);
  } else if (key == "zplus") {
    edit(14);
  } else if (key == "dolly") {
    edit(7);
  } else if (key == "pan") {
    edit(8);
    radio(1);
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
      // First press: hold the animation at the current row and show it.
      edit(17);
      double t = -1;
      skip([&] { host_.ViewChangeCURRINDEXI(t, t); });
      skip([&] { host_.Text3Ref().SetText("Redraw Start" + rt::Format(t, " #0")); });
      FrozenStartArmed = 1;
    } else {
      // Second press: the redraw-start slider moves to the held row and the plot grows on.
      st.AnimState = 1;
      FrozenStartArmed = 0;
      skip([&] { host_.HScroll1_Change(); });
    }
  } else if (key == "stop") {
    edit(16);
    // The view control's tag tells whether its own rotation runs ("Animate") or not (empty);
    // the view's double-click shares it.
    std::string tag;
    bool known = rt::Try([&] { tag = host_.ViewControlTag(); }) == 0;
    if (known && tag.empty()) {
      skip([&] { host_.SetViewAnimationRunning(true); });
      skip([&] { host_.ViewAnimationUpdate(); });
      skip([&] { host_.SetViewControlTag("Animate"); });
    } else {
      skip([&] { host_.SetViewAnimationRunning(false); });
      skip([&] { host_.ViewAnimationUpdate(); });
      skip([&] { host_.SetViewControlTag(""); });
    }
  } else if (key == "vanexxyz") {
    if (ms.LastShift <= 0) {
      skip([&] { host_.ViewCameraSet("isonew", VerticalAxis, force); });
    } else {
      double a = 2, b = 0;
      skip([&] { host_.ViewCameraSet("isonewPlus", a, b); });
    }
  } else if (key == "vanexxy") {
    double a = 2, b = 0;
    skip([&] { host_.ViewCameraSet(ms.LastShift <= 0 ? "proj" : "projinverse", a, b); });
  } else if (key == "imagespot") {
    skip([&] { host_.mnuFSaveAs_Click(); });
  } else if (key == "movieframes") {
    const bool wasArmed = st.SettingsBlock.MovieArmed == 1.0;
    skip([&] { host_.mnuFMovieSaveAs_Click(); });
    st.SettingsBlock.MovieArmed = wasArmed ? 0 : 1.0;
  }

  // 7. The current mouse tool goes back to the view after every command.
  if (ToolRadio[0] == 1) edit(1);
  if (ToolRadio[1] == 1) edit(8);
  if (ToolRadio[2] == 1) edit(6);
}

void ToolbarDispatcher::SaveToolbarLayout() {
  // The bar's change events come while the window is still placing it: the arrangement is
  // read once the event has been handled, so that the new place is the one kept.
  rt::Try([&] {
    forms::Toolbar* bar = &host_.Toolbar1Ref();
    const std::string key = ToolbarLayoutKey();
    QTimer::singleShot(0, bar->widget(), [bar, key] {
      rt::Try([&] { bar->SaveToolbar(key, kToolbarLayoutSubkey, kToolbarLayoutValue); });
    });
  });
  SetImageDirectory();
}

bool ToolbarDispatcher::RestoreToolbarLayout() {
  bool restored = false;
  rt::Try([&] {
    restored = host_.Toolbar1Ref().RestoreToolbar(ToolbarLayoutKey(), kToolbarLayoutSubkey, kToolbarLayoutValue);
  });
  return restored;
}

void ToolbarDispatcher::SetImageDirectory() {
  datastore::DataStore& st = datastore::Store();
  forms::TextBox& box = host_.Text6Ref();
  if (box.Text().empty()) {
    // The program's folder may be read-only: the data files, images and frames go to the
    // user's data folder.
    st.WorkDir = view::DefaultWorkFolder();
    box.SetText(st.WorkDir);
  } else {
    st.WorkDir = box.Text();
  }
  rt::Try([&] { host_.Toolbar1Ref().Button("imagespot").SetToolTipText("Save Image " + st.WorkDir); });
}

}  // namespace vantrel::ui
