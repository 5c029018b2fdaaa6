#include "platform/forms/qt/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QPalette>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextCursor>

#include <cmath>

#include "platform/forms/qt/fonts.h"
#include "platform/forms/qt/internal.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::forms {

using detail::Q;
using detail::S;

namespace {

// A whole value for a 16-bit property: half to even, RtError 6 beyond the range.
int IntegerValue(double v) {
  if (std::isnan(v)) throw rt::RtError(rt::kErrOverflow);
  return rt::CInt(v);
}

// The user's click goes through the program's rule instead of the toolkit's cycle.
class ClickableCheckBox : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;
  std::function<void()> onUser;

 protected:
  void nextCheckState() override {
    if (onUser) onUser();
  }
};

Qt::CheckState StateOf(int v) { return v == 1 ? Qt::Checked : v == 2 ? Qt::PartiallyChecked : Qt::Unchecked; }

QString ToLf(const std::string& s) {
  QString q = Q(s);
  q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  q.replace(QChar('\r'), QChar('\n'));
  return q;
}

}  // namespace

// --- CheckBox ---------------------------------------------------------------------------------

CheckBox::CheckBox(QWidget* parent, std::string name, const std::string& caption, int value)
    : Control(new ClickableCheckBox(Q(caption), parent), std::move(name)) {
  static_cast<ClickableCheckBox*>(box())->onUser = [this] { UserClick(); };
  if (value < 0 || value > 2) detail::InvalidPropertyValue();
  value_ = value;
  Show(value);
}

void CheckBox::Show(int value) {
  QSignalBlocker b(box());
  box()->setTristate(value == 2);
  box()->setCheckState(StateOf(value));
}

void CheckBox::SetValue(double value) {
  int v = IntegerValue(value);
  if (v < 0 || v > 2) detail::InvalidPropertyValue();
  if (v == value_) return;
  value_ = v;
  Show(v);
  Raise(Click);
}

void CheckBox::UserClick() {
  value_ = value_ == 1 ? 0 : 1;
  Show(value_);
  Raise(Click);
}

std::string CheckBox::Caption() const { return S(box()->text()); }
void CheckBox::SetCaption(const std::string& caption) {
  box()->setText(Q(caption));
  FitCaption(box());
}

// --- TextBox ----------------------------------------------------------------------------------

TextBox::TextBox(QWidget* parent, std::string name, const std::string& text, bool multiLine)
    : Control(multiLine ? static_cast<QWidget*>(new QPlainTextEdit(parent)) : new QLineEdit(parent), std::move(name)),
      multiLine_(multiLine) {
  if (multiLine) {
    plain()->setPlainText(ToLf(text));
    Watch(plain()->viewport());
    QObject::connect(plain(), &QPlainTextEdit::textChanged, this, [this] { Raise(Change); });
  } else {
    line()->setText(Q(text));
    line()->setCursorPosition(0);
    QObject::connect(line(), &QLineEdit::textChanged, this, [this] { Raise(Change); });
  }
}

QLineEdit* TextBox::line() const { return multiLine_ ? nullptr : static_cast<QLineEdit*>(widget()); }
QPlainTextEdit* TextBox::plain() const { return multiLine_ ? static_cast<QPlainTextEdit*>(widget()) : nullptr; }

std::string TextBox::Text() const {
  if (line()) return S(line()->text());
  QString t = plain()->toPlainText();
  t.replace(QChar('\n'), QStringLiteral("\r\n"));
  return S(t);
}

void TextBox::SetText(const std::string& text) {
  if (line()) {
    QString q = Q(text);
    if (q == line()->text()) return;
    {
      QSignalBlocker b(line());
      line()->setText(q);
      line()->setCursorPosition(0);
    }
    FitCaption(line());
  } else {
    QString q = ToLf(text);
    if (q == plain()->toPlainText()) return;
    QSignalBlocker b(plain());
    plain()->setPlainText(q);
  }
  Raise(Change);
}

int TextBox::SelStart() const {
  if (line()) return line()->hasSelectedText() ? line()->selectionStart() : line()->cursorPosition();
  return plain()->textCursor().selectionStart();
}

void TextBox::SetSelStart(int start) {
  start = std::max(0, start);
  if (line()) {
    line()->setCursorPosition(std::min<int>(start, line()->text().size()));
  } else {
    QTextCursor c = plain()->textCursor();
    c.setPosition(std::min<int>(start, plain()->document()->characterCount() - 1));
    plain()->setTextCursor(c);
  }
}

