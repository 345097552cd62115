// FollowerSM and the squad member machine under it: joining the formation, tracking the slot,
// leaving on dissolve, and the machine stack around them.
#include "units/FollowerSM.h"

#include <gtest/gtest.h>

#include <memory>

#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "tests/support/Battlefield.h"
#include "units/SquadLeaderSM.h"
#include "units/SquadMemberSM.h"

namespace {

class FollowerSMTest : public Battlefield {
 protected:
  void SetUp() override {
    Battlefield::SetUp();
    UseFlatTerrain(64);
    GameObject* leader = AddBare("Lead", UnitType::SquadLeader, Team::Red, Vector3(0, 0, 0));
    auto machine = std::make_unique<SquadLeaderSM>(leader);
    machine->squadRaised = true;
    formation = &machine->formation;
    leader->PushMachine(std::move(machine), false);
  }

  GameObject* Member(const std::string& name, const Vector3& at) {
    GameObject* member = AddBare(name, UnitType::Soldier, Team::Red, at);
    member->SetLeaderName("Lead");
    member->PushMachine(std::make_unique<SoldierSM>(member), true);
    return member;
  }

  static FollowerSM* FollowerOf(const GameObject* member) { return dynamic_cast<FollowerSM*>(member->TopMachine()); }

  // Steps until the member's follower is tracking its slot; false if it never gets there.
  bool StepUntilTracking(const GameObject* member) {
    for (int frame = 0; frame < 200; ++frame) {
      if (FollowerOf(member) != nullptr && FollowerOf(member)->GetState() == FollowerSM::STATE_BlindUpdate) return true;
      StepFrame();
    }
    return false;
  }

