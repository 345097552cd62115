// The message queue and delivery rules.
#include "statemachine/MessageRouter.h"

#include <algorithm>
#include <bit>

#include <utility>

#include "platform/Timer.h"
#include "statemachine/StateArchive.h"
#include "statemachine/StateMachine.h"

namespace {
bool PassesScope(const Message& msg, const StateMachine& machine) {
  switch (msg.scope) {
    case SCOPE_None: return true;
    case SCOPE_State: return msg.scopeValue == machine.GetStateChangeCount();
    case SCOPE_Substate: return msg.scopeValue == machine.GetChangeCount();
    default: return false;
  }
}

}  // namespace

MessageRouter::MessageRouter(const Timer& timer, MachineFinder finder) : clock(timer), findMachine(std::move(finder)) {}

MessageRouter::~MessageRouter() = default;

float MessageRouter::Now() const { return clock.now; }

// Delay, data type and data do not count.
bool MessageRouter::IsDuplicate(const Message& queued, int id, const std::string& sender, int scope, int scopeValue,
                                bool repeat) {
  return queued.id == id && queued.sender == sender && queued.scope == scope && queued.scopeValue == scopeValue &&
         queued.repeat == repeat;
}

void MessageRouter::Send(float delay, int id, const std::string& receiver, const std::string& sender, int scope,
                         int scopeValue, int dataType, int data, bool repeat) {
  if (delay <= 0.0f) {
    Message now(id, sender, receiver, dataType, data, Now(), scopeValue, scope, repeat);
    Deliver(now);
    return;
  }
  std::vector<QueuedRef>& forReceiver = byReceiver[receiver];
  for (const QueuedRef& ref : forReceiver) {
    if (IsDuplicate(*ref.msg, id, sender, scope, scopeValue, repeat)) return;
  }
  auto queued =
      std::make_unique<Message>(id, sender, receiver, dataType, data, Now() + delay, scopeValue, scope, repeat);
  const QueueKey key{queued->deliveryTime, nextSequence++};
  forReceiver.push_back({key, queued.get()});
  queue.emplace(key, std::move(queued));
}

// An archive that changes what it walks (a test's) may have moved a message in the queue.
void MessageRouter::Rekey(const std::vector<std::uint64_t>& sequences) {
  Queue old = std::move(queue);
  queue.clear();
  byReceiver.clear();
  std::size_t index = 0;
  for (auto& [key, msg] : old) {
    const QueueKey moved{msg->deliveryTime, sequences[index++]};
    Enqueue(moved, std::move(msg));
  }
}

void MessageRouter::Enqueue(const QueueKey& key, std::unique_ptr<Message> msg) {
  byReceiver[msg->receiver].push_back({key, msg.get()});
  queue.emplace(key, std::move(msg));
}

// Read, a message's due time is its key's, so the queue is kept by due time as Send keeps it.
void MessageRouter::Walk(StateArchive& archive) {
  archive.Place("router", "");
  archive.Wide("nextSequence", nextSequence);
  auto count = static_cast<std::uint32_t>(queue.size());
  archive.Count("queued messages", count, 40);
  if (!archive.Reading()) {
    std::vector<std::uint64_t> sequences;
    sequences.reserve(queue.size());
    bool moved = false;
    for (const auto& [key, msg] : queue) {
      sequences.push_back(key.sequence);
      archive.Wide("sequence", sequences.back());
      msg->Walk(archive);
      moved = moved || sequences.back() != key.sequence || msg->deliveryTime != key.deliveryTime;
    }
    if (moved) Rekey(sequences);
    return;
  }
  for (std::uint32_t i = 0; i < count && archive.Good(); ++i) {
    std::uint64_t sequence = 0;
    archive.Wide("sequence", sequence);
    auto msg = std::make_unique<Message>();
    msg->Walk(archive);
    const QueueKey key{msg->deliveryTime, sequence};
    if (archive.Good()) Enqueue(key, std::move(msg));
  }
}

bool MessageRouter::CollectDue(std::vector<QueueKey>& due) const {
  due.clear();
  const float now = Now();
  for (auto it = queue.begin(); it != queue.end() && !(now < it->first.deliveryTime); ++it) due.push_back(it->first);
  std::sort(due.begin(), due.end(), [](const QueueKey& a, const QueueKey& b) { return a.sequence < b.sequence; });
  return !due.empty();
}

std::unique_ptr<Message> MessageRouter::TakeQueued(const QueueKey& key) {
  auto node = queue.extract(key);
  if (node.empty()) return nullptr;
  std::unique_ptr<Message> msg = std::move(node.mapped());
  std::vector<QueuedRef>& forReceiver = byReceiver[msg->receiver];
  const auto at = std::find_if(forReceiver.begin(), forReceiver.end(),
                               [&key](const QueuedRef& ref) { return ref.key.sequence == key.sequence; });
  *at = forReceiver.back();
  forReceiver.pop_back();
  return msg;
}

// Every message queued while a round is delivered was sent later than all of that round, so
// delivering round after round keeps the sending order, as one walk over a list would.
void MessageRouter::DeliverDue() {
  std::vector<QueueKey> due = std::move(dueScratch);
  while (CollectDue(due)) {
    for (const QueueKey& key : due) {
      if (std::unique_ptr<Message> msg = TakeQueued(key)) Deliver(*msg);
    }
  }
  dueScratch = std::move(due);
}

void MessageRouter::Deliver(Message& msg) {
  StateMachine* machine = findMachine(msg.receiver);
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

// The message being delivered has already left the queue, so it is never among those dropped.
void MessageRouter::CancelScoped(const std::string& receiver) {
  const auto entry = byReceiver.find(receiver);
  if (entry == byReceiver.end()) return;
  std::vector<QueuedRef>& forReceiver = entry->second;
  std::erase_if(forReceiver, [this](const QueuedRef& ref) {
    if (ref.msg->scope == SCOPE_None) return false;
    queue.erase(ref.key);
    return true;
  });
}

// A delivery under way when this runs finds its remaining due messages gone, as if cancelled.
void MessageRouter::Clear() {
  queue.clear();
  byReceiver.clear();
}

std::vector<const Message*> MessageRouter::Pending() const {
  std::vector<std::pair<std::uint64_t, const Message*>> bySequence;
  bySequence.reserve(queue.size());
  for (const auto& [key, msg] : queue) bySequence.emplace_back(key.sequence, msg.get());
  std::sort(bySequence.begin(), bySequence.end());
  std::vector<const Message*> pending;
  pending.reserve(bySequence.size());
  for (const auto& [sequence, msg] : bySequence) pending.push_back(msg);
  return pending;
}
