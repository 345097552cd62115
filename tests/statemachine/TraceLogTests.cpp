// The trace: which events become records, which records are printed and how, the 200-record
// window, and the state-change count that runs whether tracing is on or not.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/Battlefield.h"
#include "tests/support/TestMessages.h"

namespace {
class TraceLog : public Battlefield {
 protected:
  // "Soldier 3" waits in state 0 until an update moves it to state 1, "STATE_Marching".
  ScriptedMachine& AddSoldier() {
    return AddScripted("Soldier 3", [](ScriptedMachine& m) {
      m.DefineState(0).Update([](ScriptedMachine& self) { self.SetState(1); });
      m.DefineState(1, "STATE_Marching");
    });
  }

  // "Arrow" flies in state 1 and handles only MSG_Arrived there.
  ScriptedMachine& AddArrow() {
    return AddScripted("Arrow", [](ScriptedMachine& m) {
      m.DefineState(0).Enter([](ScriptedMachine& self) { self.SetState(1); });
      m.DefineState(1, "STATE_Flying").OnMessage(MSG_Arrived, [](ScriptedMachine&, Message&) {});
    });
  }

  // Runs the action with tracing on and returns what it printed.
  template <class Action>
  std::string Traced(Action action) {
    traceLog().enabled = true;
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
  }

