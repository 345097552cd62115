// Combat movement.
#include "units/CombatSM.h"

#include "objects/BattleContext.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "statemachine/EventClauses.h"

bool CombatSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  switch (EventClauses clauses(*this, event, msg, blockState, blockSubstate); clauses.Block()) {
    case STATE_Initialize:
      return clauses.State("STATE_Initialize").OnEnter([this] { SetState(STATE_TakingOrders); }).End();
    case STATE_TakingOrders: return clauses.State("STATE_TakingOrders").OnUpdate([this] { CloseIn(); }).End();
    default: return clauses.Global().End();
  }
}

// The destination is refreshed every frame so that a moving opponent is followed; with no
// opponent left the unit keeps its last destination.
void CombatSM::CloseIn() {
  GameObject* self = GetOwner();
  if (!self->inCombat) return;
  GameObject* opponent = self->Target();
  if (opponent == nullptr) return;
  Sprite* sprite = self->GetSprite();
  if (self->IsInRangeOf(*opponent)) {
    sprite->SetTarget(sprite->position, false);
  } else {
    sprite->SetTarget(opponent->GetSprite()->position, false);
  }
}