  Formation* formation = nullptr;
};

TEST_F(FollowerSMTest, JoiningClaimsTheNextSlotAndWalksThereWithArrivalNotice) {
  GameObject* first = Member("M0", Vector3(3, 0, 0));
  GameObject* second = Member("M1", Vector3(-3, 0, -2));
  SendNow(MSG_JoinFormation, "M0", "Lead");
  SendNow(MSG_JoinFormation, "M1", "Lead");
  ASSERT_NE(nullptr, FollowerOf(first));
  EXPECT_EQ(0, first->formationSlot);
  EXPECT_EQ(1, second->formationSlot);
  Vector3 slotOne;
  formation->SlotPosition(1, slotOne);
  EXPECT_EQ(slotOne, second->GetSprite()->target);
  EXPECT_TRUE(second->GetSprite()->notifyOnArrival);
  EXPECT_EQ(0, formation->JoinedCount());
}

TEST_F(FollowerSMTest, ArrivalMarksTheMemberJoinedAndStartsTracking) {
  GameObject* member = Member("M0", Vector3(3, 0, 0));
  SendNow(MSG_JoinFormation, "M0", "Lead");
  ASSERT_TRUE(StepUntilTracking(member));
  EXPECT_EQ(1, formation->JoinedCount());
}

TEST_F(FollowerSMTest, TrackingFollowsAMovingSlotWithoutArrivalNotice) {
  GameObject* member = Member("M0", Vector3(3, 0, 0));
  SendNow(MSG_JoinFormation, "M0", "Lead");
  ASSERT_TRUE(StepUntilTracking(member));
  formation->SetOrigin(Vector3(5, 0, 5));
  StepFrame();
  EXPECT_EQ(Vector3(5, 0, 5), member->GetSprite()->target);
  EXPECT_FALSE(member->GetSprite()->notifyOnArrival);
  StepFrames(150);
  EXPECT_NEAR(5.0f, member->GetSprite()->position.x, 0.2f);
  EXPECT_NEAR(5.0f, member->GetSprite()->position.z, 0.2f);
  EXPECT_EQ(1, formation->JoinedCount());
  EXPECT_EQ(FollowerSM::STATE_BlindUpdate, FollowerOf(member)->GetState());
}

TEST_F(FollowerSMTest, DissolveAfterArrivalHandsBackToTheMemberMachine) {
  GameObject* member = Member("M0", Vector3(3, 0, 0));
  SendNow(MSG_JoinFormation, "M0", "Lead");
  ASSERT_TRUE(StepUntilTracking(member));
  SendNow(MSG_DissolveFormation, "M0", "Lead");
  StepFrame();
  EXPECT_EQ(1u, member->MachineCount());
  EXPECT_NE(nullptr, dynamic_cast<SoldierSM*>(member->TopMachine()));
}

TEST_F(FollowerSMTest, DissolveBeforeArrivalLeavesWithoutJoining) {
  GameObject* member = Member("M0", Vector3(10, 0, 0));
  SendNow(MSG_JoinFormation, "M0", "Lead");
  StepFrame();
  SendNow(MSG_DissolveFormation, "M0", "Lead");
  StepFrame();
  EXPECT_EQ(1u, member->MachineCount());
  StepFrames(200);
  EXPECT_EQ(0, formation->JoinedCount());
}

TEST_F(FollowerSMTest, NoFreeSlotLeavesAtOnce) {
  for (int i = 0; i < Formation::kSlotCount; ++i) formation->MarkJoined();
  GameObject* member = Member("M0", Vector3(3, 0, 0));
  SendNow(MSG_JoinFormation, "M0", "Lead");
  ASSERT_NE(nullptr, FollowerOf(member));
  EXPECT_EQ(FollowerSM::STATE_DissolveFormation, FollowerOf(member)->GetState());
  StepFrame();
  EXPECT_EQ(1u, member->MachineCount());
}

TEST_F(FollowerSMTest, LeaderThatIsGoneLeavesNoSlotToClaim) {
  GameObject* member = AddBare("M0", UnitType::Soldier, Team::Red, Vector3(3, 0, 0));
  member->SetLeaderName("Nobody");
  member->PushMachine(std::make_unique<SoldierSM>(member), true);
  SendNow(MSG_JoinFormation, "M0", "Lead");
  StepFrame();
  EXPECT_EQ(1u, member->MachineCount());
}

TEST_F(FollowerSMTest, SecondCallWhileFollowingPushesNoSecondFollower) {
  GameObject* member = Member("M0", Vector3(3, 0, 0));
  SendNow(MSG_JoinFormation, "M0", "Lead");
  SendNow(MSG_JoinFormation, "M0", "Lead");
  EXPECT_EQ(2u, member->MachineCount());
  EXPECT_EQ(0, member->formationSlot);
}

TEST_F(FollowerSMTest, DyingMemberIgnoresTheCall) {
  GameObject* member = Member("M0", Vector3(3, 0, 0));
  member->dying = true;
  SendNow(MSG_JoinFormation, "M0", "Lead");
  EXPECT_EQ(1u, member->MachineCount());
}

TEST_F(FollowerSMTest, PopAfterDissolveDropsScopedMessagesAndRestartsTheMemberMachine) {
  GameObject* member = Member("M0", Vector3(3, 0, 0));
  StateMachine* base = member->TopMachine();
  // A delayed change to the state it is in moves the change counter, which a restart resets.
  battle->router->Send(0.0f, MSG_CHANGE_STATE_DELAYED, "M0", "M0", SCOPE_None, 0, DATA_Integer, 0, false);
  ASSERT_EQ(1, base->GetChangeCount());
  SendNow(MSG_JoinFormation, "M0", "Lead");
  FollowerOf(member)->SendToSelfDelayed(5.0f, MSG_LookAround, SCOPE_State, 0);
  battle->router->Send(5.0f, MSG_LookAround, "M0", "Test", SCOPE_None, 0, DATA_Integer, 0, false);
  SendNow(MSG_DissolveFormation, "M0", "Lead");
  ASSERT_EQ(2u, battle->router->Pending().size());
  StepFrame();
  ASSERT_EQ(base, member->TopMachine());
  EXPECT_EQ(0, base->GetChangeCount());
  ASSERT_EQ(1u, battle->router->Pending().size());
  EXPECT_EQ(SCOPE_None, battle->router->Pending().front()->scope);
}

}  // namespace
