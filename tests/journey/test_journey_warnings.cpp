// A numeric warning in the assembled program: the box the user sees and the answers to it.

#include "journey_fixture.h"
#include "numerics/mathas.h"

namespace vantrel::journey {
namespace {

TEST_F(JourneyTest, ANumericWarningShowsTheSmallErrorBoxThenTheCorrectionOnRetry) {
  StartProgram();
  const size_t first = boxes.size();  // the start's own boxes
  Answer({QMessageBox::Retry, QMessageBox::Ok});
  numerics::PetiteErreur("degfaute");
  ASSERT_EQ(boxes.size(), first + 2);
  EXPECT_EQ(boxes[first].title, "Petite erreur");
  EXPECT_EQ(boxes[first].text.rfind("degfaute\nUne petite erreur s'est produite", 0), 0u) << boxes[first].text;
  EXPECT_EQ(boxes[first + 1].title, "CORRECTION");
  EXPECT_EQ(boxes[first + 1].text, "Corrigez vos donn\xC3\xA9"
                                   "es! Cliquer ensuite sur Continuer ...");
  // Ignore goes on: the window is still there.
  Answer({QMessageBox::Ignore});
  numerics::PetiteErreur("normafaute");
  ASSERT_EQ(boxes.size(), first + 3);
  EXPECT_EQ(boxes[first + 2].title, "Petite erreur");
  EXPECT_TRUE(window->isVisible());
}

}  // namespace
}  // namespace vantrel::journey
