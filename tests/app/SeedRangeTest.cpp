// Seed ranges and shards: what is accepted, and that the shards of a range run every seed once.
#include "app/setup/SeedRange.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {
std::vector<unsigned> SeedsOf(const SeedRange& range) {
  std::vector<unsigned> seeds;
  for (std::optional<unsigned> seed = range.First(); seed; seed = range.After(*seed)) seeds.push_back(*seed);
  return seeds;
}
}  // namespace

TEST(SeedRange, ShardsSplitTheRangeByPositionAndTogetherRunEverySeedOnce) {
  SeedRange range;
  ASSERT_EQ(SeedRange::ParseRange("4-10", range), "");
  ASSERT_EQ(SeedRange::ParseShard("1/3", range), "");
  EXPECT_EQ(SeedsOf(range), (std::vector<unsigned>{5, 8}));
  ASSERT_EQ(SeedRange::ParseShard("0/3", range), "");
  EXPECT_EQ(SeedsOf(range), (std::vector<unsigned>{4, 7, 10}));
  ASSERT_EQ(SeedRange::ParseShard("5/9", range), "");
  EXPECT_EQ(SeedsOf(range), (std::vector<unsigned>{9}));
  ASSERT_EQ(SeedRange::ParseShard("7/9", range), "");
  EXPECT_TRUE(SeedsOf(range).empty());
  EXPECT_EQ(range.Count(), 0u);
}

// The edges: a range of one seed, and a shard whose only seed is the range's last.
TEST(SeedRange, ARangeOfOneSeedAndAShardHoldingOnlyTheLastRunExactlyThose) {
  SeedRange range;
  ASSERT_EQ(SeedRange::ParseRange("7-7", range), "");
  EXPECT_EQ(SeedsOf(range), (std::vector<unsigned>{7}));
  EXPECT_EQ(range.Count(), 1u);
  ASSERT_EQ(SeedRange::ParseRange("4-10", range), "");
  ASSERT_EQ(SeedRange::ParseShard("6/7", range), "");
  EXPECT_EQ(SeedsOf(range), (std::vector<unsigned>{10}));
  EXPECT_EQ(range.Count(), 1u);
  EXPECT_TRUE(range.Holds(10));
  EXPECT_FALSE(range.Holds(11));
}

TEST(SeedRange, TheLargestSeedsEndTheRangeWithoutWrappingAround) {
  SeedRange range;
  ASSERT_EQ(SeedRange::ParseRange("4294967294-4294967295", range), "");
  EXPECT_EQ(SeedsOf(range), (std::vector<unsigned>{4294967294u, 4294967295u}));
  ASSERT_EQ(SeedRange::ParseShard("0/2", range), "");
  EXPECT_EQ(SeedsOf(range), (std::vector<unsigned>{4294967294u}));
}

TEST(SeedRange, RefusesMalformedRangesAndShards) {
  SeedRange range;
  for (const char* text : {"", "5", "6-5", "-1-3", "1--3", "1-+3", "1-4294967296", " 1-3", "1-3x"}) {
    EXPECT_NE(SeedRange::ParseRange(text, range), "") << text;
  }
  for (const char* text : {"", "3/3", "0/0", "1", "-1/3", "1/3/4"}) {
    EXPECT_NE(SeedRange::ParseShard(text, range), "") << text;
  }
}
