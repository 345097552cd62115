// A game object's machine stack and its queued commands, and the bookkeeping it does on its
// leader when it fights or is removed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objects/Sprite.h"
#include "tests/support/Battlefield.h"
#include "tests/support/TestMessages.h"

namespace {
using Call = ScriptedMachine::Call;

int CountEnters(const ScriptedMachine& machine, int state) {
  int count = 0;
  for (const Call& call : machine.calls) count += call == EnterCall(state) ? 1 : 0;
  return count;
}

class GameObject : public Battlefield {
 protected:
  ::GameObject& AddLeaderAndFollower() {
    ::GameObject& leader = AddObject("Squadleader 0");
    ::GameObject& follower = AddObject("Soldier 0");
    follower.SetLeaderName("Squadleader 0");
    leader.readyFollowers = 39;
    return follower;
  }
};

TEST_F(GameObject, ConstructionSetsGivenFieldsAndClearsTheRest) {
  const ::GameObject object("Archer 4", 1, 1, 20.0f);
  EXPECT_EQ(object.GetName(), "Archer 4");
  EXPECT_EQ(object.team, 1);
  EXPECT_EQ(object.unitType, 1);
  EXPECT_EQ(object.attackRange, 20.0f);
  EXPECT_EQ(object.formationSlot, 0);
  EXPECT_EQ(object.pendingCommand, 0);
  EXPECT_EQ(object.formationKind, 0);
  EXPECT_EQ(object.readyFollowers, 0);
  EXPECT_FALSE(object.inCombat || object.dying || object.removed);
  EXPECT_EQ(object.GetSprite(), nullptr);
  EXPECT_EQ(object.MachineCount(), 0u);
  EXPECT_TRUE(object.GetLeaderName().empty() && object.GetTargetName().empty());
}

TEST_F(GameObject, PopOnASingleMachineLeavesIt) {
  bool destroyed = false;
  ScriptedMachine& only = AddScripted("Unit", [&](ScriptedMachine& m) { m.onDestroyed = [&] { destroyed = true; }; });
  ::GameObject& object = *only.GetOwner();
  only.calls.clear();
  object.PopMachine();
  EXPECT_EQ(object.MachineCount(), 1u);
  EXPECT_EQ(object.TopMachine(), &only);
  EXPECT_FALSE(destroyed);
  EXPECT_TRUE(only.calls.empty());
  only.onDestroyed = nullptr;
}

TEST_F(GameObject, PopDeletesTheTopAndInitializesTheOneBelow) {
  bool destroyed = false;
  ScriptedMachine& base = AddScripted(
      "Unit", [](ScriptedMachine& m) { m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetState(1); }); });
  ::GameObject& object = *base.GetOwner();
  PushScripted(object, [&](ScriptedMachine& m) { m.onDestroyed = [&] { destroyed = true; }; });
  base.calls.clear();
  object.PopMachine();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(object.TopMachine(), &base);
  EXPECT_EQ(base.calls, (std::vector<Call>{EnterCall(0), ExitCall(0), EnterCall(1)}));
  EXPECT_EQ(base.GetChangeCount(), 1);
}

TEST_F(GameObject, PushWithoutStartDoesNotEnter) {
  ::GameObject& object = AddObject("Unit");
  ScriptedMachine& idle = PushScripted(object, nullptr, false);
  EXPECT_EQ(object.TopMachine(), &idle);
  EXPECT_TRUE(idle.calls.empty());
}

TEST_F(GameObject, ReplaceDeletesTheTopAndStartsTheNewOne) {
  bool destroyed = false;
  ScriptedMachine& first = AddScripted("Unit", [&](ScriptedMachine& m) { m.onDestroyed = [&] { destroyed = true; }; });
  ::GameObject& object = *first.GetOwner();
  auto replacement = std::make_unique<ScriptedMachine>(&object);
  ScriptedMachine& second = *replacement;
  second.DefineState(0);
  object.ReplaceMachine(std::move(replacement));
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(object.MachineCount(), 1u);
  EXPECT_EQ(second.calls, std::vector<Call>{EnterCall(0)});

  ::GameObject& bare = AddObject("Bare");
  bare.ReplaceMachine(std::make_unique<ScriptedMachine>(&bare));
  EXPECT_EQ(bare.MachineCount(), 1u);
}

