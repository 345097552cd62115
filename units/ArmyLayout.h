// Where an army's squads stand at the start of a battle: the first five in one row behind their
// General, the rest in further rows behind that one, each row as wide as the terrain allows.
#pragma once

#include "math/Vector3.h"

class ArmyLayout {
 public:
  static constexpr int kFirstRowSquads = 5;
  static constexpr float kSquadSpacing = 15.0f;
  // A squad's followers stand in four rows two apart in front of their leader; the next row of
  // squads starts this far behind.
  static constexpr float kRowSpacing = 10.0f;
  // The squad leaders of the first row stand this far behind their General, on the side away
  // from the middle.
  static constexpr float kSquadDepth = 10.0f;
  // Each General starts on the middle of its own half's line this far from the middle line.
  static constexpr float kGeneralDistance = 37.0f;

  // Place of the squad leader of squad `index` (from 0) of an army whose General stands at
  // general; red (team 0) stands at positive z and its rows grow towards +z, blue towards -z.
  static Vector3 SquadPlace(int team, int index, const Vector3& general, int terrainWidth);
  // How many squads fit with every follower on the army's own half of a terrain of that size.
  static int SquadsThatFit(int terrainWidth, int terrainDepth);

 private:
  static int SquadsPerRow(int terrainWidth);
};
