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
      std::set<std::pair<float, float>> taken;
      for (int index = 0; index < ArmyLayout::SquadsThatFit(width, depth); ++index) {
        const Vector3 place = ArmyLayout::SquadPlace(team, index, general, width);
        SCOPED_TRACE(testing::Message() << width << " x " << depth << ", team " << team << ", squad " << index);
        EXPECT_TRUE(taken.insert({place.x, place.z}).second);
        EXPECT_EQ(index < ArmyLayout::kFirstRowSquads, place.z * sign == firstRow);
        EXPECT_GE(place.z * sign, firstRow);
        EXPECT_LE(place.z * sign, static_cast<float>(depth / 2 - 1));
        EXPECT_LE(std::fabs(place.x), static_cast<float>(width / 2 - 6));
      }
      EXPECT_GT(taken.size(), 20u);
    }
  }
}
