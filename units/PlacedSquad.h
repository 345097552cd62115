// A squad placed by hand where the army's layout would otherwise put it: its leader's place on
// the ground, its follower type, how many followers and its first formation.
#pragma once

struct PlacedSquad {
  float x = 0.0f;
  float z = 0.0f;
  // A follower UnitType code, 0 to 2.
  int type = 0;
  int followers = 39;
  // A Formation::Shape id, or 0 for the shape the squad draws as it always does.
  int formation = 0;

  bool operator==(const PlacedSquad&) const = default;
};
