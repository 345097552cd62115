// Builds small terrains from made-up pixels, and reads back what the terrain holds per world cell.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>

#include "platform/PngPixels.h"
#include "terrain/Terrain.h"

namespace testmaps {

// RGBA pixels: alpha carries the height byte, red/green/blue the given colour.
inline PngRaw RgbaImage(int width, int height, const std::function<unsigned char(int col, int row)>& heightByte) {
  PngRaw image;
  image.width = width;
  image.height = height;
  image.components = 4;
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      image.pixels.insert(image.pixels.end(), {10, 20, 30, heightByte(col, row)});
    }
  }
  return image;
}

// A square map at height 0; normals not computed.
inline Terrain FlatTerrain(int side) {
  Terrain terrain;
  terrain.LoadPixels(RgbaImage(side, side, [](int, int) { return static_cast<unsigned char>(0); }), false);
  return terrain;
}

// Grid index of integer world coordinates (inverse of the drawing placement).
inline std::size_t Index(const Terrain& terrain, int x, int z) {
  return static_cast<std::size_t>((terrain.depth - terrain.depth / 2 - z) * terrain.width + x + terrain.width / 2);
}

// A grid point at a height, in integer world coordinates.
struct Raised {
  int x;
  int z;
  float height;
};

// A square map at height 0 but for the raised points, read from height bytes and scaled as a
// height map is: the highest point's byte is 255, each other's its share of that. A height no
// byte carries exactly fails the test. Normals not computed.
inline Terrain RaisedTerrain(int side, std::initializer_list<Raised> points) {
  float highest = 0.0f;
  for (const Raised& point : points) highest = std::max(highest, point.height);
  const auto heightByte = [&](int col, int row) {
    for (const Raised& point : points) {
      if (point.x + side / 2 == col && side - side / 2 - point.z == row) {
        return static_cast<unsigned char>(std::lround(255.0f * point.height / highest));
      }
    }
    return static_cast<unsigned char>(0);
  };
  Terrain terrain;
  terrain.LoadPixels(RgbaImage(side, side, heightByte), false);
  terrain.Scale(0.0f, highest);
  for (const Raised& point : points) {
    EXPECT_EQ(point.height, terrain.HeightAt(point.x, point.z)) << "no height byte carries it";
  }
  return terrain;
}

struct Colour {
  float red, green, blue;
  friend bool operator==(const Colour&, const Colour&) = default;
};

inline Colour ColourAt(const Terrain& terrain, int x, int z) {
  const std::size_t base = Index(terrain, x, z) * 3;
  return {terrain.colours[base], terrain.colours[base + 1], terrain.colours[base + 2]};
}

}  // namespace testmaps
