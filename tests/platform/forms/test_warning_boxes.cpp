// The numeric warnings as the user sees them: the boxes, their styles, titles and answers.
#include <gtest/gtest.h>

#include <memory>

#include "numerics/warnings.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/warning_boxes.h"

namespace vantrel::forms {
namespace {

using numerics::WarningAnswer;

class WarningBoxesTest : public ::testing::Test {
 protected:
  WarningBoxesTest() : boxes(std::make_shared<ScriptedMessageBoxes>()) { SetMessageBoxService(boxes); }
  ~WarningBoxesTest() override { SetMessageBoxService(nullptr); }

  std::shared_ptr<ScriptedMessageBoxes> boxes;
  WarningBoxes sink;
};

TEST_F(WarningBoxesTest, AWarningIsAnAbortRetryIgnoreBoxAndItsButtonIsTheAnswer) {
  const struct {
    int button;
    WarningAnswer answer;
  } cases[] = {
      {kAbort, WarningAnswer::kAbort},
      {kRetry, WarningAnswer::kRetry},
      {kIgnore, WarningAnswer::kIgnore},
      {kOK, WarningAnswer::kIgnore},  // a box closed some other way goes on
  };
  for (const auto& c : cases) {
    boxes->Answer({c.button});
    EXPECT_EQ(sink.Warn("degfaute\r\nUne petite erreur"), c.answer) << c.button;
    EXPECT_EQ(boxes->boxes().back().text, "degfaute\r\nUne petite erreur");
    EXPECT_EQ(boxes->boxes().back().style, 50);
    EXPECT_EQ(boxes->boxes().back().title, "Petite erreur");
  }
}

TEST_F(WarningBoxesTest, TheCorrectionAndAConversionErrorAreBoxesOfTheirOwn) {
  sink.AwaitCorrection("Corrigez");
  sink.ReportError(6, "Overflow");
  ASSERT_EQ(boxes->boxes().size(), 2u);
  EXPECT_EQ(boxes->boxes()[0].text, "Corrigez");
  EXPECT_EQ(boxes->boxes()[0].style, 0);
  EXPECT_EQ(boxes->boxes()[0].title, "CORRECTION");
  EXPECT_EQ(boxes->boxes()[1].text, "Overflow");
  EXPECT_EQ(boxes->boxes()[1].style, 64);
  EXPECT_EQ(boxes->boxes()[1].title, "ERROR n\xC2\xB0 6");
}

}  // namespace
}  // namespace vantrel::forms
