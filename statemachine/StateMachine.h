// Base of every behaviour: the current state and substate, queued changes applied after each
// event (at most 20 per event), the counters that scope delayed messages, and messaging by name.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "statemachine/MachineOwner.h"
#include "statemachine/Message.h"

class GameObject;
class MessageRouter;
class StateArchive;
class TraceLog;

enum EventCode : int {
  EVENT_Update = 1,
  EVENT_Message = 2,
  EVENT_CCMessage = 3,
  EVENT_Enter = 4,
  EVENT_Exit = 5,
};

constexpr int STATE_Global = -1;
constexpr int NO_SUBSTATE = -1;

// Cache-line aligned: every update of a unit reads its running machine's table pointer, state and
// substate, which then share one line instead of straddling two.
class alignas(64) StateMachine {
 public:
  // A chain of Enter clauses that keep requesting changes is cut after this many per event.
  static constexpr int kChangeBudget = 20;
  static constexpr int kNameSize = 64;

  // The owner is the world object the machine steers, which is a MachineOwner: all this layer
  // knows of it. Taken as a template so that neither this header nor its callers need a cast.
  template <class Owner>
  explicit StateMachine(Owner* machineOwner) : StateMachine(static_cast<MachineOwner*>(machineOwner), machineOwner) {}
  explicit StateMachine(std::nullptr_t) : StateMachine(static_cast<MachineOwner*>(nullptr), nullptr) {}
  virtual ~StateMachine() = default;
  StateMachine(const StateMachine&) = delete;
  StateMachine& operator=(const StateMachine&) = delete;

  // Reacts to one event in the block named by (state, substate); false when nothing handled it.
  virtual bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) = 0;

  // Every field of the machine, the base's and then its kind's own.
  void Walk(StateArchive& archive);
  // The name a battle file makes the machine again by; empty for a kind that cannot be saved.
  virtual const char* Kind() const { return ""; }

  void Reset();
  // Resets and enters state 0; the owner calls it whenever this machine becomes current.
  void Initialize();
  void Update();
  void ProcessEvent(int event, Message* msg);

  // Requests are applied at the end of the current dispatch; the last one wins, and requests
  // made while exits are delivered are ignored.
  void SetState(int state);
  void SetSubstate(int substate);
  void SetStateName(const char* name);
  void RequestRestart();
  void RequestPop();

  void SendTo(int id, const std::string& receiver, int data);
  // Skips any name equal to the owner's own.
  void SendToAll(int id, const std::vector<std::string>& names, int data);
  void SendToSelf(int id, int scope, int data);
  void SendToSelfDelayed(float delay, int id, int scope, int data);
  void SetStateDelayed(float delay, int state, int scope);
  // A repeating self-message; periods below 0.01 s are raised to 0.01 s.
  void SetTimer(float period, int id, int scope);

  GameObject* GetOwner() const { return owner; }
  // The owner's battle's trace log, or null.
  TraceLog* Trace() const { return traceLog; }
  const std::string& OwnerName() const;
  int GetState() const { return state; }
  int GetSubstate() const { return substate; }
  int GetStateChangeCount() const { return stateChangeCount; }
  int GetChangeCount() const { return changeCount; }
  bool IsChangePending() const { return changePending != 0; }
  bool IsChangeAllowed() const { return changeAllowed; }
  const char* StateName() const { return stateName; }
  const char* SubstateName() const { return substateName; }
  // The counter stamp that a message sent with this scope carries.
  int ScopeStamp(int scope) const;

 protected:
  // The fields a kind adds to the base's.
  virtual void WalkOwn(StateArchive& /*archive*/) {}

 private:
  StateMachine(MachineOwner* machineHost, GameObject* machineOwner);
  void ProcessStateChanges();
  void Route(float delay, int id, const std::string& receiver, int scope, int stamp, int dataType, int data,
             bool repeat);
  void SendToSelfWith(float delay, int id, int scope, int dataType, int data, bool repeat);

  GameObject* owner;
  MachineOwner* host;
  // The owner's battle's. The trace log is asked on every unhandled event, so it shares the first
  // cache line with the state; the router is needed only to send.
  TraceLog* traceLog = nullptr;
  int stateChangeCount = 0;
  int changeCount = 0;
  int state = 0;
  int nextState = 0;
  int substate = NO_SUBSTATE;
  int nextSubstate = 0;
  bool changeAllowed = true;
  int changePending = 0;
  MessageRouter* router = nullptr;
  char stateName[kNameSize] = {};
  char substateName[kNameSize] = {};
};
