#include "ui/option_toolbar.h"

#include "datastore/state.h"
#include "numerics/valloc.h"
#include "platform/forms/qt/bars.h"
#include "platform/forms/qt/controls.h"
#include "platform/runtime/vb.h"
#include "ui/command_host.h"
#include "view/view_shared.h"

namespace vantrel::ui {

void OptionToolbar::ToolBoptions_ButtonClick(forms::ToolbarButton& Button) {
  const std::string key = rt::LCase(Button.Key());
  const bool pressed = Button.Value() == forms::kButtonPressed;
  const int state = pressed ? 1 : 0;
  datastore::DataStore& st = datastore::Store();

  if (key == "optsat") {
    host_.Check3Ref().SetValue(state);
    host_.HScroll10Ref().SetVisible(pressed);
    host_.Text18Ref().SetVisible(pressed);
  } else if (key == "optcub") {
    host_.Check9Ref().SetValue(state);
    host_.HScroll8Ref().SetVisible(pressed);
    host_.Text16Ref().SetVisible(pressed);
  } else if (key == "optearth") {
    host_.Check1Ref(0).SetValue(state);
  } else if (key == "optmoon") {
    view::Shared().OptMoonState = pressed ? 0 : 1;
  } else if (key == "optopt") {
    if (pressed) {
      host_.Command2Ref().Tag = "ToolBoptions";
      host_.mnuFOptions_Click();
    } else {
      host_.Command2Ref().Tag = "";
      host_.Command2_Click();
    }
  } else if (key == "optw") {
    // The local frame at the current point: the redraw starts again from the first row, the
    // local view is switched and made to follow the current point. The state is not read.
    host_.HScroll1Ref().SetValue(0);
    host_.DoEvents();
    host_.Command7_Click();
    host_.DoEvents();
    int w = 87;
    host_.Command7_KeyPress(w);
    host_.DoEvents();
  } else if (key == "optpenup") {
    st.PenUpMode = 1 - st.PenUpMode;
    // The width is taken from its box each time, a tenth of it in pen-up mode, so that a
    // transfer of the panel between two clicks cannot leave it ten times too thick.
    int flag = -1;
    const double box = numerics::ValLocV(host_.Text4Ref(0).Text(), flag);
    st.SettingsBlock.LinePlotThickness = st.PenUpMode == 1 ? box / 10 : box;
  }
}

}  // namespace vantrel::ui
