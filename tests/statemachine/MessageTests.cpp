// The message vocabulary as the trace prints it.
#include <gtest/gtest.h>

#include "statemachine/Message.h"
#include "tests/support/TestMessages.h"

TEST(Message, NamesFollowTheIdsAndOutOfRangeIdsReadInvalid) {
  NameTestMessages();
  EXPECT_STREQ(MessageName(MSG_NULL), "MSG_NULL");
  EXPECT_STREQ(MessageName(MSG_CHANGE_SUBSTATE_DELAYED), "MSG_CHANGE_SUBSTATE_DELAYED");
  EXPECT_STREQ(MessageName(MSG_Arrived), "MSG_Arrived");
  EXPECT_STREQ(MessageName(MSG_LookAround), "MSG_LookAround");
  EXPECT_STREQ(MessageName(MSG_UnitTestTimer), "MSG_UnitTestTimer");
  EXPECT_EQ(MSG_UnitTestTimer, 29);
  EXPECT_STREQ(MessageName(30), "Invalid");
  EXPECT_STREQ(MessageName(-1), "Invalid");
  EXPECT_STREQ(MessageName(1000), "Invalid");
}

// Machines made outside the simulation may use ids beyond its vocabulary; the trace names them
// once they are named, and never takes them for the simulation's own.
TEST(Message, FreeIdsReadInvalidUntilNamed) {
  NameFreeMessages({});
  EXPECT_STREQ(MessageName(kFirstFreeMessageId), "Invalid");
  NameFreeMessages({"MSG_Extra"});
  EXPECT_STREQ(MessageName(kFirstFreeMessageId), "MSG_Extra");
  EXPECT_STREQ(MessageName(kFirstFreeMessageId + 1), "Invalid");
  EXPECT_STREQ(MessageName(MSG_LeavingCombat), "MSG_LeavingCombat");
}

TEST(Message, StartsUndelivered) {
  const Message msg(MSG_Died, "Soldier 1", "Squadleader 0", DATA_Integer, 3, 1.5f, 2, SCOPE_State, true);
  EXPECT_FALSE(msg.delivered);
  EXPECT_TRUE(msg.repeat);
  EXPECT_EQ(msg.scopeValue, 2);
  EXPECT_EQ(msg.deliveryTime, 1.5f);
}
