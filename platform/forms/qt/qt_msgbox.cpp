#include "platform/forms/qt/qt_msgbox.h"

#include "platform/forms/msgbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/runtime/event_guard.h"

namespace vantrel::forms {

int QtMessageBoxes::Show(const std::string& text, int style, const std::string& title) {
  QMessageBox box(parent_);
  // Texts are built with CR LF line breaks; Qt wants LF alone. A long text is broken and
  // shortened so that the box and its buttons stay on the screen.
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(FitBoxText(text)));
  box.setWindowTitle(QString::fromStdString(title.empty() ? QApplication::applicationName().toStdString() : title));
  switch (style & 0x70) {
    case 16: box.setIcon(QMessageBox::Critical); break;
    case 32: box.setIcon(QMessageBox::Question); break;
    case 48: box.setIcon(QMessageBox::Warning); break;
    case 64: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  struct B {
    QMessageBox::StandardButton b;
    int code;
  };
  std::vector<B> buttons;
  switch (style & 0x0F) {
    case 1: buttons = {{QMessageBox::Ok, kOK}, {QMessageBox::Cancel, kCancel}}; break;
    case 2:
      buttons = {{QMessageBox::Abort, kAbort}, {QMessageBox::Retry, kRetry}, {QMessageBox::Ignore, kIgnore}};
      break;
    case 3: buttons = {{QMessageBox::Yes, kYes}, {QMessageBox::No, kNo}, {QMessageBox::Cancel, kCancel}}; break;
    case 4: buttons = {{QMessageBox::Yes, kYes}, {QMessageBox::No, kNo}}; break;
    case 5: buttons = {{QMessageBox::Retry, kRetry}, {QMessageBox::Cancel, kCancel}}; break;
    default: buttons = {{QMessageBox::Ok, kOK}}; break;
  }
  QMessageBox::StandardButtons set;
  for (const B& b : buttons) set |= b.b;
  box.setStandardButtons(set);
  size_t def = (style & 0x300) >> 8;
  if (def < buttons.size()) box.setDefaultButton(buttons[def].b);
  // Escape answers Cancel where there is one, else the only button.
  for (const B& b : buttons)
    if (b.code == kCancel) box.setEscapeButton(b.b);
  {
    rt::EventLoopScope level;
    box.exec();
  }
  auto* clicked = box.clickedButton();
  for (const B& b : buttons)
    if (clicked == box.button(b.b)) return b.code;
  return buttons.size() == 1 ? buttons[0].code : kCancel;
}

}  // namespace vantrel::forms
