#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "numerics/mathas.h"
#include "numerics/quater.h"
#include "numerics/vect.h"
#include "platform/forms/msgbox.h"
#include "tests/support/guards.h"

namespace vantrel::numerics {
namespace {

using test::MsgBoxGuard;

void ExpectNear(const Vec3& a, const Vec3& b, double tol, const char* what = "") {
  for (int i = 1; i <= 3; ++i) EXPECT_NEAR(a(i), b(i), tol) << what << " component " << i;
}

TEST(Vec3, OneBasedAndCheckedIndices) {
  Vec3 v(1, 2, 3);
  EXPECT_EQ(v(1), 1);
  EXPECT_EQ(v(3), 3);
  v(2) = 5;
  EXPECT_EQ(v.e[1], 5);
  try {
    (void)v(0);
    FAIL();
  } catch (const rt::RtError& e) {
    EXPECT_EQ(e.number(), 9);
  }
  EXPECT_THROW((void)v(4), rt::RtError);
}

TEST(Vect, ProductsAndSums) {
  const Vec3 a(1, 2, 3), b(-4, 0.5, 2);
  Vec3 out;
  VectCrossDbl(Vec3(1, 0, 0), Vec3(0, 1, 0), out);
  EXPECT_EQ(out, Vec3(0, 0, 1));
  VectCrossDbl(a, b, out);
  EXPECT_EQ(out, Vec3(2.5, -14, 8.5));
  EXPECT_EQ(VectDotDbl(a, b), 3);
  EXPECT_EQ(VectDotDblCore(a, b), 3);
  VectScaleDbl(a, -2, out);
  EXPECT_EQ(out, Vec3(-2, -4, -6));
  VectAddScaledDbl(a, -1, b, out);  // b - a
  EXPECT_EQ(out, Vec3(-5, -1.5, -1));
  VectAddScaledDbl(a, 2, b, out);
  EXPECT_EQ(out, Vec3(-2, 4.5, 8));
  VectCopyDbl(a, out);
  EXPECT_EQ(out, a);
}

// Every writing routine gives the same result when its output is one of its inputs.
TEST(Vect, OutputMayBeAnInput) {
  const Vec3 a0(1, 2, 3), b0(-4, 0.5, 2);
  const Quat q(0.8f, 0.2f, -0.4f, 0.4f);
  struct Case {
    const char* name;
    void (*run)(const Vec3& a, const Vec3& b, const Quat& q, Vec3& out);
    bool outIsB;  // the output aliases b instead of a
  };
  const Case cases[] = {
      {"cross a", [](const Vec3& a, const Vec3& b, const Quat&, Vec3& o) { VectCrossDbl(a, b, o); }, false},
      {"cross b", [](const Vec3& a, const Vec3& b, const Quat&, Vec3& o) { VectCrossDbl(a, b, o); }, true},
      {"scale", [](const Vec3& a, const Vec3&, const Quat&, Vec3& o) { VectScaleDbl(a, 2, o); }, false},
      {"add a", [](const Vec3& a, const Vec3& b, const Quat&, Vec3& o) { VectAddScaledDbl(a, 3, b, o); }, false},
      {"add b", [](const Vec3& a, const Vec3& b, const Quat&, Vec3& o) { VectAddScaledDbl(a, 3, b, o); }, true},
      {"euler", [](const Vec3& a, const Vec3&, const Quat&, Vec3& o) { EulerI(a, 0.3, -1.2, 2.5, o); }, false},
      {"ecl", [](const Vec3& a, const Vec3&, const Quat&, Vec3& o) { EclToEqu(a, o); }, false},
      {"quat", [](const Vec3& a, const Vec3&, const Quat& q, Vec3& o) { QuatRotateVector(a, q, o); }, false},
  };
  for (const Case& c : cases) {
    Vec3 separate;
    c.run(a0, b0, q, separate);
    Vec3 a = a0, b = b0;
    if (c.outIsB) c.run(a, b, q, b);
    else c.run(a, b, q, a);
    EXPECT_EQ(c.outIsB ? b : a, separate) << c.name;
    EXPECT_EQ(c.outIsB ? a : b, c.outIsB ? a0 : b0) << c.name << ": other input changed";
  }
  Vec3 v(1, 2, 3);
  VectScaleDbl(v, 2, v);
  EXPECT_EQ(v, Vec3(2, 4, 6));
  Vec3 w(1, 0, 0);
  VectCrossDbl(w, Vec3(0, 1, 0), w);
  EXPECT_EQ(w, Vec3(0, 0, 1));
}

TEST(Norm, LengthsAndTheNullVector) {
  MsgBoxGuard boxes;
  EXPECT_EQ(norm(Vec3(3, 4, 0)), 5);
  EXPECT_EQ(normseule(Vec3(3, 4, 0)), 5);
  EXPECT_EQ(norm(Vec3(0, 0, 0)), 0);
  EXPECT_EQ(normseule(Vec3(0, 0, 0)), 0);
  EXPECT_TRUE(boxes.boxes().boxes().empty());
}

// A sum of squares that overflows warns; the length is still right, and the next call is
// not affected by the failed one.
TEST(Norm, OverflowWarnsAndKeepsNoStaleSum) {
  MsgBoxGuard boxes({}, forms::kIgnore);
  EXPECT_NEAR(norm(Vec3(3e200, 4e200, 0)), 5e200, 1e186);
  ASSERT_EQ(boxes.boxes().boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes().boxes()[0].text.rfind("normfaute\r\n", 0), 0u);
  EXPECT_NEAR(normseule(Vec3(0, 3e200, 4e200)), 5e200, 1e186);
  ASSERT_EQ(boxes.boxes().boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes().boxes()[1].text.rfind("normseulefaute\r\n", 0), 0u);
  EXPECT_EQ(norm(Vec3(0, 0, 0)), 0);
  EXPECT_EQ(norm(Vec3(1, 2, 2)), 3);
  EXPECT_EQ(boxes.boxes().boxes().size(), 2u);
}

TEST(Normalise, UnitVectorsAndTheNullVector) {
  MsgBoxGuard boxes({}, forms::kIgnore);
  Vec3 v(3, 4, 0);
  normalise(v);
  ExpectNear(v, Vec3(0.6, 0.8, 0), 1e-16);
  Vec3 big(1e300, 1e300, 0);  // overflowing squares: still a unit vector
  normalise(big);
  ExpectNear(big, Vec3(std::sqrt(0.5), std::sqrt(0.5), 0), 1e-15);
  const size_t before = boxes.boxes().boxes().size();
  EXPECT_EQ(before, 1u);  // the overflow of the length
  Vec3 z(0, 0, 0);
  normalise(z);
  EXPECT_EQ(z, Vec3(0, 0, 0));
  ASSERT_EQ(boxes.boxes().boxes().size(), before + 1);
  EXPECT_EQ(boxes.boxes().boxes().back().text.rfind("normafaute normalise vecteur nul = nul \r\n", 0), 0u);
  Vec3 n(std::numeric_limits<double>::quiet_NaN(), 1, 0);
  const Vec3 n0 = n;
  norma(n);
  EXPECT_TRUE(std::isnan(n(1)));
  EXPECT_EQ(n(2), n0(2));  // left as it was
}

TEST(EulerI, PlaneRotations) {
  MsgBoxGuard boxes;
  const double hp = std::acos(-1.0) / 2;
  const struct {
    Vec3 v;
    double a1, a2, a3;
    Vec3 expected;
  } cases[] = {
      {{1, 0, 0}, hp, 0, 0, {0, 1, 0}},
      {{0, 1, 0}, 0, hp, 0, {0, 0, 1}},
      {{1, 0, 0}, 0, 0, hp, {0, 1, 0}},
      {{0, 0, 1}, 0, hp, 0, {0, -1, 0}},
      // first about z, then about x, then about z: (1,0,0) -> (0,1,0) -> (0,0,1) -> (0,0,1)
      {{1, 0, 0}, hp, hp, hp, {0, 0, 1}},
      {{0, 1, 0}, hp, hp, hp, {0, -1, 0}},  // -> (-1,0,0) -> (-1,0,0) -> (0,-1,0)
      {{1, 2, 3}, 2 * hp, 0, 0, {-1, -2, 3}},
  };
  for (auto c : cases) {
    Vec3 out;
    EulerI(c.v, c.a1, c.a2, c.a3, out);
    ExpectNear(out, c.expected, 1e-15);
  }
  EXPECT_TRUE(boxes.boxes().boxes().empty());
}

// The angle cache gives the same results whatever the previous call, and zero angles
// leave the vector exactly as it is.
TEST(EulerI, CacheDoesNotLeakBetweenCalls) {
  MsgBoxGuard boxes;
  const Vec3 v(0.3, -1.7, 2.2);
  Vec3 first, again, other;
  EulerI(v, 0.4, 1.1, -0.6, first);
  EulerI(v, 0.4, 2.0, -0.6, other);
  EulerI(v, 1.0, 1.1, 0.6, other);
  EulerI(v, 0.4, 1.1, -0.6, again);
  EXPECT_EQ(again, first);
  Vec3 same;
  EulerI(v, 0, 0, 0, same);
  EXPECT_EQ(same, v);
}

// A call made while a warning of another call is open (the box runs the event loop, which
// may redraw) leaves the cache right for both.
TEST(EulerI, NestedCallDuringWarning) {
  MsgBoxGuard boxes({}, forms::kIgnore);
  const Vec3 v(1, 2, 3);
  Vec3 expectedNested, expectedAfter;
  EulerI(v, 0.7, 0.2, 0.1, expectedNested);
  EulerI(v, 0.1, 0.9, 0.3, expectedAfter);
  Vec3 nested;
  boxes.boxes().SetWhileOpen([&] { EulerI(v, 0.7, 0.2, 0.1, nested); });
  Vec3 bad;
  EulerI(Vec3(std::numeric_limits<double>::infinity(), 0, 0), 0.1, 0.9, 0.3, bad);
  ASSERT_EQ(boxes.boxes().boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes().boxes()[0].text.rfind("EulerIfaute\r\n", 0), 0u);
  EXPECT_EQ(nested, expectedNested);
  boxes.boxes().SetWhileOpen(nullptr);
  Vec3 after;
  EulerI(v, 0.1, 0.9, 0.3, after);
  EXPECT_EQ(after, expectedAfter);
  EulerI(v, 0.7, 0.2, 0.1, after);
  EXPECT_EQ(after, expectedNested);
}

TEST(EclToEqu, Obliquity2345Degrees) {
  EXPECT_DOUBLE_EQ(Obliquity(), 0.40927970959266985);
  const struct {
    Vec3 v, expected;
  } cases[] = {
      {{0, 0, 1}, {0, -0.397948631308, 0.917407699357}},
      {{1, 0, 0}, {1, 0, 0}},
      {{0, 1, 0}, {0, 0.917407699357, 0.397948631308}},
  };
  for (auto c : cases) {
    Vec3 out;
    EclToEqu(c.v, out);
    ExpectNear(out, c.expected, 5e-13);
  }
}

TEST(Quater, MatrixAndRotation) {
  Mat3f M;
  QuaterToMat(Quat(1, 0, 0, 0), M);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(M(i, j), i == j ? 1.0f : 0.0f);
  const float c = static_cast<float>(std::cos(std::acos(-1.0) / 4));
  const float h = 0.5f;
  const struct {
    Quat q;
    Vec3 v, expected;
  } cases[] = {
      {{c, 0, 0, c}, {1, 0, 0}, {0, 1, 0}},                                          // 90 degrees about z
      {{c, 0, 0, c}, {0, 0, 1}, {0, 0, 1}},   {{c, c, 0, 0}, {0, 1, 0}, {0, 0, 1}},  // 90 degrees about x
      {{c, 0, c, 0}, {0, 0, 1}, {1, 0, 0}},                                          // 90 degrees about y
      {{0, 1, 0, 0}, {0, 1, 2}, {0, -1, -2}},                                        // 180 degrees about x
      {{h, h, h, h}, {1, 0, 0}, {0, 1, 0}},  // 120 degrees about (1,1,1): x -> y -> z
      {{h, h, h, h}, {0, 0, 1}, {1, 0, 0}},   {{-c, 0, 0, -c}, {1, 0, 0}, {0, 1, 0}},  // q and -q turn alike
  };
  for (auto k : cases) {
    Vec3 out;
    QuatRotateVector(k.v, k.q, out);
    ExpectNear(out, k.expected, 2e-7);
  }
  QuaterToMat(Quat(c, 0, 0, c), M);
  EXPECT_NEAR(M(1, 2), -1.0f, 1e-7f);  // column vectors: M(1,2) = 2(xy - wz)
  EXPECT_NEAR(M(2, 1), 1.0f, 1e-7f);
}

TEST(Quater, ZeroBasedInputVector) {
  const float c = static_cast<float>(std::cos(std::acos(-1.0) / 4));
  Vec3 out;
  QuatRotateVector(std::array<double, 3>{1, 0, 0}, Quat(c, 0, 0, c), out);
  ExpectNear(out, Vec3(0, 1, 0), 2e-7);
}

}  // namespace
}  // namespace vantrel::numerics
