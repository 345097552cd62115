// The squad member's base behaviour, and the names it goes by for soldiers, archers and
// berserkers: one machine, told apart only by which kind of unit it drives.
#pragma once

#include "units/SquadMemberEvents.h"

class SquadMemberSM : public StateMachine {
 public:
  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override {
    return HandleSquadMemberEvent(*this, event, msg, blockState, blockSubstate);
  }
};

// Classes rather than aliases: the inspector prints the machine's class name, and a unit's kind
// can be read back from its machine by dynamic_cast.
class SoldierSM final : public SquadMemberSM {
 public:
  using SquadMemberSM::SquadMemberSM;
  const char* Kind() const override { return "SoldierSM"; }
};

class ArcherSM final : public SquadMemberSM {
 public:
  using SquadMemberSM::SquadMemberSM;
  const char* Kind() const override { return "ArcherSM"; }
};

class BerserkerSM final : public SquadMemberSM {
 public:
  using SquadMemberSM::SquadMemberSM;
  const char* Kind() const override { return "BerserkerSM"; }
};
