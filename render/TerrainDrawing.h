// The terrain grid in GL: compiled once into a display list for the static ground, or sent vertex
// by vertex with the colours the grid holds now (TerrainArrays sends the same as vertex arrays).
#pragma once

class Terrain;

class TerrainDrawing {
 public:
  // Compiles the grid into a new display list and returns its name; later colour changes do not
  // reach the list.
  static unsigned int BuildDisplayList(const Terrain& terrain, float xOffset, float yOffset, float zOffset);
  static void DrawImmediate(const Terrain& terrain, float xOffset, float yOffset, float zOffset);
  // The state the grid is drawn in: lit and depth-tested, with colour material when the grid has
  // colours and normals. EndGrid turns lighting and the depth test off again.
  static void BeginGrid(const Terrain& terrain);
  static void EndGrid();

 private:
  // Triangle strips, one per pair of rows, between BeginGrid and EndGrid.
  static void DrawGrid(const Terrain& terrain, float xOffset, float yOffset, float zOffset);
};
