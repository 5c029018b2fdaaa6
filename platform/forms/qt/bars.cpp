#include "platform/forms/qt/bars.h"

#include <QAction>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

#include "platform/forms/layout_store.h"
#include "platform/forms/qt/internal.h"
#include "platform/forms/twips.h"
#include "platform/runtime/rterror.h"

namespace vantrel::forms {

using detail::Q;
using detail::S;

namespace {
[[noreturn]] void IndexOutOfBounds() { throw rt::RtError(35600, "Index out of bounds"); }
}  // namespace

// --- StatusBar --------------------------------------------------------------------------------

StatusBar::StatusBar(QMainWindow* window, std::string name) : Control(new QStatusBar(window), std::move(name)) {
  auto* bar = static_cast<QStatusBar*>(widget());
  bar->setSizeGripEnabled(true);
  window->setStatusBar(bar);
}

int StatusBar::AddPanel(const std::string& text, double widthTwips) {
  auto* label = new QLabel(Q(text));
  label->setTextFormat(Qt::PlainText);
  if (widthTwips > 0) label->setMinimumWidth(TwipsToPixels(widthTwips));
  Watch(label);
  static_cast<QStatusBar*>(widget())->addWidget(label, widthTwips > 0 ? 0 : 1);
  panels_.push_back(label);
  return PanelCount();
}

QLabel* StatusBar::Panel(int panel) const {
  widget();  // the panels go with the bar
  if (panel < 1 || panel > PanelCount()) IndexOutOfBounds();
  return panels_[static_cast<size_t>(panel - 1)];
}

std::string StatusBar::PanelText(int panel) const { return S(Panel(panel)->text()); }
void StatusBar::SetPanelText(int panel, const std::string& text) { Panel(panel)->setText(Q(text)); }

bool StatusBar::eventFilter(QObject* watched, QEvent* event) {
  // A double-click gives click, double-click: its second release clicks no panel again.
  if (event->type() == QEvent::MouseButtonDblClick) afterDoubleClick_ = true;
  if (event->type() == QEvent::MouseButtonRelease && afterDoubleClick_) {
    afterDoubleClick_ = false;
  } else if (event->type() == QEvent::MouseButtonRelease) {
    auto* m = static_cast<QMouseEvent*>(event);
    auto it = std::find(panels_.begin(), panels_.end(), watched);
    if (it != panels_.end() && m->button() == Qt::LeftButton && (*it)->rect().contains(m->position().toPoint())) {
      int panel = static_cast<int>(it - panels_.begin()) + 1;
      Raise(PanelClick, panel);
    }
  }
  return Control::eventFilter(watched, event);
}

// --- ImageList --------------------------------------------------------------------------------

int ImageList::Add(const QPixmap& picture, const std::string& key) {
  pictures_.push_back(picture);
  keys_.push_back(key);
  return Count();
}

QPixmap ImageList::Picture(int index) const {
  if (index < 1 || index > Count()) IndexOutOfBounds();
  return pictures_[static_cast<size_t>(index - 1)];
}

std::string ImageList::Key(int index) const {
  if (index < 1 || index > Count()) IndexOutOfBounds();
  return keys_[static_cast<size_t>(index - 1)];
}

int ImageList::IndexOfKey(const std::string& key) const {
  if (key.empty()) return 0;
  for (size_t i = 0; i < keys_.size(); ++i)
    if (keys_[i] == key) return static_cast<int>(i) + 1;
  return 0;
}

// --- ToolbarButton ----------------------------------------------------------------------------

QAction* ToolbarButton::action() const {
  bar_->widget();  // the buttons go with the bar
  return action_;
}

void ToolbarButton::SetValue(int value) {
  if (value != kButtonUp && value != kButtonPressed) detail::InvalidPropertyValue();
  if (style_ == kButtonSeparator || style_ == kButtonPlaceholder) return;
  value_ = value;
  if (value == kButtonPressed && style_ == kButtonGroup) bar_->ReleaseGroup(*this);
  Show();
}

void ToolbarButton::SetImage(int image) {
  if (image != 0) {
    const ImageList* list = bar_->images_;
    if (!list || image < 0 || image > list->Count()) detail::InvalidPropertyValue();
  }
  image_ = image;
  Show();
}

std::string ToolbarButton::ToolTipText() const { return S(action()->toolTip()); }
void ToolbarButton::SetToolTipText(const std::string& text) { action()->setToolTip(Q(text)); }

void ToolbarButton::SetCaption(const std::string& caption) {
  caption_ = caption;
  Show();
}

bool ToolbarButton::Visible() const { return action()->isVisible(); }
void ToolbarButton::SetVisible(bool on) { action()->setVisible(on); }
bool ToolbarButton::Enabled() const { return action()->isEnabled(); }
void ToolbarButton::SetEnabled(bool on) { action()->setEnabled(on); }

void ToolbarButton::Show() {
  if (style_ == kButtonSeparator || style_ == kButtonPlaceholder) return;
  QSignalBlocker b(action());
  action()->setCheckable(style_ == kButtonCheck || style_ == kButtonGroup);
  action()->setChecked(value_ == kButtonPressed);
  const ImageList* list = bar_->images_;
  if (image_ > 0 && list && image_ <= list->Count()) action()->setIcon(QIcon(list->Picture(image_)));
  else action()->setIcon(QIcon());
  // The text shows only when there is a caption; without a picture the key stands in for it.
  action()->setText(Q(caption_.empty() ? key_ : caption_));
  action()->setIconText(Q(caption_));
}

// --- Toolbar ----------------------------------------------------------------------------------

Toolbar::Toolbar(QMainWindow* window, std::string name, Qt::ToolBarArea area)
    : Control(new QToolBar(window), std::move(name)), window_(window) {
  bar()->setWindowTitle(bar()->objectName());
  window->addToolBar(area, bar());
  QObject::connect(bar(), &QToolBar::topLevelChanged, this, [this] { Raise(Change); });
  QObject::connect(bar(), &QToolBar::orientationChanged, this, [this] { Raise(Change); });
}

Toolbar::~Toolbar() = default;

QToolBar* Toolbar::bar() const { return static_cast<QToolBar*>(widget()); }

int Toolbar::AddButton(const std::string& key, int style, int image, int value, const std::string& toolTip) {
  if (style < kButtonDefault || style > kButtonPlaceholder) detail::InvalidPropertyValue();
  auto b = std::make_unique<ToolbarButton>();
  b->bar_ = this;
  b->index_ = ButtonCount() + 1;
  b->key_ = key;
  b->style_ = style;
  if (style == kButtonSeparator) {
    b->action_ = bar()->addSeparator();
  } else if (style == kButtonPlaceholder) {
    auto* space = new QWidget(bar());
    space->setFixedWidth(8);
    b->action_ = bar()->addWidget(space);
  } else {
    b->action_ = bar()->addAction(Q(key));
    b->action_->setObjectName(Q(key));
    ToolbarButton* raw = b.get();
    QObject::connect(b->action_, &QAction::triggered, this, [this, raw] { UserClick(*raw); });
  }
  if (!toolTip.empty()) b->action_->setToolTip(Q(toolTip));
  buttons_.push_back(std::move(b));
  ToolbarButton& ref = *buttons_.back();
  if (image) ref.SetImage(image);
  if (value) ref.SetValue(value);
  ref.Show();
  return ref.index_;
}

ToolbarButton& Toolbar::Button(int index) const {
  if (index < 1 || index > ButtonCount()) IndexOutOfBounds();
  return *buttons_[static_cast<size_t>(index - 1)];
}

ToolbarButton& Toolbar::Button(const std::string& key) const {
  for (auto& b : buttons_)
    if (!key.empty() && b->key_ == key) return *b;
  throw rt::RtError(35601, "Element not found");
}

void Toolbar::SetImageList(const ImageList* images) {
  images_ = images;
  bar()->setIconSize(images ? QSize(images->ImageWidth(), images->ImageHeight()) : QSize(16, 16));
  for (auto& b : buttons_) b->Show();
}

void Toolbar::ReleaseGroup(const ToolbarButton& pressed) {
  size_t at = static_cast<size_t>(pressed.index_ - 1);
  auto release = [&](size_t i) {
    ToolbarButton& o = *buttons_[i];
    if (o.value_ == kButtonPressed) {
      o.value_ = kButtonUp;
      o.Show();
    }
  };
  for (size_t i = at; i-- > 0 && buttons_[i]->style_ == kButtonGroup;) release(i);
  for (size_t i = at + 1; i < buttons_.size() && buttons_[i]->style_ == kButtonGroup; ++i) release(i);
}

void Toolbar::UserClick(ToolbarButton& b) {
  if (b.style_ == kButtonCheck) {
    b.value_ = b.value_ == kButtonPressed ? kButtonUp : kButtonPressed;
  } else if (b.style_ == kButtonGroup) {
    b.value_ = kButtonPressed;
    ReleaseGroup(b);
  }
  b.Show();
  Raise(ButtonClick, b);
}

void Toolbar::SaveToolbar(const std::string& key, const std::string& subkey, const std::string& value) {
  if (!window_) throw rt::RtError(rt::kErrNoObject);
  QByteArray state = window_->saveState();
  Layouts().Write(key, subkey, value, state.toBase64().toStdString());
}

bool Toolbar::RestoreToolbar(const std::string& key, const std::string& subkey, const std::string& value) {
  std::string text = Layouts().Read(key, subkey, value);
  if (!window_) throw rt::RtError(rt::kErrNoObject);
  if (text.empty()) return false;
  QByteArray state = QByteArray::fromBase64(QByteArray::fromStdString(text));
  return window_->restoreState(state);
}

}  // namespace vantrel::forms
