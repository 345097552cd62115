// Where a game object stands and how it moves: it walks the object towards its target over the
// ground, and holds the size and facing of the upright square the renderer draws there.
#pragma once

#include <memory>

#include "math/Vector3.h"

class GameObject;
class Terrain;
class BattleContext;
class StateArchive;

// What one update's walk depends on besides the step's length and the ground: the walk is a pure
// function of these, so a walk worked out ahead from an equal start is the walk itself.
struct WalkStart {
  Vector3 position;
  float targetX = 0.0f;
  float targetZ = 0.0f;
  float speed = 0.0f;
  bool followTerrain = true;

  // Bit for bit: -0 and 0 would walk alike here but not in every later sum, and NaN never equals.
  bool SameAs(const WalkStart& other) const;
};

// Where a walk ends, and whether it ended within arrival distance without moving.
struct WalkEnd {
  Vector3 position;
  bool arrived = false;
};

// Aligned so that what its every update reads (position, target, speed and the flags) lies in
// one cache line, and with no virtual functions (nothing derives from it) so that the whole
// sprite fits that line: a large army holds one per unit.
class alignas(64) Sprite {
 public:
  static constexpr float kWalkingSpeed = 3.0f;
  // Within this distance of its target a sprite counts as arrived.
  static constexpr float kArrivalDistance = 0.2f;

  Sprite(GameObject* spriteOwner, const Vector3& start, float facingAngle);
  ~Sprite() = default;
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // One step towards the target, then the arrival notice, the ground painting and the height.
  void Update(float dt);
  WalkStart Start() const { return {position, target.x, target.z, speed, followTerrain}; }
  // The walk Update takes from that start, standing on that ground (the height only where the
  // start follows it).
  static WalkEnd Walk(const WalkStart& start, float dt, const Terrain& ground);
  // Takes a walk worked out from this sprite's own start; false, leaving the sprite alone, when
  // the walk would also send the arrival notice (whose receiver may change what follows), or the
  // sprite is in no battle. Update must then run instead.
  bool TakeWalk(const WalkEnd& end);
  // Fetches ahead the ground that Update will read and paint here.
  void PrefetchGround() const;

  void SetTarget(const Vector3& point, bool notify);

  static float HalfSizeFor(int unitType);
  // Every field but the owner, which is where the sprite lives.
  void Walk(StateArchive& archive);

  Vector3 position;
  Vector3 target;
  float halfSize = 0.5f;
  float facing = 0.0f;
  float speed = kWalkingSpeed;
  // The billboard's opacity.
  float alpha = 1.0f;
  bool arrivalPending = false;
  bool notifyOnArrival = true;
  bool followTerrain = true;
  // The facing's cosine and sine, fixed at construction; the quad's corners scale them by the
  // current halfSize, so a growing blood splat widens as well as rises.
  float facingCos = 1.0f;
  float facingSin = 0.0f;
  GameObject* owner = nullptr;

 private:
  // The first half of Walk: the position on the flat, before the height.
  static WalkEnd Stride(const WalkStart& start, float dt);
  void PaintFootstep(BattleContext& battle) const;
};

static_assert(sizeof(Sprite) == 64, "a sprite takes one cache line");
