// Death of a unit.
#include "units/DyingSM.h"

#include "objects/BattleContext.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "statemachine/EventClauses.h"
#include "statemachine/StateArchive.h"
#include "units/BattleRules.h"
#include "units/UnitFactory.h"

bool DyingSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  switch (EventClauses clauses(*this, event, msg, blockState, blockSubstate); clauses.Block()) {
    case STATE_Initialize:
      return clauses.State("STATE_Initialize")
          .OnEnter([this] {
            GetOwner()->dying = true;
            SetState(STATE_Dying);
          })
          .End();
    case STATE_Dying:
      return clauses.State("STATE_Dying")
          .OnEnter([this] { StartDying(); })
          .OnUpdate([this] {
            height -= kSinkStep;
            GetOwner()->GetSprite()->position.y = height;
          })
          .End();
    case STATE_Dead: return clauses.State("STATE_Dead").OnEnter([this] { Die(); }).End();
    default: return clauses.Global().End();
  }
}

void DyingSM::StartDying() {
  Sprite* sprite = GetOwner()->GetSprite();
  height = sprite->position.y;
  SetStateDelayed(kDyingTime, STATE_Dead, SCOPE_Substate);
  sprite->followTerrain = false;
  BattleContext& battle = *GetOwner()->GetBattle();
  if (battle.bloodEnabled) battle.Rules().Factory().Create(UnitType::Blood, sprite->position, 0.0f, Team::Red);
}

void DyingSM::Die() {
  GameObject* unit = GetOwner();
  if (unit->unitType == UnitType::General) unit->GetBattle()->Rules().EndBattle(unit->team);
  unit->MarkForRemoval();
}

void DyingSM::WalkOwn(StateArchive& archive) { archive.Float("dying.height", height); }
