// The random float: Rand() / 32767, both 0 and 1 reachable.
#include <gtest/gtest.h>

#include "math/RandomFloat.h"
#include "platform/Random.h"

TEST(RandomFloat, IsRandDividedByMaximum) {
  platform::Random random(99);
  const int first = random.Rand();
  const int second = random.Rand();
  random.Seed(99);
  EXPECT_EQ(RandomFloat(random), static_cast<float>(first) / 32767.0f);
  EXPECT_EQ(RandomFloat(random), static_cast<float>(second) / 32767.0f);
}

TEST(RandomFloat, StaysInUnitIntervalAndReachesBothEnds) {
  platform::Random random(4242);
  bool sawZero = false;
  bool sawOne = false;
  bool inRange = true;
  for (int i = 0; i < 2'000'000; ++i) {
    const float value = RandomFloat(random);
    inRange = inRange && value >= 0.0f && value <= 1.0f;
    sawZero = sawZero || value == 0.0f;
    sawOne = sawOne || value == 1.0f;
  }
  EXPECT_TRUE(inRange);
  EXPECT_TRUE(sawZero);
  EXPECT_TRUE(sawOne);
}
