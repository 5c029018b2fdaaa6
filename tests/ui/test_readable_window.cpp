// What a user reads and works with in the shown main window: the view's corner texts are not
// covered, the panels paint their own background, the prompt shows all of its text, the caret
// keys stay in text boxes, the options panel follows a drag.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include "platform/forms/qt/bars.h"
#include "platform/glview/glview.h"
#include "tests/ui/ui_fixture.h"
#include "ui/frm_video.h"
#include "tests/support/wait_window.h"

namespace vantrel::ui {
namespace {

bool Near(QColor a, QColor b, int tol) {
  return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol &&
         std::abs(a.blue() - b.blue()) <= tol;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButtons held) {
  const QPoint global = w->mapToGlobal(local);
  QMouseEvent e(type, QPointF(local), QPointF(global), Qt::LeftButton, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
  QApplication::processEvents();
}

class ReadableWindow : public UiTest {
 protected:
  MainWindow& Shown(int width = 0, int height = 0) {
    MainWindow& m = Start({}, true);
    m.show();
    EXPECT_TRUE(vantrel::test::WaitForWindowExposed(&m));
    QApplication::setActiveWindow(&m);
    if (width > 0) m.resize(width, height);
    Settle(m);
    // A still scene: the frame read back is the frame on the screen.
    m.glxCtl1->Animation().SetRunning(false);
    Settle(m);
    return m;
  }
  static void Settle(MainWindow& m) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 400) QApplication::processEvents(QEventLoop::AllEvents, 20);
    m.Form_Resize();
    m.glxCtl1->update();
    t.restart();
    while (t.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  // What the window shows of a widget's rectangle: the view's frame and the widgets over it, in
  // their stacking order, composed by the window itself (other tests' windows on the same X
  // server do not count).
  static QImage OnScreen(QWidget* w, QRect r) {
    QWidget* top = w->window();
    const QPoint at = w->mapTo(top, r.topLeft());
    return top->grab(QRect(at, r.size())).toImage().convertToFormat(QImage::Format_RGB32);
  }
};

// --- the view's corner texts ----------------------------------------------------------------

struct CornerCase {
  const char* name;
  int width, height;  // 0: the design size
  int panel;          // 0 none, 1 options, 2 log, 3 presentation
};

// The title, date and legend lines stand from (8, 3) down to 76 pixels: there the window shows
// exactly the view's frame, whatever the window size and whichever panel is open.
TEST_F(ReadableWindow, TheViewsCornerTextsAreNotCovered) {
  const CornerCase cases[] = {
      {"design size", 0, 0, 0},          {"larger", 1500, 950, 0}, {"smaller", 560, 420, 0},
      {"options panel", 0, 0, 1},        {"log", 0, 0, 2},         {"presentation panel", 0, 0, 3},
      {"larger, options", 1500, 950, 1},
  };
  for (const CornerCase& c : cases) {
    SCOPED_TRACE(c.name);
    MainWindow& m = Shown(c.width, c.height);
    st().PlotTitle = "Readable title 0123456789";
    if (c.panel == 1) m.mnuFOptions_Click();
    if (c.panel == 2) m.StatusBar1_DblClick();
    if (c.panel == 3) {
      m.Frame1->SetVisible(true);
      m.Frame1->Move(600, 1200);
      m.Frame1->ZOrder(0);
    }
    Settle(m);
    const QImage frame = m.glxCtl1->grabFramebuffer();
    const QRect corner = QRect(8, 3, 360, 74).intersected(m.glxCtl1->rect());
    const QImage screen = OnScreen(m.glxCtl1, corner);
    ASSERT_EQ(screen.size(), corner.size());
    int title = 0, same = 0;
    for (int y = 0; y < corner.height(); ++y)
      for (int x = 0; x < corner.width(); ++x) {
        const QColor f = frame.pixelColor(corner.x() + x, corner.y() + y);
        if (y < 17 && qGray(f.rgb()) > 160) ++title;
        same += Near(f, screen.pixelColor(x, y), 8);
      }
    EXPECT_GT(title, 40) << "the title is drawn at (8, 3)";
    EXPECT_GE(same, corner.width() * corner.height() * 99 / 100) << "something covers the corner";
    w.reset();
  }
}

// --- panels -----------------------------------------------------------------------------------

// Behind a caption inside a panel the window shows the panel's colour, not the scene.
TEST_F(ReadableWindow, PanelsPaintTheirOwnBackground) {
  MainWindow& m = Shown();
  m.mnuFOptions_Click();
  m.Frame1->SetVisible(true);
  m.Frame1->Move(600, 1200);
  m.Frame1->ZOrder(0);
  Settle(m);
  struct Case {
    const char* name;
    forms::Control* panel;
    forms::Control* caption;
  } cases[] = {
      {"options panel, a check box", m.Options.get(), &m.Check1(6)},
      {"options panel, a label", m.Options.get(), &m.Label1(0)},
      {"presentation panel, a note", m.Frame1.get(), &m.Label2(2)},
  };
  // The presentation panel stands over the options panel's left part: take captions outside it.
  m.Frame1->SetVisible(false);
  Settle(m);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.panel == m.Frame1.get()) {
      m.Frame1->SetVisible(true);
      m.Frame1->ZOrder(0);
      Settle(m);
    }
    const QColor panel = c.panel->widget()->palette().color(QPalette::Window);
    const QColor scene(10, 20, 70);
    ASSERT_FALSE(Near(panel, scene, 30));
    QWidget* cap = c.caption->widget();
    const QImage screen = OnScreen(cap, cap->rect());
    int panelColour = 0, sceneColour = 0;
    for (int y = 0; y < screen.height(); ++y)
      for (int x = 0; x < screen.width(); ++x) {
        panelColour += Near(screen.pixelColor(x, y), panel, 6);
        sceneColour += Near(screen.pixelColor(x, y), scene, 6);
      }
    EXPECT_GT(panelColour, screen.width() * screen.height() / 2);
    EXPECT_EQ(sceneColour, 0);
  }
}

// The log box, shown by a double-click on the status bar, stands in front of the options panel
// that the same clicks open; the double-click is one panel click, not two.
TEST_F(ReadableWindow, DoubleClickOnTheStatusBarShowsTheLogInFront) {
  MainWindow& m = Shown();
  int panelClicks = 0;
  m.StatusBar1->PanelClick = [&](int panel) {
    ++panelClicks;
    m.StatusBar1_PanelClick(panel);
  };
  QLabel* second = m.StatusBar1->widget()->findChildren<QLabel*>().value(1);
  ASSERT_NE(second, nullptr);
  // As the window system delivers a double-click.
  for (QEvent::Type t :
       {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
    SendMouse(second, t, QPoint(20, 5), t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton);
  EXPECT_EQ(panelClicks, 1);
  EXPECT_TRUE(m.Options->Visible());
  ASSERT_TRUE(m.Text20->Visible());
  const QObjectList& order = m.Client()->children();
  EXPECT_GT(order.indexOf(m.Text20->widget()), order.indexOf(m.Options->widget()));
}

// --- the prompt -------------------------------------------------------------------------------

TEST_F(ReadableWindow, ThePromptShowsItsWholeText) {
  const std::string prompt =
      "Please enter the specification of the range of cells like \"=MAX(A2:C60)\" in the blue scroll textbox and  "
      "press the Enter Key.";
  for (int width : {0, 520}) {
    SCOPED_TRACE(width);
    MainWindow& m = Shown(width, width ? 480 : 0);
    m.SetTextTempoVisible(true);
    m.SetTextTempoText(prompt);
    Settle(m);
    auto* box = qobject_cast<QPlainTextEdit*>(m.TextTempo->widget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(m.TextTempo->Text(), prompt);
    EXPECT_EQ(box->verticalScrollBar()->maximum(), 0) << "lines hidden below the box";
    EXPECT_EQ(box->horizontalScrollBar()->maximum(), 0);
    EXPECT_LE(box->geometry().right(), m.Client()->width());
    EXPECT_EQ(m.TextTempo->Top() + m.TextTempo->Height(), m.Combo1->Top());
    EXPECT_EQ(m.Command6->Top() + m.Command6->Height(), m.TextTempo->Top());
    w.reset();
  }
}

// --- keys -------------------------------------------------------------------------------------

// In a text box the caret keys move the caret and the focus stays; elsewhere the arrow and
// page keys take the focus to the view, Home and End do not; the history box hands the arrow
// and page keys to the view itself.
TEST_F(ReadableWindow, CaretKeysStayInTextBoxes) {
  MainWindow& m = Shown();
  m.mnuFOptions_Click();
  Settle(m);
  struct Case {
    const char* name;
    forms::Control* control;
    Qt::Key key;
    bool toView;
  };
  const Case cases[] = {
      {"text box, Left", &m.Text4(0), Qt::Key_Left, false},
      {"text box, Right", &m.Text4(0), Qt::Key_Right, false},
      {"text box, Up", &m.Text4(0), Qt::Key_Up, false},
      {"text box, Down", &m.Text4(0), Qt::Key_Down, false},
      {"text box, Page Up", &m.Text4(0), Qt::Key_PageUp, false},
      {"text box, Page Down", &m.Text4(0), Qt::Key_PageDown, false},
      {"text box, Home", &m.Text4(0), Qt::Key_Home, false},
      {"text box, End", &m.Text4(0), Qt::Key_End, false},
      {"button, Page Up", m.Command7.get(), Qt::Key_PageUp, true},
      {"button, Page Down", m.Command7.get(), Qt::Key_PageDown, true},
      {"button, Home", m.Command7.get(), Qt::Key_Home, false},
      {"history box, Down", m.Combo1.get(), Qt::Key_Down, true},
      {"history box, End", m.Combo1.get(), Qt::Key_End, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.control->SetFocus();
    QApplication::processEvents();
    ASSERT_TRUE(c.control->HasFocus());
    QTest::keyClick(QApplication::focusWidget(), c.key);
    QApplication::processEvents();
    EXPECT_EQ(m.glxCtl1->hasFocus(), c.toView);
    EXPECT_EQ(c.control->HasFocus(), !c.toView);
  }
  // Typing 2, Left, 5 in a factor box gives 52.
  m.Text4(0).SetText("");
  m.Text4(0).SetFocus();
  QApplication::processEvents();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_2);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_5);
  EXPECT_EQ(m.Text4(0).Text(), "52");
}

// --- the options panel's drag, the presentation panel's mouse move -----------------------------


TEST_F(ReadableWindow, TheOptionsPanelFollowsADragOfItsBackground) {
  MainWindow& m = Shown();
  m.mnuFOptions_Click();
  Settle(m);
  int clicks = 0;
  m.Options->Click = [&] { ++clicks; };
  QWidget* panel = m.Options->widget();
  const QPoint before = panel->pos();
  // The background right of the buttons, far enough from the edges for each step of the drag.
  const QPoint grab(panel->width() - 60, panel->height() - 40);
  ASSERT_EQ(m.childAt(panel->mapTo(&m, grab)), panel);
  SendMouse(panel, QEvent::MouseButtonPress, grab, Qt::LeftButton);
  // The panel moves under the pointer: each event is given where the pointer is over it now.
  const QPoint start = panel->mapToGlobal(grab);
  for (int step = 1; step <= 4; ++step) {
    const QPoint at = panel->mapFromGlobal(start + QPoint(15 * step, 10 * step));
    SendMouse(panel, QEvent::MouseMove, at, Qt::LeftButton);
  }
  SendMouse(panel, QEvent::MouseButtonRelease, panel->mapFromGlobal(start + QPoint(60, 40)), Qt::NoButton);
  EXPECT_EQ(panel->pos(), before + QPoint(60, 40));
  EXPECT_EQ(clicks, 0) << "a drag is no click";
  // A press and release without a move still clicks, and leaves the panel where it is.
  SendMouse(panel, QEvent::MouseButtonPress, grab, Qt::LeftButton);
  SendMouse(panel, QEvent::MouseButtonRelease, grab, Qt::NoButton);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(panel->pos(), before + QPoint(60, 40));
}

TEST_F(ReadableWindow, MovingOverThePresentationPanelHidesItsPicture) {
  MainWindow& m = Shown();
  m.Frame1->SetVisible(true);
  m.Frame1->ZOrder(0);
  Settle(m);
  ASSERT_TRUE(m.Picture1(0).Visible());
  QWidget* panel = m.Frame1->widget();
  SendMouse(panel, QEvent::MouseMove, QPoint(panel->width() - 4, panel->height() - 4), Qt::NoButton);
  EXPECT_FALSE(m.Picture1(0).Visible());
}

// --- the movie sliders' captions --------------------------------------------------------------

TEST_F(UiTest, MovieSliderCaptionsAreFilledAtStartWithoutTouchingTheMovie) {
  MainWindow& m = Start();
  EXPECT_EQ(m.movieSliders_->Text11->Text(), MainFramesText(0, 20));
  EXPECT_EQ(m.movieSliders_->Text12->Text(), MovieIntervalText(1.0));
  EXPECT_FALSE(m.movieSliders_->Text11->ToolTipText().empty());
  const datastore::SettingsRecord fresh;
  EXPECT_EQ(sb().MovieMaxFrames, fresh.MovieMaxFrames);
  EXPECT_EQ(sb().MovieInterval, fresh.MovieInterval);
  // The first move of the frames slider still leaves the redraw speed alone.
  m.HScroll2->SetValue(5);
  m.movieSliders_->HScroll5->SetValue(900);
  EXPECT_EQ(m.HScroll2->Value(), 5);
  EXPECT_EQ(sb().MovieMaxFrames, 900);
}

}  // namespace
}  // namespace vantrel::ui
