#pragma once
// The option toolbar ToolBoptions: check buttons that set the options panel's boxes and sliders
// (whose own handlers do the work), the Moon's amplification, the local view at the current
// point, the options panel itself and the pen-up drawing.

namespace vantrel::forms {
class ToolbarButton;
}

namespace vantrel::ui {

class CommandHost;

class OptionToolbar {
 public:
  explicit OptionToolbar(CommandHost& host) : host_(host) {}

  // ToolBoptions_ButtonClick: one branch by the button's key in lower case, with its state
  // after the click (pressed or up). A key that matches none does nothing.
  void ToolBoptions_ButtonClick(forms::ToolbarButton& Button);

 private:
  CommandHost& host_;
};

}  // namespace vantrel::ui
