#include "platform/forms/qt/control.h"
#include "platform/forms/qt/cursors.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>

#include <unordered_map>

#include "platform/forms/keys.h"
#include "platform/forms/qt/fonts.h"
#include "platform/forms/qt/internal.h"
#include "platform/forms/twips.h"
#include "platform/runtime/rterror.h"

namespace vantrel::forms {
namespace {

std::unordered_map<const QWidget*, Control*>& Registry() {
  static std::unordered_map<const QWidget*, Control*> r;
  return r;
}

// The control whose cancelled Validate is bringing the focus back, while it does.
Control*& Bounce() {
  static Control* c = nullptr;
  return c;
}

}  // namespace

namespace detail {
void InvalidPropertyValue() { throw rt::RtError(380, "Invalid property value"); }

bool CameFromInnerControl(const QWidget* receiver, QPoint pos) {
  for (const QWidget* c = receiver->childAt(pos); c && c != receiver; c = c->parentWidget())
    if (Registry().count(c)) return true;
  return false;
}
}  // namespace detail

Control::Control(QWidget* widget, std::string name) : widget_(widget), name_(std::move(name)) {
  detail::EnsureKeyRouter();
  widget->setObjectName(detail::Q(name_));
  widget->setMouseTracking(true);
  widget->installEventFilter(this);
  Registry()[widget] = this;
  Unregister(widget);
  watched_.push_back(widget);
  foreColor_ = detail::FromQColor(widget->palette().color(QPalette::WindowText));
  backColor_ = detail::FromQColor(widget->palette().color(QPalette::Window));
}

Control::~Control() {
  if (Bounce() == this) Bounce() = nullptr;
  // No event of the dying widget reaches the program's handlers.
  for (const QPointer<QWidget>& w : watched_) {
    if (!w) continue;
    w->removeEventFilter(this);
    QObject::disconnect(w, nullptr, this, nullptr);
  }
  for (auto it = Registry().begin(); it != Registry().end();) {
    if (it->second == this) it = Registry().erase(it);
    else ++it;
  }
  delete widget_.data();
}

QWidget* Control::widget() const {
  if (!widget_) throw rt::RtError(rt::kErrNoObject);
  return widget_.data();
}

void Control::Watch(QWidget* child) {
  if (!child) return;
  child->setMouseTracking(true);
  child->installEventFilter(this);
  Registry()[child] = this;
  Unregister(child);
  watched_.push_back(child);
}

// A widget destroyed under the control (with its container) leaves the registry at once, so a
// later widget at the same address is not taken for it.
void Control::Unregister(QWidget* w) {
  QObject::connect(w, &QObject::destroyed, this, [w] { Registry().erase(w); });
}

Control* Control::Of(const QWidget* w) {
  for (; w; w = w->parentWidget()) {
    auto it = Registry().find(w);
    if (it != Registry().end()) return it->second;
    if (w->isWindow()) break;
  }
  return nullptr;
}

bool Control::Visible() const { return !widget()->isHidden(); }
void Control::SetVisible(bool on) { widget()->setVisible(on); }
bool Control::Enabled() const { return !widget()->testAttribute(Qt::WA_ForceDisabled); }
void Control::SetEnabled(bool on) { widget()->setEnabled(on); }

double Control::Left() const { return PixelsToTwips(widget()->x()); }
double Control::Top() const { return PixelsToTwips(widget()->y()); }
double Control::Width() const { return PixelsToTwips(widget()->width()); }
double Control::Height() const { return PixelsToTwips(widget()->height()); }

void Control::Move(double left, double top, double width, double height) {
  QWidget* w = widget();
  QRect g = w->geometry();
  int x = std::isnan(left) ? g.x() : TwipsToPixels(left);
  int y = std::isnan(top) ? g.y() : TwipsToPixels(top);
  int wd = std::isnan(width) ? g.width() : std::max(0, TwipsToPixels(width));
  int ht = std::isnan(height) ? g.height() : std::max(0, TwipsToPixels(height));
  w->setGeometry(x, y, wd, ht);
  FitCaption(w);
}

void Control::ZOrder(int position) {
  if (position == 0) widget()->raise();
  else widget()->lower();
}

void Control::SetFocus() {
  QWidget* w = widget();
  if (w->isHidden() || !w->isEnabled()) return;
  w->setFocus(Qt::OtherFocusReason);
}

bool Control::HasFocus() const {
  const QWidget* f = QApplication::focusWidget();
  return f && Of(f) == this;
}

std::string Control::ToolTipText() const { return detail::S(widget()->toolTip()); }
void Control::SetToolTipText(const std::string& text) { widget()->setToolTip(detail::Q(text)); }

void Control::SetForeColor(int32_t colour) {
  foreColor_ = colour;
  QWidget* w = widget();
  QPalette p = w->palette();
  QColor c = detail::ToQColor(colour);
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) p.setColor(role, c);
  w->setPalette(p);
}

