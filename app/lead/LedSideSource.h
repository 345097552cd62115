// A side led by hand, as the scenario carries it: every battle gets a LedSide on the one book.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "app/lead/OrderBook.h"
#include "battle/CommanderSource.h"

class LedSideSource : public CommanderSource {
 public:
  explicit LedSideSource(std::shared_ptr<OrderBook> orderBook) : book(std::move(orderBook)) {}
  std::unique_ptr<Commander> ForBattle(Battle& battle, int team) const override;
  const std::vector<HandOrder>* HandOrders(int battle) const override { return &book->Orders(battle); }

 private:
  std::shared_ptr<OrderBook> book;
};
