// The one shape of every handler: select a block, try its clauses in order, and report each
// match or miss to the trace log. A handler builds one of these per call.
#pragma once

#include "statemachine/Message.h"
#include "statemachine/StateMachine.h"

class EventClauses {
 public:
  EventClauses(StateMachine& machine, int event, Message* msg);

  // Opens the block of a state; on Enter the machine takes the state's name before any clause.
  void State(const char* name);
  // The two clauses every global block starts with: delayed state and substate changes. They
  // leave no trace record.
  bool DelayedChange();
  // The whole standard global block: the delayed changes, anything else unhandled.
  bool Global();
  // A clause for EVENT_Enter, EVENT_Update or EVENT_Exit; logs the match.
  bool On(int eventCode);
  // A clause for a message id; logs the match under the message's name.
  bool OnMessage(int id);
  // Logs that no clause of the open block matched; returns false for the handler to return.
  bool Unhandled();

 private:
  void Log(const char* eventText, bool handled);

  StateMachine& machine;
  int event;
  Message* msg;
  const char* blockName = "STATE_Global";
};