void Control::SetBackColor(int32_t colour) {
  backColor_ = colour;
  QWidget* w = widget();
  QPalette p = w->palette();
  QColor c = detail::ToQColor(colour);
  for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) p.setColor(role, c);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

void Control::SetMousePointer(int pointer) {
  mousePointer_ = pointer;
  if (pointer == 0) widget()->unsetCursor();
  else widget()->setCursor(QCursor(StandardCursor(pointer)));
}

namespace {

// The widget under a screen position: inside the dragged control's own window, its child there
// (without asking the window system, which would also count other programs' windows); else the
// window system's answer.
QWidget* WidgetUnder(const QWidget* dragged, QPoint global) {
  QWidget* top = dragged->window();
  const QPoint local = top->mapFromGlobal(global);
  if (top->rect().contains(local)) return top->childAt(local);
  return QApplication::widgetAt(global);
}

}  // namespace

bool Control::DragEvent(QWidget* from, QEvent* event) {
  auto* m = static_cast<QMouseEvent*>(event);
  const QPoint global = m->globalPosition().toPoint();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      dragArmed_ = m->button() == Qt::LeftButton && !detail::CameFromInnerControl(from, m->position().toPoint());
      dragging_ = false;
      pressGlobal_ = global;
      return false;
    case QEvent::MouseMove: {
      if (!dragArmed_ || !(m->buttons() & Qt::LeftButton)) return false;
      if (!dragging_) {
        if ((global - pressGlobal_).manhattanLength() < QApplication::startDragDistance()) return false;
        dragging_ = true;
        const QPoint grab = widget_->mapFromGlobal(pressGlobal_);
        grabX_ = PixelsToTwips(grab.x());
        grabY_ = PixelsToTwips(grab.y());
      }
      Control* target = Of(WidgetUnder(widget_, global));
      QWidget* targetWidget = target ? target->widget_.data() : nullptr;
      if (dragTarget_ && dragTarget_ != targetWidget) {
        if (Control* left = Of(dragTarget_)) {
          const QPoint p = dragTarget_->mapFromGlobal(global);
          Raise(left->DragOver, *this, PixelsToTwips(p.x()), PixelsToTwips(p.y()), 1);
        }
      }
      const int state = dragTarget_ == targetWidget ? 2 : 0;
      dragTarget_ = targetWidget;
      if (target && targetWidget) {
        const QPoint p = targetWidget->mapFromGlobal(global);
        Raise(target->DragOver, *this, PixelsToTwips(p.x()), PixelsToTwips(p.y()), state);
      }
      return true;
    }
    case QEvent::MouseButtonRelease: {
      const bool was = dragging_;
      dragArmed_ = dragging_ = false;
      dragTarget_ = nullptr;
      if (!was) return false;
      if (Control* target = Of(WidgetUnder(widget_, global))) {
        const QPoint p = target->widget_->mapFromGlobal(global);
        Raise(target->DragDrop, *this, PixelsToTwips(p.x()), PixelsToTwips(p.y()));
      }
      return true;
    }
    default: return false;
  }
}

void RaiseMouseStep(const QMouseEvent& m, QPoint at, const MouseHandler& down, const MouseHandler& move,
                    const MouseHandler& up) {
  const double x = PixelsToTwips(at.x()), y = PixelsToTwips(at.y());
  const int shift = ShiftBits(m.modifiers());
  if (m.type() == QEvent::MouseButtonPress) Raise(down, ButtonBits(m.button()), shift, x, y);
  else if (m.type() == QEvent::MouseMove) Raise(move, ButtonBits(m.buttons()), shift, x, y);
  else Raise(up, ButtonBits(m.button()), shift, x, y);
}

bool Control::eventFilter(QObject* watched, QEvent* event) {
  const auto type = event->type();
  if (dragMode_ == 1 && watched == widget_ &&
      (type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease) &&
      DragEvent(widget_, event))
    return true;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(event);
      auto* from = static_cast<QWidget*>(watched);
      if (detail::CameFromInnerControl(from, m->position().toPoint())) break;
      QPoint p = from->mapTo(widget_->window(), m->position().toPoint());
      p = widget_->mapFrom(widget_->window(), p);
      RaiseMouseStep(*m, p, MouseDown, MouseMove, MouseUp);
      // A click: the left button let go over the control, for a control that takes its Click
      // from the mouse.
      if (event->type() == QEvent::MouseButtonRelease && clickFromMouse_ && m->button() == Qt::LeftButton && widget_ &&
          widget_->rect().contains(p))
        Raise(Click);
      break;
    }
    case QEvent::MouseButtonDblClick:
      if (!detail::CameFromInnerControl(static_cast<QWidget*>(watched),
                                        static_cast<QMouseEvent*>(event)->position().toPoint()))
        Raise(DblClick);
      break;
    case QEvent::FocusIn: {
      auto r = static_cast<QFocusEvent*>(event)->reason();
      if (r == Qt::PopupFocusReason || r == Qt::ActiveWindowFocusReason) break;
      // While a cancelled Validate brings the focus back, no control gains or loses it.
      if (Bounce()) {
        if (Bounce() == this) Bounce() = nullptr;
        break;
      }
      Raise(GotFocus);
      break;
    }
    case QEvent::FocusOut: {
      auto r = static_cast<QFocusEvent*>(event)->reason();
      if (r == Qt::PopupFocusReason || r == Qt::ActiveWindowFocusReason || Bounce()) break;
      // A focus move inside the same control (its inner parts) is no loss of focus.
      const QWidget* next = QApplication::focusWidget();
      if (next && Of(next) == this) break;
      int cancel = 0;
      Raise(Validate, cancel);
      if (cancel) {
        Bounce() = this;
        QPointer<QWidget> w = widget_;
        QMetaObject::invokeMethod(
            this,
            [this, w] {
              if (w) w->setFocus(Qt::OtherFocusReason);
              if (!w || w->hasFocus()) Bounce() = nullptr;
            },
            Qt::QueuedConnection);
        break;
      }
      Raise(LostFocus);
      break;
    }
    default: break;
  }
  return false;
}