// Pop is queued first, so the restart queued after it is ignored: the base machine is entered
// once, by the pop.
TEST_F(GameObject, OnlyTheFirstQueuedCommandOfAFrameRuns) {
  ScriptedMachine& base = AddScripted("Unit", nullptr);
  ::GameObject& object = *base.GetOwner();
  PushScripted(object, nullptr);
  object.QueueMachineCommand(::GameObject::kCommandPop);
  object.QueueMachineCommand(::GameObject::kCommandRestart);
  base.calls.clear();
  UpdateObjects();
  EXPECT_EQ(object.MachineCount(), 1u);
  EXPECT_EQ(CountEnters(base, 0), 1);
  EXPECT_EQ(object.pendingCommand, ::GameObject::kCommandNone);
}

TEST_F(GameObject, RestartReentersTheTopMachineBeforeItsUpdate) {
  ScriptedMachine& machine = AddScripted("Unit", [](ScriptedMachine& m) {
    m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetState(1); });
    m.DefineState(1).Update([](ScriptedMachine& self) { self.SetState(2); });
    m.DefineState(2).Update([](ScriptedMachine& self) { self.RequestRestart(); });
  });
  UpdateObjects();
  ASSERT_EQ(machine.GetState(), 2);
  UpdateObjects();  // queues the restart
  machine.calls.clear();
  UpdateObjects();
  EXPECT_EQ(machine.calls,
            (std::vector<Call>{EnterCall(0), ExitCall(0), EnterCall(1), UpdateCall(1), ExitCall(1), EnterCall(2)}));
  EXPECT_EQ(machine.GetChangeCount(), 2);
}

TEST_F(GameObject, AtMostTwentyCommandsRunPerUpdate) {
  ScriptedMachine& machine = AddScripted(
      "Unit", [](ScriptedMachine& m) { m.DefineState(0).Enter([](ScriptedMachine& self) { self.RequestRestart(); }); });
  ::GameObject& object = *machine.GetOwner();
  machine.calls.clear();
  UpdateObjects();
  EXPECT_EQ(CountEnters(machine, 0), 20);
  EXPECT_EQ(object.pendingCommand, ::GameObject::kCommandRestart);
  machine.calls.clear();
  UpdateObjects();
  EXPECT_EQ(CountEnters(machine, 0), 20);
}

// The cancellation comes before the command: what the restarted machine sends on entering stays.
TEST_F(GameObject, CommandsCancelScopedMessagesFirst) {
  ScriptedMachine& machine = AddScripted("Unit", [](ScriptedMachine& m) {
    m.DefineState(0).Enter([](ScriptedMachine& self) {
      self.SendToSelfDelayed(1.0f, MSG_UnitTestMessage3, SCOPE_Substate, 3);
    });
  });
  ::GameObject& object = *machine.GetOwner();
  router().Send(1.0f, MSG_UnitTestMessage, "Unit", "Unit", SCOPE_State, 0, DATA_Integer, 1, false);
  router().Send(1.0f, MSG_UnitTestMessage2, "Unit", "Unit", SCOPE_None, 0, DATA_Integer, 2, false);
  ASSERT_EQ(router().Pending().size(), 3u);
  object.QueueMachineCommand(::GameObject::kCommandRestart);
  UpdateObjects();
  ASSERT_EQ(router().Pending().size(), 2u);
  EXPECT_EQ(router().Pending().front()->id, MSG_UnitTestMessage2);
  EXPECT_EQ(router().Pending().back()->id, MSG_UnitTestMessage3);
}

TEST_F(GameObject, RestartOnAnEmptyStackDoesNothing) {
  ::GameObject& bare = AddObject("Bare");
  bare.QueueMachineCommand(::GameObject::kCommandRestart);
  bare.RunMachineCommands();
  EXPECT_EQ(bare.MachineCount(), 0u);
  EXPECT_EQ(bare.pendingCommand, ::GameObject::kCommandNone);
}

