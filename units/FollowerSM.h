// Keeps one squad member in its formation slot: claim a slot, walk there, then re-aim at it every
// frame while the formation turns and moves, until the formation is dissolved.
#pragma once

#include "statemachine/StateMachine.h"

class Formation;

class FollowerSM : public StateMachine {
 public:
  enum State : int { STATE_JoinFormation = 0, STATE_BlindUpdate = 3, STATE_DissolveFormation = 4 };

  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;
  const char* Kind() const override { return "FollowerSM"; }

 private:
  // The squad leader's formation; null once the leader is gone.
  Formation* LocateFormation() const;
  void ClaimSlot();
  void TrackSlot();
};
