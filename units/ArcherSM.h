// The archer's base behaviour: the squad member's, under a name that says what kind of unit the
// machine drives.
#pragma once

#include "units/SquadMemberEvents.h"

class ArcherSM : public StateMachine {
 public:
  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override {
    return HandleSquadMemberEvent(*this, event, msg, blockState, blockSubstate);
  }
};
