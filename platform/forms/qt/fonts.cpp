#include "platform/forms/qt/fonts.h"

#include <QApplication>

namespace vantrel::forms {

QFont DesignFont() {
  // The sizes were drawn for an 8-point sans about a tenth narrower than DejaVu Sans: its
  // condensed face where installed, else the regular one, narrowed.
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPointSize(8);
  f.setStretch(QFont::SemiCondensed);
  return f;
}

void UseDesignFont() { QApplication::setFont(DesignFont()); }

}  // namespace vantrel::forms

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

namespace vantrel::forms {

namespace {

QString CaptionOf(const QWidget* w) {
  if (auto* l = qobject_cast<const QLabel*>(w)) return l->wordWrap() ? QString() : l->text();
  if (auto* c = qobject_cast<const QCheckBox*>(w)) return c->text();
  if (auto* b = qobject_cast<const QPushButton*>(w)) return b->text();
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->isReadOnly() ? e->text() : QString();
  return {};
}

}  // namespace

int CaptionRoom(const QWidget* w) {
  if (auto* l = qobject_cast<const QLabel*>(w)) return l->contentsRect().width() - 2 * std::max(0, l->margin());
  if (auto* c = qobject_cast<const QCheckBox*>(w)) {
    QStyleOptionButton o;
    o.initFrom(c);
    o.text = c->text();
    return c->style()->subElementRect(QStyle::SE_CheckBoxContents, &o, c).width() - 1;
  }
  if (auto* b = qobject_cast<const QPushButton*>(w)) {
    const int margin = b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
    const int frame = b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
    return b->width() - margin - 2 * frame;
  }
  if (auto* e = qobject_cast<const QLineEdit*>(w)) {
    QStyleOptionFrame o;
    o.initFrom(e);
    o.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &o, e) : 0;
    const QMargins m = e->textMargins();
    // QLineEdit keeps 2 pixels free on each side of its text, and one for the cursor.
    return e->style()->subElementRect(QStyle::SE_LineEditContents, &o, e).width() - m.left() - m.right() - 5;
  }
  return -1;
}

void FitCaption(QWidget* w) {
  if (!w) return;
  const QString text = CaptionOf(w);
  const int room = CaptionRoom(w);
  QFont f = w->font();
  const int base = QApplication::font().stretch() > 0 ? QApplication::font().stretch() : 100;
  f.setStretch(base);
  if (!text.isEmpty() && room > 0 && QFontMetrics(f).horizontalAdvance(text) > room) {
    // Narrower by steps, down to 60 %; a caption longer still stays cut rather than unreadable.
    for (int stretch = base - 3; stretch >= 60; stretch -= 3) {
      f.setStretch(stretch);
      if (QFontMetrics(f).horizontalAdvance(text) <= room) break;
    }
  }
  if (f.stretch() != w->font().stretch()) w->setFont(f);
}

}  // namespace vantrel::forms
