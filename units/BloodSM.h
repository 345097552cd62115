// A blood splat: starts small and translucent, swells with a growth rate that decays every
// frame, and is removed after 0.8 seconds.
#pragma once

#include "statemachine/StateMachine.h"

class BloodSM : public StateMachine {
 public:
  enum State : int { STATE_Initialize = 0, STATE_Done = 1 };
  static constexpr float kStartSize = 0.2f;
  static constexpr float kStartGrowthRate = 10.0f;
  static constexpr float kGrowthDecay = 0.95f;
  static constexpr float kOpacity = 0.7f;
  static constexpr float kLifetime = 0.8f;

  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;
  const char* Kind() const override { return "BloodSM"; }

  float size = 0.0f;
  float growthRate = 0.0f;

 private:
  void WalkOwn(StateArchive& archive) override;
  void Start();
  void Grow();
};
