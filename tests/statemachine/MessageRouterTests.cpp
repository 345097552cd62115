// Delivery by name, now or when due: duplicates, scopes, timers, queue order, missing receivers,
// cancellation and receivers replaced under the same name.
#include <gtest/gtest.h>

#include <bit>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/Battlefield.h"
#include "tests/support/TestMessages.h"

namespace {
struct Delivery {
  int id;
  int data;
  float time;
  friend bool operator==(const Delivery&, const Delivery&) = default;
};

std::ostream& operator<<(std::ostream& out, const Delivery& d) {
  return out << "{id " << d.id << ", data " << d.data << ", at " << d.time << "}";
}

class MessageRouter : public Battlefield {
 protected:
  // "Unit" sits in state 1 and records every test message it gets; MSG_UnitTestMessage3 moves
  // it to the state given in the message's data.
  ScriptedMachine& AddRecorder(const ScriptedMachine::Hook& enterOne = nullptr) {
    return AddScripted("Unit", [&](ScriptedMachine& m) {
      m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetState(1); });
      for (int s = 1; s <= 3; ++s) {
        ScriptedMachine::Block& block = m.DefineState(s);
        for (const int id :
             std::initializer_list<int>{MSG_LookAround, MSG_UnitTestMessage, MSG_UnitTestMessage2, MSG_UnitTestTimer}) {
          block.OnMessage(id, [this](ScriptedMachine&, Message& msg) {
            deliveries.push_back({msg.id, msg.data, Now()});
          });
        }
        block.OnMessage(MSG_UnitTestMessage3, [](ScriptedMachine& self, Message& msg) { self.SetState(msg.data); });
      }
      if (enterOne) m.DefineState(1).Enter(enterOne);
    });
  }

  void SendToUnit(float delay, int id, int data, int scope = SCOPE_None, int stamp = 0) {
    router().Send(delay, id, "Unit", "Sender", scope, stamp, DATA_Integer, data, false);
  }

  void DeliverDue() { router().DeliverDue(); }

  std::vector<Delivery> deliveries;
};

TEST_F(MessageRouter, ImmediateSendIsHandledBeforeSendReturns) {
  ScriptedMachine& unit = AddRecorder();
  SendToUnit(0.0f, MSG_UnitTestMessage3, 2);
  EXPECT_EQ(unit.GetState(), 2);
  EXPECT_TRUE(router().Pending().empty());
}

TEST_F(MessageRouter, DelayedMessageArrivesAtFirstDeliveryAtOrAfterItsTime) {
  AddRecorder();
  AdvanceMs(100);
  SendToUnit(0.5f, MSG_UnitTestMessage, 7);
  AdvanceMs(499);
  DeliverDue();
  EXPECT_TRUE(deliveries.empty());
  AdvanceMs(1);
  DeliverDue();
  EXPECT_EQ(deliveries, (std::vector<Delivery>{{MSG_UnitTestMessage, 7, 0.6f}}));
  EXPECT_TRUE(router().Pending().empty());
}

// Same id, receiver, sender, scope and stamp: the second send is dropped even with other data,
// and does not move the first one's time.
TEST_F(MessageRouter, DuplicateDelayedSendQueuesOnceAndDoesNotPostpone) {
  AddRecorder();
  SendToUnit(1.0f, MSG_LookAround, 1, SCOPE_State, 1);
  AdvanceMs(500);
  SendToUnit(1.0f, MSG_LookAround, 2, SCOPE_State, 1);
  ASSERT_EQ(router().Pending().size(), 1u);
  EXPECT_EQ(router().Pending().front()->deliveryTime, 1.0f);
  AdvanceMs(500);
  DeliverDue();
  EXPECT_EQ(deliveries, (std::vector<Delivery>{{MSG_LookAround, 1, 1.0f}}));
}

TEST_F(MessageRouter, SendsDifferingInScopeSenderOrRepeatAreNotDuplicates) {
  AddRecorder();
  SendToUnit(1.0f, MSG_LookAround, 1, SCOPE_State, 1);
  SendToUnit(1.0f, MSG_LookAround, 2, SCOPE_Substate, 1);
  SendToUnit(1.0f, MSG_LookAround, 3, SCOPE_State, 2);
  router().Send(1.0f, MSG_LookAround, "Unit", "Someone", SCOPE_State, 1, DATA_Integer, 4, false);
  router().Send(1.0f, MSG_LookAround, "Unit", "Sender", SCOPE_State, 1, DATA_Integer, 5, true);
  EXPECT_EQ(router().Pending().size(), 5u);
}

