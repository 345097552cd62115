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

// Three names for one behaviour, so that each member's machine says what kind of unit it drives.
class SoldierSM : public SquadMemberSM {
 public:
  using SquadMemberSM::SquadMemberSM;
};

class ArcherSM : public SquadMemberSM {
 public:
  using SquadMemberSM::SquadMemberSM;
};

class BerserkerSM : public SquadMemberSM {
 public:
  using SquadMemberSM::SquadMemberSM;
};
