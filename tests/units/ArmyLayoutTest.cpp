// ArmyLayout: where the squads stand at a battle's start, on square and non-square fields.
#include "units/ArmyLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "objects/UnitType.h"

// Every squad that fits has a place of its own on its army's half; those beyond the fifth stand
// in rows behind the first, never on one of its places, and no wider than the field allows.
TEST(ArmyLayout, SquadsBeyondTheFifthStandEachInTheirOwnPlaceBehindTheFirstRow) {
  const std::pair<int, int> fields[] = {{256, 256}, {256, 120}, {100, 256}};
  for (const auto& [width, depth] : fields) {
    for (const int team : {Team::Red, Team::Blue}) {
      const float sign = team == Team::Red ? 1.0f : -1.0f;
      const Vector3 general(0.0f, 0.0f, ArmyLayout::kGeneralDistance * sign);
      const float firstRow = ArmyLayout::kGeneralDistance + ArmyLayout::kSquadDepth;
      const auto lastRow = static_cast<float>(depth / 2 - 1);
      const auto widest = static_cast<float>(width / 2 - 6);
      std::set<std::pair<float, float>> taken;
      for (int index = 0; index < ArmyLayout::SquadsThatFit(width, depth); ++index) {
        const Vector3 place = ArmyLayout::SquadPlace(team, index, general, width);
        const float behind = place.z * sign;
        EXPECT_TRUE(taken.insert({place.x, place.z}).second) << width << " x " << depth << ", squad " << index;
        EXPECT_EQ(index < ArmyLayout::kFirstRowSquads, behind == firstRow) << index;
        EXPECT_TRUE(behind >= firstRow && behind <= lastRow && std::fabs(place.x) <= widest) << index;
      }
      EXPECT_GT(taken.size(), 20u);
    }
  }
}