// After a substate change the two counters differ (state changes 1, all changes 2, then 3): a
// state-scoped message survives the next substate change, a substate-scoped one does not.
TEST_F(MessageRouter, StateScopeFollowsStateChangesAndSubstateScopeEveryChange) {
  ScriptedMachine& unit = AddScripted("Unit", [this](ScriptedMachine& m) {
    m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetState(1); });
    m.DefineState(1).OnMessage(MSG_UnitTestMessage, [this](ScriptedMachine&, Message& msg) {
      deliveries.push_back({msg.id, msg.data, Now()});
    });
  });
  unit.SetSubstate(2);
  unit.ProcessEvent(EVENT_Update, nullptr);
  ASSERT_EQ(unit.GetStateChangeCount(), 1);
  ASSERT_EQ(unit.GetChangeCount(), 2);
  unit.SendToSelfDelayed(0.1f, MSG_UnitTestMessage, SCOPE_State, 1);
  unit.SendToSelfDelayed(0.1f, MSG_UnitTestMessage, SCOPE_Substate, 2);
  unit.SetSubstate(3);
  unit.ProcessEvent(EVENT_Update, nullptr);
  AdvanceMs(100);
  DeliverDue();
  EXPECT_EQ(deliveries, (std::vector<Delivery>{{MSG_UnitTestMessage, 1, 0.1f}}));
}

TEST_F(MessageRouter, SendToAllSkipsTheSendersOwnName) {
  std::vector<std::string> received;
  for (const std::string name : {"Leader", "A", "B"}) {
    AddScripted(name, [&received, name](ScriptedMachine& m) {
      m.DefineState(0).OnMessage(MSG_JoinFormation,
                                 [&received, name](ScriptedMachine&, Message&) { received.push_back(name); });
    });
  }
  auto& leader = static_cast<ScriptedMachine&>(*Find("Leader")->TopMachine());
  leader.SendToAll(MSG_JoinFormation, {"B", "Leader", "A", "Leader"}, 0);
  EXPECT_EQ(received, (std::vector<std::string>{"B", "A"}));
}

TEST_F(MessageRouter, ScopedStateChangeLapsesAfterOwnStateChange) {
  ScriptedMachine& unit = AddRecorder([](ScriptedMachine& self) { self.SetStateDelayed(0.55f, 2, SCOPE_Substate); });
  ASSERT_EQ(router().Pending().size(), 1u);
  AdvanceMs(300);
  SendToUnit(0.0f, MSG_UnitTestMessage3, 3);
  ASSERT_EQ(unit.GetState(), 3);
  AdvanceMs(300);
  DeliverDue();
  EXPECT_EQ(unit.GetState(), 3);
  EXPECT_TRUE(router().Pending().empty());
}

TEST_F(MessageRouter, ScopedStateChangeAppliesWhenStateIsUnchanged) {
  ScriptedMachine& unit = AddRecorder([](ScriptedMachine& self) { self.SetStateDelayed(0.55f, 2, SCOPE_Substate); });
  AdvanceMs(550);
  DeliverDue();
  EXPECT_EQ(unit.GetState(), 2);
}

// Deliveries at 0.8, 1.6 and 2.4 s with data 0; after the state change at 2.5 s the copy due
// at 3.2 s is dropped and nothing re-arms.
TEST_F(MessageRouter, TimerRearmsWithDataZeroUntilTheStateChanges) {
  AddRecorder([](ScriptedMachine& self) { self.SetTimer(0.8f, MSG_UnitTestTimer, SCOPE_Substate); });
  for (int frame = 0; frame < 25; ++frame) StepObjectsAndMessages(100);
  EXPECT_EQ(deliveries, (std::vector<Delivery>{
                            {MSG_UnitTestTimer, 0, 0.8f}, {MSG_UnitTestTimer, 0, 1.6f}, {MSG_UnitTestTimer, 0, 2.4f}}));
  SendToUnit(0.0f, MSG_UnitTestMessage3, 2);
  ASSERT_EQ(router().Pending().size(), 1u);
  for (int frame = 0; frame < 10; ++frame) StepObjectsAndMessages(100);
  EXPECT_EQ(deliveries.size(), 3u);
  EXPECT_TRUE(router().Pending().empty());
}

TEST_F(MessageRouter, TimerPeriodIsRaisedToOneHundredth) {
  AddRecorder([](ScriptedMachine& self) { self.SetTimer(0.001f, MSG_UnitTestTimer, SCOPE_State); });
  ASSERT_EQ(router().Pending().size(), 1u);
  const Message& timer = *router().Pending().front();
  EXPECT_EQ(timer.deliveryTime, 0.01f);
  EXPECT_EQ(timer.dataType, DATA_TimerPeriod);
  EXPECT_EQ(std::bit_cast<float>(timer.data), 0.01f);
  EXPECT_TRUE(timer.repeat);
  AdvanceMs(9);
  DeliverDue();
  EXPECT_TRUE(deliveries.empty());
  AdvanceMs(1);
  DeliverDue();
  EXPECT_EQ(deliveries.size(), 1u);
}

TEST_F(MessageRouter, DueMessagesArriveInInsertionOrderNotTimeOrder) {
  AddRecorder();
  SendToUnit(0.5f, MSG_UnitTestMessage, 1);
  SendToUnit(0.2f, MSG_UnitTestMessage2, 2);
  AdvanceMs(600);
  DeliverDue();
  EXPECT_EQ(deliveries, (std::vector<Delivery>{{MSG_UnitTestMessage, 1, 0.6f}, {MSG_UnitTestMessage2, 2, 0.6f}}));
}

