// The told bounds of the ground, worked out once from the terrain's grid.
#include "terrain/TerrainBounds.h"

#include "terrain/Terrain.h"

TerrainBounds::TerrainBounds(const Terrain& terrain)
    : width(terrain.width),
      depth(terrain.depth),
      minX(terrain.MinGridX()),
      maxX(terrain.MinGridX() + terrain.width - 1),
      minZ(terrain.MaxGridZ() - (terrain.depth - 1)),
      maxZ(terrain.MaxGridZ()) {}

// A point that truncates onto the grid from beyond the bounds (127.5 when the last column is 127)
// is refused: a General could not have known from its bounds that it may use it.
bool TerrainBounds::Holds(double x, double z) const {
  if (Empty()) return true;
  return x >= minX && x <= maxX && z >= minZ && z <= maxZ;
}
