#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/qt/control_array.h"
#include "platform/forms/qt/controls.h"
#include "platform/runtime/rterror.h"

namespace vantrel::forms {
namespace {

// Every control of one kind with a handler that records what it saw while it ran.
struct Panel {
  QWidget root;
  CheckBox check{&root, "Check3", "Satellite", 0};
  TextBox text{&root, "Text9", "MAX"};
  TextBox log{&root, "Text20", "", true};
  ComboBox combo{&root, "Combo2", "GEO satcom"};
  ListBox list{&root, "List1"};
  ScrollBar scroll{&root, "HScroll3", 0, 32000, 0, 320, 320};

  bool inWrite = false;
  std::vector<std::string> seen;  // "<control>:<value read inside the handler>:<inside the write>"

  Panel() {
    auto rec = [this](const std::string& what, std::function<std::string()> read) {
      return [this, what, read] { seen.push_back(what + ":" + read() + (inWrite ? ":in" : ":out")); };
    };
    check.Click = rec("check", [this] { return std::to_string(check.Value()); });
    text.Change = rec("text", [this] { return text.Text(); });
    log.Change = rec("log", [this] { return log.Text(); });
    combo.Change = rec("combo.change", [this] { return combo.Text(); });
    combo.Click = rec("combo.click", [this] { return std::to_string(combo.ListIndex()) + "=" + combo.Text(); });
    list.Click = rec("list", [this] { return std::to_string(list.ListIndex()); });
    scroll.Change = rec("scroll", [this] { return std::to_string(scroll.Value()); });
    for (const char* s : {"GEO satcom", "LEO Spot", "Launcher"}) combo.AddItem(s);
    for (const char* s : {"a.vnx", "b.vnx"}) list.AddItem(s);
  }
  void Write(const std::function<void()>& f) {
    inWrite = true;
    f();
    inWrite = false;
  }
};

TEST(ProgramWrites, RunTheHandlerInsideTheWriteOnlyWhenTheValueChanges) {
  const struct {
    const char* what;
    std::function<void(Panel&)> write;
    std::vector<std::string> seen;
  } cases[] = {
      {"check 0 -> 1", [](Panel& p) { p.check.SetValue(1); }, {"check:1:in"}},
      {"check 0 -> 0", [](Panel& p) { p.check.SetValue(0); }, {}},
      {"check rounds 1.5 to 2", [](Panel& p) { p.check.SetValue(1.5); }, {"check:2:in"}},
      {"check rounds 0.5 to 0", [](Panel& p) { p.check.SetValue(0.5); }, {}},
      {"text changed", [](Panel& p) { p.text.SetText("MIN"); }, {"text:MIN:in"}},
      {"text same", [](Panel& p) { p.text.SetText("MAX"); }, {}},
      {"log lines", [](Panel& p) { p.log.SetText("a\r\nb"); }, {"log:a\r\nb:in"}},
      {"log same lines written with LF",
       [](Panel& p) {
         p.log.SetText("a\r\nb");
         p.log.SetText("a\nb");
       },
       {"log:a\r\nb:in"}},
      {"combo text", [](Panel& p) { p.combo.SetText("CubeSat"); }, {"combo.change:CubeSat:in"}},
      {"combo same text", [](Panel& p) { p.combo.SetText("GEO satcom"); }, {}},
      {"combo index", [](Panel& p) { p.combo.SetListIndex(1); }, {"combo.click:1=LEO Spot:in"}},
      {"combo same index",
       [](Panel& p) {
         p.combo.SetListIndex(1);
         p.combo.SetListIndex(1);
       },
       {"combo.click:1=LEO Spot:in"}},
      {"list index", [](Panel& p) { p.list.SetListIndex(0); }, {"list:0:in"}},
      {"scroll value", [](Panel& p) { p.scroll.SetValue(64); }, {"scroll:64:in"}},
      {"scroll same value", [](Panel& p) { p.scroll.SetValue(0); }, {}},
      {"scroll rounds half to even", [](Panel& p) { p.scroll.SetValue(86.5); }, {"scroll:86:in"}},
  };
  for (const auto& c : cases) {
    Panel p;
    p.Write([&] { c.write(p); });
    EXPECT_EQ(p.seen, c.seen) << c.what;
  }
}

TEST(ProgramWrites, AHandlerThatWritesAnotherControlRunsItsHandlerInTurn) {
  // Text4(1) and Text4(4) mirror each other; the mirror stops as the second write changes nothing.
  QWidget root;
  ControlArray<TextBox> text4;
  for (int i = 0; i < 5; ++i) text4.Load(i, &root, "Text4", i == 4 ? "1.5" : "1");
  std::vector<int> calls;
  text4.Connect(&TextBox::Change, [&](int i) {
    calls.push_back(i);
    if (i == 4) text4(1).SetText(text4(4).Text());
    if (i == 1) text4(4).SetText(text4(1).Text());
  });
  text4(4).SetText("1.75");
  EXPECT_EQ(calls, (std::vector<int>{4, 1}));
  EXPECT_EQ(text4(1).Text(), "1.75");
}

TEST(UserEdits, RunTheSameHandlersOnce) {
  Panel p;
  p.check.widget()->show();
  QTest::mouseClick(static_cast<QCheckBox*>(p.check.widget()), Qt::LeftButton);
  auto* edit = static_cast<QLineEdit*>(p.text.widget());
  edit->setFocus();
  QTest::keyClicks(edit, "X");
  auto* bar = static_cast<QScrollBar*>(p.scroll.widget());
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  auto* combo = static_cast<QComboBox*>(p.combo.widget());
  emit combo->activated(2);
  EXPECT_EQ(p.seen,
            (std::vector<std::string>{"check:1:out", "text:XMAX:out", "scroll:320:out", "combo.click:2=Launcher:out"}));
}

TEST(ScrollBar, RefusesAWriteOutsideItsRangeAndKeepsItsValue) {
  const struct {
    double value;
    int error;  // 0 accepted
  } cases[] = {{0, 0},      {32000, 0},   {-1, 380},    {32001, 380},  {40000, 6},
               {-40000, 6}, {31999.6, 0}, {32000.5, 0}, {32000.6, 380}};
  for (auto c : cases) {
    QWidget root;
    ScrollBar s(&root, "HScroll8", 0, 32000, 10000, 100, 100);
    int runs = 0;
    s.Change = [&] { ++runs; };
    int err = rt::Try([&] { s.SetValue(c.value); });
    EXPECT_EQ(err, c.error) << c.value;
    if (c.error) {
      EXPECT_EQ(s.Value(), 10000) << c.value;
      EXPECT_EQ(static_cast<QScrollBar*>(s.widget())->value(), 10000);
      EXPECT_EQ(runs, 0);
    } else {
      EXPECT_EQ(static_cast<QScrollBar*>(s.widget())->value(), s.Value());
    }
  }
  QWidget root;
  ScrollBar s(&root, "HScroll8", 0, 32000, 10000, 100, 100);
  try {
    s.SetValue(-5);
    FAIL();
  } catch (const rt::RtError& e) {
    EXPECT_EQ(e.description(), "Invalid property value");
  }
}

TEST(ScrollBar, ThumbDragRunsScrollThenOneChangeAtTheEnd) {
  QWidget root;
  ScrollBar s(&root, "HScroll1", 0, 10000, 10000, 100, 100);
  std::vector<std::string> ev;
  s.Change = [&] { ev.push_back("change " + std::to_string(s.Value())); };
  s.Scroll = [&] { ev.push_back("scroll " + std::to_string(s.Value())); };
  auto* bar = static_cast<QScrollBar*>(s.widget());
  bar->setSliderDown(true);
  bar->setSliderPosition(5000);
  bar->setSliderPosition(4000);
  bar->setSliderDown(false);
  EXPECT_EQ(ev, (std::vector<std::string>{"scroll 5000", "scroll 4000", "change 4000"}));
}

TEST(ScrollBar, ANewBoundBelowTheValueMovesTheValue) {
  QWidget root;
  ScrollBar s(&root, "HScroll2", 0, 16, 9, 3, 3);
  int runs = 0;
  s.Change = [&] { ++runs; };
  s.SetMin(0);
  EXPECT_EQ(runs, 0);
  s.SetMax(5);
  EXPECT_EQ(s.Value(), 5);
  EXPECT_EQ(runs, 1);
}

TEST(CheckBox, HoldsZeroOneTwoAndTheUserNeverMakesItGrey) {
  const struct {
    int start;
    int afterClick;
  } cases[] = {{0, 1}, {1, 0}, {2, 1}};
  for (auto c : cases) {
    QWidget root;
    CheckBox b(&root, "Check9", "Cubic View", 0);
    b.SetValue(c.start);
    int clicks = 0;
    b.Click = [&] { ++clicks; };
    static_cast<QCheckBox*>(b.widget())->click();
    EXPECT_EQ(b.Value(), c.afterClick) << c.start;
    EXPECT_EQ(clicks, 1);
    auto shown = static_cast<QCheckBox*>(b.widget())->checkState();
    EXPECT_EQ(shown, c.afterClick == 1 ? Qt::Checked : Qt::Unchecked);
  }
  QWidget root;
  CheckBox b(&root, "Check9", "Cubic View", 0);
  b.SetValue(2);
  EXPECT_EQ(static_cast<QCheckBox*>(b.widget())->checkState(), Qt::PartiallyChecked);
  for (double bad : {3.0, -1.0, 2.6}) {
    EXPECT_EQ(rt::Try([&] { b.SetValue(bad); }), 380) << bad;
    EXPECT_EQ(b.Value(), 2);
  }
  EXPECT_EQ(rt::Try([] {
              QWidget r;
              CheckBox c(&r, "x", "", 5);
            }),
            380);
}

TEST(ComboBox, ListEditsLeaveTheTextAndRaiseNothing) {
  QWidget root;
  ComboBox c(&root, "Combo1", "=MAX(A2:C60)");
  int events = 0;
  c.Change = [&] { ++events; };
  c.Click = [&] { ++events; };
  c.AddItem("=MAX(A1:C9)");
  c.AddItem("=MAX(B1:D9)");
  EXPECT_EQ(c.Text(), "=MAX(A2:C60)");
  EXPECT_EQ(c.ListIndex(), -1);
  c.Clear();
  EXPECT_EQ(c.ListCount(), 0);
  EXPECT_EQ(c.Text(), "=MAX(A2:C60)");
  EXPECT_EQ(events, 0);
  // An index past the list is refused (the caller skips the error).
  EXPECT_EQ(rt::Try([&] { c.SetListIndex(0); }), 380);
  // Writing a text that is an item selects it without a click.
  c.AddItem("CubeSat");
  c.SetText("CubeSat");
  EXPECT_EQ(c.ListIndex(), 0);
  EXPECT_EQ(events, 1);
}

TEST(ControlArray, HandlersReceiveTheIndexAndElementsKeepTheirOwnTags) {
  QWidget root;
  ControlArray<CheckBox> check1;
  std::vector<int> clicked;
  check1.Connect(&CheckBox::Click, [&](int i) { clicked.push_back(i); });
  for (int i = 0; i <= 10; ++i) check1.Load(i, &root, "Check1", "", i == 8 ? 1 : 0);
  ControlArray<TextBox> text5;
  std::vector<std::pair<int, int>> keys;
  for (int i = 0; i < 18; ++i) text5.Load(i, &root, "Text5", "0");
  text5.Connect(&TextBox::KeyDown, [&](int i, int& code, int shift) { keys.push_back({i, code + shift}); });

  check1(7).SetValue(1);
  check1(9).SetValue(1);
  check1(8).SetValue(1);  // no change
  static_cast<QCheckBox*>(check1(3).widget())->click();
  EXPECT_EQ(clicked, (std::vector<int>{7, 9, 3}));
  EXPECT_EQ(check1.LBound(), 0);
  EXPECT_EQ(check1.UBound(), 10);
  EXPECT_EQ(check1(4).Index(), 4);
  check1(2).Tag = "busy";
  EXPECT_EQ(check1(2).Tag, "busy");
  EXPECT_EQ(check1(3).Tag, "");
  int code = 13;
  text5(17).KeyDown(code, 1);
  EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{{17, 14}}));
  EXPECT_EQ(rt::Try([&] { check1(11); }), 340);
  EXPECT_EQ(rt::Try([&] { check1.Load(3, &root, "Check1"); }), 360);
}

