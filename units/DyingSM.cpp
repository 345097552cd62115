// Death of a unit.
#include "units/DyingSM.h"

#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "statemachine/EventClauses.h"

bool DyingSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  EventClauses clauses(*this, event, msg);
  if (blockState < 0) return clauses.Global();
  if (blockSubstate >= 0) return false;
  switch (blockState) {
    case STATE_Initialize:
      clauses.State("STATE_Initialize");
      if (clauses.On(EVENT_Enter)) {
        GetOwner()->dying = true;
        SetState(STATE_Dying);
        return true;
      }
      return clauses.Unhandled();
    case STATE_Dying:
      clauses.State("STATE_Dying");
      if (clauses.On(EVENT_Enter)) {
        StartDying();
        return true;
      }
      if (clauses.On(EVENT_Update)) {
        height -= kSinkStep;
        GetOwner()->GetSprite()->position.y = height;
        return true;
      }
      return clauses.Unhandled();
    case STATE_Dead:
      clauses.State("STATE_Dead");
      if (clauses.On(EVENT_Enter)) {
        Die();
        return true;
      }
      return clauses.Unhandled();
    default: return false;
  }
}

void DyingSM::StartDying() {
  Sprite* sprite = GetOwner()->GetSprite();
  height = sprite->position.y;
  SetStateDelayed(kDyingTime, STATE_Dead, SCOPE_Substate);
  sprite->followTerrain = false;
  Battle& battle = *GetOwner()->GetBattle();
  if (battle.bloodEnabled) battle.factory.Create(UnitType::Blood, sprite->position, 0.0f, Team::Red);
}

void DyingSM::Die() {
  GameObject* unit = GetOwner();
  if (unit->unitType == UnitType::General) unit->GetBattle()->EndBattle(unit->team);
  unit->MarkForRemoval();
}
