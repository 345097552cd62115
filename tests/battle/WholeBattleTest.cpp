// Battle: a whole battle on the real map, from the two Generals to the fall of one of them. Its
// reproducibility to the last kill is held by the recorded battles of GoldenBattleTest.
#include "battle/Battle.h"

#include <gtest/gtest.h>

#include <numeric>

#include "objects/UnitType.h"
#include "tests/support/Battlefield.h"

namespace {

constexpr int kFrameCap = 20000;

struct BattleSummary {
  int redWins = 0;
  int blueWins = 0;
  int frames = 0;
  std::array<int, UnitType::kFighters> kills{};
  int stateChanges = 0;
  int casualtiesAfter = 0;
  // Every frame before the end had as many casualties as kills.
  bool killsMatchedCasualties = true;
  int casualtiesBeforeEnd = 0;
  int killsInLastFrame = 0;

  bool operator==(const BattleSummary&) const = default;
};

class WholeBattleTest : public Battlefield {
 protected:
  int Kills() const { return std::accumulate(battle->kills.begin(), battle->kills.end(), 0); }

  BattleSummary RunBattle(unsigned seed) {
    Rebuild(Scenario{}, seed);
    battle->StartBattle();
    BattleSummary summary;
    while (battle->redWins + battle->blueWins == 0 && summary.frames < kFrameCap) {
      summary.casualtiesBeforeEnd = battle->casualties;
      const int killsBefore = Kills();
      if (Kills() != battle->casualties) summary.killsMatchedCasualties = false;
      StepFrame();
      ++summary.frames;
      summary.killsInLastFrame = Kills() - killsBefore;
    }
    summary.redWins = battle->redWins;
    summary.blueWins = battle->blueWins;
    summary.kills = battle->kills;
    summary.stateChanges = battle->StateChanges();
    summary.casualtiesAfter = battle->casualties;
    return summary;
  }
};

TEST_F(WholeBattleTest, BattleEndsWithOneWinnerAndKillsAccountForEveryCasualty) {
  const BattleSummary summary = RunBattle(2024);
  ASSERT_LT(summary.frames, kFrameCap);
  EXPECT_EQ(1, summary.redWins + summary.blueWins);
  EXPECT_EQ(0, summary.casualtiesAfter);
  EXPECT_TRUE(summary.killsMatchedCasualties);
  const int kills = std::accumulate(summary.kills.begin(), summary.kills.end(), 0);
  EXPECT_EQ(summary.casualtiesBeforeEnd + summary.killsInLastFrame, kills);
  EXPECT_GE(kills, 1);
}

}  // namespace
