// Game: duel thresholds and outcomes, duel timing, kill counters and tallies across battles,
// Engage's refusals, the start of a battle and the registry of its objects.
#include "app/Game.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "math/RandomFloat.h"
#include "objects/UnitType.h"
#include "platform/Random.h"
#include "render/Sprite.h"
#include "tests/support/Battlefield.h"
#include "units/CombatSM.h"
#include "units/DyingSM.h"

namespace {

class GameTest : public Battlefield {
 protected:
  void SetUp() override {
    Battlefield::SetUp();
    UseFlatTerrain(64);
  }

  // A seed whose first random float is at or above (below when wantBelow) the threshold.
  static unsigned SeedDrawing(float threshold, bool wantBelow) {
    for (unsigned seed = 1;; ++seed) {
      const float draw = PeekRandomFloat(seed);
      if ((draw < threshold) == wantBelow) return seed;
    }
  }

  // Starts a duel and decides it with the generator seeded at `seed`.
  void FightOut(GameObject* attacker, GameObject* defender, unsigned seed) {
    game->Engage(attacker, defender);
    platform::SeedRand(seed);
    game->UpdateDuels(6.0f);
  }

  int Kills() const {
    return game->soldierKills + game->archerKills + game->berserkerKills + game->leaderKills + game->generalKills;
  }
};

TEST_F(GameTest, SoldierAttackingSoldierOnEqualGroundHasThresholdPointFourFive) {
  GameObject* a = AddBare("A", UnitType::Soldier, 0, Vector3(0, 1, 0));
  GameObject* b = AddBare("B", UnitType::Soldier, 1, Vector3(1, 1, 0));
  EXPECT_FLOAT_EQ(0.45f, Game::DuelThreshold(*a, *b));
}

TEST_F(GameTest, GeneralAttackingSoldierFromHigherGroundInWinningFormationHasThresholdOnePointOneFive) {
  GameObject* general = AddBare("G", UnitType::General, 0, Vector3(0, 2, 0));
  GameObject* soldier = AddBare("S", UnitType::Soldier, 1, Vector3(1, 1, 0));
  general->formationKind = 1;
  soldier->formationKind = 2;
  EXPECT_FLOAT_EQ(1.15f, Game::DuelThreshold(*general, *soldier));
}

TEST_F(GameTest, BloodArrowsAndUnshapedFormationsAddNoAdvantage) {
  GameObject* blood = AddBare("Blood", UnitType::Blood, 0, Vector3(0, 0, 0));
  GameObject* general = AddBare("G", UnitType::General, 1, Vector3(1, 0, 0));
  GameObject* leaderA = AddBare("L1", UnitType::SquadLeader, 0, Vector3(0, 0, 0));
  GameObject* leaderB = AddBare("L2", UnitType::SquadLeader, 1, Vector3(1, 0, 0));
  leaderA->formationKind = 4;
  leaderB->formationKind = 2;
  EXPECT_FLOAT_EQ(0.45f, Game::DuelThreshold(*blood, *general));
  EXPECT_FLOAT_EQ(0.45f, Game::DuelThreshold(*leaderA, *leaderB));
}

TEST_F(GameTest, AttackerInRangeWinningTheDrawKillsTheDefender) {
  GameObject* a = game->factory.Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = game->factory.Create(UnitType::Soldier, Vector3(1, 0, 0), 0.0f, 1);
  FightOut(a, b, SeedDrawing(0.45f, true));
  EXPECT_TRUE(b->dying);
  EXPECT_NE(nullptr, dynamic_cast<DyingSM*>(b->TopMachine()));
  EXPECT_TRUE(b->inCombat);
  EXPECT_FALSE(a->inCombat);
  EXPECT_EQ(1u, a->MachineCount());
  EXPECT_EQ(1, game->soldierKills);
  EXPECT_EQ(1, game->casualties);
}

TEST_F(GameTest, LoserWithAQueuedStackCommandStillDies) {
  GameObject* a = game->factory.Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = game->factory.Create(UnitType::Soldier, Vector3(1, 0, 0), 0.0f, 1);
  game->Engage(a, b);
  b->QueueMachineCommand(GameObject::kCommandPop);
  platform::SeedRand(SeedDrawing(0.45f, true));
  game->UpdateDuels(6.0f);
  ASSERT_TRUE(b->dying);
  StepFrames(40);
  EXPECT_EQ(nullptr, game->objects->Find("Soldier 1"));
}

TEST_F(GameTest, UnitAlreadyDyingIsNotKilledAgainByItsOtherDuel) {
  GameObject* a = game->factory.Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = game->factory.Create(UnitType::Soldier, Vector3(1, 0, 0), 0.0f, 1);
  GameObject* c = game->factory.Create(UnitType::Soldier, Vector3(0, 0, 1), 0.0f, 0);
  game->Engage(a, b);
  game->Engage(c, b);
  game->duels.back().timeLeft = 10.0f;
  platform::SeedRand(SeedDrawing(0.45f, true));
  game->UpdateDuels(6.0f);
  ASSERT_TRUE(b->dying);
  DyingSM* death = dynamic_cast<DyingSM*>(b->TopMachine());
  game->duels.back().timeLeft = 0.0f;
  platform::SeedRand(SeedDrawing(0.45f, true));
  game->UpdateDuels(0.1f);
  EXPECT_EQ(death, b->TopMachine()) << "the dying machine runs on";
  EXPECT_EQ(1, game->soldierKills);
  EXPECT_EQ(1, game->casualties);
  EXPECT_FALSE(c->inCombat);
  EXPECT_EQ(1u, c->MachineCount());
}

TEST_F(GameTest, DefenderInRangeWinsWhenTheAttackerLosesTheDraw) {
  GameObject* a = game->factory.Create(UnitType::Berserker, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = game->factory.Create(UnitType::Archer, Vector3(1, 0, 0), 0.0f, 1);
  FightOut(a, b, SeedDrawing(Game::DuelThreshold(*a, *b), false));
  EXPECT_TRUE(a->dying);
  EXPECT_FALSE(b->dying);
  EXPECT_EQ(1, game->archerKills);
  EXPECT_EQ(0, game->berserkerKills);
}

TEST_F(GameTest, ArcherLosingTheDrawToASoldierOutOfItsReachLeavesNobodyDead) {
  GameObject* archer = game->factory.Create(UnitType::Archer, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* soldier = game->factory.Create(UnitType::Soldier, Vector3(10, 0, 0), 0.0f, 1);
  FightOut(archer, soldier, SeedDrawing(Game::DuelThreshold(*archer, *soldier), false));
  EXPECT_FALSE(archer->dying || soldier->dying);
  EXPECT_FALSE(archer->inCombat || soldier->inCombat);
  EXPECT_EQ(1u, archer->MachineCount());
  EXPECT_EQ(1u, soldier->MachineCount());
  EXPECT_EQ(0, game->casualties);
  EXPECT_TRUE(game->duels.empty());
}

TEST_F(GameTest, DuelWithExactlyNoTimeLeftIsDecidedOnTheNextUpdate) {
  game->duels.push_back(Duel{"Nobody", "Neither", 0.5f});
  game->UpdateDuels(0.25f);
  game->UpdateDuels(0.25f);
  ASSERT_EQ(1u, game->duels.size());
  EXPECT_EQ(0.0f, game->duels.front().timeLeft);
  game->UpdateDuels(0.016f);
  EXPECT_TRUE(game->duels.empty());
}

TEST_F(GameTest, DuelWhoseDefenderIsGoneOnlyReleasesTheAttacker) {
  GameObject* a = game->factory.Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = game->factory.Create(UnitType::Soldier, Vector3(1, 0, 0), 0.0f, 1);
  game->Engage(a, b);
  const std::string defenderName = b->name;
  b->MarkForRemoval();
  game->objects->Update(0.016f);
  ASSERT_EQ(nullptr, game->objects->Find(defenderName));
  game->UpdateDuels(6.0f);
  EXPECT_FALSE(a->inCombat);
  EXPECT_EQ(1u, a->MachineCount());
  EXPECT_EQ(nullptr, a->FindCombatMachine());
  EXPECT_EQ(0, game->casualties);
}

TEST_F(GameTest, EngageRefusesMissingAndDyingUnitsButStillDrawsItsNumber) {
  GameObject* a = game->factory.Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = game->factory.Create(UnitType::Soldier, Vector3(1, 0, 0), 0.0f, 1);
  b->dying = true;
  platform::SeedRand(77);
  platform::Rand();
  platform::Rand();
  const int third = platform::Rand();
  platform::SeedRand(77);
  game->Engage(nullptr, a);
  game->Engage(a, b);
  EXPECT_EQ(third, platform::Rand());
  EXPECT_TRUE(game->duels.empty());
  EXPECT_FALSE(a->inCombat);
  EXPECT_EQ(1u, a->MachineCount());
}

TEST_F(GameTest, EngageGivesEachDuellistOneCombatMachineAndNamesTheOpponent) {
  GameObject* a = game->factory.Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = game->factory.Create(UnitType::Archer, Vector3(1, 0, 0), 0.0f, 1);
  game->Engage(a, b);
  game->Engage(a, b);
  ASSERT_EQ(2u, game->duels.size());
  const float length = game->duels.front().timeLeft;
  EXPECT_GE(length, 2.0f);
  EXPECT_LE(length, 5.0f);
  EXPECT_EQ(2u, a->MachineCount());
  EXPECT_EQ(2u, b->MachineCount());
  EXPECT_TRUE(a->inCombat && b->inCombat);
  EXPECT_EQ(b->name, a->targetName);
  EXPECT_EQ(a->name, b->targetName);
}

TEST_F(GameTest, CountKillCreditsTheWinnersTypeAndAlwaysCountsACasualty) {
  for (int type = 0; type <= UnitType::Arrow; ++type) game->CountKill(type);
  game->CountKill(-1);
  EXPECT_EQ(1, game->soldierKills);
  EXPECT_EQ(1, game->archerKills);
  EXPECT_EQ(1, game->berserkerKills);
  EXPECT_EQ(1, game->leaderKills);
  EXPECT_EQ(1, game->generalKills);
  EXPECT_EQ(8, game->casualties);
}

TEST_F(GameTest, FallOfTheRedGeneralScoresForBlueAndOfTheBlueForRed) {
  game->EndBattle(Team::Red);
  EXPECT_EQ(1, game->blueWins);
  EXPECT_EQ(0, game->redWins);
  game->EndBattle(Team::Blue);
  EXPECT_EQ(1, game->redWins);
  EXPECT_EQ(1, game->blueWins);
}

TEST_F(GameTest, ResetTwiceChangesNoTallyClearsCasualtiesAndKeepsKills) {
  game->CountKill(UnitType::Archer);
  game->CountKill(UnitType::Soldier);
  game->ResetBattle();
  game->ResetBattle();
  EXPECT_EQ(0, game->redWins);
  EXPECT_EQ(0, game->blueWins);
  EXPECT_EQ(0, game->casualties);
  EXPECT_EQ(1, game->archerKills);
  EXPECT_EQ(1, game->soldierKills);
}

TEST_F(GameTest, StartBattleLeavesFourHundredAndTwoObjectsWaitingToBeRegistered) {
  game->StartBattle();
  EXPECT_EQ(402u, game->objects->PendingCount());
  EXPECT_EQ(0u, game->objects->RegisteredCount());
  game->objects->Update(0.016f);
  EXPECT_EQ(402u, game->objects->RegisteredCount());
}

TEST_F(GameTest, EveryBattleNumbersItsGeneralsFromZero) {
  game->StartBattle();
  StepFrame();
  game->ResetBattle();
  StepFrame();
  GameObject* red = game->objects->Find("General 0");
  GameObject* blue = game->objects->Find("General 1");
  ASSERT_NE(nullptr, red);
  ASSERT_NE(nullptr, blue);
  EXPECT_FALSE(red->removed || blue->removed);
  EXPECT_EQ(Team::Red, red->team);
  EXPECT_EQ(Team::Blue, blue->team);
  EXPECT_EQ(nullptr, game->objects->Find("General 2"));
  EXPECT_EQ(402u, game->objects->RegisteredCount());
}

TEST_F(GameTest, OldBattleObjectsAreGoneAfterTheNextUpdate) {
  game->StartBattle();
  StepFrame();
  game->EndBattle(Team::Blue);
  EXPECT_EQ(402u, game->objects->PendingCount());
  StepFrame();
  for (GameObject* object : game->objects->Registered()) EXPECT_FALSE(object->removed) << object->name;
}

TEST_F(GameTest, TwoBloodSplatsOfOneFrameLeaveOneRegisteredAndBothEnd) {
  game->factory.Create(UnitType::Blood, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* second = game->factory.Create(UnitType::Blood, Vector3(3, 0, 0), 0.0f, 0);
  StepFrame();
  EXPECT_EQ(1u, game->objects->RegisteredCount());
  EXPECT_EQ(second, game->objects->Find("Blood"));
  StepFrames(60);
  EXPECT_EQ(nullptr, game->objects->Find("Blood"));
  EXPECT_EQ(0u, game->objects->RegisteredCount());
}

// Without its images the game has no ground: units stand where the empty field puts them, no
// path is ever found, and frames still run without a fault.
TEST_F(GameTest, MissingTexturesFolderLeavesAnEmptyFieldThatStillRuns) {
  const std::filesystem::path home = std::filesystem::current_path();
  const std::filesystem::path bare =
      std::filesystem::temp_directory_path() / ("battlesim-no-textures-" + std::to_string(getpid()));
  std::filesystem::create_directories(bare);
  std::filesystem::current_path(bare);
  Rebuild();
  std::filesystem::current_path(home);
  std::filesystem::remove_all(bare);

  EXPECT_EQ(game->terrain.width, 0);
  game->StartBattle();
  StepFrames(1500);
  EXPECT_EQ(game->objects->RegisteredCount(), 402u);
  EXPECT_EQ(game->objects->Find("General 0")->GetSprite()->position.y, 0.0f);
}

}  // namespace
