#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forms/qt/controls.h"
#include "platform/forms/qt/form.h"
#include "platform/runtime/event_guard.h"
#include "platform/runtime/rterror.h"

namespace vantrel::forms {
namespace {

struct Reported {
  std::vector<std::string> faults;  // "<where>|<description>"
  Reported() {
    rt::SetEventFaultReporter(
        [this](const std::string& where, const std::string& d) { faults.push_back(where + "|" + d); });
  }
  ~Reported() { rt::SetEventFaultReporter(nullptr); }
};

// A failure of any kind that leaves a handler run by a user's click ends that handler only: it is
// reported with its description, and the next click runs the handler again.
TEST(EventGuard, AFailingClickIsReportedAndTheProgramGoesOn) {
  const struct {
    const char* what;
    std::function<void()> fail;
    const char* description;
  } cases[] = {
      {"run-time error", [] { throw rt::RtError(rt::kErrPathAccess, "Path/File access error"); },
       "Path/File access error"},
      {"std exception", [] { throw std::out_of_range("map::at"); }, "map::at"},
      {"out of memory", [] { throw std::bad_alloc(); }, "Out of memory"},
      {"anything", [] { throw 42; }, "Unexpected failure"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Reported r;
    QWidget root;
    CommandButton button(&root, "Command1", "Save");
    int runs = 0;
    button.Click = [&] {
      ++runs;
      c.fail();
    };
    root.show();
    QTest::mouseClick(button.widget(), Qt::LeftButton);
    QTest::mouseClick(button.widget(), Qt::LeftButton);
    EXPECT_EQ(runs, 2);
    ASSERT_EQ(r.faults.size(), 2u);
    EXPECT_NE(r.faults[0].find(std::string("|") + c.description), std::string::npos) << r.faults[0];
  }
}

// A handler raised by a program write is part of the code that wrote: its failure goes to that
// code (which may skip the statement), not to the guard.
TEST(EventGuard, AHandlerRaisedByAProgramWriteFailsIntoTheWriter) {
  Reported r;
  QWidget root;
  CheckBox box(&root, "Check9", "Cubic View", 0);
  TextBox text(&root, "Text6", "");
  box.Click = [] { throw rt::RtError(rt::kErrNoObject); };
  int skipped = -1;
  text.Change = [&] { skipped = rt::Try([&] { box.SetValue(1); }); };
  root.show();
  QTest::keyClicks(text.widget(), "x");
  EXPECT_EQ(skipped, rt::kErrNoObject);
  EXPECT_TRUE(r.faults.empty());
  // Written by program code outside any handler (the program's start): the same.
  EXPECT_EQ(rt::Try([&] {
              rt::ProgramCodeScope start;
              box.SetValue(0);
            }),
            rt::kErrNoObject);
  EXPECT_TRUE(r.faults.empty());
}

// Events dispatched by a nested event loop inside a handler (DoEvents) are guarded again: a failing
// click there does not end the handler that runs the loop.
TEST(EventGuard, AnEventInANestedLoopIsGuardedAgain) {
  Reported r;
  QWidget root;
  CommandButton outer(&root, "Command1", "Outer");
  CommandButton inner(&root, "Command2", "Inner");
  bool outerEnded = false;
  inner.Click = [] { throw rt::RtError(rt::kErrInvalidCall); };
  outer.Click = [&] {
    QMetaObject::invokeMethod(
        inner.widget(), [&] { QTest::mouseClick(inner.widget(), Qt::LeftButton); }, Qt::QueuedConnection);
    DoEvents();
    outerEnded = true;
  };
  root.show();
  QTest::mouseClick(outer.widget(), Qt::LeftButton);
  EXPECT_TRUE(outerEnded);
  EXPECT_EQ(r.faults.size(), 1u);
}

}  // namespace
}  // namespace vantrel::forms
