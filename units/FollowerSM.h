// Keeps one squad member in its formation slot: claim a slot, walk there, then re-aim at it every
// frame while the formation turns and moves, until the formation is dissolved.
#pragma once

#include "objects/ObjectHandle.h"
#include "statemachine/StateMachine.h"

class EventClauses;
class Formation;

class FollowerSM : public StateMachine {
 public:
  enum State : int { STATE_JoinFormation = 0, STATE_BlindUpdate = 3, STATE_DissolveFormation = 4 };

  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;

 private:
  bool HandleGlobal(EventClauses& clauses);
  // The squad leader's formation; null once the leader is gone.
  Formation* LocateFormation() const;
  // What a lookup of the leader's name finds. The object found last time is what the lookup
  // would find again for as long as it exists and carries that name, and asking the name
  // registry for it every frame was a large part of a big army's update.
  GameObject* Leader() const;
  void ClaimSlot();
  void TrackSlot();

  mutable ObjectHandle leader;
};
