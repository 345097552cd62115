// The dynamic terrain sent to GL as vertex arrays: the grid's positions laid out once per map, its
// colours and normals read where the terrain keeps them, so the footsteps painted since the last
// frame show without a call per vertex.
#pragma once

#include <cstdint>
#include <vector>

class Terrain;

class TerrainArrays {
 public:
  // The same pixels and the same state left behind as TerrainDrawing::DrawImmediate.
  void Draw(const Terrain& terrain, float xOffset, float yOffset, float zOffset);

 private:
  bool Matches(const Terrain& terrain, float xOffset, float yOffset, float zOffset) const;
  void LayOut(const Terrain& terrain, float xOffset, float yOffset, float zOffset);
  void DrawStrips(const Terrain& terrain) const;

  // What the positions were laid out for; another map, or new heights, lays them out again.
  int width = 0;
  int depth = 0;
  float offsets[3] = {0.0f, 0.0f, 0.0f};
  std::vector<float> heights;
  std::vector<float> positions;  // x, y, z per grid point
  // Per pair of rows, the grid points of its strip in drawing order: the next row's, then this one's.
  std::vector<std::uint32_t> strips;
};
