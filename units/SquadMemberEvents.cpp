// Squad member behaviour.
#include "units/SquadMemberEvents.h"

#include <memory>

#include "objects/GameObject.h"
#include "statemachine/EventClauses.h"
#include "units/FollowerSM.h"

namespace {
void JoinFormation(GameObject& member) {
  if (member.dying) return;
  member.PushMachine(std::make_unique<FollowerSM>(&member), true);
}
}  // namespace

bool HandleSquadMemberEvent(StateMachine& machine, int event, Message* msg, int blockState, int blockSubstate) {
  EventClauses clauses(machine, event, msg);
  if (blockState < 0) {
    if (clauses.DelayedChange()) return true;
    if (clauses.OnMessage(MSG_Reset)) {
      machine.RequestRestart();
      return true;
    }
    return clauses.Unhandled();
  }
  if (blockSubstate >= 0 || blockState != SquadMemberState::STATE_Initialize) return false;

  clauses.State("STATE_Initialize");
  if (clauses.On(EVENT_Enter)) return true;
  if (clauses.OnMessage(MSG_JoinFormation)) {
    JoinFormation(*machine.GetOwner());
    return true;
  }
  return clauses.Unhandled();
}
