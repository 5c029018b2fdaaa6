#pragma once
// Menus of a form's menu bar: items with a caption ("&" marks the access key, "-" makes a
// separator), Checked, Enabled, Visible and a Click event. Program writes raise no click.

#include <QObject>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/qt/control.h"

class QAction;
class QMenu;
class QMenuBar;

namespace vantrel::forms {

class Menu : public QObject {
 public:
  // A top-level menu (with items under it) or command of the bar.
  Menu(QMenuBar* bar, std::string name, const std::string& caption, bool hasItems = true);
  // An item, or a submenu when hasItems, under the menu `parent`.
  Menu(Menu& parent, std::string name, const std::string& caption, bool hasItems = false);
  ~Menu() override;
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  const std::string& Name() const { return name_; }
  std::string Tag;

  std::string Caption() const;
  void SetCaption(const std::string& caption);
  bool Checked() const { return checked_; }
  void SetChecked(bool on);
  bool Enabled() const;
  void SetEnabled(bool on);
  bool Visible() const;
  void SetVisible(bool on);
  bool IsSeparator() const;

  QAction* action() const { return action_; }
  QMenu* menu() const { return menu_; }

  Handler Click;
  // Runs Click as a choice of the user would.
  void PerformClick() { Raise(Click); }

 private:
  void Wire();
  QAction* Act() const;
  std::string name_;
  QPointer<QMenu> menu_;
  QPointer<QAction> action_;
  bool checked_ = false;
};

}  // namespace vantrel::forms
