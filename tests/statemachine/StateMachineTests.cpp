// State changes: Enter/Exit order, the counters, ignored and replaced requests, the budget of
// 20 changes per event, substates, removed owners and re-entrant dispatch.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/Battlefield.h"
#include "tests/support/TestMessages.h"

namespace {
using Call = ScriptedMachine::Call;

class StateMachine : public Battlefield {
 protected:
  // Only the Enter and Exit calls, in order.
  static std::vector<Call> Transitions(const ScriptedMachine& machine) {
    std::vector<Call> transitions;
    for (const Call& call : machine.calls) {
      if (call.event == EVENT_Enter || call.event == EVENT_Exit) transitions.push_back(call);
    }
    return transitions;
  }

  // A machine whose state-0 Enter moves it to state 1, and whose state-1 Update runs step.
  ScriptedMachine& AddInStateOne(const ScriptedMachine::Hook& step) {
    return AddScripted("Unit", [&](ScriptedMachine& m) {
      m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetState(1); });
      m.DefineState(1).Update(step);
    });
  }
};

TEST_F(StateMachine, ConstructionResetsWithoutEntering) {
  GameObject& object = AddObject("Unit");
  ScriptedMachine machine(&object);
  EXPECT_EQ(machine.GetState(), 0);
  EXPECT_EQ(machine.GetSubstate(), NO_SUBSTATE);
  EXPECT_EQ(machine.GetChangeCount(), 0);
  EXPECT_EQ(machine.GetStateChangeCount(), 0);
  EXPECT_FALSE(machine.IsChangePending());
  EXPECT_TRUE(machine.IsChangeAllowed());
  EXPECT_STREQ(machine.StateName(), "");
  EXPECT_TRUE(machine.calls.empty());
}

TEST_F(StateMachine, InitializeEntersStateZeroAndAppliesItsChange) {
  ScriptedMachine& machine = AddScripted("Unit", [](ScriptedMachine& m) {
    m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetState(1); });
    m.DefineState(1, "STATE_Marching");
  });
  EXPECT_EQ(machine.calls, (std::vector<Call>{EnterCall(0), ExitCall(0), EnterCall(1)}));
  EXPECT_EQ(machine.GetState(), 1);
  EXPECT_EQ(machine.GetChangeCount(), 1);
  EXPECT_EQ(machine.GetStateChangeCount(), 1);
  EXPECT_FALSE(machine.IsChangePending());
  EXPECT_STREQ(machine.StateName(), "STATE_Marching");
}

TEST_F(StateMachine, SettingTheCurrentStateReentersIt) {
  ScriptedMachine& machine = AddInStateOne([](ScriptedMachine& self) { self.SetState(1); });
  machine.calls.clear();
  machine.Update();
  EXPECT_EQ(Transitions(machine), (std::vector<Call>{ExitCall(1), EnterCall(1)}));
  EXPECT_EQ(machine.GetChangeCount(), 2);
  EXPECT_EQ(machine.GetStateChangeCount(), 2);
}

TEST_F(StateMachine, RequestsDuringExitAreIgnored) {
  ScriptedMachine& machine = AddScripted("Unit", [](ScriptedMachine& m) {
    m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetState(1); });
    m.DefineState(1).Update([](ScriptedMachine& self) { self.SetState(2); }).Exit([](ScriptedMachine& self) {
      self.SetState(7);
      self.SetSubstate(3);
      self.SetStateDelayed(0.5f, 7, SCOPE_None);
    });
  });
  machine.calls.clear();
  machine.Update();
  EXPECT_EQ(machine.GetState(), 2);
  EXPECT_EQ(machine.GetSubstate(), NO_SUBSTATE);
  EXPECT_FALSE(machine.IsChangePending());
  EXPECT_TRUE(machine.IsChangeAllowed());
  EXPECT_TRUE(router().Pending().empty());
}

TEST_F(StateMachine, LastRequestWinsWithOneExitEnterPair) {
  ScriptedMachine& machine = AddInStateOne([](ScriptedMachine& self) {
    self.SetState(2);
    self.SetState(3);
  });
  machine.DefineState(2);
  machine.DefineState(3);
  machine.calls.clear();
  machine.Update();
  EXPECT_EQ(Transitions(machine), (std::vector<Call>{ExitCall(1), EnterCall(3)}));
  EXPECT_EQ(machine.GetChangeCount(), 2);
}

TEST_F(StateMachine, AppliesAtMostTwentyChangesPerEventAndResumesOnTheNext) {
  ScriptedMachine& machine = AddScripted("Unit", [](ScriptedMachine& m) {
    for (int s = 0; s <= 45; ++s) {
      m.DefineState(s).Enter([](ScriptedMachine& self) { self.SetState(self.GetState() + 1); });
    }
  });
  EXPECT_EQ(machine.GetState(), 20);
  EXPECT_EQ(machine.GetChangeCount(), 20);
  EXPECT_TRUE(machine.IsChangePending());
  EXPECT_TRUE(machine.IsChangeAllowed());

  machine.Update();
  EXPECT_EQ(machine.GetState(), 40);
  EXPECT_EQ(machine.GetChangeCount(), 40);
  EXPECT_EQ(machine.GetStateChangeCount(), 40);
  EXPECT_TRUE(machine.IsChangePending());
  EXPECT_EQ(battle->StateChanges(), 40);
}

