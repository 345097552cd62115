// Tests of the generated battlefields: the height scale is known, the armies' ground is gentle,
// steep rock exists, and every march goal can be reached under the path finder's climb rule.
#include "tools/HeightMapPainter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <utility>
#include <vector>

#include "tools/HillMapPainter.h"

namespace {

constexpr int kSide = HeightMapPainter::kSide;
// A rise of more than 0.6 between neighbouring cells stops a march; in image units that depends
// on the height range the map is scaled onto.
constexpr double BlockingRise(double range) { return 0.6 * 255.0 / range; }
constexpr double kBlockingRise = BlockingRise(10.0);

class HeightField {
 public:
  explicit HeightField(RgbaImage image = HeightMapPainter::Paint()) : image_(std::move(image)) {}
  int At(int col, int row) const { return image_.bytes[(static_cast<std::size_t>(row) * kSide + col) * 4 + 3]; }
  // World x = col - 128, z = 128 - row.
  int AtWorld(int x, int z) const { return At(x + 128, 128 - z); }
  bool NearSpire(int x, int z) const {
    return std::any_of(HeightMapPainter::kSpires.begin(), HeightMapPainter::kSpires.end(),
                       [&](const auto& s) { return std::hypot(x - s[0], z - s[1]) <= HeightMapPainter::kSpireRadius; });
  }

 private:
  RgbaImage image_;
};

// Orthogonal steps only, entering a cell only when the next step beyond it in the same
// direction does not rise too much; the outermost ring is never entered.
std::vector<bool> Reachable(const HeightField& field, int startX, int startZ, double blockingRise) {
  std::vector<bool> seen(kSide * kSide, false);
  std::deque<std::pair<int, int>> queue{{startX + 128, 128 - startZ}};
  seen[queue.front().second * kSide + queue.front().first] = true;
  constexpr int kSteps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  while (!queue.empty()) {
    const auto [col, row] = queue.front();
    queue.pop_front();
    for (const auto& step : kSteps) {
      const int c = col + step[0];
      const int r = row + step[1];
      if (c < 1 || r < 1 || c > kSide - 2 || r > kSide - 2 || seen[r * kSide + c]) {
        continue;
      }
      if (field.At(c + step[0], r + step[1]) - field.At(c, r) > blockingRise) {
        continue;
      }
      seen[r * kSide + c] = true;
      queue.push_back({c, r});
    }
  }
  return seen;
}

// March goals: x from -64 to 63, up to 15 deep into either half.
void ExpectMarchGoalsReachable(const HeightField& field, double blockingRise) {
  for (const int armyZ : {47, -47}) {
    const std::vector<bool> seen = Reachable(field, 0, armyZ, blockingRise);
    int missing = 0;
    for (int z = -15; z <= 15; ++z) {
      for (int x = -64; x <= 63; ++x) {
        missing += !seen[(128 - z) * kSide + x + 128];
      }
    }
    EXPECT_EQ(missing, 0) << "from z = " << armyZ;
    EXPECT_GT(std::count(seen.begin(), seen.end(), true), kSide * kSide * 8 / 10);
  }
}

}  // namespace

TEST(HeightMapPainter, UsesTheFullHeightRange) {
  const HeightField field;
  int low = 255;
  int high = 0;
  for (int row = 0; row < kSide; ++row) {
    for (int col = 0; col < kSide; ++col) {
      low = std::min(low, field.At(col, row));
      high = std::max(high, field.At(col, row));
    }
  }
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 255);
}

TEST(HeightMapPainter, MiddleBandIsGentleAwayFromTheSpires) {
  const HeightField field;
  int steepest = 0;
  for (int z = -60; z <= 60; ++z) {
    for (int x = -120; x < 120; ++x) {
      if (!field.NearSpire(x, z) && !field.NearSpire(x + 1, z) && !field.NearSpire(x, z + 1)) {
        steepest = std::max({steepest, std::abs(field.AtWorld(x + 1, z) - field.AtWorld(x, z)),
                             std::abs(field.AtWorld(x, z + 1) - field.AtWorld(x, z))});
      }
    }
  }
  EXPECT_LE(steepest, 4);
}

TEST(HeightMapPainter, HasGroundTooSteepToClimb) {
  const HeightField field;
  int blocking = 0;
  for (int row = 0; row + 1 < kSide; ++row) {
    for (int col = 0; col + 1 < kSide; ++col) {
      blocking += std::abs(field.At(col + 1, row) - field.At(col, row)) > kBlockingRise;
      blocking += std::abs(field.At(col, row + 1) - field.At(col, row)) > kBlockingRise;
    }
  }
  EXPECT_GT(blocking, 200);
}

TEST(HeightMapPainter, OutermostRingIsLevelWithItsInnerNeighbours) {
  const HeightField field;
  for (int i = 1; i + 1 < kSide; ++i) {
    EXPECT_EQ(field.At(i, 0), field.At(i, 1));
    EXPECT_EQ(field.At(i, kSide - 1), field.At(i, kSide - 2));
    EXPECT_EQ(field.At(0, i), field.At(1, i));
    EXPECT_EQ(field.At(kSide - 1, i), field.At(kSide - 2, i));
  }
}

TEST(HeightMapPainter, EveryMarchGoalIsReachableFromBothArmies) {
  ExpectMarchGoalsReachable(HeightField(), kBlockingRise);
}

// The hill scenario scales this map onto 0 to 14.
TEST(HillMapPainter, EveryMarchGoalIsReachableFromBothArmies) {
  ExpectMarchGoalsReachable(HeightField(HillMapPainter::Paint()), BlockingRise(14.0));
}

TEST(HillMapPainter, TopIsOnRedsHalfAndTheFarSideIsLow) {
  const HeightField field(HillMapPainter::Paint());
  EXPECT_GE(field.AtWorld(HillMapPainter::kTopX, HillMapPainter::kTopZ), 240);
  EXPECT_LE(field.AtWorld(0, -47), 60);
}
