// Game: a whole battle on the real map, from the two Generals to the fall of one of them. Its
// reproducibility to the last kill is held by the recorded battles of GoldenBattleTest.
#include "app/Game.h"

#include <gtest/gtest.h>

#include "objects/UnitType.h"
#include "platform/Random.h"
#include "tests/support/Battlefield.h"
#include "units/SquadLeaderSM.h"

namespace {

constexpr int kFrameCap = 20000;

struct BattleSummary {
  int redWins = 0;
  int blueWins = 0;
  int frames = 0;
  int soldierKills = 0;
  int archerKills = 0;
  int berserkerKills = 0;
  int leaderKills = 0;
  int generalKills = 0;
  int stateChanges = 0;
  int casualtiesAfter = 0;
  // Every frame before the end had as many casualties as kills.
  bool killsMatchedCasualties = true;
  int casualtiesBeforeEnd = 0;
  int killsInLastFrame = 0;

  bool operator==(const BattleSummary&) const = default;
};

class BattleTest : public Battlefield {
 protected:
  int Kills() const {
    return game->soldierKills + game->archerKills + game->berserkerKills + game->leaderKills + game->generalKills;
  }

  // The squads' member types run through one program-wide cycle; two battles are alike only if
  // they start at the same point of it. Raising a squad advances it by one.
  void AlignMemberCycle(int wantedType) {
    while (SquadLeaderSM::PeekNextMemberType() != wantedType) {
      game->factory.Create(UnitType::SquadLeader, Vector3(0, 0, 0), 0.0f, Team::Red);
    }
    Rebuild();
  }

  BattleSummary RunBattle(unsigned seed) {
    AlignMemberCycle(UnitType::Berserker);
    platform::SeedRand(seed);
    game->StartBattle();
    BattleSummary summary;
    while (game->redWins + game->blueWins == 0 && summary.frames < kFrameCap) {
      summary.casualtiesBeforeEnd = game->casualties;
      const int killsBefore = Kills();
      if (Kills() != game->casualties) summary.killsMatchedCasualties = false;
      StepFrame();
      ++summary.frames;
      summary.killsInLastFrame = Kills() - killsBefore;
    }
    summary.redWins = game->redWins;
    summary.blueWins = game->blueWins;
    summary.soldierKills = game->soldierKills;
    summary.archerKills = game->archerKills;
    summary.berserkerKills = game->berserkerKills;
    summary.leaderKills = game->leaderKills;
    summary.generalKills = game->generalKills;
    summary.stateChanges = game->stateChanges;
    summary.casualtiesAfter = game->casualties;
    return summary;
  }
};

TEST_F(BattleTest, BattleEndsWithOneWinnerAndKillsAccountForEveryCasualty) {
  const BattleSummary battle = RunBattle(2024);
  ASSERT_LT(battle.frames, kFrameCap);
  EXPECT_EQ(1, battle.redWins + battle.blueWins);
  EXPECT_EQ(0, battle.casualtiesAfter);
  EXPECT_TRUE(battle.killsMatchedCasualties);
  const int kills =
      battle.soldierKills + battle.archerKills + battle.berserkerKills + battle.leaderKills + battle.generalKills;
  EXPECT_EQ(battle.casualtiesBeforeEnd + battle.killsInLastFrame, kills);
  EXPECT_GE(kills, 1);
}

}  // namespace
