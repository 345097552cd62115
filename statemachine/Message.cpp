// The message name table.
#include "statemachine/Message.h"

#include <utility>

namespace {

constexpr const char* kInvalidName = "Invalid";

const char* const kVocabularyNames[kFirstFreeMessageId] = {
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
};

}  // namespace

const char* MessageName(int id) {
  if (id >= 0 && id < kFirstFreeMessageId) return kVocabularyNames[id];
  return kInvalidName;
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
