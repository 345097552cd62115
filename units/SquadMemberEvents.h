// The one behaviour that soldiers, archers and berserkers share: wait for the squad leader's call
// to form up and answer it by following the formation; started again whenever the machine above
// it is popped.
#pragma once

#include "statemachine/StateMachine.h"

struct SquadMemberState {
  enum : int { STATE_Initialize = 0 };
};

// SquadMemberSM's handler, whichever of its names (SoldierSM, ArcherSM, BerserkerSM) it runs under.
bool HandleSquadMemberEvent(StateMachine& machine, int event, Message* msg, int blockState, int blockSubstate);
