// What a General written in Python sees of the battle during one call: the same fields and
// functions a Lua script's battle table has, as attributes and methods. It reads the battle only
// while it is lent to a call, so nothing kept from a call reads a battle that has moved on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "terrain/TerrainBounds.h"

class Battle;
class GameObject;

class PythonBattleView {
 public:
  struct Point {
    double x = 0.0;
    double z = 0.0;
  };
  struct General {
    std::string name;
    double x = 0.0;
    double z = 0.0;
    int squads = 0;
    bool inCombat = false;
  };
  struct Squad {
    std::string name;
    std::string type;
    double x = 0.0;
    double z = 0.0;
    int followers = 0;
    bool inCombat = false;
    // Own squads only: the enemy point their leader chose to march on.
    std::optional<Point> target;
  };

  explicit PythonBattleView(Battle& viewed) : battle(&viewed) {}

  // Lends the view for one call on general's side; Return ends the loan.
  void Lend(const GameObject& general) { lentGeneral = &general; }
  void Return() { lentGeneral = nullptr; }

  std::string Side() const;
  double Time() const;
  TerrainBounds Terrain() const;
  General OwnGeneral() const;
  std::optional<General> EnemyGeneral() const;
  std::vector<Squad> Squads() const;
  std::vector<Squad> Enemies() const;
  std::optional<double> Height(double x, double z) const;
  int Rand() const;

  Squad SquadOf(const GameObject& leader, bool own) const;

 private:
  // The general lent to the running call; a RuntimeError in Python when none is.
  const GameObject& Lent() const;
  const GameObject* EnemyLeader() const;
  std::vector<Squad> SquadsOf(const GameObject* leader, bool own) const;

  Battle* battle;
  const GameObject* lentGeneral = nullptr;
};
