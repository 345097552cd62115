// Builds small terrains from made-up pixels, and reads back what the terrain holds per world cell.
#pragma once

#include <functional>

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

// A square map whose heights are then set directly, in world units; normals not computed.
inline Terrain FlatTerrain(int side) {
  Terrain terrain;
  terrain.LoadPixels(RgbaImage(side, side, [](int, int) { return static_cast<unsigned char>(0); }), false);
  return terrain;
}

// Grid index of integer world coordinates (inverse of the drawing placement).
inline std::size_t Index(const Terrain& terrain, int x, int z) {
  return static_cast<std::size_t>((terrain.depth - terrain.depth / 2 - z) * terrain.width + x + terrain.width / 2);
}

inline void SetHeight(Terrain& terrain, int x, int z, float height) { terrain.SetHeight(x, z, height); }

struct Colour {
  float red, green, blue;
  friend bool operator==(const Colour&, const Colour&) = default;
};

inline Colour ColourAt(const Terrain& terrain, int x, int z) {
  const std::size_t base = Index(terrain, x, z) * 3;
  return {terrain.colours[base], terrain.colours[base + 1], terrain.colours[base + 2]};
}

}  // namespace testmaps
