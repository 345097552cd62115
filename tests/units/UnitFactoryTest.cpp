// UnitFactory: names and serials, attack ranges and billboards per type, first machines, and
// keeping spawn points on the terrain.
#include "units/UnitFactory.h"

#include <gtest/gtest.h>

#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "tests/support/Battlefield.h"
#include "units/ArrowSM.h"
#include "units/BloodSM.h"
#include "units/SquadMemberSM.h"

namespace {

class UnitFactoryTest : public Battlefield {
 protected:
  GameObject* Make(int type, const Vector3& at = Vector3(0, 0, 0)) {
    return battle->Factory().Create(type, at, 0.0f, Team::Blue);
  }
};

TEST(UnitFactory, PointBeyondACornerIsMovedInXOnly) {
  EXPECT_EQ(Vector3(127, 3, 500), UnitFactory::KeepOnTerrain(Vector3(500, 3, 500), 256, 256));
  EXPECT_EQ(Vector3(-127, 0, -500), UnitFactory::KeepOnTerrain(Vector3(-500, 0, -500), 256, 256));
}

TEST(UnitFactory, PointExactlyOnABoundIsMovedOneUnitInside) {
  EXPECT_EQ(Vector3(-127, 0, 0), UnitFactory::KeepOnTerrain(Vector3(-128, 0, 0), 256, 256));
  EXPECT_EQ(Vector3(0, 0, 127), UnitFactory::KeepOnTerrain(Vector3(0, 0, 128), 256, 256));
  EXPECT_EQ(Vector3(0, 0, -1), UnitFactory::KeepOnTerrain(Vector3(0, 0, -2), 5, 5));
}

TEST(UnitFactory, PointInsideIsKept) {
  EXPECT_EQ(Vector3(127.5f, 1, -127.5f), UnitFactory::KeepOnTerrain(Vector3(127.5f, 1, -127.5f), 256, 257));
  EXPECT_EQ(Vector3(1.5f, 0, 1.5f), UnitFactory::KeepOnTerrain(Vector3(1.5f, 0, 1.5f), 5, 5));
}

TEST_F(UnitFactoryTest, CreateKeepsTheUnitOnTheMap) {
  GameObject* soldier = Make(UnitType::Soldier, Vector3(300, 0, 300));
  EXPECT_EQ(127.0f, soldier->GetSprite()->position.x);
  EXPECT_EQ(300.0f, soldier->GetSprite()->position.z);
}

TEST_F(UnitFactoryTest, SerialsCountPerTypeAndRestartAfterReset) {
  EXPECT_EQ("Soldier 0", Make(UnitType::Soldier)->name);
  EXPECT_EQ("Soldier 1", Make(UnitType::Soldier)->name);
  EXPECT_EQ("Archer 0", Make(UnitType::Archer)->name);
  EXPECT_EQ("Berserker 0", Make(UnitType::Berserker)->name);
  battle->Factory().Reset();
  EXPECT_EQ("Soldier 0", Make(UnitType::Soldier)->name);
}

TEST_F(UnitFactoryTest, BloodAndArrowsCarryTheBareWord) {
  EXPECT_EQ("Blood", Make(UnitType::Blood)->name);
  EXPECT_EQ("Blood", Make(UnitType::Blood)->name);
  EXPECT_EQ("Arrow", Make(UnitType::Arrow)->name);
}

TEST_F(UnitFactoryTest, OnlyArchersReachTwentyUnits) {
  EXPECT_EQ(20.0f, Make(UnitType::Archer)->attackRange);
  for (int type : {UnitType::Soldier, UnitType::Berserker, UnitType::Blood, UnitType::Arrow}) {
    EXPECT_EQ(2.0f, Make(type)->attackRange) << type;
  }
}

TEST_F(UnitFactoryTest, BillboardSizeFollowsTheType) {
  EXPECT_EQ(0.5f, Make(UnitType::Soldier)->GetSprite()->halfSize);
  EXPECT_EQ(0.5f, Make(UnitType::Archer)->GetSprite()->halfSize);
  EXPECT_EQ(0.6f, Make(UnitType::Berserker)->GetSprite()->halfSize);
}

TEST_F(UnitFactoryTest, NewUnitHasTeamFacingAndAStartedFirstMachine) {
  GameObject* archer = battle->Factory().Create(UnitType::Archer, Vector3(4, 0, -6), 1.25f, Team::Red);
  EXPECT_EQ(Team::Red, archer->team);
  EXPECT_EQ(UnitType::Archer, archer->unitType);
  EXPECT_EQ(1.25f, archer->GetSprite()->facing);
  EXPECT_EQ(Vector3(4, 0, -6), archer->GetSprite()->position);
  ASSERT_EQ(1u, archer->MachineCount());
  EXPECT_NE(nullptr, dynamic_cast<ArcherSM*>(archer->TopMachine()));
  EXPECT_STREQ("STATE_Initialize", archer->TopMachine()->StateName());
  EXPECT_EQ(archer, battle->objects->Find("Archer 0"));
  EXPECT_EQ(1u, battle->objects->PendingCount());
}

TEST_F(UnitFactoryTest, EachFighterTypeGetsItsOwnMachine) {
  EXPECT_NE(nullptr, dynamic_cast<SoldierSM*>(Make(UnitType::Soldier)->TopMachine()));
  EXPECT_NE(nullptr, dynamic_cast<BerserkerSM*>(Make(UnitType::Berserker)->TopMachine()));
  EXPECT_NE(nullptr, dynamic_cast<BloodSM*>(Make(UnitType::Blood)->TopMachine()));
  EXPECT_NE(nullptr, dynamic_cast<ArrowSM*>(Make(UnitType::Arrow)->TopMachine()));
}

TEST_F(UnitFactoryTest, GeneralArrivesWithItsWholeArmy) {
  GameObject* general = Make(UnitType::General);
  EXPECT_EQ("General 0", general->name);
  EXPECT_EQ(0.85f, general->GetSprite()->halfSize);
  EXPECT_EQ(5, battle->Factory().squadLeaderCount);
  EXPECT_EQ(201u, battle->objects->PendingCount());
}

}  // namespace
