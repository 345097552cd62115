// Billboard corners and team tint.
#include "render/SpriteQuad.h"

#include <cmath>

#include "objects/GameObject.h"
#include "objects/Sprite.h"

std::array<Vector3, 4> SpriteQuad::Corners(const Sprite& sprite) {
  const Vector3& position = sprite.position;
  const float top = position.y + 2.0f * sprite.halfSize;
  const float c1 = sprite.halfSize * sprite.facingCos;
  const float s1 = sprite.halfSize * sprite.facingSin;
  return {Vector3(position.x + c1, top, position.z + s1), Vector3(position.x - c1, top, position.z - s1),
          Vector3(position.x - c1, position.y, position.z - s1), Vector3(position.x + c1, position.y, position.z + s1)};
}

Vector3 SpriteQuad::Centre(const Sprite& sprite) {
  return Vector3(sprite.position.x, sprite.position.y + sprite.halfSize, sprite.position.z);
}

// The corners lie half a size across and up from the centre, at most 1.42 half sizes away; the
// facing's cosine and sine may be a little off unit length.
double SpriteQuad::Reach(const Sprite& sprite) { return 1.5 * std::abs(static_cast<double>(sprite.halfSize)); }

BillboardBatch::Colour SpriteQuad::Tint(const Sprite& sprite) {
  const bool red = sprite.owner != nullptr && sprite.owner->team == 0;
  const float alpha = sprite.alpha;
  return red ? BillboardBatch::Colour{1.0f, 0.6f, 0.6f, alpha} : BillboardBatch::Colour{0.6f, 0.6f, 1.0f, alpha};
}
