// The scripted test machine: blocks from lambdas, clauses through EventClauses like every
// real machine, and a record of each handler call.
#include "tests/support/ScriptedMachine.h"

#include "objects/GameObject.h"
#include "statemachine/EventClauses.h"

ScriptedMachine::Block& ScriptedMachine::Block::Enter(Hook hook) {
  onEnter = std::move(hook);
  return *this;
}

ScriptedMachine::Block& ScriptedMachine::Block::Exit(Hook hook) {
  onExit = std::move(hook);
  return *this;
}

ScriptedMachine::Block& ScriptedMachine::Block::Update(Hook hook) {
  onUpdate = std::move(hook);
  return *this;
}

ScriptedMachine::Block& ScriptedMachine::Block::OnMessage(int id, MessageHook hook) {
  onMessage.emplace_back(id, std::move(hook));
  return *this;
}

ScriptedMachine::ScriptedMachine(GameObject* machineOwner) : StateMachine(machineOwner) {}

ScriptedMachine::~ScriptedMachine() {
  if (onDestroyed) onDestroyed();
}

ScriptedMachine::Block& ScriptedMachine::DefineState(int stateId, const std::string& name) {
  return DefineSubstate(stateId, NO_SUBSTATE, name);
}

ScriptedMachine::Block& ScriptedMachine::DefineSubstate(int stateId, int substateId, const std::string& name) {
  Block& block = blocks[{stateId, substateId}];
  if (!name.empty()) {
    block.name = name;
  } else if (block.name.empty()) {
    block.name = stateId == 0 ? "STATE_Initialize" : "STATE_" + std::to_string(stateId);
  }
  return block;
}

bool ScriptedMachine::HandleEvent(int event, Message* msg, int stateId, int substateId) {
  calls.push_back({event, stateId, substateId, msg != nullptr ? msg->id : -1, msg != nullptr ? msg->data : 0});
  EventClauses clauses(*this, event, msg);
  if (stateId < 0) return clauses.Global().End();
  const auto found = blocks.find({stateId, substateId});
  if (found == blocks.end()) return false;
  return RunBlock(found->second, clauses, msg);
}

// Hooks are copied before they run: a hook may redefine its own block.
bool ScriptedMachine::RunBlock(Block& block, EventClauses& clauses, Message* msg) {
  clauses.State(block.name.c_str());
  if (clauses.On(EVENT_Enter)) {
    if (Hook hook = block.onEnter) hook(*this);
    return true;
  }
  if (clauses.On(EVENT_Exit)) {
    if (Hook hook = block.onExit) hook(*this);
    return true;
  }
  if (block.onUpdate && clauses.On(EVENT_Update)) {
    Hook hook = block.onUpdate;
    hook(*this);
    return true;
  }
  for (const auto& [id, messageHook] : block.onMessage) {
    if (clauses.OnMessage(id)) {
      MessageHook hook = messageHook;
      hook(*this, *msg);
      return true;
    }
  }
  return clauses.Unhandled();
}

ScriptedMachine::Call EnterCall(int state, int substate) { return {EVENT_Enter, state, substate, -1, 0}; }

ScriptedMachine::Call ExitCall(int state, int substate) { return {EVENT_Exit, state, substate, -1, 0}; }

ScriptedMachine::Call UpdateCall(int state, int substate) { return {EVENT_Update, state, substate, -1, 0}; }

ScriptedMachine::Call MessageCall(int id, int data, int state, int substate) {
  return {EVENT_Message, state, substate, id, data};
}

std::ostream& operator<<(std::ostream& out, const ScriptedMachine::Call& call) {
  static const char* const kNames[] = {"Event0", "Update", "Message", "CCMessage", "Enter", "Exit"};
  if (call.event >= 0 && call.event <= EVENT_Exit) {
    out << kNames[call.event];
  } else {
    out << "Event" << call.event;
  }
  if (call.messageId >= 0) out << "(" << call.messageId << " data " << call.data << ")";
  return out << "(" << call.state << "," << call.substate << ")";
}
