// Colour read-back of the route finder's painting, with the terrain's own world-to-grid rule.
#include "bench/PaintedCells.h"

#include <algorithm>

#include "terrain/Terrain.h"

namespace {
// The route finder paints every cell it examines yellow.
bool IsYellowAt(const Terrain& terrain, std::size_t at) {
  return terrain.colours[at] == 1.0f && terrain.colours[at + 1] == 1.0f && terrain.colours[at + 2] == 0.0f;
}
}  // namespace

void ClearPaint(Terrain& terrain) { std::fill(terrain.colours.begin(), terrain.colours.end(), 0.0f); }

bool IsExamined(const Terrain& terrain, int x, int z) {
  const long long col = static_cast<long long>(x) + terrain.width / 2;
  const long long row = static_cast<long long>(terrain.depth) - terrain.depth / 2 - z;
  if (col < 0 || col >= terrain.width || row < 0 || row >= terrain.depth) return false;
  return IsYellowAt(terrain, static_cast<std::size_t>(3 * (row * terrain.width + col)));
}

std::size_t CountExamined(const Terrain& terrain) {
  std::size_t count = 0;
  for (std::size_t at = 0; at + 2 < terrain.colours.size(); at += 3) {
    if (IsYellowAt(terrain, at)) ++count;
  }
  return count;
}
