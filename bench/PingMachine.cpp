// Handler of the measuring machine, in the shape every machine of the game uses.
#include "bench/PingMachine.h"

#include "statemachine/EventClauses.h"

bool PingMachine::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  EventClauses clauses(*this, event, msg);
  if (blockState < 0) return clauses.Global();
  if (blockSubstate >= 0) return false;
  switch (blockState) {
    case 0:
      clauses.State("STATE_Initialize");
      if (clauses.On(EVENT_Enter)) {
        SetState(STATE_Ping);
        return true;
      }
      return clauses.Unhandled();
    case STATE_Ping: return HandleTurn(clauses, "STATE_Ping", STATE_Pong);
    case STATE_Pong: return HandleTurn(clauses, "STATE_Pong", STATE_Ping);
    default: return false;
  }
}

bool PingMachine::HandleTurn(EventClauses& clauses, const char* name, int other) {
  clauses.State(name);
  if (clauses.On(EVENT_Enter)) {
    ++enters;
    return true;
  }
  if (clauses.On(EVENT_Exit)) {
    ++exits;
    return true;
  }
  if (clauses.On(EVENT_Update)) {
    if (flipping) SetState(other);
    return true;
  }
  if (clauses.OnMessage(MSG_UnitTestPing)) {
    ++received;
    return true;
  }
  return clauses.Unhandled();
}
