#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <string>

#include "platform/forms/msgbox.h"
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
      {0, "OK", kOK},   {1, "Cancel", kCancel}, {2, "Abort", kAbort}, {2, "Retry", kRetry}, {50, "Ignore", kIgnore},
      {4, "Yes", kYes}, {3, "No", kNo},         {5, "Retry", kRetry}, {64, "OK", kOK},
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

TEST(FitBoxText, BreaksLongLinesAndShortensLongTexts) {
  const std::string path64k = "/data/" + std::string(65536, 'd') + "/run.vnx";
  std::string manyLines;
  for (int i = 0; i < 100; ++i) manyLines += "line " + std::to_string(i) + "\r\n";
  std::string utf8;
  for (int i = 0; i < 150; ++i) utf8 += "\xC3\xA9";  // 150 characters, 300 bytes
  const struct {
    const char* what;
    std::string in;
    std::function<void(const std::string&)> check;
  } cases[] = {
      {"short text unchanged but its line ends", "first\r\nsecond\rthird",
       [](const std::string& out) { EXPECT_EQ(out, "first\nsecond\nthird"); }},
      {"a 64 KB path", "Image folder " + path64k + " is not there",
       [&](const std::string& out) {
         size_t lines = 1, longest = 0, run = 0;
         for (char c : out) {
           if (c == '\n') ++lines;
           if (c == '\n' || c == ' ') run = 0;
           else longest = std::max(longest, ++run);
         }
         EXPECT_LE(longest, kBoxLineChars);
         EXPECT_LE(lines, kBoxLines);
         EXPECT_EQ(out.substr(0, 13), "Image folder ");
         EXPECT_NE(out.find("run.vnx is not there"), std::string::npos) << "the end is kept";
       }},
      {"many lines", manyLines,
       [](const std::string& out) {
         EXPECT_EQ(std::count(out.begin(), out.end(), '\n') + 1, static_cast<long>(kBoxLines));
         EXPECT_EQ(out.substr(0, 7), "line 0\n");
         EXPECT_NE(out.find("\n\xE2\x80\xA6\n"), std::string::npos);
         EXPECT_NE(out.find("line 99"), std::string::npos);
       }},
      {"a long sentence is left to the box's own wrapping", std::string(90, 'a') + " " + std::string(50, 'b'),
       [](const std::string& out) { EXPECT_EQ(out, std::string(90, 'a') + " " + std::string(50, 'b')); }},
      {"a long path breaks after a separator", "File " + std::string(80, 'p') + "/" + std::string(40, 'q'),
       [](const std::string& out) { EXPECT_EQ(out, "File " + std::string(80, 'p') + "/\n" + std::string(40, 'q')); }},
      {"characters are not cut", utf8,
       [&](const std::string& out) { EXPECT_EQ(out, utf8.substr(0, 200) + "\n" + utf8.substr(200)); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.check(FitBoxText(c.in));
  }
}

// A box with a 64 KB text keeps itself and its OK button on the screen.
TEST(QtMessageBoxes, ALongTextKeepsTheBoxOnTheScreen) {
  QtMessageBoxes boxes;
  QRect box, ok, screen;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* b = qobject_cast<QMessageBox*>(w);
      if (!b || !b->isVisible()) continue;
      box = b->frameGeometry();
      screen = b->screen()->availableGeometry();
      QAbstractButton* button = b->buttons().first();
      ok = QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
      button->click();
    }
  });
  boxes.Show(" The image folder " + std::string(65536, 'i') + " cannot be written.", 16, "Error");
  ASSERT_FALSE(box.isEmpty());
  EXPECT_LE(box.width(), screen.width());
  EXPECT_LE(box.height(), screen.height());
  EXPECT_TRUE(screen.contains(ok)) << ok.x() << "," << ok.y() << " in " << screen.width() << "x" << screen.height();
}

// Without the program's boxes installed, a box answers as its default button would.
TEST(LoggedBoxes, AnswerWithTheDefaultButton) {
  const struct {
    int style;
    int answer;
  } cases[] = {
      {0, kOK},          {16, kOK},          {1, kOK},           {1 + 256, kCancel}, {2, kAbort},
      {2 + 256, kRetry}, {2 + 512, kIgnore}, {3 + 32, kYes},     {3 + 512, kCancel}, {4 + 256, kNo},
      {4 + 512, kYes},   {5, kRetry},        {5 + 256, kCancel}, {0 + 512, kOK},
  };
  LoggedMessageBoxes boxes;
  for (const auto& c : cases) EXPECT_EQ(boxes.Show("Text", c.style, "Title"), c.answer) << c.style;
}

TEST(LoggedBoxes, AreTheDefaultService) {
  SetMessageBoxService(nullptr);
  EXPECT_NE(dynamic_cast<LoggedMessageBoxes*>(&MessageBoxes()), nullptr);
  EXPECT_EQ(MsgBox("Continue?", 4 + 256, "Question"), kNo);
}

}  // namespace
}  // namespace vantrel::forms
