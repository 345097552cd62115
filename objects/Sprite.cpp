// Walking towards the target, the arrival notice and the ground under the walker.
#include "objects/Sprite.h"

#include <cmath>

#include "math/PortableMath.h"
#include "objects/BattleContext.h"
#include "objects/GameObject.h"
#include "objects/UnitType.h"
#include "objects/UnitTypeInfo.h"
#include "statemachine/Message.h"

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

void Sprite::Update(float dt) {
  BattleContext* battle = owner != nullptr ? owner->GetBattle() : nullptr;
  Vector3 toTarget(target.x - position.x, 0.0f, target.z - position.z);
  const float distance = toTarget.Length();
  if (distance > kArrivalDistance) {
    // The step is not clamped to the remaining distance: a long step overshoots and the sprite
    // walks back on later updates.
    const float step = speed * dt;
    Vector3 move = toTarget;
    move.Normalize();
    move = move * step;
    if (move.Length() > 0.001f) {
      position.x += move.x;
      position.z += move.z;
    }
  } else if (arrivalPending && notifyOnArrival) {
    arrivalPending = false;
    if (battle != nullptr) battle->objects->SendSystemMessage(owner->name, MSG_Arrived);
  }
  if (battle == nullptr) return;
  // Footsteps: the ground under every walking sprite shows green on the dynamic terrain.
  if (battle->paintFootsteps) {
    battle->terrain.SetColour(static_cast<int>(position.x), static_cast<int>(position.z), 0.0f, 1.0f, 0.0f);
  }
  if (followTerrain) position.y = battle->terrain.InterpolatedHeight(position.x, position.z);
}

void Sprite::PrefetchGround() const {
  const BattleContext* battle = owner != nullptr ? owner->GetBattle() : nullptr;
  if (battle != nullptr) battle->terrain.PrefetchAround(position.x, position.z, battle->paintFootsteps);
}
