// The berserker's base behaviour: the squad member's, under a name that says what kind of unit
// the machine drives.
#pragma once

#include "units/SquadMemberSM.h"

class BerserkerSM : public SquadMemberSM {
 public:
  using SquadMemberSM::SquadMemberSM;
};
