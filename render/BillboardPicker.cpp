// Picking billboards by projecting their corners into the window.
#include "render/BillboardPicker.h"

#include "objects/GameObject.h"
#include "objects/Sprite.h"

namespace {
struct Point {
  float x;
  float y;
};

// Positive when c lies to the left of the edge a to b.
float Side(const Point& a, const Point& b, const Point& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// A projected billboard is a convex quad, wound either way depending on which side faces us.
bool InsideConvex(const std::array<Point, 4>& quad, const Point& p) {
  bool anyLeft = false;
  bool anyRight = false;
  for (std::size_t i = 0; i < quad.size(); ++i) {
    const float side = Side(quad[i], quad[(i + 1) % quad.size()], p);
    anyLeft = anyLeft || side > 0.0f;
    anyRight = anyRight || side < 0.0f;
  }
  return !(anyLeft && anyRight);
}
}  // namespace

BillboardPicker::BillboardPicker(const Matrix4& view, const Matrix4& projection, int viewportWidth,
                                 int viewportHeight)
    : viewProjection(projection), width(static_cast<float>(viewportWidth)),
      height(static_cast<float>(viewportHeight)) {
  viewProjection.Multiply(view);
}

bool BillboardPicker::Project(const Vector3& world, float& x, float& y, float& depth) const {
  const auto clip = viewProjection.Transform({world.x, world.y, world.z, 1.0f});
  if (clip[3] <= 0.0f) return false;
  x = (clip[0] / clip[3] + 1.0f) * 0.5f * width;
  y = (1.0f - clip[1] / clip[3]) * 0.5f * height;
  depth = clip[3];
  return true;
}

// The corners as the sprite draws them.
bool BillboardPicker::Covers(const Sprite& sprite, float x, float y, float& depth) const {
  const Vector3& p = sprite.position;
  const float s = sprite.halfSize;
  const float c1 = s * sprite.facingCos;
  const float s1 = s * sprite.facingSin;
  const float top = p.y + 2.0f * s;
  const std::array<Vector3, 4> corners = {Vector3(p.x + c1, top, p.z + s1), Vector3(p.x - c1, top, p.z - s1),
                                          Vector3(p.x - c1, p.y, p.z - s1), Vector3(p.x + c1, p.y, p.z + s1)};
  std::array<Point, 4> quad{};
  for (std::size_t i = 0; i < corners.size(); ++i) {
    float cornerDepth = 0.0f;
    if (!Project(corners[i], quad[i].x, quad[i].y, cornerDepth)) return false;
  }
  if (!InsideConvex(quad, {x, y})) return false;
  float centreX = 0.0f;
  float centreY = 0.0f;
  return Project(Vector3(p.x, p.y + s, p.z), centreX, centreY, depth);
}

GameObject* BillboardPicker::Pick(const std::vector<GameObject*>& candidates, int x, int y) const {
  GameObject* nearest = nullptr;
  float nearestDepth = 0.0f;
  const float px = static_cast<float>(x) + 0.5f;
  const float py = static_cast<float>(y) + 0.5f;
  for (GameObject* object : candidates) {
    const Sprite* sprite = object->GetSprite();
    float depth = 0.0f;
    if (sprite == nullptr || !Covers(*sprite, px, py, depth)) continue;
    if (nearest == nullptr || depth < nearestDepth) {
      nearest = object;
      nearestDepth = depth;
    }
  }
  return nearest;
}
