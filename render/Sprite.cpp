// Billboard movement and drawing.
#include "render/Sprite.h"

#include <GL/gl.h>

#include <cmath>

#include "app/Game.h"
#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "objects/UnitFactory.h"
#include "objects/UnitType.h"
#include "render/BillboardBatch.h"
#include "render/TextureManager.h"
#include "statemachine/Message.h"

Sprite::Sprite(GameObject* spriteOwner, const std::string& textureFile, const Vector3& start, float facingAngle)
    : position(start), target(start), facing(facingAngle), owner(spriteOwner) {
  // Without a window there is no texture manager, and the sprite is never drawn.
  Game* game = Game::Instance();
  if (game != nullptr && game->textures) texture = game->textures->GetTexture(textureFile);
  hasTexture = texture > 0;
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
  Battle* battle = owner != nullptr ? owner->GetBattle() : nullptr;
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
  const Battle* battle = owner != nullptr ? owner->GetBattle() : nullptr;
  if (battle != nullptr) battle->terrain.PrefetchAround(position.x, position.z, battle->paintFootsteps);
}

void Sprite::AddTo(BillboardBatch& batch) const {
  if (!hasTexture) return;
  batch.AddQuad(Corners(), Tint());
}

std::array<Vector3, 4> Sprite::Corners() const {
  const float top = position.y + 2.0f * halfSize;
  const float c1 = halfSize * facingCos;
  const float s1 = halfSize * facingSin;
  return {Vector3(position.x + c1, top, position.z + s1), Vector3(position.x - c1, top, position.z - s1),
          Vector3(position.x - c1, position.y, position.z - s1), Vector3(position.x + c1, position.y, position.z + s1)};
}

BillboardBatch::Colour Sprite::Tint() const {
  const bool red = owner != nullptr && owner->team == 0;
  return red ? BillboardBatch::Colour{1.0f, 0.6f, 0.6f, alpha} : BillboardBatch::Colour{0.6f, 0.6f, 1.0f, alpha};
}

void Sprite::Draw() {
  if (!hasTexture) return;
  const bool red = owner != nullptr && owner->team == 0;
  if (red) {
    glColor4f(1.0f, 0.6f, 0.6f, alpha);
  } else {
    glColor4f(0.6f, 0.6f, 1.0f, alpha);
  }
  glNormal3f(1.0f, 0.0f, 0.0f);
  const float top = position.y + 2.0f * halfSize;
  const float c1 = halfSize * facingCos;
  const float s1 = halfSize * facingSin;
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(position.x + c1, top, position.z + s1);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(position.x - c1, top, position.z - s1);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(position.x - c1, position.y, position.z - s1);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(position.x + c1, position.y, position.z + s1);
}
