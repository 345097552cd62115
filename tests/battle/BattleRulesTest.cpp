// Battle rules: duel thresholds and outcomes, duel timing, kill counters and tallies across battles,
// Engage's refusals, the start of a battle and the registry of its objects.
#include "battle/Battle.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "math/RandomFloat.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "tests/support/Battlefield.h"
#include "tests/support/TestMessages.h"
#include "units/CombatSM.h"
#include "units/DyingSM.h"

namespace {

class BattleRulesTest : public Battlefield {
 protected:
  void SetUp() override {
    Battlefield::SetUp();
    UseFlatTerrain(64);
  }

  // A seed whose first random float is at or above (below when wantBelow) the threshold.
  unsigned SeedDrawing(float threshold, bool wantBelow) {
    for (unsigned seed = 1;; ++seed) {
      const float draw = PeekRandomFloat(seed);
      if ((draw < threshold) == wantBelow) return seed;
    }
  }

  // A seed whose first random float lies in [low, high); high above 1 admits the draw 1.
  unsigned SeedDrawingWithin(float low, float high) {
    for (unsigned seed = 1;; ++seed) {
      const float draw = PeekRandomFloat(seed);
      if (draw >= low && (draw < high || (high >= 1.0f && draw == 1.0f))) return seed;
    }
  }

  // Decides every running duel with the generator seeded at `seed`.
  void DecideDuels(unsigned seed) {
    battle->random.Seed(seed);
    battle->UpdateDuels(6.0f);
  }

  // Starts a duel and decides it with the generator seeded at `seed`.
  void FightOut(GameObject* attacker, GameObject* defender, unsigned seed) {
    battle->Engage(attacker, defender);
    DecideDuels(seed);
  }

  int Kills() const { return std::accumulate(battle->KillsByType().begin(), battle->KillsByType().end(), 0); }

