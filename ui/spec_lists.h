#pragma once
// The two lists of the main window: Combo1, the recent specification formulas, where the user
// may type or pick one when the worksheet holds none; Combo2, the seven shapes of the
// spacecraft model with their shape parameters.

#include <array>
#include <string>

namespace vantrel::ui {

class CommandHost;

struct SatShape {
  const char* name;
  std::array<double, 5> param;  // SatShapeParam1 to SatShapeParam5
};

// SatShapeTable, in list order (the index is SatShapeIndex).
inline constexpr std::array<SatShape, 7> kSatShapeTable{{
    {"GEO satcom", {2, 2, 0, 0, 1}},
    {"LEO Spot", {1.5, 1, -1, 0, 0}},
    {"Launcher", {10, 0, 0, 0, -1}},
    {"CubeSat", {1, 0, 0, 0, 1}},
    {"CubeSat3U", {3, 0, 0, 0, 1}},
    {"Smart1", {1, 2, 0, 0, 1}},
    {"CubeSat3U5", {3, 1, 0, 0, 1}},
}};

// The shape parameters the spacecraft model draws with (kept in the view's shared values).
std::array<double, 5> ShapeParams();
void SetShapeParams(const std::array<double, 5>& p);


class SpecLists {
 public:
  explicit SpecLists(CommandHost& host) : host_(host) {}

  // Fills Combo1 with the stored specifications, newest first, free slots skipped; count is
  // the number of entries. The box's own text stays.
  void Combo1_InitList(double& count);
  // Also Combo1_GotFocusRoutine, which the loader runs when it asks for a specification.
  void Combo1_GotFocus();
  void Combo1_LostFocus();
  // Combo1_DblClick, Combo1_KeyPress with 13 and Combo1_Validate: the box's text, empty or not,
  // becomes the typed specification.
  void Combo1_DblClick();
  void Combo1_KeyPress(int& KeyAscii);
  void Combo1_Validate(int& Cancel);
  // Page Up, Page Down and the arrows move the focus to the view; the others stay.
  void Combo1_KeyDown(int& KeyCode, int Shift);

  // Fills Combo2 with the seven shapes and selects SatShapeIndex (a stored index outside the
  // table selects the first shape).
  void Combo2_InitList(double arg);
  // Combo2_Change and Combo2_Click: a text equal to one of the names (case and blanks count)
  // sets SatShapeIndex and the five parameters; any other text changes nothing.
  void Combo2_Change();
  void Combo2_Click() { Combo2_Change(); }

 private:
  void ApplyTypedSpec();
  CommandHost& host_;
};

}  // namespace vantrel::ui
