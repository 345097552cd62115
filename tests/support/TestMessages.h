// The tests' own messages: numbered from the first id the simulation leaves free, so that no
// machine of the simulation handles them, and named for the trace like the simulation's own.
#pragma once

#include "statemachine/Message.h"
#include "statemachine/TraceLog.h"

enum TestMessageId : int {
  MSG_UnitTestMessage = kFirstFreeMessageId,
  MSG_UnitTestMessage2,
  MSG_UnitTestMessage3,
  MSG_UnitTestBroken,
  MSG_UnitTestPing,
  MSG_UnitTestAck,
  MSG_UnitTestDone,
  MSG_UnitTestTimer,
};

// Gives the ids above their names in the log's records.
void NameTestMessages(TraceLog& log);
