// Clause matching and trace reporting shared by all handlers.
#include "statemachine/EventClauses.h"

#include <cstdio>

#include "statemachine/TraceLog.h"

namespace {
const char* EventName(int event) {
  switch (event) {
    case EVENT_Update: return "EVENT_Update";
    case EVENT_Enter: return "EVENT_Enter";
    case EVENT_Exit: return "EVENT_Exit";
    case EVENT_CCMessage: return "EVENT_CCMessage";
    default: return "INVALID_EVENT";
  }
}
}  // namespace

EventClauses::EventClauses(StateMachine& owner, int eventCode, Message* message)
    : machine(owner), event(eventCode), msg(message) {}

EventClauses& EventClauses::State(const char* name) {
  blockName = name;
  if (event == EVENT_Enter) machine.SetStateName(name);
  return *this;
}

bool EventClauses::DelayedChange() {
  if (event != EVENT_Message || msg == nullptr) return false;
  if (msg->id == MSG_CHANGE_STATE_DELAYED) {
    machine.SetState(msg->data);
    return true;
  }
  if (msg->id == MSG_CHANGE_SUBSTATE_DELAYED) {
    machine.SetSubstate(msg->data);
    return true;
  }
  return false;
}

EventClauses& EventClauses::Global() {
  if (block != STATE_Global) {
    settled = Settled::Skipped;
  } else if (DelayedChange()) {
    settled = Settled::Matched;
  }
  return *this;
}

bool EventClauses::LogEventMatch() {
  Log(EventName(event), true);
  return true;
}

bool EventClauses::LogMessageMatch() {
  if (const TraceLog* log = machine.Trace()) Log(log->NameOf(msg->id), true);
  return true;
}

// Every unhandled update of every unit comes here: the number is only formatted when recorded.
bool EventClauses::Unhandled() {
  const TraceLog* log = machine.Trace();
  if (log == nullptr || !log->Recording()) return false;
  char number[16];
  std::snprintf(number, sizeof number, "%d", event);
  Log(number, false);
  return false;
}

void EventClauses::Log(const char* eventText, bool handled) {
  if (TraceLog* log = machine.Trace()) {
    log->LogEvent(machine.OwnerName(), msg, blockName, machine.SubstateName(), eventText, handled);
  }
}
