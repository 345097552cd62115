// Steers a unit during a duel: walk towards the opponent until it is within reach, then hold
// still. The battle decides the outcome when the duel's time runs out.
#pragma once

#include "statemachine/StateMachine.h"

class CombatSM : public StateMachine {
 public:
  enum State : int { STATE_Initialize = 0, STATE_TakingOrders = 1 };

  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;
  const char* Kind() const override { return "CombatSM"; }

 private:
  void CloseIn();
};
