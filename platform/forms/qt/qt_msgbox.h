#pragma once
#include "platform/forms/msgbox.h"

class QWidget;

namespace vantrel::forms {

// Message boxes on QMessageBox, parented to the given window (may be null).
class QtMessageBoxes : public MessageBoxService {
 public:
  explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
  int Show(const std::string& text, int style, const std::string& title) override;
  void SetParent(QWidget* parent) { parent_ = parent; }

 private:
  QWidget* parent_;
};

}  // namespace vantrel::forms
