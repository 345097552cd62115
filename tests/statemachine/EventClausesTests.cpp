// The handler frame: which block a call selects, and that the first matching clause of a block
// settles the event, each traced once.
#include <gtest/gtest.h>

#include "statemachine/EventClauses.h"
#include "statemachine/TraceLog.h"
#include "tests/support/Battlefield.h"

namespace {
// State 0 has two clauses for the same event, so a second run would show; its global block
// answers MSG_Reset.
class TwoClauseMachine : public StateMachine {
 public:
  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override {
    switch (EventClauses clauses(*this, event, msg, blockState, blockSubstate); clauses.Block()) {
      case 0:
        return clauses.State("STATE_Waiting")
            .OnUpdate([this] { ++firstRuns; })
            .OnUpdate([this] { ++secondRuns; })
            .End();
      default: return clauses.Global().OnMessage(MSG_Reset, [this] { ++resets; }).End();
    }
  }

  int firstRuns = 0;
  int secondRuns = 0;
  int resets = 0;
};

class EventClauses : public Battlefield {
 protected:
  void SetUp() override {
    Battlefield::SetUp();
    traceLog().enabled = true;
  }

  Message Reset() const {
    return Message(MSG_Reset, "General", "Soldier 1", DATA_Integer, 0, 0.0f, 0, SCOPE_None, false);
  }
  std::size_t RecordCount() { return traceLog().Records().size(); }
};

TEST_F(EventClauses, FirstMatchingClauseRunsAloneAndIsTracedOnce) {
  TwoClauseMachine machine(&AddObject("Soldier 1"));
  EXPECT_TRUE(machine.HandleEvent(EVENT_Update, nullptr, 0, NO_SUBSTATE));
  EXPECT_EQ(machine.firstRuns, 1);
  EXPECT_EQ(machine.secondRuns, 0);
  EXPECT_EQ(RecordCount(), 1u);
}

TEST_F(EventClauses, GlobalBlockRunsOnlyForTheGlobalCall) {
  TwoClauseMachine machine(&AddObject("Soldier 1"));
  Message reset = Reset();
  EXPECT_FALSE(machine.HandleEvent(EVENT_Message, &reset, 0, 2));            // a substate: no machine has its block
  EXPECT_FALSE(machine.HandleEvent(EVENT_Message, &reset, 7, NO_SUBSTATE));  // a state without a block
  EXPECT_EQ(machine.resets, 0);
  EXPECT_EQ(RecordCount(), 0u);
  EXPECT_TRUE(machine.HandleEvent(EVENT_Message, &reset, STATE_Global, NO_SUBSTATE));
  EXPECT_EQ(machine.resets, 1);
  EXPECT_EQ(RecordCount(), 1u);
}

// The global block takes a delayed change as handled and leaves no record of it: a unit's trace
// would otherwise show an unhandled message at every delayed change.
TEST_F(EventClauses, ADelayedChangeIsHandledByTheGlobalBlockWithoutARecord) {
  TwoClauseMachine machine(&AddObject("Soldier 1"));
  for (const int id : {MSG_CHANGE_STATE_DELAYED, MSG_CHANGE_SUBSTATE_DELAYED}) {
    Message change(id, "Soldier 1", "Soldier 1", DATA_Integer, 0, 0.0f, 0, SCOPE_None, false);
    EXPECT_TRUE(machine.HandleEvent(EVENT_Message, &change, STATE_Global, NO_SUBSTATE)) << id;
  }
  EXPECT_EQ(RecordCount(), 0u);
}
}  // namespace
