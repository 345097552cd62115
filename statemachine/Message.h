// The routed message record and the message vocabulary, named as the trace prints them.
#pragma once

#include <string>

enum MessageId : int {
  MSG_NULL = 0,
  MSG_CHANGE_STATE_DELAYED,
  MSG_CHANGE_SUBSTATE_DELAYED,
  MSG_CheckTouch,
  MSG_Tagged,
  MSG_Died,
  MSG_SetTargetPosition,
  MSG_Arrived,
  MSG_Reset,
  MSG_TimerExpired,
  MSG_StopRotating,
  MSG_RotateCCW,
  MSG_RotateCW,
  MSG_FormationReadyToFight,
  MSG_JoinFormation,
  MSG_DissolveFormation,
  MSG_RotateInFormation,
  MSG_MarchInFormation,
  MSG_RotateMarchInFormation,
  MSG_LookAround,
  MSG_EnteringCombat,
  MSG_LeavingCombat,
};

// The simulation's own vocabulary ends below this id. Machines made outside the simulation number
// their own messages from here up, and may name them on the trace log that prints them.
constexpr int kFirstFreeMessageId = MSG_LeavingCombat + 1;

// The vocabulary's name of an id, or "Invalid" for any other.
const char* MessageName(int id);

enum MessageScope : int { SCOPE_None = 0, SCOPE_State = 1, SCOPE_Substate = 2 };
enum MessageDataType : int { DATA_None = 0, DATA_Integer = 1, DATA_TimerPeriod = 2 };

struct Message {
  int id = MSG_NULL;
  std::string sender;
  std::string receiver;
  int dataType = DATA_None;
  int data = 0;
  float deliveryTime = 0.0f;
  // The sending machine's change counter when sent; the message lapses if it has moved on.
  int scopeValue = 0;
  int scope = SCOPE_None;
  // Set when delivery starts: a delivered message is no longer a duplicate and is never cancelled.
  bool delivered = false;
  bool repeat = false;

  Message() = default;
  // Every field, in the fingerprint's order.
  template <class Archive>
  void Walk(Archive& archive);
  Message(int messageId, std::string senderName, std::string receiverName, int type, int payload, float dueTime,
          int stamp, int messageScope, bool repeating);
};

template <class Archive>
void Message::Walk(Archive& archive) {
  archive.Int("id", id);
  archive.Text("sender", sender);
  archive.Text("receiver", receiver);
  archive.Int("dataType", dataType);
  archive.Int("data", data);
  archive.Float("deliveryTime", deliveryTime);
  archive.Int("scopeValue", scopeValue);
  archive.Int("scope", scope);
  archive.Flag("delivered", delivered);
  archive.Flag("repeat", repeat);
}