  const std::deque<TraceRecord>& Records() { return traceLog().Records(); }
};

TEST_F(TraceLog, StateChangePrintsExitChangeAndEnterLines) {
  ScriptedMachine& soldier = AddSoldier();
  AdvanceMs(12500);
  const std::string printed = Traced([&] { soldier.Update(); });
  EXPECT_EQ(printed,
            "12.500-Soldier 3 STATE_Initialize:EVENT_Exit \n"
            "12.500-Soldier 3 1:STATE_CHANGE \n"
            "12.500-Soldier 3 STATE_Marching:EVENT_Enter \n");
  ASSERT_EQ(Records().size(), 4u);  // the handled update is recorded but not printed
  const TraceRecord& change = Records()[2];
  EXPECT_STREQ(change.ownerName, "Soldier 3");
  EXPECT_TRUE(change.handled);
  EXPECT_EQ(change.time, 12.5f);
  EXPECT_STREQ(change.stateText, "1");
  EXPECT_STREQ(change.substateText, "-1");
  EXPECT_STREQ(change.eventText, "STATE_CHANGE");
  EXPECT_FALSE(change.hasMessage);
  EXPECT_STREQ(Records()[0].eventText, "EVENT_Update");
}

TEST_F(TraceLog, HandledMessagePrintsSenderReceiverAndData) {
  AddArrow();
  AdvanceMs(7250);
  const std::string printed = Traced([&] { objects().SendSystemMessage("Arrow", MSG_Arrived); });
  EXPECT_EQ(printed, "7.250-Arrow STATE_Flying:MSG_Arrived from:System to:Arrow data:0 \n");
}

// Only integer data is traced; a timer's period bits print as 0.
TEST_F(TraceLog, OnlyIntegerDataIsTraced) {
  const Message integer(MSG_Arrived, "General 0", "Arrow", DATA_Integer, 42, 0.0f, 0, SCOPE_None, false);
  const Message period(MSG_Arrived, "General 0", "Arrow", DATA_TimerPeriod, 1065353216, 0.0f, 0, SCOPE_None, false);
  const std::string printed = Traced([&] {
    traceLog().LogEvent("Arrow", &integer, "STATE_Flying", "", "MSG_Arrived", true);
    traceLog().LogEvent("Arrow", &period, "STATE_Flying", "", "MSG_Arrived", true);
  });
  EXPECT_EQ(printed,
            "0.000-Arrow STATE_Flying:MSG_Arrived from:General 0 to:Arrow data:42 \n"
            "0.000-Arrow STATE_Flying:MSG_Arrived from:General 0 to:Arrow data:0 \n");
}

TEST_F(TraceLog, UnhandledMessageIsPrintedByStateAndGlobalBlock) {
  AddArrow();
  AdvanceMs(7250);
  const std::string printed = Traced([&] { objects().SendSystemMessage("Arrow", MSG_UnitTestPing); });
  EXPECT_EQ(printed,
            "7.250-Arrow STATE_Flying:MSG_UnitTestPing from:System to:Arrow data:0 (not handled)\n"
            "7.250-Arrow STATE_Global:MSG_UnitTestPing from:System to:Arrow data:0 (not handled)\n");
  ASSERT_EQ(Records().size(), 2u);
  EXPECT_FALSE(Records()[0].handled);
  EXPECT_STREQ(Records()[0].eventText, "MSG_UnitTestPing");
}

TEST_F(TraceLog, UnhandledUpdateIsRecordedTwiceButNotPrinted) {
  ScriptedMachine& arrow = AddArrow();
  const std::string printed = Traced([&] { arrow.Update(); });
  EXPECT_EQ(printed, "");
  ASSERT_EQ(Records().size(), 2u);
  for (const TraceRecord& record : Records()) {
    EXPECT_FALSE(record.handled);
    EXPECT_STREQ(record.eventText, "EVENT_Update");
  }
  EXPECT_STREQ(Records()[0].stateText, "STATE_Flying");
  EXPECT_STREQ(Records()[1].stateText, "STATE_Global");
  EXPECT_EQ(arrow.GetState(), 1);
}

TEST_F(TraceLog, MessageEventWithoutMessageIsPrintedAsInvalid) {
  ScriptedMachine& arrow = AddArrow();
  const std::string printed = Traced([&] { arrow.ProcessEvent(EVENT_Message, nullptr); });
  EXPECT_EQ(printed,
            "0.000-Arrow STATE_Flying:INVALID_EVENT (not handled)\n"
            "0.000-Arrow STATE_Global:INVALID_EVENT (not handled)\n");
}

TEST_F(TraceLog, UnhandledEventNumbersAreDecodedAndOnlyMessagesPrinted) {
  const std::string printed = Traced([&] {
    for (const char* number : {"1", "3", "4", "5", "7"}) {
      traceLog().LogEvent("Unit", nullptr, "STATE_1", "", number, false);
    }
  });
  EXPECT_EQ(printed, "");
  std::vector<std::string> texts;
  for (const TraceRecord& record : Records()) texts.emplace_back(record.eventText);
  EXPECT_EQ(texts, (std::vector<std::string>{"EVENT_Update", "EVENT_CCMessage", "EVENT_Enter", "EVENT_Exit",
                                             "INVALID_EVENT"}));
}

TEST_F(TraceLog, EmptyStateTextPrintsTheSubstateText) {
  const std::string printed = Traced([&] { traceLog().LogEvent("Unit", nullptr, "", "SUB_Aim", "EVENT_Enter", true); });
  EXPECT_EQ(printed, "0.000-Unit SUB_Aim:EVENT_Enter \n");
}

TEST_F(TraceLog, TwoHundredFirstRecordEvictsTheFirst) {
  const std::string printed = Traced([&] {
    for (int i = 0; i <= 200; ++i) {
      traceLog().LogEvent("Unit " + std::to_string(i), nullptr, "STATE_1", "", "1", false);
    }
  });
  EXPECT_EQ(printed, "");
  ASSERT_EQ(Records().size(), 200u);
  EXPECT_STREQ(Records().front().ownerName, "Unit 1");
  EXPECT_STREQ(Records().back().ownerName, "Unit 200");
}

TEST_F(TraceLog, DelayedChangeMessagesLeaveNoRecord) {
  ScriptedMachine& arrow = AddArrow();
  arrow.DefineState(2, "STATE_Stuck");
  arrow.DefineSubstate(2, 1, "SUB_Deep");
  arrow.SetStateDelayed(0.5f, 2, SCOPE_None);
  router().Send(0.6f, MSG_CHANGE_SUBSTATE_DELAYED, "Arrow", "Arrow", SCOPE_None, 0, DATA_Integer, 1, false);
  AdvanceMs(600);
  const std::string printed = Traced([&] { router().DeliverDue(); });
  EXPECT_EQ(arrow.GetState(), 2);
  EXPECT_EQ(arrow.GetSubstate(), 1);
  for (const TraceRecord& record : Records()) EXPECT_FALSE(record.hasMessage) << record.eventText;
  EXPECT_EQ(printed,
            "0.600-Arrow STATE_Flying:EVENT_Exit \n"
            "0.600-Arrow 2:STATE_CHANGE \n"
            "0.600-Arrow STATE_Stuck:EVENT_Enter \n"
            "0.600-Arrow 2:STATE_CHANGE \n"
            "0.600-Arrow SUB_Deep:EVENT_Enter \n");
}

TEST_F(TraceLog, TracingOffRecordsNothingButCountsEveryChange) {
  ScriptedMachine& soldier = AddSoldier();
  ScriptedMachine& arrow = AddArrow();
  EXPECT_EQ(battle->StateChanges(), 1);
  testing::internal::CaptureStdout();
  soldier.Update();
  arrow.Update();
  objects().SendSystemMessage("Arrow", MSG_UnitTestPing);
  soldier.SetState(1);
  soldier.Update();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_TRUE(Records().empty());
  EXPECT_EQ(battle->StateChanges(), 3);
}

}  // namespace
