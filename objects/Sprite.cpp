// Walking towards the target, the arrival notice and the ground under the walker.
#include "objects/Sprite.h"

#include <cmath>

#include "app/Game.h"
#include "objects/GameObject.h"
#include "objects/UnitFactory.h"
#include "objects/UnitType.h"
#include "statemachine/Message.h"

Sprite::Sprite(GameObject* spriteOwner, const Vector3& start, float facingAngle)
    : position(start), target(start), facing(facingAngle), owner(spriteOwner) {
  halfSize = HalfSizeFor(owner != nullptr ? owner->unitType : 0);
  facingCos = std::cos(facing);
  facingSin = std::sin(facing);
}

// The unit-type table is the factory's; a code outside it gets the common size.
float Sprite::HalfSizeFor(int unitType) {
  if (unitType < 0 || unitType >= UnitType::kCount) return 0.5f;
  return UnitFactory::Info(unitType).halfSize;
}

void Sprite::SetTarget(const Vector3& point, bool notify) {
  target = point;
  notifyOnArrival = notify;
  arrivalPending = true;
}

void Sprite::Update(float dt) {
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
    Game* game = Game::Instance();
    if (game != nullptr && owner != nullptr) game->objects->SendSystemMessage(owner->name, MSG_Arrived);
  }
  Game* game = Game::Instance();
  if (game == nullptr) return;
  // Footsteps: the ground under every walking sprite shows green on the dynamic terrain.
  if (game->paintFootsteps) {
    game->terrain.SetColour(static_cast<int>(position.x), static_cast<int>(position.z), 0.0f, 1.0f, 0.0f);
  }
  if (followTerrain) position.y = game->terrain.InterpolatedHeight(position.x, position.z);
}

void Sprite::PrefetchGround() const {
  if (const Game* game = Game::Instance()) game->terrain.PrefetchAround(position.x, position.z, game->paintFootsteps);
}
