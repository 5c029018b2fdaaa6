#include "platform/forms/qt/menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>

#include "platform/forms/qt/internal.h"
#include "platform/runtime/rterror.h"

namespace vantrel::forms {

using detail::Q;
using detail::S;

Menu::Menu(QMenuBar* bar, std::string name, const std::string& caption, bool hasItems) : name_(std::move(name)) {
  if (hasItems) {
    menu_ = bar->addMenu(Q(caption));
    action_ = menu_->menuAction();
  } else {
    action_ = bar->addAction(Q(caption));
  }
  Wire();
}

Menu::Menu(Menu& parent, std::string name, const std::string& caption, bool hasItems) : name_(std::move(name)) {
  if (!parent.menu_) throw rt::RtError(rt::kErrInvalidCall);
  if (hasItems) {
    menu_ = parent.menu_->addMenu(Q(caption));
    action_ = menu_->menuAction();
  } else if (caption == "-") {
    action_ = parent.menu_->addSeparator();
  } else {
    action_ = parent.menu_->addAction(Q(caption));
  }
  Wire();
}

Menu::~Menu() {
  if (menu_) delete menu_.data();
  else if (action_) delete action_.data();
}

QAction* Menu::Act() const {
  if (!action_) throw rt::RtError(rt::kErrNoObject);
  return action_.data();
}

void Menu::Wire() {
  Act()->setObjectName(Q(name_));
  QObject::connect(Act(), &QAction::triggered, this, [this] {
    // The toolkit toggles a checkable item itself; the mark is the program's to set.
    if (Act()->isCheckable()) {
      QSignalBlocker b(Act());
      Act()->setChecked(checked_);
    }
    Raise(Click);
  });
}

std::string Menu::Caption() const { return S(Act()->text()); }
void Menu::SetCaption(const std::string& caption) { Act()->setText(Q(caption)); }

void Menu::SetChecked(bool on) {
  checked_ = on;
  QSignalBlocker b(Act());
  // Only a ticked item shows a mark, as an unticked one shows nothing.
  Act()->setCheckable(on);
  Act()->setChecked(on);
}

bool Menu::Enabled() const { return Act()->isEnabled(); }
void Menu::SetEnabled(bool on) { Act()->setEnabled(on); }
bool Menu::Visible() const { return Act()->isVisible(); }
void Menu::SetVisible(bool on) { Act()->setVisible(on); }
bool Menu::IsSeparator() const { return Act()->isSeparator(); }

}  // namespace vantrel::forms
