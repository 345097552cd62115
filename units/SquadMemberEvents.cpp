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
  switch (EventClauses clauses(machine, event, msg, blockState, blockSubstate); clauses.Block()) {
    case SquadMemberState::STATE_Initialize:
      return clauses.State("STATE_Initialize")
          .OnEnter([] {})  // handled, so that it is traced as such: the member only waits
          .OnMessage(MSG_JoinFormation, [&machine] { JoinFormation(*machine.GetOwner()); })
          .End();
    default: return clauses.Global().OnMessage(MSG_Reset, [&machine] { machine.RequestRestart(); }).End();
  }
}
