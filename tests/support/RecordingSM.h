// A machine that only remembers the messages it receives, to stand in for a superior or a member
// whose own behaviour would get in the way of the one under test.
#pragma once

#include <vector>

#include "statemachine/Message.h"
#include "statemachine/StateMachine.h"

class RecordingSM : public StateMachine {
 public:
  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;
  // How many received messages carry this id.
  int Count(int id) const;

  std::vector<Message> received;
};
