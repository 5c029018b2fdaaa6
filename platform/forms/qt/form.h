#pragma once
// A form: a top-level window of the program with its controls (placed in Client()), a menu bar,
// toolbars and a status bar, and the events the program's forms handle.
//
// Activate runs when the form is shown and when it becomes the active window after another of
// the program's forms was active; never on a return from a message box or another program.
// With KeyPreview on, the form's KeyDown, KeyPress and KeyUp run for every key typed into any of
// its controls, before the control's own; a KeyDown that sets the code to 0 keeps the key-down
// from the control (its character still arrives), a KeyPress that sets it to 0 drops the
// character, and one that changes it types the new character instead.

#include <QMainWindow>

#include <string>

#include "platform/forms/qt/control.h"

class QEventLoop;

namespace vantrel::forms {

class Form : public QMainWindow {
 public:
  explicit Form(std::string name, QWidget* parent = nullptr);
  ~Form() override;

  const std::string& Name() const { return name_; }
  // The parent of the form's own controls (its central area).
  QWidget* Client() const { return client_; }
  // The form the widget belongs to, or null.
  static Form* Of(const QWidget* w);

  std::string Tag;
  bool KeyPreview = false;

  std::string Caption() const;
  void SetCaption(const std::string& caption);

  // Outer position and size on the screen, in twips.
  double Left() const;
  double Top() const;
  double Width() const;
  double Height() const;
  void Move(double left, double top = kKeep, double width = kKeep, double height = kKeep);
  void SetWidth(double twips) { Move(kKeep, kKeep, twips); }
  void SetHeight(double twips) { Move(kKeep, kKeep, kKeep, twips); }
  // The inner area below the menu bar, in twips (toolbars and status bar are inside it).
  double ScaleWidth() const;
  double ScaleHeight() const;

  bool Visible() const { return isVisible(); }
  // modal 1 waits until the form is hidden again; other forms take no input meanwhile.
  void Show(int modal = 0);
  void Hide();

  int MousePointer() const { return mousePointer_; }
  void SetMousePointer(int pointer);

  // Terminate runs once the window is closed for good (Unload did not cancel).
  Handler Activate, Deactivate, Resize, Terminate, Click, DblClick;
  KeyHandler KeyDown, KeyUp;
  KeyAsciiHandler KeyPress;
  MouseHandler MouseDown, MouseMove, MouseUp;
  // The window is being closed; setting cancel keeps it open.
  CancelHandler Unload;

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::string name_;
  QWidget* client_;
  QEventLoop* modalLoop_ = nullptr;
  int mousePointer_ = 0;
};

// One pass of the event loop: pending events, paints and timers run, then it returns.
void DoEvents();
// The screen's width and height in twips.
double ScreenWidth();
double ScreenHeight();
// Whether the keyboard focus is in a control where the user types text (text box, editable
// combo box, spin box); shortcut keys of the window leave such keys to it.
bool FocusInTextEntry();

}  // namespace vantrel::forms
