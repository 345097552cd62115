// Event dispatch and the application of queued state changes.
#include "statemachine/StateMachine.h"

#include <bit>
#include <cstring>

#include "statemachine/MessageRouter.h"
#include "statemachine/StateArchive.h"
#include "statemachine/TraceLog.h"

namespace {
constexpr float kMinimumTimerPeriod = 0.01f;

void CopyName(char (&target)[StateMachine::kNameSize], const char* source) {
  std::strncpy(target, source, StateMachine::kNameSize - 1);
  target[StateMachine::kNameSize - 1] = '\0';
}
}  // namespace

StateMachine::StateMachine(MachineOwner* machineHost, GameObject* machineOwner)
    : owner(machineOwner),
      host(machineHost),
      traceLog(machineHost != nullptr ? machineHost->Trace() : nullptr),
      router(machineHost != nullptr ? machineHost->Router() : nullptr) {
  Reset();
}

void StateMachine::Route(float delay, int id, const std::string& receiver, int scope, int stamp, int dataType, int data,
                         bool repeat) {
  if (router != nullptr) router->Send(delay, id, receiver, OwnerName(), scope, stamp, dataType, data, repeat);
}

// The owner, router and trace log are where the machine lives, not what it holds.
void StateMachine::Walk(StateArchive& archive) {
  archive.Chars("machine.stateName", stateName);
  archive.Chars("machine.substateName", substateName);
  archive.Int("machine.state", state);
  archive.Int("machine.nextState", nextState);
  archive.Int("machine.substate", substate);
  archive.Int("machine.nextSubstate", nextSubstate);
  archive.Int("machine.stateChangeCount", stateChangeCount);
  archive.Int("machine.changeCount", changeCount);
  archive.Int("machine.changePending", changePending);
  archive.Flag("machine.changeAllowed", changeAllowed);
  WalkOwn(archive);
}

void StateMachine::Reset() {
  state = 0;
  nextState = 0;
  substate = NO_SUBSTATE;
  nextSubstate = 0;
  stateChangeCount = 0;
  changeCount = 0;
  changePending = 0;
  changeAllowed = true;
  stateName[0] = '\0';
  substateName[0] = '\0';
}

void StateMachine::Initialize() {
  Reset();
  ProcessEvent(EVENT_Enter, nullptr);
}

void StateMachine::Update() { ProcessEvent(EVENT_Update, nullptr); }

void StateMachine::ProcessEvent(int event, Message* msg) {
  if (host != nullptr && host->removed) return;
  bool handled = false;
  if (substate >= 0) handled = HandleEvent(event, msg, state, substate);
  if (!handled) handled = HandleEvent(event, msg, state, NO_SUBSTATE);
  if (!handled) HandleEvent(event, msg, STATE_Global, NO_SUBSTATE);
  ProcessStateChanges();
}

void StateMachine::ProcessStateChanges() {
  int budget = kChangeBudget;
  while (changePending == 1) {
    if (budget-- == 0) return;  // the request stays pending for the next event
    changeAllowed = false;
    if (substate >= 0) HandleEvent(EVENT_Exit, nullptr, state, substate);
    if (nextSubstate < 0) HandleEvent(EVENT_Exit, nullptr, state, NO_SUBSTATE);
    state = nextState;
    substate = nextSubstate;
    if (traceLog != nullptr) traceLog->LogStateChange(OwnerName(), state, substate);
    ++changeCount;
    if (substate < 0) ++stateChangeCount;
    changePending = 0;
    changeAllowed = true;
    HandleEvent(EVENT_Enter, nullptr, state, substate);
  }
}

void StateMachine::SetState(int newState) {
  if (!changeAllowed) return;
  nextState = newState;
  nextSubstate = NO_SUBSTATE;
  changePending = 1;
}

void StateMachine::SetSubstate(int newSubstate) {
  if (!changeAllowed) return;
  nextState = state;
  nextSubstate = newSubstate;
  changePending = 1;
}

void StateMachine::SetStateName(const char* name) {
  CopyName(stateName, name);
  substateName[0] = '\0';
}

void StateMachine::RequestRestart() {
  if (host != nullptr) host->QueueMachineCommand(MachineOwner::kCommandRestart);
}

void StateMachine::RequestPop() {
  if (host != nullptr) host->QueueMachineCommand(MachineOwner::kCommandPop);
}

const std::string& StateMachine::OwnerName() const {
  static const std::string noName;
  return host != nullptr ? host->name : noName;
}

int StateMachine::ScopeStamp(int scope) const {
  if (scope == SCOPE_Substate) return changeCount;
  if (scope == SCOPE_State) return stateChangeCount;
  return 0;
}

void StateMachine::SendTo(int id, const std::string& receiver, int data) {
  Route(0.0f, id, receiver, SCOPE_None, 0, DATA_Integer, data, false);
}

void StateMachine::SendToAll(int id, const std::vector<std::string>& names, int data) {
  // The list may change while messages are delivered (a receiver can leave the squad), so walk
  // a copy.
  const std::vector<std::string> receivers = names;  // NOLINT(performance-unnecessary-copy-initialization)
  for (const std::string& receiver : receivers) {
    if (receiver != OwnerName()) SendTo(id, receiver, data);
  }
}

void StateMachine::SendToSelfWith(float delay, int id, int scope, int dataType, int data, bool repeat) {
  Route(delay, id, OwnerName(), scope, ScopeStamp(scope), dataType, data, repeat);
}

void StateMachine::SendToSelf(int id, int scope, int data) {
  SendToSelfWith(0.0f, id, scope, DATA_Integer, data, false);
}

void StateMachine::SendToSelfDelayed(float delay, int id, int scope, int data) {
  SendToSelfWith(delay, id, scope, DATA_Integer, data, false);
}

void StateMachine::SetStateDelayed(float delay, int newState, int scope) {
  if (!changeAllowed) return;
  SendToSelfWith(delay, MSG_CHANGE_STATE_DELAYED, scope, DATA_Integer, newState, false);
}

void StateMachine::SetTimer(float period, int id, int scope) {
  if (period < kMinimumTimerPeriod) period = kMinimumTimerPeriod;
  SendToSelfWith(period, id, scope, DATA_TimerPeriod, std::bit_cast<int>(period), true);
}
