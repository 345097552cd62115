// The message vocabulary as the trace prints it.
#include <gtest/gtest.h>

#include "platform/Timer.h"
#include "statemachine/Message.h"
#include "statemachine/TraceLog.h"
#include "tests/support/TestMessages.h"

TEST(Message, NamesFollowTheIdsAndOutOfRangeIdsReadInvalid) {
  const Timer clock;
  TraceLog log(clock);
  NameTestMessages(log);
  EXPECT_STREQ(log.NameOf(MSG_NULL), "MSG_NULL");
  EXPECT_STREQ(log.NameOf(MSG_CHANGE_SUBSTATE_DELAYED), "MSG_CHANGE_SUBSTATE_DELAYED");
  EXPECT_STREQ(log.NameOf(MSG_Arrived), "MSG_Arrived");
  EXPECT_STREQ(log.NameOf(MSG_LookAround), "MSG_LookAround");
  EXPECT_STREQ(log.NameOf(MSG_UnitTestTimer), "MSG_UnitTestTimer");
  EXPECT_EQ(MSG_UnitTestTimer, 29);
  EXPECT_STREQ(log.NameOf(30), "Invalid");
  EXPECT_STREQ(log.NameOf(-1), "Invalid");
  EXPECT_STREQ(log.NameOf(1000), "Invalid");
}

// Machines made outside the simulation may use ids beyond its vocabulary; a log names them once
// they are named on it (another log does not), and never takes them for the simulation's own.
TEST(Message, FreeIdsReadInvalidUntilNamedOnTheLog) {
  const Timer clock;
  TraceLog named(clock);
  const TraceLog unnamed(clock);
  named.NameFreeMessages({"MSG_Extra"});
  EXPECT_STREQ(unnamed.NameOf(kFirstFreeMessageId), "Invalid");
  EXPECT_STREQ(MessageName(kFirstFreeMessageId), "Invalid");
  EXPECT_STREQ(named.NameOf(kFirstFreeMessageId), "MSG_Extra");
  EXPECT_STREQ(named.NameOf(kFirstFreeMessageId + 1), "Invalid");
  EXPECT_STREQ(named.NameOf(MSG_LeavingCombat), "MSG_LeavingCombat");
}

TEST(Message, StartsUndelivered) {
  const Message msg(MSG_Died, "Soldier 1", "Squadleader 0", DATA_Integer, 3, 1.5f, 2, SCOPE_State, true);
  EXPECT_FALSE(msg.delivered);
  EXPECT_TRUE(msg.repeat);
  EXPECT_EQ(msg.scopeValue, 2);
  EXPECT_EQ(msg.deliveryTime, 1.5f);
}
