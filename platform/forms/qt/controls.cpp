#include "platform/forms/qt/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
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

Qt::CheckState StateOf(int v) {
  return v == 1 ? Qt::Checked : v == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

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
  box_ = static_cast<QCheckBox*>(widget());
  static_cast<ClickableCheckBox*>(box_)->onUser = [this] { UserClick(); };
  if (value < 0 || value > 2) detail::InvalidPropertyValue();
  value_ = value;
  Show(value);
}

void CheckBox::Show(int value) {
  QSignalBlocker b(box_);
  box_->setTristate(value == 2);
  box_->setCheckState(StateOf(value));
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

std::string CheckBox::Caption() const { return S(box_->text()); }
void CheckBox::SetCaption(const std::string& caption) { box_->setText(Q(caption)); }

// --- TextBox ----------------------------------------------------------------------------------

TextBox::TextBox(QWidget* parent, std::string name, const std::string& text, bool multiLine)
    : Control(multiLine ? static_cast<QWidget*>(new QPlainTextEdit(parent)) : new QLineEdit(parent),
              std::move(name)) {
  if (multiLine) {
    plain_ = static_cast<QPlainTextEdit*>(widget());
    plain_->setPlainText(ToLf(text));
    Watch(plain_->viewport());
    QObject::connect(plain_, &QPlainTextEdit::textChanged, this, [this] { Raise(Change); });
  } else {
    line_ = static_cast<QLineEdit*>(widget());
    line_->setText(Q(text));
    line_->setCursorPosition(0);
    QObject::connect(line_, &QLineEdit::textChanged, this, [this] { Raise(Change); });
  }
}

std::string TextBox::Text() const {
  if (line_) return S(line_->text());
  QString t = plain_->toPlainText();
  t.replace(QChar('\n'), QStringLiteral("\r\n"));
  return S(t);
}

void TextBox::SetText(const std::string& text) {
  if (line_) {
    QString q = Q(text);
    if (q == line_->text()) return;
    {
      QSignalBlocker b(line_);
      line_->setText(q);
      line_->setCursorPosition(0);
    }
  } else {
    QString q = ToLf(text);
    if (q == plain_->toPlainText()) return;
    QSignalBlocker b(plain_);
    plain_->setPlainText(q);
  }
  Raise(Change);
}

int TextBox::SelStart() const {
  if (line_) return line_->hasSelectedText() ? line_->selectionStart() : line_->cursorPosition();
  return plain_->textCursor().selectionStart();
}

void TextBox::SetSelStart(int start) {
  start = std::max(0, start);
  if (line_) {
    line_->setCursorPosition(std::min<int>(start, line_->text().size()));
  } else {
    QTextCursor c = plain_->textCursor();
    c.setPosition(std::min<int>(start, plain_->document()->characterCount() - 1));
    plain_->setTextCursor(c);
  }
}

int TextBox::SelLength() const {
  if (line_) return line_->selectionLength();
  QTextCursor c = plain_->textCursor();
  return c.selectionEnd() - c.selectionStart();
}

void TextBox::SetSelLength(int length) {
  int start = SelStart();
  length = std::max(0, length);
  if (line_) {
    length = std::min<int>(length, line_->text().size() - start);
    line_->setSelection(start, length);
  } else {
    QTextCursor c = plain_->textCursor();
    int end = std::min(start + length, plain_->document()->characterCount() - 1);
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    plain_->setTextCursor(c);
  }
}

std::string TextBox::SelText() const {
  if (line_) return S(line_->selectedText());
  return S(plain_->textCursor().selectedText().replace(QChar(0x2029), QStringLiteral("\r\n")));
}

bool TextBox::Locked() const { return line_ ? line_->isReadOnly() : plain_->isReadOnly(); }
void TextBox::SetLocked(bool on) {
  if (line_)
    line_->setReadOnly(on);
  else
    plain_->setReadOnly(on);
}

// --- Label, Frame -----------------------------------------------------------------------------

Label::Label(QWidget* parent, std::string name, const std::string& caption)
    : Control(new QLabel(parent), std::move(name)) {
  label_ = static_cast<QLabel*>(widget());
  label_->setTextFormat(Qt::PlainText);
  label_->setText(Q(caption));
  SetClickFromMouse(true);
}

std::string Label::Caption() const { return S(label_->text()); }
void Label::SetCaption(const std::string& caption) { label_->setText(Q(caption)); }
void Label::SetWordWrap(bool on) { label_->setWordWrap(on); }

Frame::Frame(QWidget* parent, std::string name, const std::string& caption)
    : Control(new QGroupBox(Q(caption), parent), std::move(name)) {
  box_ = static_cast<QGroupBox*>(widget());
  SetClickFromMouse(true);
}

std::string Frame::Caption() const { return S(box_->title()); }
void Frame::SetCaption(const std::string& caption) { box_->setTitle(Q(caption)); }

// --- ComboBox ---------------------------------------------------------------------------------

ComboBox::ComboBox(QWidget* parent, std::string name, const std::string& text)
    : Control(new QComboBox(parent), std::move(name)) {
  combo_ = static_cast<QComboBox*>(widget());
  combo_->setEditable(true);
  combo_->setInsertPolicy(QComboBox::NoInsert);
  combo_->setCompleter(nullptr);
  combo_->setEditText(Q(text));
  Watch(combo_->lineEdit());
  // Typing in the box.
  QObject::connect(combo_->lineEdit(), &QLineEdit::textEdited, this, [this] {
    listIndex_ = -1;
    Raise(Change);
  });
  // A choice in the list.
  QObject::connect(combo_, &QComboBox::activated, this, [this](int i) {
    listIndex_ = i;
    {
      QSignalBlocker b(combo_);
      combo_->setEditText(combo_->itemText(i));
    }
    Raise(Click);
  });
}

std::string ComboBox::Text() const { return S(combo_->currentText()); }

void ComboBox::SetText(const std::string& text) {
  QString q = Q(text);
  if (q == combo_->currentText()) return;
  {
    QSignalBlocker b(combo_);
    QSignalBlocker e(combo_->lineEdit());
    combo_->setEditText(q);
  }
  listIndex_ = combo_->findText(q, Qt::MatchExactly | Qt::MatchCaseSensitive);
  Raise(Change);
}

void ComboBox::SetListIndex(int index) {
  if (index < -1 || index >= ListCount()) detail::InvalidPropertyValue();
  if (index == listIndex_) return;
  listIndex_ = index;
  {
    QSignalBlocker b(combo_);
    QSignalBlocker e(combo_->lineEdit());
    if (index >= 0) combo_->setCurrentIndex(index);
    combo_->setEditText(index >= 0 ? combo_->itemText(index) : QString());
  }
  Raise(Click);
}

int ComboBox::ListCount() const { return combo_->count(); }

std::string ComboBox::List(int index) const {
  if (index < 0 || index >= combo_->count()) return {};
  return S(combo_->itemText(index));
}

void ComboBox::Keep(const std::function<void()>& f) {
  QString text = combo_->currentText();
  QSignalBlocker b(combo_);
  QSignalBlocker e(combo_->lineEdit());
  f();
  combo_->setEditText(text);
}

void ComboBox::SetList(int index, const std::string& item) {
  if (index < 0 || index >= ListCount()) detail::InvalidPropertyValue();
  Keep([&] { combo_->setItemText(index, Q(item)); });
}

void ComboBox::AddItem(const std::string& item, int index) {
  if (index > ListCount()) detail::InvalidPropertyValue();
  if (index < 0) index = ListCount();
  Keep([&] { combo_->insertItem(index, Q(item)); });
  if (listIndex_ >= index) ++listIndex_;
}

void ComboBox::RemoveItem(int index) {
  if (index < 0 || index >= ListCount()) detail::InvalidPropertyValue();
  Keep([&] { combo_->removeItem(index); });
  if (listIndex_ == index)
    listIndex_ = -1;
  else if (listIndex_ > index)
    --listIndex_;
}

void ComboBox::Clear() {
  Keep([&] { combo_->clear(); });
  listIndex_ = -1;
}

// --- ListBox ----------------------------------------------------------------------------------

ListBox::ListBox(QWidget* parent, std::string name) : Control(new QListWidget(parent), std::move(name)) {
  list_ = static_cast<QListWidget*>(widget());
  Watch(list_->viewport());
  QObject::connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
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
    QSignalBlocker b(list_);
    list_->setCurrentRow(index);
  }
  Raise(Click);
}

