// The orders of one side led by hand, battle by battle. In the window the player's orders wait
// here for the General's next step, which stamps them with it; played again (--orders, --verify)
// the book hands out the recorded orders at their steps. A LedSideSource lends it to every battle.
#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "units/HandOrder.h"

class OrderBook {
 public:
  // A book for the window: it records what the player gives.
  OrderBook() = default;
  // A book that plays the recorded orders of each battle (by number, from 1) again.
  explicit OrderBook(std::map<int, std::vector<HandOrder>> recorded);

  // The orders given in the battle so far; an empty list for a battle without any.
  const std::vector<HandOrder>& Orders(int battle) const;

  bool PlaysRecorded() const { return playing; }
  // The player's order, step not yet known; carried out on the General's next step.
  void Give(const HandOrder& order);
  // The next order waiting for the running step, if any: in the window the oldest the player
  // gave, played again the next recorded for this step of that battle. false when none is due.
  bool TakeDue(int battle, long long step, HandOrder& order);
  // The order given in battle at its step, for the record.
  void Given(int battle, const HandOrder& order);
  // Why the last order was not carried out, for the panel; empty when it was.
  std::string Refusal() const;
  void Refuse(const std::string& why);

 private:
  bool playing = false;
  mutable std::mutex mutex;
  std::deque<HandOrder> waiting;
  std::map<int, std::vector<HandOrder>> orders;
  std::map<int, std::size_t> played;
  std::string refusal;
};
