#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cctype>
#include <string>
#include <vector>

#include "platform/forms/keys.h"
#include "platform/forms/qt/controls.h"
#include "platform/forms/qt/form.h"
#include "platform/forms/qt/qt_msgbox.h"
#include "tests/support/wait.h"
#include "tests/support/wait_window.h"

namespace vantrel::forms {
namespace {

// A shown, active form with a text box that has the focus.
struct KeyForm {
  Form form{"frmMain"};
  TextBox text{form.Client(), "Text9", ""};
  CommandButton button{form.Client(), "Command7", "View local"};
  std::vector<std::string> seen;

  KeyForm() {
    form.KeyPreview = true;
    text.Move(0, 0, 3000, 300);
    button.Move(0, 600, 1500, 300);
    form.resize(300, 200);
    form.Show();
    EXPECT_TRUE(vantrel::test::WaitForWindowActive(&form));
    text.SetFocus();
    EXPECT_TRUE(text.HasFocus());
    text.KeyDown = [this](int& c, int s) { Note("text down ", c, s); };
    text.KeyPress = [this](int& a) { seen.push_back("text press " + std::to_string(a)); };
    text.KeyUp = [this](int& c, int) { Note("text up ", c); };
  }
  QLineEdit* edit() { return static_cast<QLineEdit*>(text.widget()); }
  // Key events of the modifier keys themselves (QTest presses them around the key) are left out.
  void Note(const char* what, int code, int shift = -1) {
    if (code == kKeyShift || code == kKeyControl || code == kKeyMenu) return;
    seen.push_back(what + std::to_string(code) + (shift >= 0 ? "/" + std::to_string(shift) : ""));
  }
};

TEST(KeyPreview, TheFormSeesEveryKeyFirstAndCanKeepItFromTheControl) {
  const struct {
    const char* what;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int keepDown;     // the form sets this key-down code to 0
    int changeAscii;  // the form's key press turns this character ...
    int into;         // ... into this one (0 drops it)
    const char* typed;
    std::vector<std::string> seen;
  } cases[] = {
      {"plain letter",
       Qt::Key_Q,
       {},
       0,
       0,
       0,
       "q",
       {"form down 81/0", "text down 81/0", "form press 113", "text press 113", "form up 81", "text up 81"}},
      {"key-down kept: its character still arrives",
       Qt::Key_T,
       {},
       84,
       0,
       0,
       "t",
       {"form down 84/0", "form press 116", "text press 116", "form up 84", "text up 84"}},
      {"character dropped",
       Qt::Key_X,
       {},
       0,
       'x',
       0,
       "",
       {"form down 88/0", "text down 88/0", "form press 120", "form up 88", "text up 88"}},
      {"character changed",
       Qt::Key_A,
       {},
       0,
       'a',
       'b',
       "b",
       {"form down 65/0", "text down 65/0", "form press 97", "text press 98", "form up 65", "text up 65"}},
      // QTest gives the letter's text in lower case whatever the modifiers.
      {"shift bit 1",
       Qt::Key_I,
       Qt::ShiftModifier,
       0,
       0,
       0,
       "i",
       {"form down 73/1", "text down 73/1", "form press 105", "text press 105", "form up 73", "text up 73"}},
      {"ctrl bit 2",
       Qt::Key_I,
       Qt::ControlModifier,
       73,
       0,
       0,
       "",
       {"form down 73/2", "form press 105", "text press 105", "form up 73", "text up 73"}},
      {"ctrl and shift",
       Qt::Key_F5,
       Qt::ControlModifier | Qt::ShiftModifier,
       0,
       0,
       0,
       "",
       {"form down 116/3", "text down 116/3", "form up 116", "text up 116"}},
      {"Enter kept",
       Qt::Key_Return,
       {},
       13,
       0,
       0,
       "",
       {"form down 13/0", "form press 13", "text press 13", "form up 13", "text up 13"}},
      {"typing = gives its key code",
       Qt::Key_Equal,
       {},
       0,
       0,
       0,
       "=",
       {"form down 187/0", "text down 187/0", "form press 61", "text press 61", "form up 187", "text up 187"}},
  };
  for (const auto& c : cases) {
    KeyForm k;
    k.form.KeyDown = [&](int& code, int shift) {
      k.Note("form down ", code, shift);
      if (code == c.keepDown) code = 0;
    };
    k.form.KeyPress = [&](int& a) {
      k.seen.push_back("form press " + std::to_string(a));
      if (c.changeAscii && a == c.changeAscii) a = c.into;
    };
    k.form.KeyUp = [&](int& code, int) { k.Note("form up ", code); };
    QTest::keyClick(k.edit(), c.key, c.mods);
    EXPECT_EQ(k.text.Text(), c.typed) << c.what;
    EXPECT_EQ(k.seen, c.seen) << c.what;
  }
}

TEST(KeyPreview, AKeptNavigationKeyDoesNotMoveTheCaret) {
  for (bool keep : {false, true}) {
    KeyForm k;
    k.text.SetText("abc");
    k.text.SetSelStart(0);
    k.form.KeyDown = [&](int& code, int) {
      if (keep && code == kKeyEnd) code = 0;
    };
    QTest::keyClick(k.edit(), Qt::Key_End);
    EXPECT_EQ(k.text.SelStart(), keep ? 0 : 3);
  }
}

TEST(KeyPreview, WithoutPreviewTheFormSeesOnlyItsOwnKeys) {
  KeyForm k;
  k.form.KeyPreview = false;
  int formKeys = 0;
  k.form.KeyDown = [&](int&, int) { ++formKeys; };
  QTest::keyClick(k.edit(), Qt::Key_Q);
  EXPECT_EQ(formKeys, 0);
  EXPECT_EQ(k.text.Text(), "q");
}

TEST(TextBox, AChangeHandlerMayRewriteTheTextTheUserTypes) {
  // The keyword box keeps the trimmed upper-case keyword, with the caret at the end.
  KeyForm k;
  std::string stored;
  k.text.Change = [&] {
    if (k.text.Tag == "1") return;
    k.text.Tag = "1";
    std::string word;
    for (char ch : k.text.Text())
      if (ch != ' ') word += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (k.text.Text() != word) k.text.SetText(word);
    stored = word;
    k.text.SetSelStart(static_cast<int>(word.size()));
    k.text.Tag = "";
  };
  QTest::keyClicks(k.edit(), " max");
  EXPECT_EQ(k.text.Text(), "MAX");
  EXPECT_EQ(stored, "MAX");
  EXPECT_EQ(k.text.SelStart(), 3);
}

TEST(Focus, MovesRaiseLostFocusAndGotFocusAndValidateCanKeepIt) {
  KeyForm k;
  TextBox other(k.form.Client(), "Text14", "");
  other.Move(0, 1200, 1500, 300);
  other.SetVisible(true);
  std::vector<std::string> ev;
  int cancel = 1;
  k.text.Validate = [&](int& c) {
    ev.push_back("validate");
    c = cancel;
  };
  k.text.LostFocus = [&] { ev.push_back("lost"); };
  other.GotFocus = [&] { ev.push_back("got"); };
  other.SetFocus();
  EXPECT_TRUE(test::WaitUntil([&] { return k.text.HasFocus(); }));
  cancel = 0;
  other.SetFocus();
  EXPECT_TRUE(other.HasFocus());
  EXPECT_EQ(ev, (std::vector<std::string>{"validate", "validate", "lost", "got"}));
}

TEST(Focus, AFormTornDownWithTheFocusInAControlRunsNoHandler) {
  int ran = 0;
  {
    KeyForm k;
    k.text.LostFocus = [&] { ++ran; };
    k.text.Validate = [&](int&) { ++ran; };
    k.button.GotFocus = [&] { ++ran; };
    k.form.Deactivate = [&] { ++ran; };
  }
  EXPECT_EQ(ran, 0);
}

TEST(KeyPreview, TellsWhetherTheFocusIsInATextEntry) {
  KeyForm k;
  EXPECT_TRUE(FocusInTextEntry());
  k.button.SetFocus();
  EXPECT_FALSE(FocusInTextEntry());
  k.text.SetLocked(true);
  k.text.SetFocus();
  EXPECT_FALSE(FocusInTextEntry());
}

TEST(KeyCodes, QtKeysMapToWindowsCodes) {
  const struct {
    int key;
    Qt::KeyboardModifiers mods;
    int code;
  } cases[] = {
      {Qt::Key_A, {}, 65},
      {Qt::Key_Z, Qt::ShiftModifier, 90},
      {Qt::Key_0, {}, 48},
      {Qt::Key_9, {}, 57},
      {Qt::Key_5, Qt::KeypadModifier, 101},
      {Qt::Key_PageUp, {}, 33},
      {Qt::Key_PageDown, {}, 34},
      {Qt::Key_End, {}, 35},
      {Qt::Key_Home, {}, 36},
      {Qt::Key_Left, {}, 37},
      {Qt::Key_Up, {}, 38},
      {Qt::Key_Right, {}, 39},
      {Qt::Key_Down, {}, 40},
      {Qt::Key_Return, {}, 13},
      {Qt::Key_Enter, Qt::KeypadModifier, 13},
      {Qt::Key_Escape, {}, 27},
      {Qt::Key_F1, {}, 112},
      {Qt::Key_F12, {}, 123},
      {Qt::Key_Delete, {}, 46},
      {Qt::Key_ParenLeft, Qt::ShiftModifier, 57},
      {Qt::Key_Plus, Qt::KeypadModifier, 107},
      {Qt::Key_Minus, {}, 189},
      {Qt::Key_Shift, {}, 16},
  };
  for (auto c : cases) EXPECT_EQ(WindowsKeyCode(c.key, c.mods), c.code) << std::hex << c.key;
  EXPECT_EQ(ShiftBits(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
  EXPECT_EQ(ButtonBits(Qt::LeftButton | Qt::MiddleButton), 5);
}

// Clicks OK in the message box that is open; false when none is.
bool AnswerOpenBox() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
      box->button(QMessageBox::Ok)->click();
      return true;
    }
  return false;
}

TEST(Activate, OnFirstShowAndOnReturnFromOwnFormsNeverAfterAMessageBox) {
  Form main("frmMain");
  Form video("frmVideo", &main);
  int mainActivate = 0, mainDeactivate = 0, videoActivate = 0;
  main.Activate = [&] { ++mainActivate; };
  main.Deactivate = [&] { ++mainDeactivate; };
  video.Activate = [&] { ++videoActivate; };

  main.Show();
  ASSERT_TRUE(vantrel::test::WaitForWindowActive(&main));
  ASSERT_TRUE(test::WaitUntil([&] { return mainActivate >= 1; }));
  EXPECT_EQ(mainActivate, 1) << "first show";

  // A modal message box: timers keep running (the box is closed from the third tick of one),
  // and closing it runs no Activate.
  QtMessageBoxes boxes(&main);
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (++ticks == 3) {
      EXPECT_TRUE(AnswerOpenBox());
    }
  });
  timer.start(5);
  EXPECT_EQ(boxes.Show("It is recommanded to save your Excel work now. ", 1, "Warning"), kOK);
  timer.stop();
  EXPECT_EQ(ticks, 3);
  main.activateWindow();
  QTest::qWait(20);
  EXPECT_EQ(mainActivate, 1) << "after a message box";
  EXPECT_EQ(mainDeactivate, 0);

