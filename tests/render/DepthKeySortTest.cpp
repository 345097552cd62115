// The back-to-front order of billboards: by depth, and billboards at equal depths in the order
// they were handed in, which decides how they blend.
#include "render/DepthKeySort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace {
std::vector<std::uint32_t> StableOrder(const std::vector<float>& depths) {
  std::vector<std::uint32_t> order(depths.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&depths](std::uint32_t a, std::uint32_t b) { return depths[a] < depths[b]; });
  return order;
}

std::vector<std::uint32_t> Sorted(DepthKeySort& sort, const std::vector<float>& depths) {
  sort.Clear();
  for (const float depth : depths) sort.Add(depth);
  return sort.Sort();
}
}  // namespace

// Depths from far apart to a few values shared by many, of both signs and both zeros, so that
// every digit of the keys decides some pairs.
TEST(DepthKeySort, OrdersByDepthAndKeepsTheHandedOrderAmongEqualDepths) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> wide(-3000.0f, 3000.0f);
  std::uniform_int_distribution<int> few(-3, 3);
  std::vector<float> depths;
  for (int i = 0; i < 5000; ++i) depths.push_back(i % 3 == 0 ? static_cast<float>(few(random)) * 0.5f : wide(random));
  depths.insert(depths.end(), {0.0f, -0.0f, 1e-30f, -1e-30f, 0.0f});
  DepthKeySort sort;
  EXPECT_EQ(Sorted(sort, depths), StableOrder(depths));
}

// Units standing in rows across the view all share their depth: registry order it stays, also
// when the sort has run on other depths before.
TEST(DepthKeySort, AllDepthsEqualLeavesTheHandedOrder) {
  DepthKeySort sort;
  Sorted(sort, {3.0f, 2.0f, 1.0f});
  const std::vector<float> row(7, 12.5f);
  EXPECT_EQ(Sorted(sort, row), StableOrder(row));
  EXPECT_TRUE(Sorted(sort, {}).empty());
}