TEST(Control, PositionAndSizeInTwipsAndOwnFlags) {
  QWidget root;
  Frame options(&root, "Options", "Options");
  TextBox t7(options.Client(), "Text7", "earthjpg.jpg");
  t7.Move(120, 480, 1575, 270);
  EXPECT_EQ(t7.widget()->geometry(), QRect(8, 32, 105, 18));
  EXPECT_EQ(t7.Left(), 120);
  EXPECT_EQ(t7.Top(), 480);
  EXPECT_EQ(t7.Width(), 1575);
  EXPECT_EQ(t7.Height(), 270);
  t7.SetTop(601);  // lands on the nearest pixel
  EXPECT_EQ(t7.Top(), 600);
  t7.SetWidth(390);
  EXPECT_EQ(t7.Width(), 390);
  EXPECT_EQ(t7.Left(), 120);

  // Visible and Enabled are the control's own, whatever its container shows.
  options.SetVisible(false);
  EXPECT_TRUE(t7.Visible());
  t7.SetVisible(false);
  EXPECT_FALSE(t7.Visible());
  options.SetEnabled(false);
  EXPECT_TRUE(t7.Enabled());
  t7.SetEnabled(false);
  options.SetEnabled(true);
  EXPECT_FALSE(t7.Enabled());

  t7.SetForeColor(RGB(255, 0, 0));
  EXPECT_EQ(t7.ForeColor(), 255);
  EXPECT_EQ(t7.widget()->palette().color(QPalette::Text), QColor(255, 0, 0));
  t7.SetBackColor(RGB(128, 0, 255));
  EXPECT_EQ(t7.widget()->palette().color(QPalette::Base), QColor(128, 0, 255));
}

