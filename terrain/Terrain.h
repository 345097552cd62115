// The battlefield: a regular grid of heights read from a height-map image, with one colour and one
// normal per grid point, answering height and climb queries. The renderer draws it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "math/Vector3.h"

struct PngRaw;

class Terrain {
 public:
  int width = 0;               // W, grid columns; 0 while empty
  int depth = 0;               // H, grid rows; 0 while empty
  std::vector<float> colours;  // 3*W*H, red, green, blue in 0..1
  std::vector<float> normals;  // 3*W*H, unit normals

  Terrain() = default;

  // 0 on success; -4 if the image cannot be read or holds no usable pixels (terrain unchanged).
  int Load(const std::string& path, bool computeNormals);
  // Everything Load does after reading the image; same results.
  int LoadPixels(const PngRaw& image, bool computeNormals);
  // Maps the heights linearly onto [low, high]; -1 if no heights are loaded.
  int Scale(float low, float high);
  void ComputeNormals();

  // W*H, grid point (col, row) at row*W + col.
  const std::vector<float>& Heights() const { return heights; }
  // Integer world coordinates; 5.0 off the grid, 0 on an empty terrain.
  float HeightAt(int x, int z) const;
  // Asks the processor to fetch what InterpolatedHeight (and SetColour, when colourToo) will read
  // at this point, ahead of a large army's update that would otherwise wait for each in turn.
  void PrefetchAround(float x, float z, bool colourToo) const;
  // Smoothed height between grid points; a point off the grid blends with the off-grid height.
  float InterpolatedHeight(float x, float z) const;
  // The world coordinates of the outermost grid points: x from MinGridX() to MinGridX() + W - 1,
  // z from MaxGridZ() - (H - 1) to MaxGridZ().
  int MinGridX() const { return -(width / 2); }
  int MaxGridZ() const { return depth - depth / 2; }
  // Cost of stepping from (x1, z1) to (x2, z2): five times the rise, nothing for descending.
  float ClimbCost(int x1, int z1, int x2, int z2) const;
  Vector3 GridPoint(int x, int z) const;
  // Off-grid points and an empty terrain are left alone.
  void SetColour(int x, int z, float red, float green, float blue);
  // Points are (column, row) grid coordinates, each taken as (column, height, row).
  Vector3 TriangleNormal(int col1, int row1, int col2, int row2, int col3, int row3) const;

 private:
  std::vector<float> heights;
  // The image's height byte of every point, and the height each byte stands for: what heights
  // holds, in a quarter of the bytes, for the ground under every unit on every step, which in a
  // large army is a miss to memory. Empty only while the terrain is.
  std::vector<std::uint8_t> heightCodes;
  std::array<float, 256> heightOfCode{};

  // Grid index of integer world coordinates, or -1 off the grid.
  long long CellIndex(int x, int z) const;
  float CodedHeightAt(int x, int z) const;
  bool OnOutermostPoints(int x, int z) const;
  // The coordinate moved onto the grid's nearest column or row.
  int HeldX(int x) const;
  int HeldZ(int z) const;
  float HeightAtCell(int col, int row) const { return heights[static_cast<std::size_t>(row) * width + col]; }
  Vector3 NormalAt(int col, int row) const;
};
