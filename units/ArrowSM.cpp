// Arrow flight.
#include "units/ArrowSM.h"

#include "objects/BattleContext.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "statemachine/EventClauses.h"

bool ArrowSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  switch (EventClauses clauses(*this, event, msg, blockState, blockSubstate); clauses.Block()) {
    case STATE_Initialize: return clauses.State("STATE_Initialize").OnEnter([this] { Launch(); }).End();
    case STATE_Flying:
      return clauses.State("STATE_Flying").OnMessage(MSG_Arrived, [this] { SetState(STATE_Done); }).End();
    case STATE_Done: return clauses.State("STATE_Done").OnEnter([this] { GetOwner()->MarkForRemoval(); }).End();
    default: return clauses.Global().End();
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
