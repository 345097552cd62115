// Vector arithmetic in 32-bit floats.
#include <gtest/gtest.h>

#include "math/Vector3.h"

TEST(Vector3, LengthNormalizeAddAndDot) {
  Vector3 v(3.0f, 0.0f, 4.0f);
  EXPECT_EQ(v.Length(), 5.0f);
  v.Normalize();
  EXPECT_EQ(v, Vector3(0.6f, 0.0f, 0.8f));
  v += Vector3(1.0f, 2.0f, 3.0f);
  EXPECT_EQ(v, Vector3(1.6f, 2.0f, 3.8f));
  EXPECT_EQ(Vector3(1.0f, 2.0f, 3.0f).Dot(Vector3(4.0f, -5.0f, 6.0f)), 12.0f);
}