// --- translations ------------------------------------------------------------------------

int ShiftBits(Qt::KeyboardModifiers m) {
  int s = 0;
  if (m & Qt::ShiftModifier) s |= kShiftMask;
  if (m & Qt::ControlModifier) s |= kCtrlMask;
  if (m & Qt::AltModifier) s |= kAltMask;
  return s;
}

int ButtonBits(Qt::MouseButtons b) {
  int r = 0;
  if (b & Qt::LeftButton) r |= kLeftButton;
  if (b & Qt::RightButton) r |= kRightButton;
  if (b & Qt::MiddleButton) r |= kMiddleButton;
  return r;
}

int WindowsKeyCode(int key, Qt::KeyboardModifiers m) {
  const bool keypad = m & Qt::KeypadModifier;
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return kKeyA + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return (keypad ? kKeyNumpad0 : kKey0) + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return kKeyF1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return kKeyBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return kKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return kKeyReturn;
    case Qt::Key_Shift: return kKeyShift;
    case Qt::Key_Control: return kKeyControl;
    case Qt::Key_Alt: return kKeyMenu;
    case Qt::Key_Pause: return kKeyPause;
    case Qt::Key_CapsLock: return kKeyCapital;
    case Qt::Key_Escape: return kKeyEscape;
    case Qt::Key_Space: return kKeySpace;
    case Qt::Key_PageUp: return kKeyPageUp;
    case Qt::Key_PageDown: return kKeyPageDown;
    case Qt::Key_End: return kKeyEnd;
    case Qt::Key_Home: return kKeyHome;
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_Insert: return kKeyInsert;
    case Qt::Key_Delete: return kKeyDelete;
    case Qt::Key_NumLock: return kKeyNumLock;
    case Qt::Key_ScrollLock: return kKeyScroll;
    case Qt::Key_Asterisk: return keypad ? kKeyMultiply : kKey0 + 8;
    case Qt::Key_Plus: return keypad ? kKeyAdd : kKeyOemPlus;
    case Qt::Key_Minus: return keypad ? kKeySubtract : kKeyOemMinus;
    case Qt::Key_Period: return keypad ? kKeyDecimal : kKeyOemPeriod;
    case Qt::Key_Slash: return keypad ? kKeyDivide : kKeyOem2;
    case Qt::Key_Comma: return kKeyOemComma;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return kKeyOem1;
    case Qt::Key_Equal: return kKeyOemPlus;
    case Qt::Key_Underscore: return kKeyOemMinus;
    case Qt::Key_Less: return kKeyOemComma;
    case Qt::Key_Greater: return kKeyOemPeriod;
    case Qt::Key_Question: return kKeyOem2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return kKeyOem3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return kKeyOem4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return kKeyOem5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return kKeyOem6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return kKeyOem7;
    // Shifted digits of a US keyboard give their digit key.
    case Qt::Key_Exclam: return kKey0 + 1;
    case Qt::Key_At: return kKey0 + 2;
    case Qt::Key_NumberSign: return kKey0 + 3;
    case Qt::Key_Dollar: return kKey0 + 4;
    case Qt::Key_Percent: return kKey0 + 5;
    case Qt::Key_AsciiCircum: return kKey0 + 6;
    case Qt::Key_Ampersand: return kKey0 + 7;
    case Qt::Key_ParenLeft: return kKey0 + 9;
    case Qt::Key_ParenRight: return kKey0;
    default: return 0;
  }
}

int WindowsKeyCode(const QKeyEvent* e) { return WindowsKeyCode(e->key(), e->modifiers()); }

bool IsCharacterOnly(const QKeyEvent* e) { return e->key() == Qt::Key_unknown && !e->text().isEmpty(); }

}  // namespace vantrel::forms
