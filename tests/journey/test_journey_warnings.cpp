// A numeric warning in the assembled program: the box the user sees and the answers to it.

#include "journey_fixture.h"
#include "numerics/mathas.h"

namespace vantrel::journey {
namespace {

TEST_F(JourneyTest, ANumericWarningShowsTheSmallErrorBoxThenTheCorrectionOnRetry) {
  StartProgram();
  Answer({QMessageBox::Retry, QMessageBox::Ok});
  numerics::PetiteErreur("degfaute");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title, "Petite erreur");
  EXPECT_EQ(boxes[0].text.rfind("degfaute\nUne petite erreur s'est produite", 0), 0u) << boxes[0].text;
  EXPECT_EQ(boxes[1].title, "CORRECTION");
  EXPECT_EQ(boxes[1].text, "Corrigez vos donn\xC3\xA9" "es! Cliquer ensuite sur Continuer ...");
  // Ignore goes on: the window is still there.
  Answer({QMessageBox::Ignore});
  numerics::PetiteErreur("normafaute");
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[2].title, "Petite erreur");
  EXPECT_TRUE(window->isVisible());
}

}  // namespace
}  // namespace vantrel::journey
