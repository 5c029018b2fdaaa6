#include "platform/forms/activation.h"

#include <algorithm>

namespace vantrel::forms {

ActivationTracker::Step ActivationTracker::Activated(const void* form) {
  if (!form || form == active_) return {};
  Step s{active_, form};
  active_ = form;
  recent_.erase(std::remove(recent_.begin(), recent_.end(), form), recent_.end());
  recent_.push_back(form);
  return s;
}

ActivationTracker::Step ActivationTracker::Hidden(const void* form, const std::function<bool(const void*)>& visible) {
  if (!form || form != active_) return {};
  for (auto it = recent_.rbegin(); it != recent_.rend(); ++it) {
    if (*it != form && visible && visible(*it)) {
      const void* next = *it;
      active_ = nullptr;
      Step s = Activated(next);
      s.deactivated = form;
      return s;
    }
  }
  active_ = nullptr;
  return {form, nullptr};
}

void ActivationTracker::Forget(const void* form) {
  recent_.erase(std::remove(recent_.begin(), recent_.end(), form), recent_.end());
  if (active_ == form) active_ = nullptr;
}

}  // namespace vantrel::forms
