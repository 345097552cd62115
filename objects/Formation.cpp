// Formation shapes, turning and slot bookkeeping.
#include "objects/Formation.h"

#include <cassert>
#include <cmath>

#include "math/Matrix4.h"
#include "math/PortableMath.h"
#include "statemachine/StateArchive.h"

namespace {
// 180 / 3.14159: the same constant as the turn itself, so that facing a point and turning by the
// resulting angle agree.
constexpr double kDegreesPerRadian = 57.295827908797776;

// Every shape shares the row layout: slot 5k at x = 0, then +2s, -2s, +4s, -4s. The z offsets of
// the centre, inner and outer slots of row k are given per shape in units of the spacing.
void LayOut(std::array<FormationSlot, Formation::kSlotCount>& slots, float centreLead, float innerLead, float outerLead,
            float direction) {
  constexpr float s = Formation::kSpacing;
  const float xs[Formation::kRowWidth] = {0.0f, 2 * s, -2 * s, 4 * s, -4 * s};
  const float leads[Formation::kRowWidth] = {centreLead, innerLead, innerLead, outerLead, outerLead};
  for (int index = 0; index < Formation::kSlotCount; ++index) {
    const int row = index / Formation::kRowWidth;
    const int column = index % Formation::kRowWidth;
    const float z = direction * (static_cast<float>(row) + leads[column]) * s;
    slots[index].baseOffset = Vector3(xs[column], 0.0f, z);
  }
}
}  // namespace

Formation::Formation(int shapeDraw) {
  switch (shapeDraw % 3) {
    case 0: shapeId = kBlock; break;
    case 1: shapeId = kWedge; break;
    default: shapeId = kOpenVee; break;
  }
  ResetSlots();
  if (shapeId == kBlock) ApplyShape(BlockShape);
  if (shapeId == kWedge) ApplyShape(WedgeShape);
  if (shapeId == kOpenVee) ApplyShape(OpenVeeShape);
}

void Formation::Reshape(Shape shape) {
  shapeId = shape;
  if (shape == kBlock) ApplyShape(BlockShape);
  if (shape == kWedge) ApplyShape(WedgeShape);
  if (shape == kOpenVee) ApplyShape(OpenVeeShape);
}

void Formation::BlockShape(std::array<FormationSlot, kSlotCount>& shapeSlots) {
  LayOut(shapeSlots, 0.0f, 0.0f, 0.0f, -1.0f);
}

void Formation::WedgeShape(std::array<FormationSlot, kSlotCount>& shapeSlots) {
  LayOut(shapeSlots, 0.0f, 2.0f, 4.0f, -1.0f);
}

void Formation::OpenVeeShape(std::array<FormationSlot, kSlotCount>& shapeSlots) {
  LayOut(shapeSlots, 0.0f, 2.0f, 4.0f, 1.0f);
}

void Formation::SetOrigin(const Vector3& point) { origin = point; }

// A point equal to the origin has no direction; the formation then keeps its current turn
// rather than turning by a NaN angle.
void Formation::FaceTowards(const Vector3& point) {
  const Vector3 d = point - origin;
  const float length = d.Length();
  if (length == 0.0f) return;
  const double angle =
      PortableMath::Atan2(static_cast<double>(d.x / length), static_cast<double>(d.z / length)) * kDegreesPerRadian;
  Rotate(static_cast<float>(angle));
}

// The same turn about the vertical axis as the camera's, so both round alike.
void Formation::Rotate(float degrees) {
  Matrix4 turn;
  turn.RotateY(degrees);
  for (FormationSlot& slot : slots) {
    const Vector3& base = slot.baseOffset;
    const auto turned = turn.Transform({base.x, base.y, base.z, 1.0f});
    slot.turnedOffset = Vector3(turned[0], turned[1], turned[2]);
  }
}

Vector3 Formation::SlotPoint(unsigned slot) const {
  assert(slot < static_cast<unsigned>(kSlotCount) && "slot index must come from ClaimSlot");
  return origin + slots[slot].turnedOffset;
}

bool Formation::SlotPosition(unsigned slot, Vector3& point) const {
  const Vector3 position = SlotPoint(slot);
  if (position == point) return false;
  point = position;
  return true;
}

void Formation::PrefetchSlot(int slot) const {
  __builtin_prefetch(&origin);
  if (slot >= 0 && slot < kSlotCount) __builtin_prefetch(&slots[static_cast<std::size_t>(slot)].turnedOffset);
}

bool Formation::ClaimSlot(unsigned& slot, Vector3& point) {
  if (full) return false;
  for (unsigned index = 0; index < static_cast<unsigned>(kSlotCount); ++index) {
    if (slots[index].taken) continue;
    slots[index].taken = true;
    slot = index;
    point = SlotPoint(index);
    return true;
  }
  return false;
}

int Formation::MarkJoined() {
  ++joinedCount;
  if (joinedCount == kSlotCount) full = true;
  return kSlotCount;
}

void Formation::ResetSlots() {
  for (FormationSlot& slot : slots) slot.taken = false;
  joinedCount = 0;
  full = false;
}

void Formation::ApplyShape(const ShapeFunction& shape) {
  shape(slots);
  for (FormationSlot& slot : slots) slot.turnedOffset = slot.baseOffset;
}

void Formation::Walk(StateArchive& archive) {
  archive.Point("formation.origin", origin);
  archive.Flag("formation.full", full);
  archive.Index("formation.joinedCount", joinedCount, 0, kSlotCount);
  archive.Int("formation.shapeId", shapeId);
  for (FormationSlot& slot : slots) {
    archive.Point("formation.slot.baseOffset", slot.baseOffset);
    archive.Point("formation.slot.turnedOffset", slot.turnedOffset);
    archive.Flag("formation.slot.taken", slot.taken);
  }
}
