#include "command_fixture.h"
#include "datastore/recent_specs.h"

namespace vantrel::ui::test {
namespace {

using SpecListsTest = CommandsTest;

std::vector<std::string> Items(const forms::ComboBox& box) {
  std::vector<std::string> out;
  for (int i = 0; i < box.ListCount(); ++i) out.push_back(box.List(i));
  return out;
}

TEST_F(SpecListsTest, RecentListSkipsFreeSlotsNewestFirst) {
  platform::SaveSetting(platform::kSettingsApp, "Use", datastore::RecentSpecKey(0), "=MAX(A2:C60)");
  platform::SaveSetting(platform::kSettingsApp, "Use", datastore::RecentSpecKey(1), "=MAX(B2:D9)");
  platform::SaveSetting(platform::kSettingsApp, "Use", datastore::RecentSpecKey(5), "=MAX(X1:Z3)");
  w->Combo1->SetText("typed");
  w->Combo1->AddItem("stale");
  double count = -1;
  w->lists.Combo1_InitList(count);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(Items(*w->Combo1), (std::vector<std::string>{"=MAX(A2:C60)", "=MAX(B2:D9)", "=MAX(X1:Z3)"}));
  EXPECT_EQ(w->Combo1->Text(), "typed");
  EXPECT_EQ(w->log, (std::vector<std::string>{"DoEvents"}));
}

TEST_F(SpecListsTest, EnterOnAnEmptyBoxHandsOverAnEmptySpecification) {
  st().UserSpecText = "old";
  int enter = 13;
  w->lists.Combo1_KeyPress(enter);
  EXPECT_EQ(st().UserSpecText, "");
  EXPECT_EQ(st().UserSpecGiven, 1);

  st().UserSpecGiven = 0;
  int other = 65;
  w->Combo1->SetText("=MAX(A1:C9)");
  w->lists.Combo1_KeyPress(other);
  EXPECT_EQ(st().UserSpecGiven, 0);
  int cancel = 0;
  w->lists.Combo1_Validate(cancel);
  EXPECT_EQ(st().UserSpecText, "=MAX(A1:C9)");
  EXPECT_EQ(st().UserSpecGiven, 1);
  EXPECT_EQ(cancel, 0);
  w->Combo1->SetText(" =MAX(B1:B2) ");
  w->lists.Combo1_DblClick();
  EXPECT_EQ(st().UserSpecText, " =MAX(B1:B2) ");  // unchanged, blanks included
}

TEST_F(SpecListsTest, PageAndArrowKeysMoveTheFocusToTheView) {
  for (int code : {33, 34, 37, 38, 39, 40, 35, 36, 65, 13}) {
    int k = code;
    w->lists.Combo1_KeyDown(k, 0);
  }
  EXPECT_EQ(w->viewFocus, 6);
}

TEST_F(SpecListsTest, FocusWidensAndColoursTheBox) {
  platform::SaveSetting(platform::kSettingsApp, "Use", datastore::RecentSpecKey(0), "=MAX(A2:C60)");
  w->Combo1->SetWidth(390);
  w->lists.Combo1_GotFocus();
  EXPECT_EQ(w->Combo1->ListCount(), 1);
  EXPECT_NEAR(w->Combo1->Width(), w->ProgressBar1->Width(), 15);
  EXPECT_EQ(w->Combo1->BackColor(), forms::RGB(128, 0, 255));
  w->lists.Combo1_LostFocus();
  EXPECT_EQ(w->Combo1->BackColor(), forms::RGB(192, 255, 255));
}

TEST_F(SpecListsTest, ShapeNamesSetTheIndexAndParametersExactly) {
  struct Case {
    const char* text;
    double index;
    std::array<double, 5> param;
  };
  const Case cases[] = {
      {"GEO satcom", 0, {2, 2, 0, 0, 1}}, {"LEO Spot", 1, {1.5, 1, -1, 0, 0}}, {"Launcher", 2, {10, 0, 0, 0, -1}},
      {"CubeSat", 3, {1, 0, 0, 0, 1}},    {"CubeSat3U", 4, {3, 0, 0, 0, 1}},   {"Smart1", 5, {1, 2, 0, 0, 1}},
      {"CubeSat3U5", 6, {3, 1, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    st().SettingsBlock.SatShapeIndex = 99;
    w->Combo2->SetText("-");
    SetShapeParams(std::array<double, 5>{7, 7, 7, 7, 7});
    w->Combo2->SetText(c.text);  // the change handler applies it
    EXPECT_EQ(st().SettingsBlock.SatShapeIndex, c.index);
    EXPECT_EQ(ShapeParams(), c.param);
  }
  // Another case or a blank: nothing changes.
  for (const char* text : {"cubesat", "CubeSat ", "GEO  satcom", ""}) {
    SCOPED_TRACE(text);
    w->Combo2->SetText("-");
    st().SettingsBlock.SatShapeIndex = 3;
    SetShapeParams(std::array<double, 5>{7, 7, 7, 7, 7});
    w->Combo2->SetText(text);
    EXPECT_EQ(st().SettingsBlock.SatShapeIndex, 3);
    EXPECT_EQ(ShapeParams(), (std::array<double, 5>{7, 7, 7, 7, 7}));
  }
}

TEST_F(SpecListsTest, ShapeListSelectsTheStoredIndex) {
  struct Case {
    double stored;
    int selected;
  };
  // 2.5 rounds half to even; an index outside the table (an edited store) selects the first.
  for (const Case& c : {Case{3, 3}, Case{2.5, 2}, Case{6, 6}, Case{7, 0}, Case{-1, 0}}) {
    SCOPED_TRACE(c.stored);
    st().SettingsBlock.SatShapeIndex = c.stored;
    SetShapeParams(std::array<double, 5>{});
    w->lists.Combo2_InitList(0);
    EXPECT_EQ(w->Combo2->ListCount(), 7);
    EXPECT_EQ(w->Combo2->ListIndex(), c.selected);
    EXPECT_EQ(w->Combo2->Text(), kSatShapeTable[static_cast<size_t>(c.selected)].name);
    EXPECT_EQ(st().SettingsBlock.SatShapeIndex, c.selected);
    EXPECT_EQ(ShapeParams(), kSatShapeTable[static_cast<size_t>(c.selected)].param);
  }
}

}  // namespace
}  // namespace vantrel::ui::test
