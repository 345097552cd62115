// The ground's extent as a General is told it, and the one rule, for Lua and Python Generals alike,
// for where a goal may lie and where a height may be read: inside these bounds, edges included.
#pragma once

class Terrain;

struct TerrainBounds {
  explicit TerrainBounds(const Terrain& terrain);

  // No ground at all: a battlefield without a map.
  bool Empty() const { return width == 0 || depth == 0; }
  // Whether (x, z) lies within the bounds; without ground every point does. NaN lies nowhere on
  // ground.
  bool Holds(double x, double z) const;

  int width = 0;
  int depth = 0;
  // The outermost grid points: every goal between them is marched to, or as near as a route goes.
  double minX = 0.0;
  double maxX = 0.0;
  double minZ = 0.0;
  double maxZ = 0.0;
};
