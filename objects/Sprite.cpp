// Walking towards the target, the arrival notice and the ground under the walker.
#include "objects/Sprite.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "math/PortableMath.h"
#include "objects/BattleContext.h"
#include "objects/GameObject.h"
#include "objects/UnitType.h"
#include "objects/UnitTypeInfo.h"
#include "statemachine/Message.h"
#include "statemachine/StateArchive.h"

Sprite::Sprite(GameObject* spriteOwner, const Vector3& start, float facingAngle)
    : position(start), target(start), facing(facingAngle), owner(spriteOwner) {
  halfSize = HalfSizeFor(owner != nullptr ? owner->unitType : 0);
  facingCos = static_cast<float>(PortableMath::Cos(static_cast<double>(facing)));
  facingSin = static_cast<float>(PortableMath::Sin(static_cast<double>(facing)));
}

// A code outside the unit-type table gets the common size.
float Sprite::HalfSizeFor(int unitType) {
  if (unitType < 0 || unitType >= UnitType::kCount) return 0.5f;
  return UnitTypeInfo::Of(unitType).halfSize;
}

void Sprite::SetTarget(const Vector3& point, bool notify) {
  target = point;
  notifyOnArrival = notify;
  arrivalPending = true;
}

bool WalkStart::SameAs(const WalkStart& other) const {
  const auto bits = [](float value) { return std::bit_cast<std::uint32_t>(value); };
  return bits(position.x) == bits(other.position.x) && bits(position.y) == bits(other.position.y) &&
         bits(position.z) == bits(other.position.z) && bits(targetX) == bits(other.targetX) &&
         bits(targetZ) == bits(other.targetZ) && bits(speed) == bits(other.speed) &&
         followTerrain == other.followTerrain;
}

// The step is not clamped to the remaining distance: a long step overshoots and the sprite walks
// back on later updates.
WalkEnd Sprite::Stride(const WalkStart& start, float dt) {
  WalkEnd end{start.position, false};
  Vector3 toTarget(start.targetX - start.position.x, 0.0f, start.targetZ - start.position.z);
  const float distance = toTarget.Length();
  if (!(distance > kArrivalDistance)) {
    end.arrived = true;
    return end;
  }
  const float step = start.speed * dt;
  Vector3 move = toTarget;
  move.Normalize();
  move = move * step;
  if (move.Length() > 0.001f) {
    end.position.x += move.x;
    end.position.z += move.z;
  }
  return end;
}

WalkEnd Sprite::Walk(const WalkStart& start, float dt, const Terrain& ground) {
  WalkEnd end = Stride(start, dt);
  if (start.followTerrain) end.position.y = ground.InterpolatedHeight(end.position.x, end.position.z);
  return end;
}

void Sprite::Update(float dt) {
  BattleContext* battle = owner != nullptr ? owner->GetBattle() : nullptr;
  const WalkEnd stride = Stride(Start(), dt);
  position.x = stride.position.x;
  position.z = stride.position.z;
  if (stride.arrived && arrivalPending && notifyOnArrival) {
    arrivalPending = false;
    if (battle != nullptr) battle->objects->SendSystemMessage(owner->name, MSG_Arrived);
  }
  if (battle == nullptr) return;
  PaintFootstep(*battle);
  if (followTerrain) position.y = battle->terrain.InterpolatedHeight(position.x, position.z);
}

bool Sprite::TakeWalk(const WalkEnd& end) {
  BattleContext* battle = owner != nullptr ? owner->GetBattle() : nullptr;
  if (battle == nullptr || (end.arrived && arrivalPending && notifyOnArrival)) return false;
  position.x = end.position.x;
  position.z = end.position.z;
  PaintFootstep(*battle);
  position.y = end.position.y;
  return true;
}

// Footsteps: the ground under every walking sprite shows green on the dynamic terrain.
void Sprite::PaintFootstep(BattleContext& battle) const {
  if (battle.paintFootsteps) {
    battle.terrain.SetColour(static_cast<int>(position.x), static_cast<int>(position.z), 0.0f, 1.0f, 0.0f);
  }
}

void Sprite::PrefetchGround() const {
  const BattleContext* battle = owner != nullptr ? owner->GetBattle() : nullptr;
  if (battle != nullptr) battle->terrain.PrefetchAround(position.x, position.z, battle->paintFootsteps);
}

void Sprite::Walk(StateArchive& archive) {
  archive.Point("sprite.position", position);
  archive.Point("sprite.target", target);
  archive.Float("sprite.halfSize", halfSize);
  archive.Float("sprite.facing", facing);
  archive.Float("sprite.speed", speed);
  archive.Float("sprite.alpha", alpha);
  archive.Flag("sprite.arrivalPending", arrivalPending);
  archive.Flag("sprite.notifyOnArrival", notifyOnArrival);
  archive.Flag("sprite.followTerrain", followTerrain);
  archive.Float("sprite.facingCos", facingCos);
  archive.Float("sprite.facingSin", facingSin);
}
