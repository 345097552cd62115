// A machine for tests, written in the same handler shape as the real ones, whose states are
// scripted with lambdas and which records every handler call it receives.
#pragma once

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "statemachine/StateMachine.h"

class EventClauses;

class ScriptedMachine : public StateMachine {
 public:
  using Hook = std::function<void(ScriptedMachine&)>;
  using MessageHook = std::function<void(ScriptedMachine&, Message&)>;

  // One state (or substate) block. Enter and Exit clauses are always present; an Update clause
  // exists only when onUpdate is set, a message clause only for the ids in onMessage.
  struct Block {
    std::string name;
    Hook onEnter;
    Hook onExit;
    Hook onUpdate;
    std::vector<std::pair<int, MessageHook>> onMessage;

    Block& Enter(Hook hook);
    Block& Exit(Hook hook);
    Block& Update(Hook hook);
    Block& OnMessage(int id, MessageHook hook);
  };

  // One handler call as the machine saw it; messageId is -1 when no message came with it.
  struct Call {
    int event;
    int state;
    int substate;
    int messageId;
    int data;
    friend bool operator==(const Call&, const Call&) = default;
  };

  explicit ScriptedMachine(GameObject* machineOwner);
  ~ScriptedMachine() override;

  // Declares the block of (state, substate); the name defaults to "STATE_Initialize" for state
  // 0 and "STATE_<number>" otherwise. Declaring a block again returns the existing one.
  Block& DefineState(int state, const std::string& name = "");
  Block& DefineSubstate(int state, int substate, const std::string& name = "");

  bool HandleEvent(int event, Message* msg, int stateId, int substateId) override;

  // Every handler call, including fall-backs and calls for blocks that do not exist.
  std::vector<Call> calls;
  // Runs when the machine is destroyed, so tests can see that its owner released it.
  std::function<void()> onDestroyed;

 private:
  bool RunBlock(Block& block, EventClauses& clauses, Message* msg);

  std::map<std::pair<int, int>, Block> blocks;
};

// Readable failure output, e.g. "Enter(5,2)" or "Message(22 data 7)(1,-1)".
std::ostream& operator<<(std::ostream& out, const ScriptedMachine::Call& call);

// Shorthands for expected calls.
ScriptedMachine::Call EnterCall(int state, int substate = NO_SUBSTATE);
ScriptedMachine::Call ExitCall(int state, int substate = NO_SUBSTATE);
ScriptedMachine::Call UpdateCall(int state, int substate = NO_SUBSTATE);
ScriptedMachine::Call MessageCall(int id, int data, int state, int substate = NO_SUBSTATE);
