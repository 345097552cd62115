// A battle's random generator: its range, both ends, and repeatability by seed.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Random.h"

TEST(Random, StaysInRangeAndReachesBothEnds) {
  platform::Random random(12345);
  bool sawZero = false;
  bool sawMax = false;
  bool allInRange = true;
  for (int i = 0; i < 2'000'000; ++i) {
    const int value = random.Rand();
    allInRange = allInRange && value >= 0 && value <= platform::kRandMax;
    sawZero = sawZero || value == 0;
    sawMax = sawMax || value == 32767;
  }
  EXPECT_TRUE(allInRange);
  EXPECT_TRUE(sawZero);
  EXPECT_TRUE(sawMax);
}

TEST(Random, SameSeedGivesSameSequence) {
  auto draw = [](unsigned seed) {
    platform::Random random(seed);
    std::vector<int> values;
    for (int i = 0; i < 1000; ++i) values.push_back(random.Rand());
    return values;
  };
  const std::vector<int> first = draw(777);
  const std::vector<int> other = draw(778);
  EXPECT_EQ(first, draw(777));
  EXPECT_NE(first, other);
}

// A fixed seed must give the same draws on every platform and build; a battle replayed from a
// seed depends on it.
TEST(Random, SequenceIsFixedForASeed) {
  platform::Random random(1);
  const std::vector<int> expected = {41, 18467, 6334, 26500, 19169};
  std::vector<int> values;
  for (int i = 0; i < 5; ++i) values.push_back(random.Rand());
  EXPECT_EQ(values, expected);
}
