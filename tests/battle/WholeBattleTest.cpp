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
  int Kills() const { return std::accumulate(battle->KillsByType().begin(), battle->KillsByType().end(), 0); }

  BattleSummary RunBattle(unsigned seed) {
    Rebuild(Scenario{}, seed);
    battle->StartBattle();
    BattleSummary summary;
    while (battle->RedWins() + battle->BlueWins() == 0 && summary.frames < kFrameCap) {
      summary.casualtiesBeforeEnd = battle->Casualties();
      const int killsBefore = Kills();
      if (Kills() != battle->Casualties()) summary.killsMatchedCasualties = false;
      StepFrame();
      ++summary.frames;
      summary.killsInLastFrame = Kills() - killsBefore;
    }
    summary.redWins = battle->RedWins();
    summary.blueWins = battle->BlueWins();
    summary.kills = battle->KillsByType();
    summary.stateChanges = battle->StateChanges();
    summary.casualtiesAfter = battle->Casualties();
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