int TextBox::SelLength() const {
  if (line()) return line()->selectionLength();
  QTextCursor c = plain()->textCursor();
  return c.selectionEnd() - c.selectionStart();
}

void TextBox::SetSelLength(int length) {
  int start = SelStart();
  length = std::max(0, length);
  if (line()) {
    length = std::min<int>(length, line()->text().size() - start);
    line()->setSelection(start, length);
  } else {
    QTextCursor c = plain()->textCursor();
    int end = std::min(start + length, plain()->document()->characterCount() - 1);
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    plain()->setTextCursor(c);
  }
}

std::string TextBox::SelText() const {
  if (line()) return S(line()->selectedText());
  return S(plain()->textCursor().selectedText().replace(QChar(0x2029), QStringLiteral("\r\n")));
}

bool TextBox::Locked() const { return line() ? line()->isReadOnly() : plain()->isReadOnly(); }
void TextBox::SetLocked(bool on) {
  if (line()) {
    line()->setReadOnly(on);
    FitCaption(line());
  } else {
    plain()->setReadOnly(on);
  }
}

QCheckBox* CheckBox::box() const { return static_cast<QCheckBox*>(widget()); }
QLabel* Label::label() const { return static_cast<QLabel*>(widget()); }
QGroupBox* Frame::box() const { return static_cast<QGroupBox*>(widget()); }
QComboBox* ComboBox::combo() const { return static_cast<QComboBox*>(widget()); }
QListWidget* ListBox::list() const { return static_cast<QListWidget*>(widget()); }
QScrollBar* ScrollBar::bar() const { return static_cast<QScrollBar*>(widget()); }
QPushButton* CommandButton::button() const { return static_cast<QPushButton*>(widget()); }
QProgressBar* ProgressBar::bar() const { return static_cast<QProgressBar*>(widget()); }
QLabel* PictureBox::label() const { return static_cast<QLabel*>(widget()); }

// --- Label, Frame -----------------------------------------------------------------------------

Label::Label(QWidget* parent, std::string name, const std::string& caption)
    : Control(new QLabel(parent), std::move(name)) {
  label()->setTextFormat(Qt::PlainText);
  label()->setText(Q(caption));
  SetClickFromMouse(true);
}

std::string Label::Caption() const { return S(label()->text()); }
void Label::SetCaption(const std::string& caption) {
  label()->setText(Q(caption));
  FitCaption(label());
}
void Label::SetWordWrap(bool on) { label()->setWordWrap(on); }

Frame::Frame(QWidget* parent, std::string name, const std::string& caption)
    : Control(new QGroupBox(Q(caption), parent), std::move(name)) {
  // A panel stands over the view: it paints its own background, in the system palette, so that
  // its captions read over any scene.
  box()->setAutoFillBackground(true);
  box()->setBackgroundRole(QPalette::Window);
  SetClickFromMouse(true);
}

std::string Frame::Caption() const { return S(box()->title()); }
void Frame::SetCaption(const std::string& caption) { box()->setTitle(Q(caption)); }

// --- ComboBox ---------------------------------------------------------------------------------

ComboBox::ComboBox(QWidget* parent, std::string name, const std::string& text)
    : Control(new QComboBox(parent), std::move(name)) {
  combo()->setEditable(true);
  combo()->setInsertPolicy(QComboBox::NoInsert);
  combo()->setCompleter(nullptr);
  combo()->setEditText(Q(text));
  Watch(combo()->lineEdit());
  // Typing in the box.
  QObject::connect(combo()->lineEdit(), &QLineEdit::textEdited, this, [this] {
    listIndex_ = -1;
    Raise(Change);
  });
  // A choice in the list.
  QObject::connect(combo(), &QComboBox::activated, this, [this](int i) {
    listIndex_ = i;
    {
      QSignalBlocker b(combo());
      combo()->setEditText(combo()->itemText(i));
    }
    Raise(Click);
  });
}

std::string ComboBox::Text() const { return S(combo()->currentText()); }

void ComboBox::SetText(const std::string& text) {
  QString q = Q(text);
  if (q == combo()->currentText()) return;
  {
    QSignalBlocker b(combo());
    QSignalBlocker e(combo()->lineEdit());
    combo()->setEditText(q);
  }
  listIndex_ = combo()->findText(q, Qt::MatchExactly | Qt::MatchCaseSensitive);
  Raise(Change);
}

