#include "platform/forms/qt/form.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTextEdit>

#include <unordered_map>

#include "platform/forms/activation.h"
#include "platform/forms/qt/internal.h"
#include "platform/forms/twips.h"

namespace vantrel::forms {

using detail::Q;
using detail::S;

namespace {

std::unordered_map<const QWidget*, Form*>& Forms() {
  static std::unordered_map<const QWidget*, Form*> f;
  return f;
}

ActivationTracker& Tracker() {
  static ActivationTracker t;
  return t;
}

void Apply(ActivationTracker::Step s) {
  if (s.deactivated) {
    auto* f = static_cast<Form*>(const_cast<void*>(s.deactivated));
    Raise(f->Deactivate);
  }
  if (s.activated) {
    auto* f = static_cast<Form*>(const_cast<void*>(s.activated));
    Raise(f->Activate);
  }
}

bool IsTextEntry(const QWidget* w) {
  if (!w) return false;
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return !e->isReadOnly();
  if (auto* e = qobject_cast<const QPlainTextEdit*>(w)) return !e->isReadOnly();
  if (auto* e = qobject_cast<const QTextEdit*>(w)) return !e->isReadOnly();
  if (auto* c = qobject_cast<const QComboBox*>(w)) return c->isEditable();
  if (qobject_cast<const QAbstractSpinBox*>(w)) return true;
  return false;
}

// Routes every key event of the application through the forms' key preview and the controls'
// key events before the widget with the focus gets it.
class KeyRouter : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto t = event->type();
    if (t != QEvent::KeyPress && t != QEvent::KeyRelease) return false;
    if (resending_ || !watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    // Only the first receiver: the widget with the focus, or the window when none has it.
    QWidget* focus = QApplication::focusWidget();
    if (focus ? w != focus : !w->isWindow()) return false;
    auto* e = static_cast<QKeyEvent*>(event);
    Form* form = Form::Of(w);
    Control* control = Control::Of(w);
    bool formSees = form && (form->KeyPreview || w == form);
    if (t == QEvent::KeyRelease) return Release(e, form, formSees, control);
    return Press(w, e, form, formSees, control);
  }

 private:
  bool Release(QKeyEvent* e, Form* form, bool formSees, Control* control) {
    if (e->isAutoRepeat() || IsCharacterOnly(e)) return false;
    int code = WindowsKeyCode(e), shift = ShiftBits(e->modifiers());
    if (formSees) Raise(form->KeyUp, code, shift);
    if (code == 0) return true;
    if (control) Raise(control->KeyUp, code, shift);
    return code == 0;
  }

  bool Press(QWidget* w, QKeyEvent* e, Form* form, bool formSees, Control* control) {
    bool downKept = false;
    if (!IsCharacterOnly(e)) {
      int code = WindowsKeyCode(e), shift = ShiftBits(e->modifiers());
      // Keys without a code of their own (dead keys, media keys) still reach the handlers as 0
      // would mean "kept": they pass untouched instead.
      if (code != 0) {
        QPointer<QWidget> alive = w;
        if (formSees) Raise(form->KeyDown, code, shift);
        if (code != 0 && control && alive) Raise(control->KeyDown, code, shift);
        if (!alive) return true;
        downKept = code == 0;
      }
    }
    QString text = e->text();
    QString typed = text;
    if (!text.isEmpty()) {
      uint ascii = text.toUcs4().value(0);
      int a = static_cast<int>(ascii);
      QPointer<QWidget> alive = w;
      if (formSees) Raise(form->KeyPress, a);
      if (a != 0 && control && alive) Raise(control->KeyPress, a);
      if (!alive) return true;
      if (a == 0) {
        typed.clear();
      } else if (static_cast<uint>(a) != ascii) {
        char32_t c = static_cast<char32_t>(a);
        typed = QString::fromUcs4(&c, 1);
      }
    }
    if (!downKept && typed == text) return false;
    if (downKept && typed.isEmpty()) return true;
    // Deliver what is left: the character alone, or the key with its new character.
    QKeyEvent copy(QEvent::KeyPress, downKept ? int(Qt::Key_unknown) : e->key(), e->modifiers(), typed,
                   e->isAutoRepeat(), static_cast<ushort>(e->count()));
    resending_ = true;
    QCoreApplication::sendEvent(w, &copy);
    resending_ = false;
    return true;
  }

  bool resending_ = false;
};

}  // namespace

namespace detail {
void EnsureKeyRouter() {
  // Goes with the application object; a later one gets its own.
  static QPointer<KeyRouter> router;
  if (router || !qApp) return;
  router = new KeyRouter;
  router->setParent(qApp);
  qApp->installEventFilter(router);
}
}  // namespace detail

Form::Form(std::string name, QWidget* parent) : QMainWindow(parent), name_(std::move(name)) {
  detail::EnsureKeyRouter();
  setObjectName(Q(name_));
  if (parent) setWindowFlag(Qt::Window, true);
  client_ = new QWidget(this);
  client_->setObjectName(Q(name_ + ".Client"));
  client_->setMouseTracking(true);
  client_->installEventFilter(this);
  setCentralWidget(client_);
  Forms()[this] = this;
}

