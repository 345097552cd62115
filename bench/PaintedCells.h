// Reads back which cells a search of the game's route finder examined: it paints every examined
// cell yellow, so on a terrain whose colours were cleared first the yellow cells are exactly those.
#pragma once

#include <cstddef>

class Terrain;

// Paints every grid point black, a colour the route finder never uses.
void ClearPaint(Terrain& terrain);
// Whether the cell at integer world coordinates (x, z) is painted yellow; false off the grid.
bool IsExamined(const Terrain& terrain, int x, int z);
// Number of yellow cells; call it after FindPath and before BuildPath, which paints the route.
std::size_t CountExamined(const Terrain& terrain);
