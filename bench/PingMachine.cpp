// Handler of the measuring machine, in the shape every machine of the game uses.
#include "bench/PingMachine.h"

#include "statemachine/EventClauses.h"

bool PingMachine::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  switch (EventClauses clauses(*this, event, msg, blockState, blockSubstate); clauses.Block()) {
    case 0: return clauses.State("STATE_Initialize").OnEnter([this] { SetState(STATE_Ping); }).End();
    case STATE_Ping: return HandleTurn(clauses, "STATE_Ping", STATE_Pong);
    case STATE_Pong: return HandleTurn(clauses, "STATE_Pong", STATE_Ping);
    default: return clauses.Global().End();
  }
}

bool PingMachine::HandleTurn(EventClauses& clauses, const char* name, int other) {
  return clauses.State(name)
      .OnEnter([this] { ++enters; })
      .OnExit([this] { ++exits; })
      .OnUpdate([this, other] {
        if (flipping) SetState(other);
      })
      .OnMessage(MSG_Ping, [this] { ++received; })
      .End();
}
