#include "platform/forms/msgbox.h"

namespace vantrel::forms {
namespace {

std::shared_ptr<MessageBoxService>& Slot() {
  static std::shared_ptr<MessageBoxService> s = std::make_shared<ScriptedMessageBoxes>();
  return s;
}

}  // namespace

MessageBoxService& MessageBoxes() { return *Slot(); }

void SetMessageBoxService(std::shared_ptr<MessageBoxService> service) {
  Slot() = service ? std::move(service) : std::make_shared<ScriptedMessageBoxes>();
}

int ScriptedMessageBoxes::Show(const std::string& text, int style, const std::string& title) {
  boxes_.push_back({text, style, title});
  if (whileOpen_) {
    auto f = whileOpen_;
    f();
  }
  if (next_ < answers_.size()) return answers_[next_++];
  return fallback_;
}

}  // namespace vantrel::forms
