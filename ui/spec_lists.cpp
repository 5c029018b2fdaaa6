#include "ui/spec_lists.h"

#include "datastore/recent_specs.h"
#include "datastore/state.h"
#include "platform/forms/qt/controls.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "ui/command_host.h"
#include "ui/main_shared.h"
#include "view/view_shared.h"

namespace vantrel::ui {

void SpecLists::Combo1_InitList(double& count) {
  count = 0;
  forms::ComboBox& box = host_.Combo1Ref();
  box.Clear();
  for (const std::string& spec : datastore::RecentSpecs()) {
    if (spec.empty()) continue;
    box.AddItem(spec);
    count += 1;
  }
  host_.DoEvents();
}

void SpecLists::Combo1_GotFocus() {
  double count = 0;
  Combo1_InitList(count);
  forms::ComboBox& box = host_.Combo1Ref();
  box.SetWidth(host_.ProgressBar1Ref().Width());
  box.SetBackColor(forms::RGB(128, 0, 255));
}

void SpecLists::Combo1_LostFocus() { host_.Combo1Ref().SetBackColor(forms::RGB(192, 255, 255)); }

void SpecLists::ApplyTypedSpec() {
  datastore::DataStore& st = datastore::Store();
  st.UserSpecText = host_.Combo1Ref().Text();
  st.UserSpecGiven = 1;
}

void SpecLists::Combo1_DblClick() { ApplyTypedSpec(); }

void SpecLists::Combo1_KeyPress(int& KeyAscii) {
  if (KeyAscii == 13) ApplyTypedSpec();
}

void SpecLists::Combo1_Validate(int& /*Cancel*/) { ApplyTypedSpec(); }

void SpecLists::Combo1_KeyDown(int& KeyCode, int /*Shift*/) {
  if (KeyCode == 33 || KeyCode == 34 || (KeyCode >= 37 && KeyCode <= 40)) rt::Try([&] { host_.ViewSetFocus(); });
}

void SpecLists::Combo2_InitList(double /*arg*/) {
  forms::ComboBox& box = host_.Combo2Ref();
  box.Clear();
  for (const SatShape& s : kSatShapeTable) box.AddItem(s.name);
  double index = rt::RoundHalfEven(datastore::Store().SettingsBlock.SatShapeIndex);
  if (!(index >= 0 && index < static_cast<double>(kSatShapeTable.size()))) index = 0;
  const int i = static_cast<int>(index);
  // Selecting the entry applies it; an entry already selected is applied again, since the list
  // was just refilled.
  if (box.ListIndex() == i) Combo2_Change();
  else box.SetListIndex(i);
}

std::array<double, 5> ShapeParams() {
  const view::ViewShared& vs = view::Shared();
  return {vs.SatShapeParam1, vs.SatShapeParam2, vs.SatShapeParam3, vs.SatShapeParam4, vs.SatShapeParam5};
}

void SetShapeParams(const std::array<double, 5>& p) {
  view::ViewShared& vs = view::Shared();
  vs.SatShapeParam1 = p[0], vs.SatShapeParam2 = p[1], vs.SatShapeParam3 = p[2];
  vs.SatShapeParam4 = p[3], vs.SatShapeParam5 = p[4];
}

void SpecLists::Combo2_Change() {
  const std::string text = host_.Combo2Ref().Text();
  for (size_t i = 0; i < kSatShapeTable.size(); ++i) {
    if (text != kSatShapeTable[i].name) continue;
    SetShapeParams(kSatShapeTable[i].param);
    datastore::Store().SettingsBlock.SatShapeIndex = static_cast<double>(i);
    return;
  }
}

}  // namespace vantrel::ui
