// Arrow flight.
#include "units/ArrowSM.h"

#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "statemachine/EventClauses.h"

bool ArrowSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  EventClauses clauses(*this, event, msg);
  if (blockState < 0) return clauses.Global();
  if (blockSubstate >= 0) return false;
  switch (blockState) {
    case STATE_Initialize:
      clauses.State("STATE_Initialize");
      if (clauses.On(EVENT_Enter)) {
        Launch();
        return true;
      }
      return clauses.Unhandled();
    case STATE_Flying:
      clauses.State("STATE_Flying");
      if (clauses.OnMessage(MSG_Arrived)) {
        SetState(STATE_Done);
        return true;
      }
      return clauses.Unhandled();
    case STATE_Done:
      clauses.State("STATE_Done");
      if (clauses.On(EVENT_Enter)) {
        GetOwner()->MarkForRemoval();
        return true;
      }
      return clauses.Unhandled();
    default: return false;
  }
}

// The flight target is where the target stands now; it is not followed afterwards.
void ArrowSM::Launch() {
  GameObject* arrow = GetOwner();
  arrow->GetSprite()->speed = kFlightSpeed;
  GameObject* target = arrow->GetBattle()->Find(arrow->targetName);
  if (target == nullptr) {
    SetState(STATE_Done);
    return;
  }
  arrow->GetSprite()->SetTarget(target->GetSprite()->position, true);
  SetState(STATE_Flying);
}