void ComboBox::SetListIndex(int index) {
  if (index < -1 || index >= ListCount()) detail::InvalidPropertyValue();
  if (index == listIndex_) return;
  listIndex_ = index;
  {
    QSignalBlocker b(combo());
    QSignalBlocker e(combo()->lineEdit());
    if (index >= 0) combo()->setCurrentIndex(index);
    combo()->setEditText(index >= 0 ? combo()->itemText(index) : QString());
  }
  Raise(Click);
}

int ComboBox::ListCount() const { return combo()->count(); }

std::string ComboBox::List(int index) const {
  if (index < 0 || index >= combo()->count()) return {};
  return S(combo()->itemText(index));
}

void ComboBox::Keep(const std::function<void()>& f) {
  QString text = combo()->currentText();
  QSignalBlocker b(combo());
  QSignalBlocker e(combo()->lineEdit());
  f();
  combo()->setEditText(text);
}

void ComboBox::SetList(int index, const std::string& item) {
  if (index < 0 || index >= ListCount()) detail::InvalidPropertyValue();
  Keep([&] { combo()->setItemText(index, Q(item)); });
}

void ComboBox::AddItem(const std::string& item, int index) {
  if (index > ListCount()) detail::InvalidPropertyValue();
  if (index < 0) index = ListCount();
  Keep([&] { combo()->insertItem(index, Q(item)); });
  if (listIndex_ >= index) ++listIndex_;
}

void ComboBox::RemoveItem(int index) {
  if (index < 0 || index >= ListCount()) detail::InvalidPropertyValue();
  Keep([&] { combo()->removeItem(index); });
  if (listIndex_ == index) listIndex_ = -1;
  else if (listIndex_ > index) --listIndex_;
}

void ComboBox::Clear() {
  Keep([&] { combo()->clear(); });
  listIndex_ = -1;
}

// --- ListBox ----------------------------------------------------------------------------------

ListBox::ListBox(QWidget* parent, std::string name) : Control(new QListWidget(parent), std::move(name)) {
  Watch(list()->viewport());
  QObject::connect(list(), &QListWidget::currentRowChanged, this, [this](int row) {
    if (row == listIndex_) return;
    listIndex_ = row;
    Raise(Click);
  });
}

void ListBox::SetListIndex(int index) {
  if (index < -1 || index >= ListCount()) detail::InvalidPropertyValue();
  if (index == listIndex_) return;
  listIndex_ = index;
  {
    QSignalBlocker b(list());
    list()->setCurrentRow(index);
  }
  Raise(Click);
}

int ListBox::ListCount() const { return list()->count(); }

std::string ListBox::List(int index) const {
  if (index < 0 || index >= list()->count()) return {};
  return S(list()->item(index)->text());
}

void ListBox::SetList(int index, const std::string& item) {
  if (index < 0 || index >= ListCount()) detail::InvalidPropertyValue();
  list()->item(index)->setText(Q(item));
}

void ListBox::AddItem(const std::string& item, int index) {
  if (index > ListCount()) detail::InvalidPropertyValue();
  if (index < 0) index = ListCount();
  QSignalBlocker b(list());
  list()->insertItem(index, Q(item));
  if (listIndex_ >= index) ++listIndex_;
  list()->setCurrentRow(listIndex_);
}

void ListBox::RemoveItem(int index) {
  if (index < 0 || index >= ListCount()) detail::InvalidPropertyValue();
  QSignalBlocker b(list());
  delete list()->takeItem(index);
  if (listIndex_ == index) listIndex_ = -1;
  else if (listIndex_ > index) --listIndex_;
  list()->setCurrentRow(listIndex_);
}

void ListBox::Clear() {
  QSignalBlocker b(list());
  list()->clear();
  listIndex_ = -1;
}

// --- ScrollBar --------------------------------------------------------------------------------

ScrollBar::ScrollBar(QWidget* parent, std::string name, int min, int max, int value, int smallChange, int largeChange,
                     bool horizontal)
    : Control(new QScrollBar(horizontal ? Qt::Horizontal : Qt::Vertical, parent), std::move(name)), min_(min),
      max_(max), value_(value), small_(smallChange), large_(largeChange), lastChangeValue_(value) {
  if (value < std::min(min, max) || value > std::max(min, max)) detail::InvalidPropertyValue();
  ApplyRange();
  QObject::connect(bar(), &QScrollBar::valueChanged, this, [this](int v) { FromUser(v, bar()->isSliderDown()); });
  QObject::connect(bar(), &QScrollBar::sliderReleased, this, [this] {
    if (value_ != lastChangeValue_) {
      lastChangeValue_ = value_;
      Raise(Change);
    }
  });
}

