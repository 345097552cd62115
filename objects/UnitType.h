// The unit type and team codes every part of the simulation shares.
#pragma once

struct UnitType {
  enum : int { Soldier = 0, Archer = 1, Berserker = 2, SquadLeader = 3, General = 4, Blood = 5, Arrow = 6 };
  static constexpr int kCount = 7;
  // Soldier to General: the types that fight, and so the ones that kill.
  static constexpr int kFighters = 5;
};

struct Team {
  enum : int { Red = 0, Blue = 1 };
};
