// Blood splat growth and lifetime.
#include "units/BloodSM.h"

#include "objects/BattleContext.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "statemachine/EventClauses.h"
#include "statemachine/StateArchive.h"

bool BloodSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  switch (EventClauses clauses(*this, event, msg, blockState, blockSubstate); clauses.Block()) {
    case STATE_Initialize:
      return clauses.State("STATE_Initialize")
          .OnEnter([this] { Start(); })
          .OnUpdate([this] { Grow(); })
          .OnMessage(MSG_TimerExpired, [this] { SetState(STATE_Done); })
          .End();
    case STATE_Done: return clauses.State("STATE_Done").OnEnter([this] { GetOwner()->MarkForRemoval(); }).End();
    default: return clauses.Global().End();
  }
}

void BloodSM::Start() {
  size = kStartSize;
  growthRate = kStartGrowthRate;
  SetTimer(kLifetime, MSG_TimerExpired, SCOPE_Substate);
  GetOwner()->GetSprite()->alpha = kOpacity;
}

// Growth uses the timer's own frame delta, not the clamped step the objects are updated with.
void BloodSM::Grow() {
  GetOwner()->GetSprite()->halfSize = size;
  size += GetOwner()->GetBattle()->timer.delta * growthRate;
  growthRate *= kGrowthDecay;
}

void BloodSM::WalkOwn(StateArchive& archive) {
  archive.Float("blood.size", size);
  archive.Float("blood.growthRate", growthRate);
}
