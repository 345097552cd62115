// GeneralSM: raising the army once, the march goals by order mode, and the duel of the Generals.
#include "units/GeneralSM.h"

#include <gtest/gtest.h>

#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "platform/Random.h"
#include "tests/support/Battlefield.h"
#include "units/AISM.h"
#include "units/SquadLeaderSM.h"

namespace {

class GeneralSMTest : public Battlefield {
 protected:
  void SetUp() override {
    Battlefield::SetUp();
    battle->StartBattle();
    red = battle->objects->Find("General 0");
    blue = battle->objects->Find("General 1");
  }

  static GeneralSM& MachineOf(GameObject* general) { return *general->FindMachine<GeneralSM>(); }

  SquadLeaderSM& SquadOf(const std::string& leaderName) {
    return *SquadLeaderSM::Of(*battle->objects->Find(leaderName));
  }

  GameObject* red = nullptr;
  GameObject* blue = nullptr;
};

TEST_F(GeneralSMTest, SquadLeadersStandTenBehindOnTheRedSideFifteenApart) {
  ASSERT_EQ(5u, red->subordinates.size());
  for (int i = 0; i < 5; ++i) {
    const std::string name = "SquadLeader " + std::to_string(i);
    EXPECT_EQ(name, red->subordinates[i]);
    GameObject* leader = battle->objects->Find(name);
    EXPECT_EQ("General 0", leader->GetLeaderName());
    EXPECT_EQ(Team::Red, leader->team);
    EXPECT_FLOAT_EQ(-30.0f + 15.0f * static_cast<float>(i), leader->GetSprite()->position.x);
    EXPECT_FLOAT_EQ(47.0f, leader->GetSprite()->position.z);
  }
}

TEST_F(GeneralSMTest, SquadLeadersStandTenBehindOnTheBlueSide) {
  ASSERT_EQ(5u, blue->subordinates.size());
  for (int i = 0; i < 5; ++i) {
    GameObject* leader = battle->objects->Find(blue->subordinates[i]);
    EXPECT_EQ("SquadLeader " + std::to_string(i + 5), leader->name);
    EXPECT_EQ("General 1", leader->GetLeaderName());
    EXPECT_FLOAT_EQ(-30.0f + 15.0f * static_cast<float>(i), leader->GetSprite()->position.x);
    EXPECT_FLOAT_EQ(-47.0f, leader->GetSprite()->position.z);
  }
}

TEST_F(GeneralSMTest, RestartRaisesNoSecondArmy) {
  SendNow(MSG_Reset, red->name, "Test");
  StepFrame();
  EXPECT_EQ(5u, red->subordinates.size());
  EXPECT_EQ(10, battle->Factory().squadLeaderCount);
  EXPECT_EQ(402u, battle->objects->RegisteredCount());
  EXPECT_EQ(GeneralSM::STATE_Idle, MachineOf(red).GetState());
}

TEST_F(GeneralSMTest, MarchToTargetGoesToTheStoredTarget) {
  SquadLeaderSM& squad = SquadOf("SquadLeader 2");
  squad.orderMode = SquadLeaderSM::OrderMode::MarchToTarget;
  squad.storedTarget = Vector3(12, 3, -20);
  Vector3 goal;
  ASSERT_TRUE(MachineOf(red).ChooseGoal(squad, nullptr, goal));
  EXPECT_EQ(Vector3(12, 3, -20), goal);
}

TEST_F(GeneralSMTest, ArcherSquadsHaltFifteenFromTheMiddleOnTheirOwnSide) {
  GameObject* archer = AddBare("Archer 99", UnitType::Archer, Team::Red, Vector3(0, 0, 0));
  Vector3 goal;
  for (GameObject* general : {red, blue}) {
    SquadLeaderSM& squad = SquadOf(general->subordinates.front());
    squad.orderMode = SquadLeaderSM::OrderMode::GeneralPicksPoint;
    ASSERT_TRUE(MachineOf(general).ChooseGoal(squad, archer, goal));
    EXPECT_EQ(general == red ? 15.0f : -15.0f, goal.z);
    EXPECT_EQ(0.0f, goal.y);
  }
}

TEST_F(GeneralSMTest, OtherSquadsPickADepthOnTheirOwnSideWithinTheMiddleHalf) {
  GameObject* soldier = AddBare("Soldier 99", UnitType::Soldier, Team::Red, Vector3(0, 0, 0));
  const int half = battle->terrain.width / 2;
  for (GameObject* general : {red, blue}) {
    SquadLeaderSM& squad = SquadOf(general->subordinates.front());
    for (const SquadLeaderSM::OrderMode mode :
         {SquadLeaderSM::OrderMode::GeneralPicksPoint, SquadLeaderSM::OrderMode::Deploy}) {
      squad.orderMode = mode;
      for (int draw = 0; draw < 200; ++draw) {
        Vector3 goal;
        ASSERT_TRUE(MachineOf(general).ChooseGoal(squad, soldier, goal));
        if (general == red) {
          EXPECT_TRUE(goal.z >= 0.0f && goal.z <= 9.0f) << goal.z;
        } else {
          EXPECT_TRUE(goal.z >= -9.0f && goal.z <= 0.0f) << goal.z;
        }
        EXPECT_GE(goal.x, static_cast<float>(-half / 2));
        EXPECT_LT(goal.x, static_cast<float>(half / 2));
      }
    }
  }
}

// The goal rule applied to the generator's raw draws: a squad of any other kind draws its depth
// first and then its sideways place; an archer squad halts at 15 and draws only the sideways place.
TEST_F(GeneralSMTest, GoalsOfASeedDrawTheDepthBeforeTheSidewaysPlaceAndArchersNoDepth) {
  const int half = battle->terrain.width / 2;
  ASSERT_GT(half, 0);
  for (GameObject* general : {red, blue}) {
    const int sign = general == red ? 1 : -1;
    for (const int type : {UnitType::Soldier, UnitType::Berserker, UnitType::Archer}) {
      SCOPED_TRACE(testing::Message() << "team " << general->team << ", first follower type " << type);
      GameObject* first = AddBare("First " + std::to_string(sign) + std::to_string(type), type, general->team,
                                  Vector3(0, 0, 0));
      battle->random.Seed(4242);
      const int draw1 = battle->random.Rand();
      const int draw2 = battle->random.Rand();
      const int draw3 = battle->random.Rand();
      const bool archers = type == UnitType::Archer;
      const float z = archers ? 15.0f * static_cast<float>(sign) : static_cast<float>((draw1 * sign) % 10);
      const float x = static_cast<float>((archers ? draw1 : draw2) % half - half / 2);
      SquadLeaderSM& squad = SquadOf(general->subordinates.front());
      squad.orderMode = SquadLeaderSM::OrderMode::Deploy;
      battle->random.Seed(4242);
      Vector3 goal;
      ASSERT_TRUE(MachineOf(general).ChooseGoal(squad, first, goal));
      EXPECT_EQ(x, goal.x);
      EXPECT_EQ(0.0f, goal.y);
      EXPECT_EQ(z, goal.z);
      EXPECT_EQ(archers ? draw2 : draw3, battle->random.Rand()) << "one draw for archers, two for the others";
    }
  }
}

TEST_F(GeneralSMTest, UnknownOrderModeGivesNoGoal) {
  SquadLeaderSM& squad = SquadOf("SquadLeader 0");
  squad.orderMode = static_cast<SquadLeaderSM::OrderMode>(3);
  Vector3 goal;
  EXPECT_FALSE(MachineOf(red).ChooseGoal(squad, nullptr, goal));
}

TEST_F(GeneralSMTest, GoalOnAnEmptyTerrainIsCentredSideways) {
  battle->terrain = Terrain();
  SquadLeaderSM& squad = SquadOf("SquadLeader 0");
  squad.orderMode = SquadLeaderSM::OrderMode::Deploy;
  Vector3 goal;
  ASSERT_TRUE(MachineOf(red).ChooseGoal(squad, nullptr, goal));
  EXPECT_EQ(0.0f, goal.x);
}

TEST_F(GeneralSMTest, ReadyReportPushesAMarchOntoTheReportingLeader) {
  SquadLeaderSM& squad = SquadOf("SquadLeader 1");
  squad.orderMode = SquadLeaderSM::OrderMode::MarchToTarget;
  squad.storedTarget = Vector3(-15, 0, 30);
  SendNow(MSG_FormationReadyToFight, red->name, "SquadLeader 1");
  auto* march = dynamic_cast<AISM*>(battle->objects->Find("SquadLeader 1")->TopMachine());
  ASSERT_NE(nullptr, march);
  EXPECT_EQ(Vector3(-15, 0, 30), march->TargetPosition());
  EXPECT_EQ(GeneralSM::STATE_Idle, MachineOf(red).GetState());
  EXPECT_EQ("SquadLeader 1", MachineOf(red).reportingLeader);
}

TEST_F(GeneralSMTest, ReportFromALeaderThatIsGoneGivesNoOrder) {
  SendNow(MSG_FormationReadyToFight, red->name, "SquadLeader 42");
  EXPECT_EQ(GeneralSM::STATE_Idle, MachineOf(red).GetState());
  EXPECT_EQ(1u, red->MachineCount());
}

TEST_F(GeneralSMTest, GeneralWithSquadsLeftDoesNotFightTheEnemyGeneral) {
  blue->subordinates.clear();
  StepFrames(2);
  EXPECT_TRUE(battle->Duels().empty());
  EXPECT_FALSE(red->inCombat || blue->inCombat);
}

TEST_F(GeneralSMTest, GeneralsFightOnceBothArmiesAreGone) {
  blue->subordinates.clear();
  red->subordinates.clear();
  StepFrame();
  ASSERT_FALSE(battle->Duels().empty());
  const Duel& duel = battle->Duels().front();
  EXPECT_TRUE((duel.attackerName == "General 0" && duel.defenderName == "General 1") ||
              (duel.attackerName == "General 1" && duel.defenderName == "General 0"));
  EXPECT_TRUE(red->inCombat && blue->inCombat);
}

}  // namespace
