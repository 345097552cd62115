// DyingSM and BloodSM: sinking, the blood splat and its growth, removal, and the end of a battle
// when a General dies.
#include "units/DyingSM.h"

#include <gtest/gtest.h>

#include <memory>

#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "tests/support/Battlefield.h"
#include "units/BloodSM.h"

namespace {

class DyingSMTest : public Battlefield {
 protected:
  void SetUp() override {
    Battlefield::SetUp();
    UseFlatTerrain(64);
  }

  GameObject* Kill(int type, int team, const Vector3& at) {
    GameObject* unit = AddBare("Victim", type, team, at);
    unit->ReplaceMachine(std::make_unique<DyingSM>(unit));
    return unit;
  }

  int BloodObjects() const {
    int count = 0;
    for (GameObject* object : battle->objects->Registered()) count += object->unitType == UnitType::Blood ? 1 : 0;
    return count;
  }
};

TEST_F(DyingSMTest, DyingUnitSinksByAFixedStepEachUpdate) {
  GameObject* unit = Kill(UnitType::Soldier, Team::Red, Vector3(1, 0, 1));
  EXPECT_TRUE(unit->dying);
  StepFrames(3, 40);
  EXPECT_NEAR(-0.45f, unit->GetSprite()->position.y, 1e-5f);
}

TEST_F(DyingSMTest, DeathLeavesExactlyOneBloodSplatWhereTheUnitDied) {
  Kill(UnitType::Berserker, Team::Blue, Vector3(3, 0, -2));
  StepFrame();
  EXPECT_EQ(1, BloodObjects());
  GameObject* blood = battle->objects->Find("Blood");
  ASSERT_NE(nullptr, blood);
  EXPECT_EQ(Vector3(3, 0, -2), blood->GetSprite()->position);
}

TEST_F(DyingSMTest, NoBloodWhenBloodIsSwitchedOff) {
  battle->bloodEnabled = false;
  Kill(UnitType::Soldier, Team::Red, Vector3(0, 0, 0));
  StepFrame();
  EXPECT_EQ(nullptr, battle->objects->Find("Blood"));
}

TEST_F(DyingSMTest, DeadUnitIsRemovedAfterAboutHalfASecond) {
  battle->bloodEnabled = false;
  Kill(UnitType::Soldier, Team::Red, Vector3(0, 0, 0));
  StepFrames(33);
  EXPECT_NE(nullptr, battle->objects->Find("Victim"));
  StepFrames(4);
  EXPECT_EQ(nullptr, battle->objects->Find("Victim"));
  EXPECT_EQ(0, battle->RedWins() + battle->BlueWins());
}

TEST_F(DyingSMTest, DeadBlueGeneralWinsTheBattleForRed) {
  Kill(UnitType::General, Team::Blue, Vector3(0, 0, 0));
  StepFrames(40);
  EXPECT_EQ(1, battle->RedWins());
  EXPECT_EQ(0, battle->BlueWins());
  EXPECT_NE(nullptr, battle->objects->Find("General 1"));
}

TEST_F(DyingSMTest, DeadRedGeneralWinsTheBattleForBlue) {
  Kill(UnitType::General, Team::Red, Vector3(0, 0, 0));
  StepFrames(40);
  EXPECT_EQ(1, battle->BlueWins());
  EXPECT_EQ(0, battle->RedWins());
}

TEST_F(DyingSMTest, DeadSquadLeaderEndsNoBattle) {
  Kill(UnitType::SquadLeader, Team::Red, Vector3(0, 0, 0));
  StepFrames(40);
  EXPECT_EQ(0, battle->RedWins() + battle->BlueWins());
  EXPECT_EQ(nullptr, battle->objects->Find("General 0"));
}

// Even with a machine below to fall back to, neither a pop nor a queued pop ends the dying.
TEST_F(DyingSMTest, DyingUnitCannotBeEngagedOrPoppedOutOfDying) {
  GameObject* unit = AddRecorder("Victim", UnitType::Soldier, Team::Red, Vector3(0, 0, 0))->GetOwner();
  unit->PushMachine(std::make_unique<DyingSM>(unit), true);
  GameObject* enemy = AddBare("Enemy", UnitType::Soldier, Team::Blue, Vector3(1, 0, 0));
  battle->Engage(enemy, unit);
  EXPECT_TRUE(battle->Duels().empty());
  unit->PopMachine();
  EXPECT_NE(nullptr, dynamic_cast<DyingSM*>(unit->TopMachine()));
  unit->QueueMachineCommand(GameObject::kCommandPop);
  StepFrame();
  EXPECT_NE(nullptr, dynamic_cast<DyingSM*>(unit->TopMachine()));
  EXPECT_EQ(2u, unit->MachineCount());
}

TEST_F(DyingSMTest, BloodSplatGrowsWithADecayingRateAtFiftyFramesASecond) {
  StepFrame(20);
  GameObject* blood = battle->Factory().Create(UnitType::Blood, Vector3(0, 0, 0), 0.0f, Team::Red);
  EXPECT_FLOAT_EQ(0.7f, blood->GetSprite()->alpha);
  const float expected[] = {0.2f, 0.4f, 0.59f, 0.7705f, 0.942f};
  for (float size : expected) {
    StepFrame(20);
    EXPECT_NEAR(size, blood->GetSprite()->halfSize, 1e-4f);
  }
}

TEST_F(DyingSMTest, BloodSplatIsRemovedAboutEightTenthsOfASecondAfterCreation) {
  StepFrame(20);
  battle->Factory().Create(UnitType::Blood, Vector3(0, 0, 0), 0.0f, Team::Red);
  StepFrames(38, 20);
  EXPECT_NE(nullptr, battle->objects->Find("Blood"));
  StepFrames(4, 20);
  EXPECT_EQ(nullptr, battle->objects->Find("Blood"));
}

TEST_F(DyingSMTest, SwitchingBloodOffKeepsExistingSplats) {
  Kill(UnitType::Soldier, Team::Red, Vector3(0, 0, 0));
  battle->bloodEnabled = false;
  StepFrames(5);
  EXPECT_NE(nullptr, battle->objects->Find("Blood"));
}

}  // namespace
