// The message queue and delivery rules.
#include "statemachine/MessageRouter.h"

#include <bit>

#include "app/Game.h"
#include "app/Timer.h"
#include "objects/GameObject.h"
#include "objects/GameObjectManager.h"
#include "statemachine/StateMachine.h"

namespace {
MessageRouter* instance = nullptr;

float Now() {
  const Timer* timer = Timer::Instance();
  return timer != nullptr ? timer->now : 0.0f;
}

bool PassesScope(const Message& msg, const StateMachine& machine) {
  switch (msg.scope) {
    case SCOPE_None: return true;
    case SCOPE_State: return msg.scopeValue == machine.GetStateChangeCount();
    case SCOPE_Substate: return msg.scopeValue == machine.GetChangeCount();
    default: return false;
  }
}
}  // namespace

MessageRouter::MessageRouter() { instance = this; }

MessageRouter::~MessageRouter() {
  if (instance == this) instance = nullptr;
}

MessageRouter* MessageRouter::Instance() { return instance; }

void MessageRouter::Send(float delay, int id, const std::string& receiver, const std::string& sender, int scope,
                         int scopeValue, int dataType, int data, bool repeat) {
  if (delay <= 0.0f) {
    Message now(id, sender, receiver, dataType, data, Now(), scopeValue, scope, repeat);
    Deliver(now);
    return;
  }
  auto queued =
      std::make_unique<Message>(id, sender, receiver, dataType, data, Now() + delay, scopeValue, scope, repeat);
  if (HasDuplicate(*queued)) return;
  queue.push_back(std::move(queued));
}

bool MessageRouter::HasDuplicate(const Message& candidate) const {
  for (const auto& msg : queue) {
    if (!msg->delivered && msg->id == candidate.id && msg->receiver == candidate.receiver &&
        msg->sender == candidate.sender && msg->scope == candidate.scope && msg->scopeValue == candidate.scopeValue &&
        msg->repeat == candidate.repeat) {
      return true;
    }
  }
  return false;
}

void MessageRouter::DeliverDue() {
  // std::list keeps the current node valid while handlers append to the queue (nothing removes
  // queued messages during a delivery), and erasing only after the delivery lets the walk go on
  // into the messages appended meanwhile.
  for (auto it = queue.begin(); it != queue.end();) {
    if (Now() < (*it)->deliveryTime) {
      ++it;
      continue;
    }
    Deliver(**it);
    it = queue.erase(it);
  }
}

void MessageRouter::Deliver(Message& msg) {
  Game* game = Game::Instance();
  if (game == nullptr || !game->objects) return;
  GameObject* receiver = game->objects->Find(msg.receiver);
  if (receiver == nullptr) return;
  StateMachine* machine = receiver->TopMachine();
  if (machine == nullptr) return;
  if (!PassesScope(msg, *machine)) return;
  msg.delivered = true;
  if (msg.repeat) {
    const float period = std::bit_cast<float>(msg.data);
    msg.data = 0;
    msg.dataType = DATA_Integer;
    machine->SetTimer(period, msg.id, msg.scope);
  }
  machine->ProcessEvent(EVENT_Message, &msg);
}

void MessageRouter::CancelScoped(const std::string& receiver) {
  queue.remove_if([&receiver](const std::unique_ptr<Message>& msg) {
    return msg->receiver == receiver && msg->scope != SCOPE_None && !msg->delivered;
  });
}