int ListBox::ListCount() const { return list_->count(); }

std::string ListBox::List(int index) const {
  if (index < 0 || index >= list_->count()) return {};
  return S(list_->item(index)->text());
}

void ListBox::SetList(int index, const std::string& item) {
  if (index < 0 || index >= ListCount()) detail::InvalidPropertyValue();
  list_->item(index)->setText(Q(item));
}

void ListBox::AddItem(const std::string& item, int index) {
  if (index > ListCount()) detail::InvalidPropertyValue();
  if (index < 0) index = ListCount();
  QSignalBlocker b(list_);
  list_->insertItem(index, Q(item));
  if (listIndex_ >= index) ++listIndex_;
  list_->setCurrentRow(listIndex_);
}

void ListBox::RemoveItem(int index) {
  if (index < 0 || index >= ListCount()) detail::InvalidPropertyValue();
  QSignalBlocker b(list_);
  delete list_->takeItem(index);
  if (listIndex_ == index)
    listIndex_ = -1;
  else if (listIndex_ > index)
    --listIndex_;
  list_->setCurrentRow(listIndex_);
}

void ListBox::Clear() {
  QSignalBlocker b(list_);
  list_->clear();
  listIndex_ = -1;
}

// --- ScrollBar --------------------------------------------------------------------------------

