// Combat movement.
#include "units/CombatSM.h"

#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "statemachine/EventClauses.h"

bool CombatSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  EventClauses clauses(*this, event, msg);
  if (blockState < 0) return clauses.Global();
  if (blockSubstate >= 0) return false;
  switch (blockState) {
    case STATE_Initialize:
      clauses.State("STATE_Initialize");
      if (clauses.On(EVENT_Enter)) {
        SetState(STATE_TakingOrders);
        return true;
      }
      return clauses.Unhandled();
    case STATE_TakingOrders:
      clauses.State("STATE_TakingOrders");
      if (clauses.On(EVENT_Update)) {
        CloseIn();
        return true;
      }
      return clauses.Unhandled();
    default: return false;
  }
}

// The destination is refreshed every frame so that a moving opponent is followed; with no
// opponent left the unit keeps its last destination.
void CombatSM::CloseIn() {
  GameObject* self = GetOwner();
  if (!self->inCombat) return;
  GameObject* opponent = self->GetBattle()->Find(self->targetName);
  if (opponent == nullptr) return;
  Sprite* sprite = self->GetSprite();
  if (self->IsInRangeOf(*opponent)) {
    sprite->SetTarget(sprite->position, false);
  } else {
    sprite->SetTarget(opponent->GetSprite()->position, false);
  }
}
