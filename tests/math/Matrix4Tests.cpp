// Camera matrix builders against hand-computed elements: the five-decimal pi, float-rounded
// angles and float-rounded cosines and sines, multiplication on the right.
#include <gtest/gtest.h>

#include <array>

#include "math/Matrix4.h"

namespace {
void ExpectIdentityExcept(const Matrix4& m, std::initializer_list<std::pair<int, int>> skipped) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      bool skip = false;
      for (const auto& [sr, sc] : skipped) skip = skip || (sr == r && sc == c);
      if (!skip) {
        EXPECT_EQ(m.At(r, c), r == c ? 1.0 : 0.0) << "element " << r << "," << c;
      }
    }
  }
}
}  // namespace

TEST(Matrix4, StartsAsIdentityAndLoadIdentityRestoresIt) {
  Matrix4 m;
  ExpectIdentityExcept(m, {});
  m.Translate(4, 5, 6);
  m.LoadIdentity();
  ExpectIdentityExcept(m, {});
}

TEST(Matrix4, TranslateFillsLastColumn) {
  Matrix4 m;
  m.Translate(1.5, -2.0, 3.25);
  EXPECT_EQ(m.At(0, 3), 1.5);
  EXPECT_EQ(m.At(1, 3), -2.0);
  EXPECT_EQ(m.At(2, 3), 3.25);
  ExpectIdentityExcept(m, {{0, 3}, {1, 3}, {2, 3}});
}

// cos and sin of float(30 * 3.14159 / 180), each rounded to float; with full-precision pi the
// cosine would be 0.866025404.
TEST(Matrix4, RotateXUsesFiveDecimalPi) {
  Matrix4 m;
  m.RotateX(30.0);
  EXPECT_EQ(m.At(1, 1), 0.866025627f);
  EXPECT_EQ(m.At(1, 2), -0.499999613f);
  EXPECT_EQ(m.At(2, 1), 0.499999613f);
  EXPECT_EQ(m.At(2, 2), 0.866025627f);
  ExpectIdentityExcept(m, {{1, 1}, {1, 2}, {2, 1}, {2, 2}});
}

// At 41 degrees the single-precision sine differs from the double sine rounded to float in the
// last bit; the double one is the rule.
TEST(Matrix4, RotateYTakesCosineAndSineInDoubleThenRoundsToFloat) {
  Matrix4 m;
  m.RotateY(41.0);
  EXPECT_EQ(m.At(0, 0), 0.754709959f);
  EXPECT_EQ(m.At(0, 2), 0.65605855f);
  EXPECT_EQ(m.At(2, 0), -0.65605855f);
  EXPECT_EQ(m.At(2, 2), 0.754709959f);
  ExpectIdentityExcept(m, {{0, 0}, {0, 2}, {2, 0}, {2, 2}});
}

TEST(Matrix4, QuarterTurnLeavesTheShortPiResidue) {
  Matrix4 m;
  m.RotateY(90.0);
  EXPECT_EQ(m.At(0, 0), 1.26759085e-06f);
  EXPECT_EQ(m.At(0, 2), 1.0);
}

TEST(Matrix4, FrustumElements) {
  Matrix4 m;
  m.Frustum(0.5, 0.4, 1.0, 7000.0);
  EXPECT_EQ(m.At(0, 0), 2.0);
  EXPECT_EQ(m.At(1, 1), 2.5);
  EXPECT_EQ(m.At(2, 2), -7001.0 / 6999.0);
  EXPECT_EQ(m.At(2, 3), -14000.0 / 6999.0);
  EXPECT_EQ(m.At(3, 2), -1.0);
  EXPECT_EQ(m.At(3, 3), 0.0);
  ExpectIdentityExcept(m, {{0, 0}, {1, 1}, {2, 2}, {2, 3}, {3, 2}, {3, 3}});
}

// M <- M X: the transform built last is the first one applied to a point.
TEST(Matrix4, BuildersMultiplyOnTheRight) {
  Matrix4 translateThenTurn;
  translateThenTurn.Translate(10, 0, 0);
  translateThenTurn.RotateY(90.0);
  const std::array<float, 4> turned = translateThenTurn.Transform({0.0f, 0.0f, 1.0f, 1.0f});
  EXPECT_EQ(turned[0], 11.0f);
  EXPECT_EQ(turned[1], 0.0f);
  EXPECT_EQ(turned[2], 1.26759085e-06f);
  EXPECT_EQ(turned[3], 1.0f);

  Matrix4 turnThenTranslate;
  turnThenTranslate.RotateY(90.0);
  turnThenTranslate.Translate(10, 0, 0);
  const std::array<float, 4> moved = turnThenTranslate.Transform({0.0f, 0.0f, 1.0f, 1.0f});
  EXPECT_NEAR(moved[0], 1.0000127f, 1e-6f);
  EXPECT_NEAR(moved[2], -9.9999987f, 1e-6f);
}

TEST(Matrix4, MultiplyIsProductWithArgumentOnTheRight) {
  Matrix4 a;
  Matrix4 b;
  a.At(0, 1) = 2.0;  // row 0 = (1, 2, 0, 0)
  b.At(1, 0) = 3.0;  // column 0 = (1, 3, 0, 0)
  a.Multiply(b);
  EXPECT_EQ(a.At(0, 0), 7.0);
  EXPECT_EQ(a.At(1, 0), 3.0);
  EXPECT_EQ(a.At(0, 1), 2.0);
}

TEST(Matrix4, TransformMapsHomogeneousPoint) {
  Matrix4 m;
  m.Frustum(0.5, 0.4, 1.0, 7000.0);
  const std::array<float, 4> clip = m.Transform({1.0f, 2.0f, -10.0f, 1.0f});
  EXPECT_EQ(clip[0], 2.0f);
  EXPECT_EQ(clip[1], 5.0f);
  EXPECT_FLOAT_EQ(clip[2], static_cast<float>(56010.0 / 6999.0));
  EXPECT_EQ(clip[3], 10.0f);
}

TEST(Matrix4, ColumnMajorPutsTranslationAtTwelveToFourteen) {
  Matrix4 m;
  m.Frustum(0.5, 0.4, 1.0, 7000.0);
  m.Translate(1, 2, 3);
  const std::array<float, 16> gl = m.ToColumnMajor();
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(gl[c * 4 + r], static_cast<float>(m.At(r, c)));
  }
  EXPECT_EQ(gl[11], -1.0f);  // element (3, 2) of the frustum
  EXPECT_EQ(gl[12], 2.0f);   // (0, 3) = 1 / a * tx
  EXPECT_EQ(gl[15], -3.0f);  // (3, 3) = -tz
}
