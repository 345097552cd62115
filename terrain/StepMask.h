// The steps a route search may take from each grid cell, worked out once from the ground: which
// of the eight neighbours lie inside the searchable area and are not refused as steep climbs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class Terrain;

class StepMask {
 public:
  struct Step {
    int dx;
    int dz;
  };
  // The search expands neighbours in this order; bit k of a mask stands for kSteps[k].
  static constexpr std::array<Step, 8> kSteps{{{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}}};

  // Reads the terrain once. The heights must not be changed in place afterwards: the masks would
  // no longer describe them (loading or scaling happens before any search).
  explicit StepMask(const Terrain& terrain);
  // The masks of a copy of the other's terrain, without reading it again.
  StepMask(const StepMask& other, const Terrain& copiedTerrain);

  // The allowed steps from (x, z) in integer world coordinates; cells off the grid are worked
  // out on each call.
  std::uint8_t From(int x, int z) const;
  // Whether some cell has a step onto (x, z); a cell without one is never reached by a search
  // that does not start on it.
  bool CanBeEntered(int x, int z) const;
  // Whether the masks were made from this terrain's current grid (same size, same height store).
  bool Describes(const Terrain& terrain) const;

 private:
  // Cell index of (x, z), or -1 off the grid.
  long long CellOf(int x, int z) const;
  void MarkEnterable();
  static std::uint8_t Compute(const Terrain& terrain, int x, int z);
  static bool IsAllowed(const Terrain& terrain, long long x, long long z);
  static bool IsRefused(const Terrain& terrain, int x, int z, int dx, int dz);

  const Terrain& terrain;
  int width = 0;
  int depth = 0;
  const float* heights = nullptr;
  std::size_t heightCount = 0;
  std::vector<std::uint8_t> masks;  // cell (col = x + W/2, row = z + H/2) at row * W + col
  std::vector<bool> enterable;      // same cells
};
