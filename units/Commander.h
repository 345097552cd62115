// What a General asks of whoever leads its side: where each squad that reports ready marches, and
// whether the General goes to fight now. A Lua script answers, or a host program's own General;
// the General does not know which.
#pragma once

#include <string>

#include "units/HandOrder.h"

class GameObject;

struct SquadOrder {
  enum class Kind { Hold, March, Failed };
  Kind kind = Kind::Hold;
  float x = 0.0f;
  float z = 0.0f;
  // A Formation::Shape id, or 0 to keep the squad's shape.
  int formation = 0;
};

class Commander {
 public:
  virtual ~Commander() = default;

  // The order for the squad of leader, which reported ready to general; Failed ends the side's
  // decisions, with Failure() saying why.
  virtual SquadOrder OnSquadReady(const GameObject& general, const GameObject& leader) = 0;
  // Whether the commander has its own rule for when the General fights.
  virtual bool DecidesWhenToFight() const = 0;
  // False when the commander failed; fights says whether the General goes for the enemy General now.
  virtual bool GeneralFights(const GameObject& general, bool& fights) = 0;

  // An order given of the commander's own accord at the running step, unasked by any squad: a
  // player's. Called every step until it returns false; the General carries out each as it
  // would an answer to a squad's report. Commanders that only answer never give one.
  virtual bool OrderGivenNow(const GameObject& /*general*/, HandOrder& /*order*/) { return false; }

  virtual bool Failed() const = 0;
  virtual const std::string& Failure() const = 0;
  // What it decided last, as the unit inspector shows it.
  virtual const std::string& LastDecision() const = 0;
  // True when it keeps nothing of its own that the battle's walk leaves out (every order comes
  // from outside the battle), so that a battle it leads can be saved and led by a fresh one.
  virtual bool KeepsNoState() const { return false; }
};
