#pragma once
// Which of the program's forms is active, and when a form's Activate and Deactivate run.
// A form activates when it is shown or the window system makes it the active window while
// another of the program's forms was the active one. Windows that are not forms (message
// boxes, the toolkit's own dialogs) are never reported, so coming back from one of them, or
// from another program, runs nothing.

#include <functional>
#include <vector>

namespace vantrel::forms {

class ActivationTracker {
 public:
  struct Step {
    const void* deactivated = nullptr;  // the form whose Deactivate runs, or null
    const void* activated = nullptr;    // the form whose Activate runs, or null
  };

  // The form was shown or became the active window.
  Step Activated(const void* form);
  // The form was hidden: when it was the active one, the most recently active form that is
  // still visible takes over (as the window system gives the activation back to it).
  Step Hidden(const void* form, const std::function<bool(const void*)>& visible);
  // The form is gone.
  void Forget(const void* form);

  const void* Active() const { return active_; }

 private:
  const void* active_ = nullptr;
  std::vector<const void*> recent_;  // most recently active last
};

}  // namespace vantrel::forms
