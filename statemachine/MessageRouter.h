// Delivers messages by object name, at once or when due; a scoped message lapses when its
// receiver has changed state since it was sent, and a timer re-arms on each delivery.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "statemachine/Message.h"

class StateArchive;
class StateMachine;
class Timer;

class MessageRouter {
 public:
  // The machine a message to the name goes to: the running machine of the object of that name,
  // or null when there is none.
  using MachineFinder = std::function<StateMachine*(const std::string& name)>;

  // Times messages on the clock and finds their receivers with the finder; both outlive it.
  MessageRouter(const Timer& clock, MachineFinder finder);
  ~MessageRouter();
  MessageRouter(const MessageRouter&) = delete;
  MessageRouter& operator=(const MessageRouter&) = delete;

  // Delivers before returning when delay <= 0; otherwise queues the message unless an
  // undelivered duplicate (same id, receiver, sender, scope, stamp and repeat) is queued already.
  void Send(float delay, int id, const std::string& receiver, const std::string& sender, int scope, int scopeValue,
            int dataType, int data, bool repeat);
  // Delivers every queued message that is due, in the order they were queued; messages queued
  // meanwhile are delivered in the same call if they are due already.
  void DeliverDue();
  void Deliver(Message& msg);
  // Drops the queued, undelivered, scoped messages for the receiver.
  void CancelScoped(const std::string& receiver);
  // Drops every queued message. Names restart with every battle, so a message left from an ended
  // battle would reach the namesake of its receiver in the next one.
  void Clear();

  // The queued messages in delivery order, each with its place in the sending order, and the
  // sending order's next number. Read, they join the queue.
  void Walk(StateArchive& archive);

  // The queued messages in the order they were queued.
  std::vector<const Message*> Pending() const;

 private:
  // Queued messages are kept by due time, so a frame looks only at those due; the sequence
  // number is the sending order, which decides the order of delivery among them.
  struct QueueKey {
    float deliveryTime;
    std::uint64_t sequence;
    bool operator<(const QueueKey& other) const {
      return deliveryTime < other.deliveryTime || (deliveryTime == other.deliveryTime && sequence < other.sequence);
    }
  };
  struct QueuedRef {
    QueueKey key;
    const Message* msg;
  };
  using Queue = std::map<QueueKey, std::unique_ptr<Message>>;

  static bool IsDuplicate(const Message& queued, int id, const std::string& sender, int scope, int scopeValue,
                          bool repeat);
  // Fills due with the keys of the messages due now, in sending order; false when there are none.
  bool CollectDue(std::vector<QueueKey>& due) const;
  // Takes the message out of the queue and its indexes; null if it was cancelled meanwhile.
  std::unique_ptr<Message> TakeQueued(const QueueKey& key);

  float Now() const;
  void Enqueue(const QueueKey& key, std::unique_ptr<Message> msg);
  void Rekey(const std::vector<std::uint64_t>& sequences);

  const Timer& clock;
  MachineFinder findMachine;
  Queue queue;
  std::uint64_t nextSequence = 0;
  // Queued messages by receiver, in no particular order: a receiver has few at a time, so the
  // duplicate test and the cancelling of scoped messages look only at these.
  std::unordered_map<std::string, std::vector<QueuedRef>> byReceiver;
  // Kept between frames so that a frame allocates nothing for its due list.
  std::vector<QueueKey> dueScratch;
};
