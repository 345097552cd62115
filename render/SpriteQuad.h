// The billboard a sprite shows: an upright square standing on the sprite's position, turned to its
// facing and as high as it is wide, tinted by its owner's team.
#pragma once

#include <array>

#include "math/Vector3.h"
#include "render/BillboardBatch.h"

class Sprite;

class SpriteQuad {
 public:
  // In the order BillboardBatch::AddQuad takes them.
  static std::array<Vector3, 4> Corners(const Sprite& sprite);
  // A ball that holds the four corners.
  static Vector3 Centre(const Sprite& sprite);
  static double Reach(const Sprite& sprite);
  // Red for the red team, blue otherwise (also without an owner), at the sprite's opacity.
  static BillboardBatch::Colour Tint(const Sprite& sprite);
};
