// Plays a unit's death: marks it dying, leaves a blood splat when blood is on, sinks the
// billboard for a little over half a second, then removes the unit. A dead General ends the
// battle.
#pragma once

#include "statemachine/StateMachine.h"

class DyingSM : public StateMachine {
 public:
  enum State : int { STATE_Initialize = 0, STATE_Dying = 1, STATE_Dead = 2 };
  static constexpr float kDyingTime = 0.55f;
  // Per update, not per second: a faster frame rate sinks the unit deeper.
  static constexpr float kSinkStep = 0.15f;

  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;
  const char* Kind() const override { return "DyingSM"; }

  float height = 0.0f;

 private:
  void WalkOwn(StateArchive& archive) override;
  void StartDying();
  void Die();
};
