// The terrain grid in GL: compiled once into a display list for the static ground, or sent vertex
// by vertex, with the colours the grid holds now, for the dynamic ground that shows footsteps.
#pragma once

class Terrain;

class TerrainDrawing {
 public:
  // Compiles the grid into a new display list and returns its name; later colour changes do not
  // reach the list.
  static unsigned int BuildDisplayList(const Terrain& terrain, float xOffset, float yOffset, float zOffset);
  static void DrawImmediate(const Terrain& terrain, float xOffset, float yOffset, float zOffset);

 private:
  // Lit, depth-tested triangle strips, one per pair of rows; leaves lighting and the depth test
  // off, and colour material on when the grid has colours and normals.
  static void DrawGrid(const Terrain& terrain, float xOffset, float yOffset, float zOffset);
};