void ScrollBar::ApplyRange() {
  QSignalBlocker b(bar());
  // A reversed range (Min above Max) shows its Min at the left or top.
  bar()->setInvertedAppearance(min_ > max_);
  bar()->setInvertedControls(min_ > max_);
  bar()->setRange(std::min(min_, max_), std::max(min_, max_));
  bar()->setSingleStep(std::max(1, small_));
  bar()->setPageStep(std::max(1, large_));
  bar()->setValue(value_);
}

void ScrollBar::FromUser(int v, bool dragging) {
  if (v == value_) return;
  value_ = v;
  if (dragging) {
    Raise(Scroll);
    return;
  }
  lastChangeValue_ = v;
  Raise(Change);
}

void ScrollBar::SetValue(double value) {
  int v = IntegerValue(value);
  if (v < std::min(min_, max_) || v > std::max(min_, max_)) detail::InvalidPropertyValue();
  if (v == value_) return;
  value_ = v;
  lastChangeValue_ = v;
  {
    QSignalBlocker b(bar());
    bar()->setValue(v);
  }
  Raise(Change);
}

void ScrollBar::SetMin(double min) {
  min_ = IntegerValue(min);
  int old = value_;
  value_ = std::clamp(value_, std::min(min_, max_), std::max(min_, max_));
  ApplyRange();
  if (value_ != old) {
    lastChangeValue_ = value_;
    Raise(Change);
  }
}

void ScrollBar::SetMax(double max) {
  max_ = IntegerValue(max);
  int old = value_;
  value_ = std::clamp(value_, std::min(min_, max_), std::max(min_, max_));
  ApplyRange();
  if (value_ != old) {
    lastChangeValue_ = value_;
    Raise(Change);
  }
}

void ScrollBar::SetSmallChange(double step) {
  small_ = IntegerValue(step);
  if (small_ < 0) detail::InvalidPropertyValue();
  ApplyRange();
}

void ScrollBar::SetLargeChange(double step) {
  large_ = IntegerValue(step);
  if (large_ < 0) detail::InvalidPropertyValue();
  ApplyRange();
}

// --- CommandButton ----------------------------------------------------------------------------

CommandButton::CommandButton(QWidget* parent, std::string name, const std::string& caption)
    : Control(new QPushButton(Q(caption), parent), std::move(name)) {
  button()->setAutoDefault(false);
  QObject::connect(button(), &QPushButton::clicked, this, [this] { Raise(Click); });
}

std::string CommandButton::Caption() const { return S(button()->text()); }
void CommandButton::SetCaption(const std::string& caption) {
  button()->setText(Q(caption));
  FitCaption(button());
}
void CommandButton::PerformClick() { Raise(Click); }

// --- ProgressBar ------------------------------------------------------------------------------

ProgressBar::ProgressBar(QWidget* parent, std::string name, double min, double max)
    : Control(new QProgressBar(parent), std::move(name)), min_(min), max_(max), value_(min) {
  bar()->setTextVisible(false);
  if (!(min < max)) detail::InvalidPropertyValue();
  Show();
}

// The bar shows the value in thousandths of the range.
void ProgressBar::Show() {
  bar()->setRange(0, 1000);
  bar()->setValue(static_cast<int>(rt::RoundHalfEven((value_ - min_) / (max_ - min_) * 1000)));
}

void ProgressBar::SetValue(double value) {
  if (!(value >= min_ && value <= max_)) detail::InvalidPropertyValue();
  value_ = value;
  Show();
}

void ProgressBar::SetMin(double min) {
  if (!(min < max_)) detail::InvalidPropertyValue();
  min_ = min;
  value_ = std::max(value_, min_);
  Show();
}

void ProgressBar::SetMax(double max) {
  if (!(max > min_)) detail::InvalidPropertyValue();
  max_ = max;
  value_ = std::min(value_, max_);
  Show();
}

// --- PictureBox -------------------------------------------------------------------------------

PictureBox::PictureBox(QWidget* parent, std::string name) : Control(new QLabel(parent), std::move(name)) {
  label()->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  SetClickFromMouse(true);
}

void PictureBox::LoadPicture(const std::string& path) {
  QString p = Q(path);
  if (!QFileInfo::exists(p)) throw rt::RtError(rt::kErrFileNotFound);
  QPixmap pm;
  if (!pm.load(p)) throw rt::RtError(481, "Invalid picture");
  SetPicture(pm);
}

void PictureBox::SetPicture(const QPixmap& picture) {
  picture_ = picture;
  label()->setPixmap(picture);
}

}  // namespace vantrel::forms
