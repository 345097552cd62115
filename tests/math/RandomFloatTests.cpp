// The random float: Rand() / 32767, both 0 and 1 reachable.
#include <gtest/gtest.h>

#include "math/RandomFloat.h"
#include "platform/Random.h"

TEST(RandomFloat, IsRandDividedByMaximum) {
  platform::SeedRand(99);
  const int first = platform::Rand();
  const int second = platform::Rand();
  platform::SeedRand(99);
  EXPECT_EQ(RandomFloat(), static_cast<float>(first) / 32767.0f);
  EXPECT_EQ(RandomFloat(), static_cast<float>(second) / 32767.0f);
}

TEST(RandomFloat, StaysInUnitIntervalAndReachesBothEnds) {
  platform::SeedRand(4242);
  bool sawZero = false;
  bool sawOne = false;
  bool inRange = true;
  for (int i = 0; i < 2'000'000; ++i) {
    const float value = RandomFloat();
    inRange = inRange && value >= 0.0f && value <= 1.0f;
    sawZero = sawZero || value == 0.0f;
    sawOne = sawOne || value == 1.0f;
  }
  EXPECT_TRUE(inRange);
  EXPECT_TRUE(sawZero);
  EXPECT_TRUE(sawOne);
}
