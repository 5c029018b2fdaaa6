#pragma once
// Test doubles of the main window and the view: they keep the controls' state, record every
// call in order, and run a change handler that a test registers when a program write changes a
// value (as the real controls do). Header only; used by tests.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "datastore/services.h"

namespace vantrel::datastore {

class FakeMainWindow : public MainWindowServices {
 public:
  // Every call, in order, as "Name(args)"; reads of values are not recorded.
  std::vector<std::string> calls;

  // Control state.
  std::string text9 = "MAX";
  std::string text20, text21, text14, textTempo;
  bool text14Visible = false, textTempoVisible = false;
  bool progressVisible = false;
  std::vector<float> progressValues;  // every value written to ProgressBar1
  bool command6Visible = false;
  std::string command6Tag;
  std::string combo2;
  int hscroll2 = 0, hscroll3 = 0, hscroll3Max = 100;
  struct Box {
    int value = 0;
    std::string tag;
    bool visible = true;
  };
  std::map<CheckBox, Box> checks;

  // Change handlers run by program writes that change a value: keys "HScroll2", "HScroll3",
  // "Combo2", and "Check1_0", "Check3", "Check4", "Check5", "Check9", "Check11".
  std::map<std::string, std::function<void()>> handlers;
  // Bodies of the public procedures (after the call is recorded).
  std::function<void()> onCommand2Click, onFormResize, onOptionsClick, onOptionAffecteUser, onDoEvents,
      onCombo1GotFocus;

  static const char* Name(CheckBox b) {
    switch (b) {
      case CheckBox::Check1_0: return "Check1_0";
      case CheckBox::Check3: return "Check3";
      case CheckBox::Check4: return "Check4";
      case CheckBox::Check5: return "Check5";
      case CheckBox::Check9: return "Check9";
      case CheckBox::Check11: return "Check11";
    }
    return "?";
  }

  // Number of recorded calls that start with `prefix`.
  int Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& c : calls) n += c.compare(0, prefix.size(), prefix) == 0;
    return n;
  }

  std::string Text9Text() override { return text9; }
  std::string Text20Text() override { return text20; }
  void SetText20Text(const std::string& t) override { text20 = t; }
  void SetText21Text(const std::string& t) override {
    Rec("Text21.Text=" + t);
    text21 = t;
  }
  void SetText14Text(const std::string& t) override {
    Rec("Text14.Text=" + t);
    text14 = t;
  }
  void SetText14Visible(bool v) override {
    Rec(Vis("Text14", v));
    text14Visible = v;
  }
  void SetTextTempoText(const std::string& t) override {
    Rec("TextTempo.Text=" + t);
    textTempo = t;
  }
  void SetTextTempoVisible(bool v) override {
    Rec(Vis("TextTempo", v));
    textTempoVisible = v;
  }
  void SetProgressBar1Visible(bool v) override {
    Rec(Vis("ProgressBar1", v));
    progressVisible = v;
  }
  void ProgressBar1SetFocus() override { Rec("ProgressBar1.SetFocus"); }
  void SetProgressBar1Value(float v) override { progressValues.push_back(v); }
  void SetCommand6Visible(bool v) override {
    Rec(Vis("Command6", v));
    command6Visible = v;
  }
  void Command6SetFocus() override { Rec("Command6.SetFocus"); }
  std::string Command6Tag() override { return command6Tag; }
  void SetCommand6Tag(const std::string& t) override {
    Rec("Command6.Tag=" + t);
    command6Tag = t;
  }
  void Combo1SetFocus() override { Rec("Combo1.SetFocus"); }
  void Combo1_GotFocusRoutine() override {
    Rec("Combo1_GotFocusRoutine");
    Run(onCombo1GotFocus);
  }
  std::string Combo2Text() override { return combo2; }
  void SetCombo2Text(const std::string& t) override {
    Rec("Combo2.Text=" + t);
    Change(combo2, t, "Combo2");
  }
  int HScroll2Value() override { return hscroll2; }
  void SetHScroll2Value(int v) override {
    Rec("HScroll2.Value=" + std::to_string(v));
    Change(hscroll2, v, "HScroll2");
  }
  int HScroll3Max() override { return hscroll3Max; }
  int HScroll3Value() override { return hscroll3; }
  void SetHScroll3Value(int v) override {
    Rec("HScroll3.Value=" + std::to_string(v));
    Change(hscroll3, v, "HScroll3");
  }
  int CheckValue(CheckBox b) override { return checks[b].value; }
  void SetCheckValue(CheckBox b, int v) override {
    Rec(std::string(Name(b)) + ".Value=" + std::to_string(v));
    Change(checks[b].value, v, Name(b));
  }
  std::string CheckTag(CheckBox b) override { return checks[b].tag; }
  void SetCheckTag(CheckBox b, const std::string& t) override {
    Rec(std::string(Name(b)) + ".Tag=" + t);
    checks[b].tag = t;
  }
  void SetCheckVisible(CheckBox b, bool v) override {
    Rec(Vis(Name(b), v));
    checks[b].visible = v;
  }
  void Command2_Click() override {
    Rec("Command2_Click");
    Run(onCommand2Click);
  }
  void Form_Resize() override {
    Rec("Form_Resize");
    Run(onFormResize);
  }
  void Options_Click() override {
    Rec("Options_Click");
    Run(onOptionsClick);
  }
  void OptionAffecteUser() override {
    Rec("OptionAffecteUser");
    Run(onOptionAffecteUser);
  }
  void DoEvents() override {
    Rec("DoEvents");
    Run(onDoEvents);
  }

 private:
  void Rec(std::string s) { calls.push_back(std::move(s)); }
  static std::string Vis(const std::string& name, bool v) { return name + (v ? ".Visible=1" : ".Visible=0"); }
  static void Run(const std::function<void()>& f) {
    if (f) f();
  }
  template <class T>
  void Change(T& cell, const T& v, const std::string& name) {
    if (cell == v) return;
    cell = v;
    auto it = handlers.find(name);
    if (it != handlers.end() && it->second) it->second();
  }
};

class FakeView : public ViewServices {
 public:
  struct Call {
    std::string mode;
    double a, b;
  };
  std::vector<Call> cameraSets;
  std::function<void(const Call&)> onCameraSet;
  void CameraSet(const std::string& mode, double a, double b) override {
    cameraSets.push_back({mode, a, b});
    if (onCameraSet) onCameraSet(cameraSets.back());
  }
};

}  // namespace vantrel::datastore