  // Frames while the game is paused: the clock ticks, nothing steps.
  void PausedFrames(int count) {
    for (int frame = 0; frame < count; ++frame) AdvanceMs(kFrameMs);
  }
};

// The duel rules as written for players: the attacker wins a draw r below
// h = 0.5 + T[attacker][defender] + F[attacker shape][defender shape] + H, where H is +0.05 when
// the defender stands lower and -0.05 otherwise (also on level ground).
constexpr float kTypeTable[5][5] = {
    {0.0f, 0.2f, -0.2f, -0.2f, -0.4f},   // Soldier attacking
    {-0.2f, 0.0f, 0.2f, -0.2f, -0.4f},   // Archer
    {0.2f, -0.2f, 0.0f, -0.2f, -0.4f},   // Berserker
    {0.25f, 0.25f, 0.25f, 0.0f, -0.3f},  // SquadLeader
    {0.4f, 0.4f, 0.4f, 0.2f, 0.0f},      // General
};
constexpr float kShapeTable[3][3] = {{0.0f, 0.2f, -0.2f}, {-0.2f, 0.0f, 0.2f}, {0.2f, -0.2f, 0.0f}};

struct Matchup {
  int attackerType;
  int defenderType;
  int attackerShape = 0;
  int defenderShape = 0;
  float attackerY = 1.0f;
  float defenderY = 1.0f;
};

float RuleThreshold(const Matchup& m) {
  const bool fighters = m.attackerType < 5 && m.defenderType < 5;
  const bool shaped = m.attackerShape >= 1 && m.attackerShape <= 3 && m.defenderShape >= 1 && m.defenderShape <= 3;
  const float type = fighters ? kTypeTable[m.attackerType][m.defenderType] : 0.0f;
  const float shape = shaped ? kShapeTable[m.attackerShape - 1][m.defenderShape - 1] : 0.0f;
  return 0.5f + type + shape + (m.defenderY < m.attackerY ? 0.05f : -0.05f);
}

std::vector<Matchup> DuelRuleCells() {
  std::vector<Matchup> cells;
  for (int attacker = 0; attacker < 5; ++attacker) {
    for (int defender = 0; defender < 5; ++defender) cells.push_back({attacker, defender});
  }
  for (int attacker = 1; attacker <= 3; ++attacker) {
    for (int defender = 1; defender <= 3; ++defender) {
      cells.push_back({UnitType::SquadLeader, UnitType::SquadLeader, attacker, defender});
    }
  }
  cells.push_back({UnitType::SquadLeader, UnitType::SquadLeader, 4, 2});  // no such shape
  cells.push_back({UnitType::SquadLeader, UnitType::SquadLeader, 3, 0});  // not formed up
  cells.push_back({UnitType::Blood, UnitType::General});                  // no type advantage
  cells.push_back({UnitType::Soldier, UnitType::Arrow});
  cells.push_back({UnitType::Soldier, UnitType::Soldier, 0, 0, 2.0f, 1.0f});  // defender lower
  cells.push_back({UnitType::Soldier, UnitType::Soldier, 0, 0, 1.0f, 2.0f});  // defender higher
  return cells;
}

// For every cell, a draw just below the threshold kills the defender and a draw just at or above
// it kills the attacker (both stand within each other's reach).
TEST_F(BattleRulesTest, DuelIsDecidedByTheTypeShapeAndHeightTables) {
  int pair = 0;
  for (const Matchup& cell : DuelRuleCells()) {
    const float h = RuleThreshold(cell);
    SCOPED_TRACE(testing::Message() << "attacker " << cell.attackerType << " shape " << cell.attackerShape << " y "
                                    << cell.attackerY << ", defender " << cell.defenderType << " shape "
                                    << cell.defenderShape << " y " << cell.defenderY << ", h " << h);
    for (const bool below : {true, false}) {
      const std::string tag = std::to_string(pair++);
      GameObject* a = AddBare("A" + tag, cell.attackerType, 0, Vector3(0, cell.attackerY, 0));
      GameObject* d = AddBare("D" + tag, cell.defenderType, 1, Vector3(1, cell.defenderY, 0));
      a->formationKind = cell.attackerShape;
      d->formationKind = cell.defenderShape;
      FightOut(a, d, below ? SeedDrawingWithin(h - 0.003f, h) : SeedDrawingWithin(h, h + 0.003f));
      EXPECT_EQ(below, d->dying) << (below ? "draw below h" : "draw at or above h");
      EXPECT_EQ(!below, a->dying) << (below ? "draw below h" : "draw at or above h");
    }
  }
}

// A General attacking a soldier from higher ground in the winning shape has h = 1.15: no draw
// can save the soldier.
TEST_F(BattleRulesTest, GeneralFromHigherGroundInTheWinningShapeAlwaysWins) {
  const Matchup cell{UnitType::General, UnitType::Soldier, 1, 2, 2.0f, 1.0f};
  ASSERT_FLOAT_EQ(1.15f, RuleThreshold(cell));
  GameObject* general = AddBare("G", cell.attackerType, 0, Vector3(0, 2, 0));
  GameObject* soldier = AddBare("S", cell.defenderType, 1, Vector3(1, 1, 0));
  general->formationKind = 1;
  soldier->formationKind = 2;
  FightOut(general, soldier, SeedDrawingWithin(0.999f, 1.0f));
  EXPECT_TRUE(soldier->dying);
  EXPECT_FALSE(general->dying);
}

// The length is 3 x the random float + 2: the lowest draws give about 2 s, the highest about 5 s.
TEST_F(BattleRulesTest, DuelLastsTwoToFiveSecondsSpreadOverTheWholeDraw) {
  GameObject* a = AddBare("A", UnitType::Soldier, 0, Vector3(0, 0, 0));
  GameObject* b = AddBare("B", UnitType::Soldier, 1, Vector3(1, 0, 0));
  for (const unsigned seed :
       {SeedDrawingWithin(0.0f, 0.002f), SeedDrawingWithin(0.5f, 0.6f), SeedDrawingWithin(0.998f, 1.0f)}) {
    const float draw = PeekRandomFloat(seed);
    battle->Engage(a, b);
    EXPECT_FLOAT_EQ(3.0f * draw + 2.0f, battle->Duels().back().timeLeft) << "draw " << draw;
  }
  EXPECT_LT(battle->Duels().front().timeLeft, 2.01f);
  EXPECT_GT(battle->Duels().back().timeLeft, 4.99f);
}

TEST_F(BattleRulesTest, AttackerInRangeWinningTheDrawKillsTheDefender) {
  GameObject* a = battle->Factory().Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = battle->Factory().Create(UnitType::Soldier, Vector3(1, 0, 0), 0.0f, 1);
  FightOut(a, b, SeedDrawing(0.45f, true));
  EXPECT_TRUE(b->dying);
  EXPECT_NE(nullptr, dynamic_cast<DyingSM*>(b->TopMachine()));
  EXPECT_TRUE(b->inCombat);
  EXPECT_FALSE(a->inCombat);
  EXPECT_EQ(1u, a->MachineCount());
  EXPECT_EQ(1, battle->Kills(UnitType::Soldier));
  EXPECT_EQ(1, battle->Casualties());
}

TEST_F(BattleRulesTest, LoserWithAQueuedStackCommandStillDies) {
  GameObject* a = battle->Factory().Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = battle->Factory().Create(UnitType::Soldier, Vector3(1, 0, 0), 0.0f, 1);
  battle->Engage(a, b);
  b->QueueMachineCommand(GameObject::kCommandPop);
  DecideDuels(SeedDrawing(0.45f, true));
  ASSERT_TRUE(b->dying);
  StepFrames(40);
  EXPECT_EQ(nullptr, battle->objects->Find("Soldier 1"));
}

// The loser's earlier machine left a delayed change of state queued, stamped as the dying
// machine will stamp its own delayed death; whatever the stamp, the unit dies.
TEST_F(BattleRulesTest, LoserWithADelayedChangeOfItsOldMachineStillDies) {
  GameObject* a = battle->Factory().Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = battle->Factory().Create(UnitType::Soldier, Vector3(1, 0, 0), 0.0f, 1);
  battle->Engage(a, b);
  for (int stamp = 0; stamp < 4; ++stamp) {
    battle->router->Send(0.5f, MSG_CHANGE_STATE_DELAYED, b->name, b->name, SCOPE_Substate, stamp, DATA_Integer, 4,
                         false);
  }
  DecideDuels(SeedDrawing(0.45f, true));
  ASSERT_TRUE(b->dying);
  StepFrames(60);
  EXPECT_EQ(nullptr, battle->objects->Find("Soldier 1"));
}

TEST_F(BattleRulesTest, UnitAlreadyDyingIsNotKilledAgainByItsOtherDuel) {
  GameObject* a = battle->Factory().Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = battle->Factory().Create(UnitType::Soldier, Vector3(1, 0, 0), 0.0f, 1);
  GameObject* c = battle->Factory().Create(UnitType::Soldier, Vector3(0, 0, 1), 0.0f, 0);
  // The first duel lasts about 2 s, the second about 5 s: the first is decided alone.
  battle->random.Seed(SeedDrawingWithin(0.0f, 0.1f));
  battle->Engage(a, b);
  battle->random.Seed(SeedDrawingWithin(0.9f, 1.1f));
  battle->Engage(c, b);
  battle->random.Seed(SeedDrawing(0.45f, true));
  battle->UpdateDuels(3.0f);
  ASSERT_TRUE(b->dying);
  ASSERT_EQ(1u, battle->Duels().size());
  DyingSM* death = dynamic_cast<DyingSM*>(b->TopMachine());
  DecideDuels(SeedDrawing(0.45f, true));
  EXPECT_EQ(death, b->TopMachine()) << "the dying machine runs on";
  EXPECT_EQ(1, battle->Kills(UnitType::Soldier));
  EXPECT_EQ(1, battle->Casualties());
  EXPECT_FALSE(c->inCombat);
  EXPECT_EQ(1u, c->MachineCount());
}

TEST_F(BattleRulesTest, ArcherLosingTheDrawToASoldierOutOfItsReachLeavesNobodyDead) {
  GameObject* archer = battle->Factory().Create(UnitType::Archer, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* soldier = battle->Factory().Create(UnitType::Soldier, Vector3(10, 0, 0), 0.0f, 1);
  FightOut(archer, soldier, SeedDrawing(RuleThreshold({UnitType::Archer, UnitType::Soldier}), false));
  EXPECT_FALSE(archer->dying || soldier->dying);
  EXPECT_FALSE(archer->inCombat || soldier->inCombat);
  EXPECT_EQ(1u, archer->MachineCount());
  EXPECT_EQ(1u, soldier->MachineCount());
  EXPECT_EQ(0, battle->Casualties());
  EXPECT_TRUE(battle->Duels().empty());
}

TEST_F(BattleRulesTest, DuelWithExactlyNoTimeLeftIsDecidedOnTheNextUpdate) {
  battle->Engage(AddBare("A", UnitType::Soldier, 0, Vector3(0, 0, 0)),
                 AddBare("B", UnitType::Soldier, 1, Vector3(1, 0, 0)));
  // Halving is exact: the two halves leave exactly nothing.
  const float half = battle->Duels().front().timeLeft / 2.0f;
  battle->UpdateDuels(half);
  battle->UpdateDuels(half);
  ASSERT_EQ(1u, battle->Duels().size());
  EXPECT_EQ(0.0f, battle->Duels().front().timeLeft);
  battle->UpdateDuels(0.016f);
  EXPECT_TRUE(battle->Duels().empty());
}

// Whichever duellist is gone, the one left leaves combat and its combat machine, nobody dies and
// no number is drawn.
TEST_F(BattleRulesTest, DuelWithOneDuellistGoneOnlyReleasesTheOtherAndDrawsNoNumber) {
  for (const bool attackerGone : {true, false}) {
    SCOPED_TRACE(attackerGone ? "attacker gone" : "defender gone");
    GameObject* a = battle->Factory().Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
    GameObject* b = battle->Factory().Create(UnitType::Soldier, Vector3(1, 0, 0), 0.0f, 1);
    battle->Engage(a, b);
    GameObject* gone = attackerGone ? a : b;
    GameObject* left = attackerGone ? b : a;
    const std::string goneName = gone->name;
    gone->MarkForRemoval();
    battle->objects->Update(0.016f);
    ASSERT_EQ(nullptr, battle->objects->Find(goneName));
    battle->random.Seed(99);
    const int firstDraw = battle->random.Rand();
    battle->random.Seed(99);
    battle->UpdateDuels(6.0f);
    EXPECT_EQ(firstDraw, battle->random.Rand());
    EXPECT_FALSE(left->inCombat);
    EXPECT_EQ(1u, left->MachineCount());
    EXPECT_EQ(nullptr, left->FindMachine<CombatSM>());
    EXPECT_EQ(0, battle->Casualties());
    EXPECT_TRUE(battle->Duels().empty());
  }
}

TEST_F(BattleRulesTest, EngageRefusesMissingAndDyingUnitsButStillDrawsItsNumber) {
  GameObject* a = battle->Factory().Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = battle->Factory().Create(UnitType::Soldier, Vector3(1, 0, 0), 0.0f, 1);
  b->dying = true;
  battle->random.Seed(77);
  battle->random.Rand();
  battle->random.Rand();
  const int third = battle->random.Rand();
  battle->random.Seed(77);
  battle->Engage(nullptr, a);
  battle->Engage(a, b);
  EXPECT_EQ(third, battle->random.Rand());
  EXPECT_TRUE(battle->Duels().empty());
  EXPECT_FALSE(a->inCombat);
  EXPECT_EQ(1u, a->MachineCount());
}

TEST_F(BattleRulesTest, EngageGivesEachDuellistOneCombatMachineAndNamesTheOpponent) {
  GameObject* a = battle->Factory().Create(UnitType::Soldier, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* b = battle->Factory().Create(UnitType::Archer, Vector3(1, 0, 0), 0.0f, 1);
  battle->Engage(a, b);
  battle->Engage(a, b);
  ASSERT_EQ(2u, battle->Duels().size());
  EXPECT_EQ(2u, a->MachineCount());
  EXPECT_EQ(2u, b->MachineCount());
  EXPECT_TRUE(a->inCombat && b->inCombat);
  EXPECT_EQ(b->name, a->targetName);
  EXPECT_EQ(a->name, b->targetName);
}

TEST_F(BattleRulesTest, CountKillCreditsTheWinnersTypeAndAlwaysCountsACasualty) {
  for (int type = 0; type <= UnitType::Arrow; ++type) battle->CountKill(type);
  battle->CountKill(-1);
  EXPECT_EQ(1, battle->Kills(UnitType::Soldier));
  EXPECT_EQ(1, battle->Kills(UnitType::Archer));
  EXPECT_EQ(1, battle->Kills(UnitType::Berserker));
  EXPECT_EQ(1, battle->Kills(UnitType::SquadLeader));
  EXPECT_EQ(1, battle->Kills(UnitType::General));
  EXPECT_EQ(8, battle->Casualties());
}

TEST_F(BattleRulesTest, FallOfTheRedGeneralScoresForBlueAndOfTheBlueForRed) {
  battle->EndBattle(Team::Red);
  EXPECT_EQ(1, battle->BlueWins());
  EXPECT_EQ(0, battle->RedWins());
  battle->EndBattle(Team::Blue);
  EXPECT_EQ(1, battle->RedWins());
  EXPECT_EQ(1, battle->BlueWins());
}

TEST_F(BattleRulesTest, ResetTwiceChangesNoTallyClearsCasualtiesAndKeepsKills) {
  battle->CountKill(UnitType::Archer);
  battle->CountKill(UnitType::Soldier);
  battle->ResetBattle();
  battle->ResetBattle();
  EXPECT_EQ(0, battle->RedWins());
  EXPECT_EQ(0, battle->BlueWins());
  EXPECT_EQ(0, battle->Casualties());
  EXPECT_EQ(1, battle->Kills(UnitType::Archer));
  EXPECT_EQ(1, battle->Kills(UnitType::Soldier));
}

TEST_F(BattleRulesTest, StartBattleLeavesFourHundredAndTwoObjectsWaitingToBeRegistered) {
  battle->StartBattle();
  EXPECT_EQ(402u, battle->objects->PendingCount());
  EXPECT_EQ(0u, battle->objects->RegisteredCount());
  battle->objects->Update(0.016f);
  EXPECT_EQ(402u, battle->objects->RegisteredCount());
}

TEST_F(BattleRulesTest, EveryBattleNumbersItsGeneralsFromZero) {
  battle->StartBattle();
  StepFrame();
  battle->ResetBattle();
  StepFrame();
  GameObject* red = battle->objects->Find("General 0");
  GameObject* blue = battle->objects->Find("General 1");
  ASSERT_NE(nullptr, red);
  ASSERT_NE(nullptr, blue);
  EXPECT_FALSE(red->removed || blue->removed);
  EXPECT_EQ(Team::Red, red->team);
  EXPECT_EQ(Team::Blue, blue->team);
  EXPECT_EQ(nullptr, battle->objects->Find("General 2"));
  EXPECT_EQ(402u, battle->objects->RegisteredCount());
}

TEST_F(BattleRulesTest, OldBattleObjectsAreGoneAfterTheNextUpdate) {
  battle->StartBattle();
  StepFrame();
  battle->EndBattle(Team::Blue);
  EXPECT_EQ(402u, battle->objects->PendingCount());
  StepFrame();
  for (GameObject* object : battle->objects->Registered()) EXPECT_FALSE(object->removed) << object->name;
}

// R while paused: the old battle stays registered (and found by name) until the first unpaused
// frame, which registers the new battle and deletes the old one.
TEST_F(BattleRulesTest, ResetWhilePausedSwapsTheBattlesAtTheFirstUnpausedFrame) {
  battle->StartBattle();
  StepFrame();
  GameObject* oldRed = battle->objects->Find("General 0");
  battle->ResetBattle();
  PausedFrames(5);
  EXPECT_EQ(402u, battle->objects->RegisteredCount());
  EXPECT_EQ(402u, battle->objects->PendingCount());
  EXPECT_EQ(oldRed, battle->objects->Find("General 0")) << "the registry is asked before the new objects";
  EXPECT_TRUE(oldRed->removed);
  StepFrame();
  EXPECT_EQ(0u, battle->objects->PendingCount());
  EXPECT_EQ(402u, battle->objects->RegisteredCount());
  GameObject* newRed = battle->objects->Find("General 0");
  ASSERT_NE(nullptr, newRed);
  EXPECT_FALSE(newRed->removed);
  EXPECT_EQ(0, battle->RedWins() + battle->BlueWins());
}

TEST_F(BattleRulesTest, NoDelayedMessageIsDeliveredWhilePaused) {
  RecordingSM* unit = AddRecorder("Unit", UnitType::Soldier, 0, Vector3(0, 0, 0));
  battle->router->Send(0.1f, MSG_UnitTestMessage, "Unit", "Unit", SCOPE_None, 0, DATA_Integer, 0, false);
  PausedFrames(20);
  EXPECT_EQ(0, unit->Count(MSG_UnitTestMessage));
  StepFrame();
  EXPECT_EQ(1, unit->Count(MSG_UnitTestMessage));
}

// Names restart with every battle: what the ended battle left running must not reach the units
// that carry its names in the next one.
TEST_F(BattleRulesTest, ABattleResetDropsItsDuelsAndQueuedMessagesButNotTheNewBattles) {
  battle->StartBattle();
  StepFrame();
  battle->Engage(battle->objects->Find("SquadLeader 0"), battle->objects->Find("SquadLeader 5"));
  battle->router->Send(0.1f, MSG_UnitTestMessage, "SquadLeader 0", "General 0", SCOPE_None, 0, DATA_Integer, 0, false);
  battle->ResetBattle();
  EXPECT_TRUE(battle->Duels().empty());
  const std::vector<const Message*> queued = battle->router->Pending();
  EXPECT_FALSE(queued.empty()) << "the new battle's own messages stay";
  for (const Message* message : queued) EXPECT_NE(MSG_UnitTestMessage, message->id);
  StepFrame();
  battle->UpdateDuels(6.0f);
  EXPECT_EQ(0, battle->Kills(UnitType::SquadLeader));
  EXPECT_FALSE(battle->objects->Find("SquadLeader 0")->inCombat);
}

TEST_F(BattleRulesTest, TwoBloodSplatsOfOneFrameLeaveOneRegisteredAndBothEnd) {
  battle->Factory().Create(UnitType::Blood, Vector3(0, 0, 0), 0.0f, 0);
  GameObject* second = battle->Factory().Create(UnitType::Blood, Vector3(3, 0, 0), 0.0f, 0);
  StepFrame();
  EXPECT_EQ(1u, battle->objects->RegisteredCount());
  EXPECT_EQ(second, battle->objects->Find("Blood"));
  StepFrames(60);
  EXPECT_EQ(nullptr, battle->objects->Find("Blood"));
  EXPECT_EQ(0u, battle->objects->RegisteredCount());
}

// Without its images the game has no ground: units stand where the empty field puts them, no
// path is ever found, and frames still run without a fault.
TEST_F(BattleRulesTest, MissingTexturesFolderLeavesAnEmptyFieldThatStillRuns) {
  const std::filesystem::path home = std::filesystem::current_path();
  const std::filesystem::path bare =
      std::filesystem::temp_directory_path() / ("battlesim-no-textures-" + std::to_string(getpid()));
  std::filesystem::create_directories(bare);
  std::filesystem::current_path(bare);
  Rebuild();
  std::filesystem::current_path(home);
  std::filesystem::remove_all(bare);

  EXPECT_EQ(battle->terrain.width, 0);
  battle->StartBattle();
  StepFrames(1500);
  EXPECT_EQ(battle->objects->RegisteredCount(), 402u);
  EXPECT_EQ(battle->objects->Find("General 0")->GetSprite()->position.y, 0.0f);
}

}  // namespace