Form::~Form() {
  // The program's part of the form is gone: none of its handlers may run any more.
  Activate = Deactivate = Resize = Terminate = Click = DblClick = nullptr;
  KeyDown = KeyUp = nullptr;
  KeyPress = nullptr;
  MouseDown = MouseMove = MouseUp = nullptr;
  Unload = nullptr;
  client_->removeEventFilter(this);
  Forms().erase(this);
  Tracker().Forget(this);
  if (modalLoop_) modalLoop_->quit();
}

Form* Form::Of(const QWidget* w) {
  if (!w) return nullptr;
  auto it = Forms().find(w->window());
  return it == Forms().end() ? nullptr : it->second;
}

std::string Form::Caption() const { return S(windowTitle()); }
void Form::SetCaption(const std::string& caption) { setWindowTitle(Q(caption)); }

double Form::Left() const { return PixelsToTwips(isVisible() ? frameGeometry().x() : x()); }
double Form::Top() const { return PixelsToTwips(isVisible() ? frameGeometry().y() : y()); }
double Form::Width() const { return PixelsToTwips(isVisible() ? frameGeometry().width() : width()); }
double Form::Height() const { return PixelsToTwips(isVisible() ? frameGeometry().height() : height()); }

void Form::Move(double left, double top, double width, double height) {
  // The frame adds to the inner size; before the window is shown it is not known yet.
  int fw = isVisible() ? frameGeometry().width() - this->width() : 0;
  int fh = isVisible() ? frameGeometry().height() - this->height() : 0;
  QPoint p = isVisible() ? frameGeometry().topLeft() : pos();
  int x = std::isnan(left) ? p.x() : TwipsToPixels(left);
  int y = std::isnan(top) ? p.y() : TwipsToPixels(top);
  if (!std::isnan(left) || !std::isnan(top)) QMainWindow::move(x, y);
  int w = std::isnan(width) ? this->width() : std::max(1, TwipsToPixels(width) - fw);
  int h = std::isnan(height) ? this->height() : std::max(1, TwipsToPixels(height) - fh);
  if (w != this->width() || h != this->height()) QMainWindow::resize(w, h);
}

double Form::ScaleWidth() const { return PixelsToTwips(width()); }

double Form::ScaleHeight() const {
  int menu = (menuWidget() && menuWidget()->isVisible()) ? menuWidget()->height() : 0;
  return PixelsToTwips(height() - menu);
}

void Form::Show(int modal) {
  if (modal == 0) {
    show();
    raise();
    activateWindow();
    return;
  }
  if (modalLoop_) return;
  setWindowModality(Qt::ApplicationModal);
  show();
  raise();
  activateWindow();
  QEventLoop loop;
  modalLoop_ = &loop;
  {
    rt::EventLoopScope level;
    loop.exec(QEventLoop::DialogExec);
  }
  modalLoop_ = nullptr;
  setWindowModality(Qt::NonModal);
}

void Form::Hide() { hide(); }

void Form::SetMousePointer(int pointer) {
  mousePointer_ = pointer;
  if (pointer == 0) unsetCursor();
  else setCursor(pointer == 11 ? Qt::WaitCursor : pointer == 13 ? Qt::BusyCursor : Qt::ArrowCursor);
}

bool Form::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::Show: Apply(Tracker().Activated(this)); break;
    case QEvent::WindowActivate:
      // The window system may still report a window that the program has just hidden.
      if (isVisible()) Apply(Tracker().Activated(this));
      break;
    default: break;
  }
  return QMainWindow::event(e);
}

void Form::hideEvent(QHideEvent* e) {
  QMainWindow::hideEvent(e);
  if (modalLoop_) modalLoop_->quit();
  if (e->spontaneous()) return;  // minimised: the window system decides who is active
  auto s = Tracker().Hidden(this, [](const void* f) {
    return Forms().count(static_cast<const Form*>(f)) && static_cast<const Form*>(f)->isVisible();
  });
  if (s.activated) static_cast<Form*>(const_cast<void*>(s.activated))->activateWindow();
  Apply(s);
}

void Form::closeEvent(QCloseEvent* e) {
  int cancel = 0;
  Raise(Unload, cancel);
  if (cancel) {
    e->ignore();
    return;
  }
  e->accept();
  Raise(Terminate);
}

void Form::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  Raise(Resize);
}

bool Form::eventFilter(QObject* watched, QEvent* event) {
  if (watched != client_) return QMainWindow::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(event);
      if (detail::CameFromInnerControl(client_, m->position().toPoint())) break;
      QPoint p = client_->mapTo(this, m->position().toPoint());
      RaiseMouseStep(*m, p, MouseDown, MouseMove, MouseUp);
      // A form's Click: every release of the left button that its client area saw.
      if (event->type() == QEvent::MouseButtonRelease && m->button() == Qt::LeftButton) Raise(Click);
      break;
    }
    case QEvent::MouseButtonDblClick:
      if (!detail::CameFromInnerControl(client_, static_cast<QMouseEvent*>(event)->position().toPoint()))
        Raise(DblClick);
      break;
    default: break;
  }
  return false;
}

void DoEvents() {
  rt::EventLoopScope level;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

double ScreenWidth() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? PixelsToTwips(s->geometry().width()) : 0;
}

double ScreenHeight() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? PixelsToTwips(s->geometry().height()) : 0;
}

bool FocusInTextEntry() {
  for (const QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
    if (IsTextEntry(w)) return true;
    if (w->isWindow()) break;
  }
  return false;
}

}  // namespace vantrel::forms
