// The slot geometry of one squad: 40 slots in a block, wedge or open-vee shape around an origin,
// turned about the vertical axis to face a point.
#pragma once

#include <array>
#include <functional>

#include "math/Vector3.h"

struct FormationSlot {
  Vector3 baseOffset;
  Vector3 turnedOffset;
  bool taken = false;
};

class StateArchive;

class Formation {
 public:
  static constexpr int kSlotCount = 40;
  static constexpr int kRowWidth = 5;
  static constexpr float kSpacing = 0.5f;
  enum Shape : int { kBlock = 1, kWedge = 2, kOpenVee = 3 };
  // Writes the base offsets of all slots.
  using ShapeFunction = std::function<void(std::array<FormationSlot, kSlotCount>&)>;

  // The shape is the draw's remainder by three: block, wedge or open vee.
  explicit Formation(int shapeDraw);

  void SetOrigin(const Vector3& point);
  // Turns the formation so that its local +z axis points from the origin towards the point.
  void FaceTowards(const Vector3& point);
  void Rotate(float degrees);
  // Writes origin + the slot's turned offset into point; false when point already held it.
  bool SlotPosition(unsigned slot, Vector3& point) const;
  void PrefetchSlot(int slot) const;
  // Takes the lowest free slot; false when the formation is full or every slot is taken.
  bool ClaimSlot(unsigned& slot, Vector3& point);
  // A member has reached its slot; returns the number of slots.
  int MarkJoined();
  void ResetSlots();
  void Walk(StateArchive& archive);
  void ApplyShape(const ShapeFunction& shape);
  // Another shape for the same slots: who holds which slot stays.
  void Reshape(Shape shape);

  static void BlockShape(std::array<FormationSlot, kSlotCount>& slots);
  static void WedgeShape(std::array<FormationSlot, kSlotCount>& slots);
  static void OpenVeeShape(std::array<FormationSlot, kSlotCount>& slots);

  const Vector3& Origin() const { return origin; }
  bool IsFull() const { return full; }
  int JoinedCount() const { return joinedCount; }
  int ShapeId() const { return shapeId; }
  const FormationSlot& Slot(int index) const { return slots[index]; }

 private:
  Vector3 SlotPoint(unsigned slot) const;

  Vector3 origin;
  bool full = false;
  int joinedCount = 0;
  std::array<FormationSlot, kSlotCount> slots{};
  int shapeId = 0;
};
