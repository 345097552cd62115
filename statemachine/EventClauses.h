// The one shape of every handler: select a block, try its clauses in order, and report each
// match or miss to the trace log. A handler builds one of these per call.
#pragma once

#include "statemachine/Message.h"
#include "statemachine/StateMachine.h"

class EventClauses {
 public:
  // What Block() answers for a substate: the game's machines have no substate blocks, so no
  // switch has a case for it.
  static constexpr int kNoBlock = -2;

  EventClauses(StateMachine& machine, int event, Message* msg);
  // Remembers which block the handler was called for, for Block() and Global(). Inline, so that
  // a handler's switch jumps on the block without a call first.
  EventClauses(StateMachine& owner, int eventCode, Message* message, int blockState, int blockSubstate)
      : machine(owner), event(eventCode), msg(message), block(BlockOf(blockState, blockSubstate)) {}

  // The block a handler's switch selects: the state's own, STATE_Global, or kNoBlock.
  int Block() const { return block; }

  // Opens the block of a state; on Enter the machine takes the state's name before any clause.
  EventClauses& State(const char* name);
  // Opens the global block with its two first clauses, the delayed state and substate changes,
  // which leave no trace record. Called for any other block (a switch's default) it opens
  // nothing: every clause is skipped and End() answers false without a record.
  EventClauses& Global();
  // The two delayed-change clauses alone.
  bool DelayedChange();
  // A clause for EVENT_Enter, EVENT_Update or EVENT_Exit; logs the match. The test is inline:
  // most clauses of most units miss on every update.
  bool On(int eventCode) { return event == eventCode && event != EVENT_Message && LogEventMatch(); }
  // A clause for a message id; logs the match under the message's name.
  bool OnMessage(int id) { return event == EVENT_Message && msg != nullptr && msg->id == id && LogMessageMatch(); }
  // Logs that no clause of the open block matched; returns false for the handler to return.
  bool Unhandled();

  // Clauses of an open block, tried in order: the first that matches logs, runs its action and
  // settles the event; the clauses after it are not tried.
  template <class Action>
  EventClauses& OnEnter(Action&& action) {
    if (settled == Settled::Open && On(EVENT_Enter)) Settle(action);
    return *this;
  }
  template <class Action>
  EventClauses& OnUpdate(Action&& action) {
    if (settled == Settled::Open && On(EVENT_Update)) Settle(action);
    return *this;
  }
  template <class Action>
  EventClauses& OnExit(Action&& action) {
    if (settled == Settled::Open && On(EVENT_Exit)) Settle(action);
    return *this;
  }
  template <class Action>
  EventClauses& OnMessage(int id, Action&& action) {
    if (settled == Settled::Open && OnMessage(id)) Settle(action);
    return *this;
  }
  // Closes the block: true when a clause matched, otherwise the miss is logged and it is false.
  bool End() { return settled == Settled::Open ? Unhandled() : settled == Settled::Matched; }

 private:
  enum class Settled { Open, Matched, Skipped };

  // Any negative state names the global block, whatever the substate.
  static constexpr int BlockOf(int blockState, int blockSubstate) {
    if (blockState < 0) return STATE_Global;
    return blockSubstate >= 0 ? kNoBlock : blockState;
  }

  template <class Action>
  void Settle(Action& action) {
    settled = Settled::Matched;
    action();
  }
  // Both log a matched clause and return true.
  bool LogEventMatch();
  bool LogMessageMatch();
  void Log(const char* eventText, bool handled);

  StateMachine& machine;
  int event;
  Message* msg;
  int block = STATE_Global;
  Settled settled = Settled::Open;
  const char* blockName = "STATE_Global";
};
