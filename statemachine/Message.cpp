// The message name table.
#include "statemachine/Message.h"

#include <utility>

const char* const kMessageNames[kMessageNameCount] = {
    "MSG_NULL",
    "MSG_CHANGE_STATE_DELAYED",
    "MSG_CHANGE_SUBSTATE_DELAYED",
    "MSG_CheckTouch",
    "MSG_Tagged",
    "MSG_Died",
    "MSG_SetTargetPosition",
    "MSG_Arrived",
    "MSG_Reset",
    "MSG_TimerExpired",
    "MSG_StopRotating",
    "MSG_RotateCCW",
    "MSG_RotateCW",
    "MSG_FormationReadyToFight",
    "MSG_JoinFormation",
    "MSG_DissolveFormation",
    "MSG_RotateInFormation",
    "MSG_MarchInFormation",
    "MSG_RotateMarchInFormation",
    "MSG_LookAround",
    "MSG_EnteringCombat",
    "MSG_LeavingCombat",
    "MSG_UnitTestMessage",
    "MSG_UnitTestMessage2",
    "MSG_UnitTestMessage3",
    "MSG_UnitTestBroken",
    "MSG_UnitTestPing",
    "MSG_UnitTestAck",
    "MSG_UnitTestDone",
    "MSG_UnitTestTimer",
    "Invalid",
};

const char* MessageName(int id) {
  if (id < 0 || id >= kMessageNameCount) return kMessageNames[kMessageNameCount - 1];
  return kMessageNames[id];
}

Message::Message(int messageId, std::string senderName, std::string receiverName, int type, int payload, float dueTime,
                 int stamp, int messageScope, bool repeating)
    : id(messageId),
      sender(std::move(senderName)),
      receiver(std::move(receiverName)),
      dataType(type),
      data(payload),
      deliveryTime(dueTime),
      scopeValue(stamp),
      scope(messageScope),
      repeat(repeating) {}
