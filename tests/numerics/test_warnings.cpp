// The numeric warnings as the routines report them, to a sink that records each report.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "numerics/mathas.h"
#include "numerics/numerics_state.h"
#include "numerics/valloc.h"
#include "numerics/warnings.h"
#include "platform/runtime/rterror.h"
#include "tests/support/guards.h"

namespace vantrel::numerics {
namespace {

class RecordingSink : public WarningSink {
 public:
  struct Report {
    std::string kind, text;
  };
  WarningAnswer Warn(const std::string& text) override {
    reports.push_back({"warn", text});
    if (whileOpen) whileOpen();
    if (failWarn) throw rt::RtError(rt::kErrOverflow);
    if (answers.empty()) return WarningAnswer::kIgnore;
    const WarningAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  void AwaitCorrection(const std::string& text) override { reports.push_back({"correction", text}); }
  void ReportError(int number, const std::string& description) override {
    reports.push_back({"error", std::to_string(number) + " " + description});
  }

  std::vector<Report> reports;
  std::deque<WarningAnswer> answers;
  std::function<void()> whileOpen;
  bool failWarn = false;
};

// A fresh numerics state and a recording sink for the test.
class WarningsTest : public ::testing::Test {
 protected:
  WarningsTest() : sink(std::make_shared<RecordingSink>()) { SetWarningSink(sink); }
  ~WarningsTest() override { SetWarningSink(nullptr); }

  ScopedNumerics numerics;
  std::shared_ptr<RecordingSink> sink;
};

TEST_F(WarningsTest, EachAnswerDoesWhatItSays) {
  const std::string correction = "Corrigez vos donn\xC3\xA9"
                                 "es! Cliquer ensuite sur Continuer ...";
  const struct {
    WarningAnswer answer;
    bool ends;
    std::vector<std::string> kinds;
  } cases[] = {
      {WarningAnswer::kIgnore, false, {"warn"}},
      {WarningAnswer::kRetry, false, {"warn", "correction"}},
      {WarningAnswer::kAbort, true, {"warn"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    sink->reports.clear();
    sink->answers = {c.answer};
    test::EndGuard end;
    bool ended = false;
    try {
      PetiteErreur("degfaute");
    } catch (const test::EndCalled&) {
      ended = true;
    }
    EXPECT_EQ(ended, c.ends);
    ASSERT_EQ(sink->reports.size(), c.kinds.size());
    for (size_t i = 0; i < c.kinds.size(); ++i) EXPECT_EQ(sink->reports[i].kind, c.kinds[i]);
    EXPECT_EQ(sink->reports[0].text.rfind("degfaute\r\nUne petite erreur s'est produite", 0), 0u)
        << sink->reports[0].text;
    if (c.kinds.size() > 1) {
      EXPECT_EQ(sink->reports[1].text, correction);
    }
  }
}

TEST_F(WarningsTest, ASilentDiagnosticReachesNoSink) {
  PetiteErreur("_Acos arrondi");
  EXPECT_TRUE(sink->reports.empty());
}

// A warning raised while one is open (by a redraw the open box lets run) is counted, not shown.
TEST_F(WarningsTest, OneWarningAtATime) {
  sink->whileOpen = [] { PetiteErreur("Atn2faute"); };
  PetiteErreur("degfaute");
  EXPECT_EQ(sink->reports.size(), 1u);
  EXPECT_EQ(PetiteErreurSuppressed(), 1);
  sink->whileOpen = nullptr;
  PetiteErreur("degfaute");
  EXPECT_EQ(sink->reports.size(), 2u);
}

// A sink that fails is passed over, and the next warning is shown again.
TEST_F(WarningsTest, ASinkThatFailsLeavesTheRunGoingOn) {
  sink->failWarn = true;
  test::EndGuard end;
  EXPECT_NO_THROW(PetiteErreur("degfaute"));
  sink->failWarn = false;
  PetiteErreur("degfaute");
  EXPECT_EQ(sink->reports.size(), 2u);
  EXPECT_EQ(PetiteErreurSuppressed(), 0);
}

TEST_F(WarningsTest, ANumberTextThatDoesNotConvertIsReportedWithItsError) {
  test::LocaleGuard loc(".", ",");
  int flag;
  EXPECT_EQ(ValLocV("1,5E999", flag), 0);
  ASSERT_EQ(sink->reports.size(), 1u);
  EXPECT_EQ(sink->reports[0].kind, "error");
  EXPECT_EQ(sink->reports[0].text, "6 Overflow");
}

// Without an installed sink (a program or tool that shows no window) a warning is written to
// standard error and the run goes on.
TEST(LoggedWarnings, WriteToStandardErrorAndGoOn) {
  ScopedNumerics numerics;
  SetWarningSink(nullptr);
  test::EndGuard end;
  ::testing::internal::CaptureStderr();
  EXPECT_NO_THROW(PetiteErreur("normafaute"));
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Petite erreur: normafaute"), std::string::npos) << err;
}

}  // namespace
}  // namespace vantrel::numerics
