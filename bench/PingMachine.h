// A two-state machine for measuring the engine's own costs: it counts the messages it receives
// and, while flipping is on, changes between its two states on every update.
#pragma once

#include "objects/GameObject.h"
#include "statemachine/Message.h"
#include "statemachine/StateMachine.h"

class EventClauses;

class PingMachine : public StateMachine {
 public:
  static constexpr int STATE_Ping = 1;
  static constexpr int STATE_Pong = 2;
  // Its one message, beyond the simulation's vocabulary: no machine of the simulation handles it.
  static constexpr int MSG_Ping = kFirstFreeMessageId;

  explicit PingMachine(GameObject* machineOwner) : StateMachine(machineOwner) {}

  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;

  bool flipping = false;
  long long received = 0;
  long long enters = 0;
  long long exits = 0;

 private:
  bool HandleTurn(EventClauses& clauses, const char* name, int other);
};
