// Squad member behaviour.
#include "units/SquadMemberSM.h"

#include <memory>

#include "objects/GameObject.h"
#include "statemachine/EventClauses.h"
#include "units/FollowerSM.h"

bool SquadMemberSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  EventClauses clauses(*this, event, msg);
  if (blockState < 0) {
    if (clauses.DelayedChange()) return true;
    if (clauses.OnMessage(MSG_Reset)) {
      RequestRestart();
      return true;
    }
    return clauses.Unhandled();
  }
  if (blockSubstate >= 0 || blockState != STATE_Initialize) return false;

  clauses.State("STATE_Initialize");
  if (clauses.On(EVENT_Enter)) return true;
  if (clauses.OnMessage(MSG_JoinFormation)) {
    JoinFormation();
    return true;
  }
  return clauses.Unhandled();
}

void SquadMemberSM::JoinFormation() {
  GameObject* member = GetOwner();
  if (member->dying) return;
  member->PushMachine(std::make_unique<FollowerSM>(member), true);
}
