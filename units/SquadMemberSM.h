// The base behaviour of a squad member: wait for the squad leader's call to form up and answer
// it by following the formation. Soldiers, archers and berserkers share it unchanged.
#pragma once

#include "statemachine/StateMachine.h"

class SquadMemberSM : public StateMachine {
 public:
  enum State : int { STATE_Initialize = 0 };

  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;

 private:
  void JoinFormation();
};
