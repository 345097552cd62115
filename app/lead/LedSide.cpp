// A side's orders from the player's hand.
#include "app/lead/LedSide.h"

#include "app/lead/OrderBook.h"
#include "app/run/HandOrderText.h"
#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "objects/UnitType.h"

LedSide::LedSide(Battle& ledBattle, int ledTeam, OrderBook& orderBook)
    : battle(ledBattle), team(ledTeam), battleNumber(ledBattle.BattlesStarted()), book(orderBook) {}

SquadOrder LedSide::OnSquadReady(const GameObject& /*general*/, const GameObject& leader) {
  reported.insert(leader.name);
  return {};
}

bool LedSide::GeneralFights(const GameObject& /*general*/, bool& fights) {
  fights = fighting;
  return true;
}

bool LedSide::LeadsLivingSquad(const std::string& name) const {
  const GameObject* leader = battle.Find(name);
  return leader != nullptr && leader->unitType == UnitType::SquadLeader && leader->team == team && !leader->dying &&
         !leader->removed;
}

// Several orders may fall on one step; each is carried out before the next is taken.
bool LedSide::OrderGivenNow(const GameObject& /*general*/, HandOrder& order) {
  if (Failed()) return false;
  while (book.TakeDue(battleNumber, battle.StepOfBattle(), order)) {
    if (Take(order)) return true;
    if (Failed()) return false;
  }
  return false;
}

bool LedSide::Take(const HandOrder& order) {
  if (!order.IsFight() && !LeadsLivingSquad(order.squad)) {
    const std::string why = "the order at step " + std::to_string(order.step) + " is for " + order.squad +
                            ", which leads no living squad of this side";
    if (book.PlaysRecorded()) {
      failure = why;
    } else {
      book.Refuse("refused: " + order.squad + " has fallen");
    }
    return false;
  }
  if (order.IsFight()) fighting = true;
  book.Given(battleNumber, order);
  lastDecision = "the player's: " + HandOrderText::Format(order);
  return true;
}