ScrollBar::ScrollBar(QWidget* parent, std::string name, int min, int max, int value, int smallChange,
                     int largeChange, bool horizontal)
    : Control(new QScrollBar(horizontal ? Qt::Horizontal : Qt::Vertical, parent), std::move(name)),
      min_(min), max_(max), value_(value), small_(smallChange), large_(largeChange), lastChangeValue_(value) {
  bar_ = static_cast<QScrollBar*>(widget());
  if (value < std::min(min, max) || value > std::max(min, max)) detail::InvalidPropertyValue();
  ApplyRange();
  QObject::connect(bar_, &QScrollBar::valueChanged, this,
                   [this](int v) { FromUser(v, bar_->isSliderDown()); });
  QObject::connect(bar_, &QScrollBar::sliderReleased, this, [this] {
    if (value_ != lastChangeValue_) {
      lastChangeValue_ = value_;
      Raise(Change);
    }
  });
}

void ScrollBar::ApplyRange() {
  QSignalBlocker b(bar_);
  // A reversed range (Min above Max) shows its Min at the left or top.
  bar_->setInvertedAppearance(min_ > max_);
  bar_->setInvertedControls(min_ > max_);
  bar_->setRange(std::min(min_, max_), std::max(min_, max_));
  bar_->setSingleStep(std::max(1, small_));
  bar_->setPageStep(std::max(1, large_));
  bar_->setValue(value_);
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
    QSignalBlocker b(bar_);
    bar_->setValue(v);
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
  button_ = static_cast<QPushButton*>(widget());
  button_->setAutoDefault(false);
  QObject::connect(button_, &QPushButton::clicked, this, [this] { Raise(Click); });
}

std::string CommandButton::Caption() const { return S(button_->text()); }
void CommandButton::SetCaption(const std::string& caption) { button_->setText(Q(caption)); }
void CommandButton::PerformClick() { Raise(Click); }

// --- ProgressBar ------------------------------------------------------------------------------

ProgressBar::ProgressBar(QWidget* parent, std::string name, double min, double max)
    : Control(new QProgressBar(parent), std::move(name)), min_(min), max_(max), value_(min) {
  bar_ = static_cast<QProgressBar*>(widget());
  bar_->setTextVisible(false);
  if (!(min < max)) detail::InvalidPropertyValue();
  Show();
}

// The bar shows the value in thousandths of the range.
void ProgressBar::Show() {
  bar_->setRange(0, 1000);
  bar_->setValue(static_cast<int>(rt::RoundHalfEven((value_ - min_) / (max_ - min_) * 1000)));
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
  label_ = static_cast<QLabel*>(widget());
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
  label_->setPixmap(picture);
}

}  // namespace vantrel::forms
