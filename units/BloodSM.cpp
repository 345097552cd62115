// Blood splat growth and lifetime.
#include "units/BloodSM.h"

#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "statemachine/EventClauses.h"

bool BloodSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  EventClauses clauses(*this, event, msg);
  if (blockState < 0) return clauses.Global();
  if (blockSubstate >= 0) return false;
  switch (blockState) {
    case STATE_Initialize:
      clauses.State("STATE_Initialize");
      if (clauses.On(EVENT_Enter)) {
        Start();
        return true;
      }
      if (clauses.On(EVENT_Update)) {
        Grow();
        return true;
      }
      if (clauses.OnMessage(MSG_TimerExpired)) {
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
