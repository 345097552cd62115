// The typical march requests of a battle on the shipped height map, with the random goal draws
// replaced by fixed representative values, shared by the path finder benchmarks and checks.
#pragma once

#include <string>
#include <vector>

class Terrain;

// One FindPath request in integer world coordinates, as the movement machine truncates them.
struct MarchQuery {
  std::string name;
  int startX = 0;
  int startZ = 0;
  int goalX = 0;
  int goalZ = 0;
};

// The weight every march search uses.
constexpr float kMarchWeight = 1.1f;

// Generals' goals, squad-to-squad targets and one goal on the unreachable outer ring.
const std::vector<MarchQuery>& MarchQueries();

// "Textures/ASTest.png" scaled to heights 0..10 as the game does, loaded on first use with the
// loading lines silenced; null when the image cannot be read (not running from the project root).
const Terrain* ShippedTerrain();
