// A scenario's unit count and the ceiling on it.
#include "app/setup/UnitCount.h"

#include <gtest/gtest.h>

#include <string>

TEST(UnitCount, CountsGeneralsLeadersAndFollowersOfBothSides) {
  Scenario scenario;
  EXPECT_EQ(UnitCount::Of(scenario), 402);
  scenario.armies[0].squads = 1250;
  scenario.armies[1].squads = 0;
  scenario.armies[1].followers = 1;
  EXPECT_EQ(UnitCount::Of(scenario), 50002);
}

TEST(UnitCount, RefusesMoreUnitsThanAllowedNamingBothNumbers) {
  Scenario scenario;
  std::string error;
  EXPECT_TRUE(UnitCount::WithinLimit(scenario, 402, error));
  EXPECT_FALSE(UnitCount::WithinLimit(scenario, 401, error));
  EXPECT_EQ(error, "the battle would raise 402 units, more than the 401 allowed by --max-units; raise --max-units to run it");
}
