#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "platform/forms/qt/qt_msgbox.h"

namespace vantrel::forms {
namespace {

// Clicks the button with the given text in the box that is open, once the event loop runs.
void ClickLater(const QString& buttonText, QString* seenText = nullptr, QString* seenTitle = nullptr) {
  QTimer::singleShot(0, [=] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible()) continue;
      if (seenText) *seenText = box->text();
      if (seenTitle) *seenTitle = box->windowTitle();
      for (QAbstractButton* b : box->buttons()) {
        if (b->text().remove('&') == buttonText) {
          b->click();
          return;
        }
      }
    }
  });
}

TEST(QtMessageBoxes, ReturnsTheRunTimeAnswerCodes) {
  QtMessageBoxes boxes;
  const struct {
    int style;
    const char* button;
    int answer;
  } cases[] = {
      {0, "OK", kOK},         {1, "Cancel", kCancel}, {2, "Abort", kAbort},
      {2, "Retry", kRetry},   {50, "Ignore", kIgnore}, {4, "Yes", kYes},
      {3, "No", kNo},         {5, "Retry", kRetry},    {64, "OK", kOK},
  };
  for (auto c : cases) {
    ClickLater(c.button);
    EXPECT_EQ(boxes.Show("text", c.style, "Title"), c.answer) << c.style << " " << c.button;
  }
}

TEST(QtMessageBoxes, ShowsTextWithLineBreaksAndTitle) {
  QtMessageBoxes boxes;
  QString text, title;
  ClickLater("OK", &text, &title);
  boxes.Show("first\r\nsecond", 0, "Petite erreur");
  EXPECT_EQ(text, QString("first\nsecond"));
  EXPECT_EQ(title, QString("Petite erreur"));
}

}  // namespace
}  // namespace vantrel::forms
