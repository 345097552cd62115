// Keeping and handing out a led side's orders.
#include "app/lead/OrderBook.h"

OrderBook::OrderBook(std::map<int, std::vector<HandOrder>> recorded) : playing(true), orders(std::move(recorded)) {}

// The list returned stays where it is while orders are added to other battles.
const std::vector<HandOrder>& OrderBook::Orders(int battle) const {
  const std::lock_guard lock(mutex);
  static const std::vector<HandOrder> kNone;
  const auto found = orders.find(battle);
  return found != orders.end() ? found->second : kNone;
}

void OrderBook::Give(const HandOrder& order) {
  const std::lock_guard lock(mutex);
  waiting.push_back(order);
  refusal.clear();
}

bool OrderBook::TakeDue(int battle, long long step, HandOrder& order) {
  const std::lock_guard lock(mutex);
  if (!playing) {
    if (waiting.empty()) return false;
    order = waiting.front();
    waiting.pop_front();
    order.step = step;
    return true;
  }
  const auto found = orders.find(battle);
  std::size_t& next = played[battle];
  if (found == orders.end() || next >= found->second.size() || found->second[next].step != step) return false;
  order = found->second[next++];
  return true;
}

void OrderBook::Given(int battle, const HandOrder& order) {
  if (playing) return;
  const std::lock_guard lock(mutex);
  orders[battle].push_back(order);
}

std::string OrderBook::Refusal() const {
  const std::lock_guard lock(mutex);
  return refusal;
}

void OrderBook::Refuse(const std::string& why) {
  const std::lock_guard lock(mutex);
  refusal = why;
}
