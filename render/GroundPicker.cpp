// Picking the ground by projecting a grid of its points.
#include "render/GroundPicker.h"

#include <algorithm>
#include <cmath>

#include "terrain/Terrain.h"

namespace {
// The coarse pass looks at a point every few units; each finer pass searches around the best
// one found so far.
constexpr float kCoarseStep = 4.0f;
constexpr float kFinestStep = 0.25f;
}  // namespace

GroundPicker::GroundPicker(const Matrix4& view, const Matrix4& projection, int width, int height)
    : projector(view, projection, width, height) {}

bool GroundPicker::Pick(const Terrain& terrain, int x, int y, Vector3& ground) const {
  if (terrain.width <= 0 || terrain.depth <= 0) return false;
  const float px = static_cast<float>(x) + 0.5f;
  const float py = static_cast<float>(y) + 0.5f;
  const float halfWidth = static_cast<float>(terrain.width - 1) / 2.0f;
  const float halfDepth = static_cast<float>(terrain.depth - 1) / 2.0f;
  const Vector3 middle(static_cast<float>(terrain.MinGridX()) + halfWidth, 0.0f,
                       static_cast<float>(terrain.MaxGridZ()) - halfDepth);
  Vector3 best;
  float off = Nearest(terrain, px, py, middle, std::max(halfWidth, halfDepth), kCoarseStep, best);
  for (float step = kCoarseStep / 2.0f; off >= 0.0f && step >= kFinestStep; step /= 2.0f) {
    off = Nearest(terrain, px, py, best, step * 4.0f, step, best);
  }
  if (off < 0.0f || off > kMostPixelsOff) return false;
  ground = best;
  return true;
}

float GroundPicker::Nearest(const Terrain& terrain, float x, float y, const Vector3& centre, float reach, float step,
                            Vector3& best) const {
  const float minX = static_cast<float>(terrain.MinGridX());
  const float maxX = minX + static_cast<float>(terrain.width - 1);
  const float maxZ = static_cast<float>(terrain.MaxGridZ());
  const float minZ = maxZ - static_cast<float>(terrain.depth - 1);
  float nearest = -1.0f;
  Vector3 chosen = best;
  for (float dz = -reach; dz <= reach; dz += step) {
    for (float dx = -reach; dx <= reach; dx += step) {
      const float wx = centre.x + dx;
      const float wz = centre.z + dz;
      if (wx < minX || wx > maxX || wz < minZ || wz > maxZ) continue;
      const Vector3 point(wx, terrain.InterpolatedHeight(wx, wz), wz);
      float sx = 0.0f;
      float sy = 0.0f;
      float depth = 0.0f;
      if (!projector.Project(point, sx, sy, depth)) continue;
      const float distance = std::hypot(sx - x, sy - y);
      if (nearest < 0.0f || distance < nearest) {
        nearest = distance;
        chosen = point;
      }
    }
  }
  best = chosen;
  return nearest;
}
