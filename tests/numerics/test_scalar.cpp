#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "numerics/mathas.h"
#include "numerics/mth.h"
#include "platform/forms/msgbox.h"
#include "tests/support/guards.h"

namespace vantrel::numerics {
namespace {

using test::MsgBoxGuard;

const double kExactPi = std::acos(-1.0);

TEST(Atn2, Quadrants) {
  MsgBoxGuard boxes;
  const struct {
    double x, y, expected;
  } cases[] = {
      {0, 0, kPi / 2},      {-1, 0, kPi},         {1, -1, 7 * kExactPi / 4}, {1, 0, 0},       {0, 1, kPi / 2},
      {0, -1, 3 * kPi / 2}, {-1, 1, 3 * kPi / 4}, {-1, -1, 5 * kPi / 4},     {1, 1, kPi / 4},
  };
  for (auto c : cases) EXPECT_NEAR(Atn2(c.x, c.y), c.expected, 1e-13) << c.x << "," << c.y;
  EXPECT_TRUE(boxes.boxes().boxes().empty());
}

TEST(Atn2Sng, Quadrants) {
  EXPECT_EQ(Atn2Sng(0, 0), 0.0f);
  EXPECT_FLOAT_EQ(Atn2Sng(-1, 0), static_cast<float>(kPi));
  EXPECT_FLOAT_EQ(Atn2Sng(0, -1), static_cast<float>(-kPi / 2));
  EXPECT_FLOAT_EQ(Atn2Sng(-1, -1), static_cast<float>(-3 * kPi / 4));
  EXPECT_FLOAT_EQ(Atn2Sng(1, 1), static_cast<float>(kPi / 4));
}

TEST(Acos, RoundingOvershoot) {
  MsgBoxGuard boxes({forms::kIgnore});
  const double pi = 4 * std::atan(1.0);
  EXPECT_EQ(Acos(1.0), 0);
  EXPECT_EQ(Acos(-1.0), pi);
  EXPECT_EQ(Acos(1 + std::ldexp(1.0, -52)), 0);      // silent
  EXPECT_EQ(Acos(-(1 + std::ldexp(1.0, -51))), pi);  // silent diagnostic
  EXPECT_TRUE(boxes.boxes().boxes().empty());
  EXPECT_NEAR(Acos(0.5), pi / 3, 1e-15);
  EXPECT_NEAR(Acos(0), pi / 2, 1e-15);
  EXPECT_EQ(Acos(1.000001), 0);  // visible warning
  ASSERT_EQ(boxes.boxes().boxes().size(), 1u);
  const auto& b = boxes.boxes().boxes()[0];
  EXPECT_EQ(b.title, "Petite erreur");
  EXPECT_EQ(b.style, 50);
  EXPECT_EQ(b.text.rfind("Acosfaute Acos d'un cos > 1 ? -> arrondi \xC3\xA0 1 1.000001\r\n", 0), 0u) << b.text;
  EXPECT_EQ(Acos(-2), pi);
}

TEST(Deg, NormalisesThroughThePiLiteral) {
  MsgBoxGuard boxes;
  EXPECT_EQ(deg(4e-16), 0);
  EXPECT_NEAR(deg(-kExactPi / 2), 269.9999999999999, 1e-12);
  EXPECT_LT(deg(-kExactPi / 2), 270.0);
  EXPECT_NEAR(deg(2 * kExactPi), 3.4e-13, 0.2e-13);
  EXPECT_NEAR(deg(1e-15), 5.7e-14, 0.1e-14);
  EXPECT_NEAR(deg(DegToRad(725)), 5, 1e-9);
  EXPECT_NEAR(deg(DegToRad(-725)), 355, 1e-9);
  EXPECT_TRUE(boxes.boxes().boxes().empty());
}

TEST(Deg, TurnCountBeyondLongWarns) {
  MsgBoxGuard boxes({}, forms::kIgnore);
  deg(1e12);
  ASSERT_FALSE(boxes.boxes().boxes().empty());
  EXPECT_EQ(boxes.boxes().boxes()[0].text.rfind("degfaute", 0), 0u);
}

TEST(Deg180, Folds) {
  EXPECT_NEAR(Deg180(270), -90, 1e-9);
  EXPECT_NEAR(Deg180(180), 180, 1e-9);
  EXPECT_NEAR(Deg180(-180), 180, 1e-9);
  EXPECT_NEAR(Deg180(-30), -30, 1e-9);
}

TEST(FormatSig, Digits) {
  test::LocaleGuard loc(".", ",");
  const struct {
    double x;
    double n;
    const char* expected;
  } cases[] = {
      {1234.5, 5, " 1234.5 "},
      {-0.0012345, 5, " -0.0012345 "},
      {0, 5, " 0. "},
      {1.2345e10, 5, " 12.345E+09 "},  // exponent form, pattern #0.####E+00
      {-1.2345e10, 5, " -12.345E+09 "},
      {3.14159265, 3, " 3.142 "},
      // Powers of ten: the exponent comes from Log(x) / Log(10), which gives 2.9999999999999996
      // for 1000 and 8.999999999999998 for 1e9 (exponent one low), but exactly 8 for 1e8.
      {1000, 5, " 1000. "},
      {1e8, 5, " 100.E+06 "},
      {1e9, 5, " 100.E+07 "},
  };
  for (auto c : cases) EXPECT_EQ(FormatSig(c.x, c.n), c.expected) << c.x;
}

TEST(FormatDeg, GroupedThreeDecimals) {
  test::LocaleGuard loc(",", "\xC2\xA0");
  EXPECT_EQ(FormatDeg(1234.5), " 1\xC2\xA0"
                               "234,500 \xC2\xB0 ");
  EXPECT_EQ(FormatDeg(-0.25), "- 0,250 \xC2\xB0 ");
}

TEST(Scalar, SmallRoutines) {
  EXPECT_EQ(ULongToDouble(-1), 4294967295.0);
  EXPECT_EQ(ULongToDouble(5), 5.0);
  EXPECT_EQ(VMax(1, 2), 2);
  EXPECT_EQ(VMin(1, 2), 1);
  EXPECT_EQ(Clamp(5, 0, 3), 3);
  EXPECT_EQ(Clamp(-5, 0, 3), 0);
  double re, im;
  CplxMul(1, 2, 3, 4, re, im);
  EXPECT_EQ(re, -5);
  EXPECT_EQ(im, 10);
  EXPECT_EQ(UTrim("  isoNew "), "ISONEW");
  EXPECT_NEAR(RadToDeg(kPi), 180, 1e-12);
}

TEST(PetiteErreur, SilentTextShowsNothing) {
  MsgBoxGuard boxes;
  PetiteErreur("_quiet");
  EXPECT_TRUE(boxes.boxes().boxes().empty());
}

TEST(PetiteErreur, RetryShowsCorrectionThenReturns) {
  MsgBoxGuard boxes({forms::kRetry, forms::kOK});
  PetiteErreur("normafaute");
  ASSERT_EQ(boxes.boxes().boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes().boxes()[1].title, "CORRECTION");
  EXPECT_EQ(boxes.boxes().boxes()[1].style, 0);
  EXPECT_EQ(boxes.boxes().boxes()[1].text, "Corrigez vos donn\xC3\xA9"
                                           "es! Cliquer ensuite sur Continuer ...");
}

TEST(PetiteErreur, AbortEndsTheProgram) {
  MsgBoxGuard boxes({forms::kAbort});
  test::EndGuard end;
  EXPECT_THROW(PetiteErreur("x"), test::EndCalled);
}

TEST(PetiteErreur, NoSecondBoxWhileOneIsOpen) {
  MsgBoxGuard boxes({forms::kIgnore});
  const int before = PetiteErreurSuppressed();
  // A redraw that runs while the box is open warns again.
  boxes.boxes().SetWhileOpen([] { PetiteErreur("Atn2faute"); });
  PetiteErreur("degfaute");
  EXPECT_EQ(boxes.boxes().boxes().size(), 1u);
  EXPECT_EQ(PetiteErreurSuppressed(), before + 1);
  // Once closed, the next warning shows again.
  boxes.boxes().SetWhileOpen(nullptr);
  PetiteErreur("degfaute");
  EXPECT_EQ(boxes.boxes().boxes().size(), 2u);
}

}  // namespace
}  // namespace vantrel::numerics