TEST(Control, ClickOnAFrameBackgroundAndPicturesThatCannotLoad) {
  QWidget root;
  Frame options(&root, "Options", "Options");
  options.Move(0, 0, 3000, 3000);
  int clicks = 0;
  options.Click = [&] { ++clicks; };
  QTest::mouseClick(options.widget(), Qt::LeftButton, {}, QPoint(100, 100));
  EXPECT_EQ(clicks, 1);
  // A click on a label inside the frame is the label's only.
  Label caption(options.Client(), "Label1", "Length Axis Factor");
  caption.Move(150, 300, 1500, 300);
  caption.SetVisible(true);
  int labelClicks = 0;
  caption.Click = [&] { ++labelClicks; };
  QTest::mouseClick(caption.widget(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(labelClicks, 1);
  EXPECT_EQ(clicks, 1);
  PictureBox pic(&root, "Picture1");
  EXPECT_EQ(rt::Try([&] { pic.LoadPicture("/nonexistent/none.bmp"); }), 53);
}

TEST(Control, AControlWhoseContainerWentFirstFailsWithNoObject) {
  auto frame = std::make_unique<Frame>(nullptr, "Frame1", "To run in PowerPoint");
  TextBox text(frame->Client(), "Text1", "");
  frame.reset();
  EXPECT_EQ(rt::Try([&] { text.SetText("x"); }), 91);
  EXPECT_EQ(Control::Of(nullptr), nullptr);
}

TEST(ProgressBar, RefusesAValueOutsideItsRange) {
  QWidget root;
  ProgressBar bar(&root, "ProgressBar1", 0, 100);
  bar.SetValue(40);
  EXPECT_EQ(rt::Try([&] { bar.SetValue(101); }), 380);
  EXPECT_EQ(rt::Try([&] { bar.SetValue(-1); }), 380);
  EXPECT_EQ(bar.Value(), 40);
  bar.SetMax(20);
  EXPECT_EQ(bar.Value(), 20);
}

TEST(TextBox, SelectionAndCaretInCharacters) {
  QWidget root;
  TextBox t(&root, "Text1", "\"/opt/vantrel/vantrel\" /tmp/a.vnx");
  t.SetSelStart(0);
  t.SetSelLength(static_cast<int>(t.Text().size()));
  EXPECT_EQ(t.SelText(), t.Text());
  t.SetText("MAX");
  t.SetSelStart(3);
  EXPECT_EQ(t.SelStart(), 3);
  EXPECT_EQ(t.SelLength(), 0);
}

}  // namespace
}  // namespace vantrel::forms
