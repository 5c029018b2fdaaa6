#pragma once
// The base of every control of the forms layer: a Qt widget with the properties and events the
// program's code uses. Lengths are twips (twips.h), colours are packed blue x 65536 + green x 256
// + red (RGB()), key codes and shift bits are those of keys.h.
//
// Program writes to a control's value (Value, Text, ListIndex) run its change handler at once,
// inside the write, when they change the value, and nothing when they do not; the toolkit's own
// signals are blocked meanwhile, so a handler never runs twice for one write.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/event_guard.h"

class QKeyEvent;
class QMouseEvent;

namespace vantrel::forms {

using Handler = std::function<void()>;
using KeyHandler = std::function<void(int& keyCode, int shift)>;
using KeyAsciiHandler = std::function<void(int& keyAscii)>;
using MouseHandler = std::function<void(int button, int shift, double x, double y)>;
using CancelHandler = std::function<void(int& cancel)>;
class Control;
// Source (the control dragged), position in twips inside the control under the pointer, and
// for DragOver the state: 0 the pointer enters the control, 1 it leaves it, 2 it moves over it.
using DragOverHandler = std::function<void(Control& source, double x, double y, int state)>;
using DragDropHandler = std::function<void(Control& source, double x, double y)>;

// Runs a handler when one is set. The handler is copied first, so that it may replace itself.
// An event from the toolkit is guarded (event_guard.h); one raised by program code is not.
template <class F, class... A>
void Raise(const F& f, A&&... a) {
  if (f) {
    F copy = f;
    rt::GuardEvent("an event handler", [&] { copy(std::forward<A>(a)...); });
  }
}

// A colour as the program packs it: red + green x 256 + blue x 65536.
constexpr int32_t RGB(int r, int g, int b) { return r + g * 256 + b * 65536; }

inline constexpr double kKeep = std::numeric_limits<double>::quiet_NaN();

class Control : public QObject {
 public:
  // Takes the widget over: it goes when the control goes.
  Control(QWidget* widget, std::string name);
  ~Control() override;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // The widget; RtError 91 when it was destroyed under the control.
  QWidget* widget() const;
  const std::string& Name() const { return name_; }
  // Position in its control array, -1 outside one.
  int Index() const { return index_; }
  void SetIndex(int index) { index_ = index; }

  // Free text kept for the program (guards, states).
  std::string Tag;

  bool Visible() const;  // the control's own flag, whatever its container shows
  void SetVisible(bool on);
  bool Enabled() const;
  void SetEnabled(bool on);

  // Position in its container and size, in twips.
  double Left() const;
  double Top() const;
  double Width() const;
  double Height() const;
  void SetLeft(double twips) { Move(twips); }
  void SetTop(double twips) { Move(kKeep, twips); }
  void SetWidth(double twips) { Move(kKeep, kKeep, twips); }
  void SetHeight(double twips) { Move(kKeep, kKeep, kKeep, twips); }
  // kKeep (or NaN) leaves a value as it is. Negative sizes are taken as 0.
  void Move(double left, double top = kKeep, double width = kKeep, double height = kKeep);

  // 0 brings the control to the front of its container, 1 sends it to the back.
  void ZOrder(int position = 0);
  // Gives the keyboard focus to the control (nothing when it is hidden or disabled).
  void SetFocus();
  bool HasFocus() const;

  std::string ToolTipText() const;
  void SetToolTipText(const std::string& text);
  int32_t ForeColor() const { return foreColor_; }
  void SetForeColor(int32_t colour);
  int32_t BackColor() const { return backColor_; }
  void SetBackColor(int32_t colour);
  // 0 default, 1 arrow, 2 cross, 3 I-beam, 5 size all, 6 NE-SW, 7 N-S, 8 NW-SE, 9 W-E,
  // 10 up arrow, 11 hourglass, 12 no drop, 13 arrow and hourglass, 14 arrow and question,
  // 15 size all.
  int MousePointer() const { return mousePointer_; }
  void SetMousePointer(int pointer);

  // Events. Click runs on a click of the control (and, for boxes, on every change of the value).
  Handler Click, DblClick, GotFocus, LostFocus;
  // Runs when the focus is about to leave; setting cancel keeps it in the control.
  CancelHandler Validate;
  KeyHandler KeyDown, KeyUp;
  KeyAsciiHandler KeyPress;
  // Button bits 1/2/4, shift bits 1/2/4, position in twips inside the control.
  MouseHandler MouseDown, MouseMove, MouseUp;

  // Drag and drop. DragMode 1 (automatic): a left press on the control's own background (not on
  // a control inside it) that moves further than the system's drag distance drags the control;
  // the control under the pointer then gets DragOver while the pointer moves and DragDrop at the
  // release (no Click then). A press that does not move clicks as before. 0 (manual): no drag.
  int DragMode() const { return dragMode_; }
  void SetDragMode(int mode) { dragMode_ = mode; }
  // While this control is dragged: where the press grabbed it, in twips inside it.
  double DragGrabX() const { return grabX_; }
  double DragGrabY() const { return grabY_; }
  DragOverHandler DragOver;
  DragDropHandler DragDrop;

  // The control a widget belongs to (the widget itself or the nearest of its containers inside
  // the same window); null when none.
  static Control* Of(const QWidget* w);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Labels, frames and pictures raise Click from the mouse; buttons and boxes from their own signal.
  void SetClickFromMouse(bool on) { clickFromMouse_ = on; }
  // Also watch this child widget for mouse and focus events (inner parts of composite widgets).
  void Watch(QWidget* child);

 private:
  void Unregister(QWidget* w);
  // The drag of an automatic-drag control; true when the mouse event was taken by it.
  bool DragEvent(QWidget* from, QEvent* event);
  QPointer<QWidget> widget_;
  std::vector<QPointer<QWidget>> watched_;
  std::string name_;
  int index_ = -1;
  int32_t foreColor_ = 0;
  int32_t backColor_ = 0;
  int mousePointer_ = 0;
  bool clickFromMouse_ = false;
  int dragMode_ = 0;
  bool dragArmed_ = false, dragging_ = false;
  QPoint pressGlobal_;
  double grabX_ = 0, grabY_ = 0;
  QPointer<QWidget> dragTarget_;  // the widget of the control under the pointer, while dragging
};

// Qt to program translations, shared with the other widget layers.
int WindowsKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
int WindowsKeyCode(const QKeyEvent* event);
int ShiftBits(Qt::KeyboardModifiers modifiers);
int ButtonBits(Qt::MouseButtons buttons);
// Raises MouseDown, MouseMove or MouseUp for a press, move or release seen at `at` (pixels of
// the receiver): the button pressed or released (the buttons held, for a move), the shift keys
// and the point in twips. Each receiver has its own rule for the Click that may follow.
void RaiseMouseStep(const QMouseEvent& m, QPoint at, const MouseHandler& down, const MouseHandler& move,
                    const MouseHandler& up);
// A character re-sent after its key-down was kept from the control (key Qt::Key_unknown, the text
// only): widgets raise a key press for it, not a key-down.
bool IsCharacterOnly(const QKeyEvent* event);

}  // namespace vantrel::forms
