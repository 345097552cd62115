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

std::vector<const char*>& FreeMessageNames() {
  static std::vector<const char*> names;
  return names;
}

}  // namespace

const char* MessageName(int id) {
  if (id >= 0 && id < kFirstFreeMessageId) return kVocabularyNames[id];
  const std::vector<const char*>& freeNames = FreeMessageNames();
  if (id >= kFirstFreeMessageId && static_cast<std::size_t>(id - kFirstFreeMessageId) < freeNames.size()) {
    return freeNames[static_cast<std::size_t>(id - kFirstFreeMessageId)];
  }
  return kInvalidName;
}

void NameFreeMessages(std::vector<const char*> names) { FreeMessageNames() = std::move(names); }

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
