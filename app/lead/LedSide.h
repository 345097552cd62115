// The Commander of a side led by hand, for one battle: it answers no squad's report (the squad
// holds, as it does when a script gives no order), hands the General the book's orders at their
// steps, and sends the General to fight once told. An order whose squad is not a living squad of
// the side is dropped in the window, where the player sees why; played again it fails the side,
// since the battle it came from cannot be the one being played.
#pragma once

#include <set>
#include <string>

#include "units/Commander.h"

class Battle;
class OrderBook;

class LedSide : public Commander {
 public:
  LedSide(Battle& battle, int team, OrderBook& book);

  SquadOrder OnSquadReady(const GameObject& general, const GameObject& leader) override;
  bool DecidesWhenToFight() const override { return fighting; }
  bool GeneralFights(const GameObject& general, bool& fights) override;
  bool OrderGivenNow(const GameObject& general, HandOrder& order) override;
  bool Failed() const override { return !failure.empty(); }
  const std::string& Failure() const override { return failure; }
  const std::string& LastDecision() const override { return lastDecision; }

  // Whether the squad has formed up and reported to its General: before, it takes no order.
  bool HasReported(const std::string& squad) const { return reported.contains(squad); }
  // Whether name leads a living squad of this side.
  bool LeadsLivingSquad(const std::string& name) const;

 private:
  bool Take(const HandOrder& order);

  Battle& battle;
  int team;
  int battleNumber;
  OrderBook& book;
  std::set<std::string> reported;
  bool fighting = false;
  std::string failure;
  std::string lastDecision = "waits for the player";
};