TEST_F(StateMachine, SubstateChangeEntersOnlyTheSubstate) {
  ScriptedMachine& machine = AddScripted("Unit", [](ScriptedMachine& m) {
    m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetState(5); });
    m.DefineState(5);
    m.DefineSubstate(5, 2);
    m.DefineState(6);
  });
  const int stateChanges = machine.GetStateChangeCount();
  const int changes = machine.GetChangeCount();
  machine.calls.clear();

  machine.SetSubstate(2);
  machine.ProcessEvent(EVENT_CCMessage, nullptr);
  EXPECT_EQ(Transitions(machine), (std::vector<Call>{EnterCall(5, 2)}));
  EXPECT_EQ(machine.GetState(), 5);
  EXPECT_EQ(machine.GetSubstate(), 2);
  EXPECT_EQ(machine.GetChangeCount(), changes + 1);
  EXPECT_EQ(machine.GetStateChangeCount(), stateChanges);

  machine.calls.clear();
  machine.SetState(6);
  machine.ProcessEvent(EVENT_CCMessage, nullptr);
  EXPECT_EQ(Transitions(machine), (std::vector<Call>{ExitCall(5, 2), ExitCall(5), EnterCall(6)}));
  EXPECT_EQ(machine.GetSubstate(), NO_SUBSTATE);
  EXPECT_EQ(machine.GetStateChangeCount(), stateChanges + 1);
}

// Events go to the substate block first, then the state block, then the global block.
TEST_F(StateMachine, UnhandledEventFallsBackFromSubstateToStateToGlobal) {
  ScriptedMachine& machine = AddScripted("Unit", [](ScriptedMachine& m) {
    m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetSubstate(4); });
    m.DefineSubstate(0, 4);
  });
  machine.calls.clear();
  machine.Update();
  EXPECT_EQ(machine.calls, (std::vector<Call>{UpdateCall(0, 4), UpdateCall(0), UpdateCall(STATE_Global)}));
}

TEST_F(StateMachine, EventsForAnOwnerMarkedForRemovalAreDropped) {
  ScriptedMachine& machine = AddInStateOne([](ScriptedMachine& self) { self.SetState(2); });
  machine.GetOwner()->MarkForRemoval();
  machine.calls.clear();

  machine.Update();
  objects().SendSystemMessage("Unit", MSG_Arrived);
  router().Send(0.0f, MSG_UnitTestMessage, "Unit", "Other", SCOPE_None, 0, DATA_Integer, 1, false);
  EXPECT_TRUE(machine.calls.empty());
  EXPECT_EQ(machine.GetState(), 1);
}

// The nested delivery applies its own change before the send returns; the outer handler then
// already sees the new state.
TEST_F(StateMachine, ChangeRequestedByNestedDispatchIsAppliedWhenItReturns) {
  int stateAfterSend = -99;
  ScriptedMachine& machine = AddScripted("Unit", [&](ScriptedMachine& m) {
    m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetState(1); });
    m.DefineState(1)
        .OnMessage(MSG_UnitTestPing,
                   [&](ScriptedMachine& self, Message&) {
                     self.SendToSelf(MSG_UnitTestAck, SCOPE_None, 0);
                     stateAfterSend = self.GetState();
                   })
        .OnMessage(MSG_UnitTestAck, [](ScriptedMachine& self, Message&) { self.SetState(2); });
    m.DefineState(2);
  });
  machine.calls.clear();
  objects().SendSystemMessage("Unit", MSG_UnitTestPing);
  EXPECT_EQ(stateAfterSend, 2);
  EXPECT_EQ(machine.calls, (std::vector<Call>{MessageCall(MSG_UnitTestPing, 0, 1), MessageCall(MSG_UnitTestAck, 0, 1),
                                              ExitCall(1), EnterCall(2)}));
  EXPECT_EQ(machine.GetChangeCount(), 2);
}

TEST_F(StateMachine, StateNameIsSetOnEnterAndSubstateNameCleared) {
  ScriptedMachine& machine = AddScripted("Unit", [](ScriptedMachine& m) {
    m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetState(3); });
    m.DefineState(3, "STATE_TakingOrders");
  });
  EXPECT_STREQ(machine.StateName(), "STATE_TakingOrders");
  EXPECT_STREQ(machine.SubstateName(), "");
}

// A state the machine has no block for: the state-level call returns false, the global block
// reports it, and nothing changes.
TEST_F(StateMachine, UnknownStateReachesOnlyTheGlobalBlock) {
  ScriptedMachine& machine = AddScripted(
      "Unit", [](ScriptedMachine& m) { m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetState(9); }); });
  machine.calls.clear();
  machine.Update();
  EXPECT_EQ(machine.calls, (std::vector<Call>{UpdateCall(9), UpdateCall(STATE_Global)}));
  EXPECT_EQ(machine.GetState(), 9);
  EXPECT_FALSE(machine.IsChangePending());
}

TEST_F(StateMachine, GlobalBlockAppliesDelayedStateAndSubstateChanges) {
  ScriptedMachine& machine = AddInStateOne([](ScriptedMachine&) {});
  machine.DefineState(4);
  machine.DefineSubstate(4, 1);
  Message change(MSG_CHANGE_STATE_DELAYED, "Unit", "Unit", DATA_Integer, 4, 0.0f, 0, SCOPE_None, false);
  machine.ProcessEvent(EVENT_Message, &change);
  EXPECT_EQ(machine.GetState(), 4);
  Message substate(MSG_CHANGE_SUBSTATE_DELAYED, "Unit", "Unit", DATA_Integer, 1, 0.0f, 0, SCOPE_None, false);
  machine.ProcessEvent(EVENT_Message, &substate);
  EXPECT_EQ(machine.GetSubstate(), 1);
}

}  // namespace
