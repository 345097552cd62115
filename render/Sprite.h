// The billboard of a game object: a textured, team-tinted upright square standing at the
// object's position, which also walks the object towards its target over the ground.
#pragma once

#include <array>
#include <string>

#include "math/Vector3.h"
#include "render/BillboardBatch.h"

class GameObject;

// Aligned so that what its every update reads (position, target, speed and the flags) lies in
// one cache line, and with no virtual functions (nothing derives from it) so that the whole
// sprite fits that line: a large army holds one per unit.
class alignas(64) Sprite {
 public:
  static constexpr float kWalkingSpeed = 3.0f;
  // Within this distance of its target a sprite counts as arrived.
  static constexpr float kArrivalDistance = 0.2f;

  Sprite(GameObject* spriteOwner, const std::string& textureFile, const Vector3& start, float facingAngle);
  ~Sprite() = default;
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // Emits the quad; the caller has this sprite's texture bound inside an open quad batch.
  void Draw();
  // Adds the quad Draw would emit to the batch, whose texture is this sprite's.
  void AddTo(BillboardBatch& batch) const;
  // The corners and colour of that quad.
  std::array<Vector3, 4> Corners() const;
  BillboardBatch::Colour Tint() const;
  // One step towards the target, then the arrival notice, the ground painting and the height.
  void Update(float dt);
  // Fetches ahead the ground that Update will read and paint here.
  void PrefetchGround() const;

  void SetTarget(const Vector3& point, bool notify);

  static float HalfSizeFor(int unitType);

  Vector3 position;
  Vector3 target;
  float halfSize = 0.5f;
  float facing = 0.0f;
  float speed = kWalkingSpeed;
  float alpha = 1.0f;
  bool hasTexture = false;
  bool arrivalPending = false;
  bool notifyOnArrival = true;
  bool followTerrain = true;
  // The facing's cosine and sine, fixed at construction; the quad's corners scale them by the
  // current halfSize, so a growing blood splat widens as well as rises.
  float facingCos = 1.0f;
  float facingSin = 0.0f;
  unsigned texture = 0;
  GameObject* owner = nullptr;
};

static_assert(sizeof(Sprite) == 64, "a sprite takes one cache line");