  video.Show();
  ASSERT_TRUE(vantrel::test::WaitForWindowActive(&video));
  EXPECT_EQ(videoActivate, 1);
  EXPECT_EQ(mainDeactivate, 1);
  video.Hide();
  QTest::qWait(20);
  EXPECT_EQ(mainActivate, 2) << "back from the movie window";

  // A modal form of the program: Show waits until it is hidden; the return activates.
  Form dialog("frmDialog", &main);
  QTimer::singleShot(50, [&] { dialog.Hide(); });
  dialog.Show(1);
  EXPECT_FALSE(dialog.Visible());
  QTest::qWait(20);
  EXPECT_EQ(mainActivate, 3) << "back from the file dialog";

  // Another look at the main window while it is the active form runs nothing.
  main.activateWindow();
  QTest::qWait(20);
  EXPECT_EQ(mainActivate, 3);
}

TEST(Form, ResizeUnloadAndSizesInTwips) {
  Form f("frmMain");
  int resizes = 0;
  f.Resize = [&] { ++resizes; };
  f.Move(kKeep, kKeep, 9000, 6000);
  f.Show();
  ASSERT_TRUE(vantrel::test::WaitForWindowExposed(&f));
  EXPECT_GE(resizes, 1);
  int before = resizes;
  f.resize(400, 300);
  EXPECT_TRUE(test::WaitUntil([&] { return resizes > before; }));
  EXPECT_EQ(f.ScaleWidth(), 6000);
  EXPECT_EQ(f.ScaleHeight(), 4500);
  // The menu bar is outside the inner area; toolbars and the status bar are inside it.
  f.menuBar()->addMenu("&File");
  ASSERT_TRUE(test::WaitUntil([&] { return f.menuBar()->height() > 0 && f.ScaleHeight() < 4500; }));
  EXPECT_EQ(f.ScaleHeight(), 4500 - 15 * f.menuBar()->height());

  int cancel = 1, terminated = 0;
  f.Unload = [&](int& c) { c = cancel; };
  f.Terminate = [&] { ++terminated; };
  f.close();
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(terminated, 0);
  cancel = 0;
  f.close();
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(terminated, 1);
}

}  // namespace
}  // namespace vantrel::forms