TEST_F(GameObject, MessageToAnObjectWithoutMachinesIsDropped) {
  ::GameObject& bare = AddObject("Bare");
  Message msg(MSG_Arrived, "System", "Bare", DATA_None, 0, 0.0f, 0, SCOPE_None, false);
  bare.HandleMessage(msg);
  EXPECT_FALSE(msg.delivered);
}

TEST_F(GameObject, CombatInAndOutLeavesLeadersCountUnchanged) {
  ::GameObject& follower = AddLeaderAndFollower();
  follower.SetInCombat(true);
  EXPECT_TRUE(follower.inCombat);
  EXPECT_EQ(Find("Squadleader 0")->readyFollowers, 38);
  follower.SetInCombat(false);
  EXPECT_FALSE(follower.inCombat);
  EXPECT_EQ(Find("Squadleader 0")->readyFollowers, 39);
}

TEST_F(GameObject, CombatWithoutLeaderOnlyChangesInCombat) {
  ::GameObject& bystander = AddObject("Squadleader 0");
  bystander.readyFollowers = 5;
  ::GameObject& loner = AddObject("Soldier 0");
  loner.SetInCombat(true);
  EXPECT_TRUE(loner.inCombat);
  loner.SetLeaderName("Squadleader 9");
  loner.SetInCombat(false);
  EXPECT_FALSE(loner.inCombat);
  EXPECT_EQ(bystander.readyFollowers, 5);
}

TEST_F(GameObject, RemovalTakesOnlyTheFirstEqualEntryOffTheLeader) {
  ::GameObject& follower = AddLeaderAndFollower();
  ::GameObject& leader = *Find("Squadleader 0");
  leader.subordinates = {"Soldier 1", "Soldier 0", "Soldier 2", "Soldier 0", "Soldier 00"};
  follower.MarkForRemoval();
  EXPECT_TRUE(follower.removed);
  EXPECT_EQ(leader.subordinates, (std::vector<std::string>{"Soldier 1", "Soldier 2", "Soldier 0", "Soldier 00"}));
}

TEST_F(GameObject, RemovalWithoutLeaderOnlyMarks) {
  ::GameObject& loner = AddObject("Soldier 0");
  loner.SetLeaderName("Squadleader 9");
  loner.MarkForRemoval();
  EXPECT_TRUE(loner.removed);
}

// An archer (range 20) 10 units from a soldier (range 2) reaches it; the soldier does not
// reach the archer.
TEST_F(GameObject, RangeIsTheAttackersOwn) {
  ::GameObject& archer = AddObject("Archer 0");
  archer.attackRange = 20.0f;
  ::GameObject& soldier = AddObject("Soldier 0");
  archer.SetSprite(std::make_unique<Sprite>(&archer, Vector3(0.0f, 0.0f, 0.0f), 0.0f));
  soldier.SetSprite(std::make_unique<Sprite>(&soldier, Vector3(6.0f, 0.0f, 8.0f), 0.0f));
  EXPECT_TRUE(archer.IsInRangeOf(soldier));
  EXPECT_FALSE(soldier.IsInRangeOf(archer));
}

// A sprite walking towards a target five units away shows whether it was updated.
TEST_F(GameObject, UpdateMovesTheSpriteWithOrWithoutMachines) {
  ::GameObject& bare = AddObject("Bare");
  ScriptedMachine& unit = AddScripted("Unit", nullptr);
  for (::GameObject* object : {&bare, unit.GetOwner()}) {
    object->SetSprite(std::make_unique<Sprite>(object, Vector3(0.0f, 0.0f, 0.0f), 0.0f));
    object->GetSprite()->SetTarget(Vector3(5.0f, 0.0f, 0.0f), false);
  }
  UpdateObjects();
  EXPECT_GT(bare.GetSprite()->position.x, 0.0f);
  EXPECT_GT(unit.GetOwner()->GetSprite()->position.x, 0.0f);
}

}  // namespace
