// An arrow: flies to where its target stood at launch, then disappears. It decides nothing;
// duels do.
#pragma once

#include "statemachine/StateMachine.h"

class ArrowSM : public StateMachine {
 public:
  enum State : int { STATE_Initialize = 0, STATE_Flying = 1, STATE_Done = 2 };
  static constexpr float kFlightSpeed = 20.0f;

  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;
  const char* Kind() const override { return "ArrowSM"; }

 private:
  void Launch();
};
