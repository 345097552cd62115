// Army placement.
#include "units/ArmyLayout.h"

#include <cmath>

#include "objects/UnitType.h"

namespace {
// A follower stands up to five units left and four right of its leader, and the factory moves
// anything on or beyond the edge; this keeps the whole squad clear of it.
constexpr float kSideMargin = 6.0f;
constexpr float kSquadReach = 6.0f;  // the followers' rows in front of the leader
constexpr float kFirstRowHalfWidth = 30.0f;
}  // namespace

int ArmyLayout::SquadsPerRow(int terrainWidth) {
  const float room = static_cast<float>(terrainWidth / 2) - kSideMargin;
  if (room < 0.0f) return 0;
  return 2 * static_cast<int>(std::floor(room / kSquadSpacing)) + 1;
}

// The first five keep their places x = -30, -15, 0, 15, 30. Later rows fill from the middle
// outwards, alternating left and right, so a part-filled row stays centred.
Vector3 ArmyLayout::SquadPlace(int team, int index, const Vector3& general, int terrainWidth) {
  const float sign = team == Team::Red ? 1.0f : -1.0f;
  const float firstRowZ = general.z + kSquadDepth * sign;
  if (index < kFirstRowSquads) {
    const float offset = -kFirstRowHalfWidth + kSquadSpacing * static_cast<float>(index);
    return Vector3(general.x + offset, general.y, firstRowZ);
  }
  const int perRow = SquadsPerRow(terrainWidth) > 0 ? SquadsPerRow(terrainWidth) : 1;
  const int row = (index - kFirstRowSquads) / perRow + 1;
  const int place = (index - kFirstRowSquads) % perRow;
  const float side = place % 2 == 1 ? -1.0f : 1.0f;
  const float offset = kSquadSpacing * static_cast<float>((place + 1) / 2) * side;
  return Vector3(general.x + offset, general.y, firstRowZ + kRowSpacing * static_cast<float>(row) * sign);
}

int ArmyLayout::SquadsThatFit(int terrainWidth, int terrainDepth) {
  const float lastRowZ = static_cast<float>(terrainDepth / 2) - 1.0f;
  const float firstRowZ = kGeneralDistance + kSquadDepth;
  const bool firstRowFits = kFirstRowHalfWidth + kSideMargin <= static_cast<float>(terrainWidth / 2) &&
                            firstRowZ <= lastRowZ && firstRowZ - kSquadReach > 0.0f;
  if (!firstRowFits) return 0;
  const int furtherRows = static_cast<int>(std::floor((lastRowZ - firstRowZ) / kRowSpacing));
  return kFirstRowSquads + furtherRows * SquadsPerRow(terrainWidth);
}
