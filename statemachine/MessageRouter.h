// Delivers messages by object name, at once or when due; a scoped message lapses when its
// receiver has changed state since it was sent, and a timer re-arms on each delivery.
#pragma once

#include <list>
#include <memory>
#include <string>

#include "statemachine/Message.h"

class MessageRouter {
 public:
  MessageRouter();
  ~MessageRouter();
  MessageRouter(const MessageRouter&) = delete;
  MessageRouter& operator=(const MessageRouter&) = delete;

  // The process-wide router, or null while none exists.
  static MessageRouter* Instance();

  // Delivers before returning when delay <= 0; otherwise queues the message unless an
  // undelivered duplicate (same id, receiver, sender, scope, stamp and repeat) is queued already.
  void Send(float delay, int id, const std::string& receiver, const std::string& sender, int scope, int scopeValue,
            int dataType, int data, bool repeat);
  // Delivers every queued message that is due, in queue order; messages queued meanwhile are
  // looked at in the same walk.
  void DeliverDue();
  void Deliver(Message& msg);
  // Drops the queued, undelivered, scoped messages for the receiver.
  void CancelScoped(const std::string& receiver);

  const std::list<std::unique_ptr<Message>>& Queue() const { return queue; }

 private:
  bool HasDuplicate(const Message& candidate) const;

  std::list<std::unique_ptr<Message>> queue;
};
