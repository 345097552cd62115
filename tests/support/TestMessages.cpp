// The names the trace prints for the tests' own messages.
#include "tests/support/TestMessages.h"

void NameTestMessages(TraceLog& log) {
  log.NameFreeMessages({"MSG_UnitTestMessage", "MSG_UnitTestMessage2", "MSG_UnitTestMessage3", "MSG_UnitTestBroken",
                    "MSG_UnitTestPing", "MSG_UnitTestAck", "MSG_UnitTestDone", "MSG_UnitTestTimer"});
}