// A message queued by a handler during the walk is looked at in the same walk, and delivered
// only once due.
TEST_F(MessageRouter, MessagesQueuedDuringDeliveryWaitUntilDue) {
  ScriptedMachine& unit = AddRecorder();
  unit.DefineState(1).OnMessage(MSG_UnitTestPing, [](ScriptedMachine& self, Message&) {
    self.SendToSelfDelayed(0.1f, MSG_UnitTestMessage, SCOPE_None, 5);
  });
  SendToUnit(0.2f, MSG_UnitTestPing, 0);
  AdvanceMs(200);
  DeliverDue();
  EXPECT_TRUE(deliveries.empty());
  EXPECT_EQ(router().Pending().size(), 1u);
  AdvanceMs(100);
  DeliverDue();
  EXPECT_EQ(deliveries, (std::vector<Delivery>{{MSG_UnitTestMessage, 5, 0.3f}}));
}

TEST_F(MessageRouter, MessagesToMissingReceiversAreDropped) {
  ScriptedMachine& unit = AddRecorder();
  router().Send(0.0f, MSG_UnitTestMessage, "Nobody", "Unit", SCOPE_None, 0, DATA_Integer, 1, false);
  router().Send(0.1f, MSG_UnitTestMessage, "Nobody", "Unit", SCOPE_None, 0, DATA_Integer, 1, false);
  AddObject("Bare");
  router().Send(0.1f, MSG_UnitTestMessage, "Bare", "Unit", SCOPE_None, 0, DATA_Integer, 1, false);
  unit.calls.clear();
  AdvanceMs(100);
  DeliverDue();
  EXPECT_TRUE(router().Pending().empty());
  EXPECT_TRUE(unit.calls.empty());
}

TEST_F(MessageRouter, CancelScopedLeavesUnscopedAndOtherReceiversAlone) {
  AddRecorder();
  SendToUnit(1.0f, MSG_UnitTestMessage, 1, SCOPE_State, 1);
  SendToUnit(1.0f, MSG_UnitTestMessage2, 2, SCOPE_Substate, 1);
  SendToUnit(1.0f, MSG_LookAround, 3);
  router().Send(1.0f, MSG_UnitTestMessage, "Other", "Unit", SCOPE_State, 1, DATA_Integer, 4, false);
  router().CancelScoped("Unit");
  std::vector<std::string> left;
  for (const auto& msg : router().Pending()) left.push_back(msg->receiver + " " + traceLog().NameOf(msg->id));
  EXPECT_EQ(left, (std::vector<std::string>{"Unit MSG_LookAround", "Other MSG_UnitTestMessage"}));
}

// The message being delivered is marked delivered, so a handler cancelling its own scoped
// messages keeps it (and the walk over the queue stays valid), while its re-armed copy goes.
TEST_F(MessageRouter, CancelScopedDuringDeliveryKeepsTheMessageBeingDelivered) {
  ScriptedMachine& unit =
      AddRecorder([](ScriptedMachine& self) { self.SetTimer(0.1f, MSG_UnitTestPing, SCOPE_State); });
  unit.DefineState(1).OnMessage(MSG_UnitTestPing, [this](ScriptedMachine&, Message& msg) {
    router().CancelScoped("Unit");
    EXPECT_TRUE(msg.delivered);
  });
  SendToUnit(0.1f, MSG_UnitTestMessage, 8, SCOPE_State, 1);
  AdvanceMs(100);
  DeliverDue();
  EXPECT_EQ(deliveries, std::vector<Delivery>{});
  EXPECT_TRUE(router().Pending().empty());
}

// Both messages are due in the same frame; the first one's handler cancels the second before
// its turn comes.
TEST_F(MessageRouter, DueMessageCancelledByAnEarlierDeliveryIsDropped) {
  ScriptedMachine& unit = AddRecorder();
  unit.DefineState(1).OnMessage(MSG_UnitTestPing,
                                [this](ScriptedMachine&, Message&) { router().CancelScoped("Unit"); });
  SendToUnit(0.2f, MSG_UnitTestPing, 0);
  SendToUnit(0.1f, MSG_UnitTestMessage, 7, SCOPE_State, 1);
  SendToUnit(0.1f, MSG_UnitTestMessage2, 8);
  AdvanceMs(200);
  DeliverDue();
  EXPECT_EQ(deliveries, (std::vector<Delivery>{{MSG_UnitTestMessage2, 8, 0.2f}}));
  EXPECT_TRUE(router().Pending().empty());
}

TEST_F(MessageRouter, MessageReachesNewObjectThatTookTheRemovedOnesName) {
  ScriptedMachine& old = AddRecorder();
  SendToUnit(0.5f, MSG_UnitTestMessage, 1);
  old.GetOwner()->MarkForRemoval();
  StepObjectsAndMessages(100);
  ASSERT_EQ(Find("Unit"), nullptr);
  ScriptedMachine& replacement = AddRecorder();
  AdvanceMs(400);
  DeliverDue();
  EXPECT_EQ(deliveries, (std::vector<Delivery>{{MSG_UnitTestMessage, 1, 0.5f}}));
  EXPECT_EQ(replacement.calls.back(), MessageCall(MSG_UnitTestMessage, 1, 1));
}

}  // namespace
