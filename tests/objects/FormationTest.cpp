// Formation: the three shapes, the slot bookkeeping and the turn towards a point.
#include "objects/Formation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectNear(const Vector3& expected, const Vector3& actual) {
  EXPECT_NEAR(expected.x, actual.x, 1e-5f);
  EXPECT_NEAR(expected.y, actual.y, 1e-5f);
  EXPECT_NEAR(expected.z, actual.z, 1e-5f);
}

// A draw that picks the given shape: the shapes go by its remainder by three.
int DrawForShape(int shapeId) { return 30 + shapeId - 1; }

Formation WithShape(const Formation::ShapeFunction& shape) {
  Formation formation(0);
  formation.ApplyShape(shape);
  return formation;
}

TEST(Formation, BlockIsFiveWideAndEightDeepBehindTheFrontRow) {
  const Formation block = WithShape(Formation::BlockShape);
  ExpectNear(Vector3(1, 0, 0), block.Slot(1).baseOffset);
  ExpectNear(Vector3(-2, 0, 0), block.Slot(4).baseOffset);
  ExpectNear(Vector3(2, 0, -3.5f), block.Slot(38).baseOffset);
  ExpectNear(Vector3(-1, 0, -3.5f), block.Slot(37).baseOffset);
}

TEST(Formation, WedgeTrailsBackwardsFromItsPoint) {
  const Formation wedge = WithShape(Formation::WedgeShape);
  ExpectNear(Vector3(1, 0, -1), wedge.Slot(1).baseOffset);
  ExpectNear(Vector3(-2, 0, -2), wedge.Slot(4).baseOffset);
  ExpectNear(Vector3(0, 0, -0.5f), wedge.Slot(5).baseOffset);
  ExpectNear(Vector3(2, 0, -5.5f), wedge.Slot(38).baseOffset);
}

TEST(Formation, OpenVeeIsTheWedgeMirroredForwards) {
  const Formation vee = WithShape(Formation::OpenVeeShape);
  ExpectNear(Vector3(-1, 0, 1), vee.Slot(2).baseOffset);
  ExpectNear(Vector3(2, 0, 2), vee.Slot(3).baseOffset);
  ExpectNear(Vector3(0, 0, 3.5f), vee.Slot(35).baseOffset);
  ExpectNear(Vector3(-2, 0, 5.5f), vee.Slot(39).baseOffset);
}

TEST(Formation, ShapeIsChosenByTheDrawAndStartsUnturned) {
  const Formation::ShapeFunction shapes[] = {Formation::BlockShape, Formation::WedgeShape, Formation::OpenVeeShape};
  for (int shapeId = 1; shapeId <= 3; ++shapeId) {
    const Formation formation(DrawForShape(shapeId));
    const Formation expected = WithShape(shapes[shapeId - 1]);
    EXPECT_EQ(shapeId, formation.ShapeId());
    for (int slot = 0; slot < Formation::kSlotCount; ++slot) {
      EXPECT_EQ(expected.Slot(slot).baseOffset, formation.Slot(slot).baseOffset) << shapeId << " " << slot;
      EXPECT_EQ(formation.Slot(slot).baseOffset, formation.Slot(slot).turnedOffset);
    }
  }
}

TEST(Formation, SlotZeroLiesAtTheOriginInEveryShape) {
  for (int shapeId = 1; shapeId <= 3; ++shapeId) {
    Formation formation(DrawForShape(shapeId));
    formation.SetOrigin(Vector3(4, 1, -7));
    Vector3 point;
    ASSERT_TRUE(formation.SlotPosition(0, point));
    EXPECT_EQ(Vector3(4, 1, -7), point);
  }
}

TEST(Formation, ClaimSlotHandsOutSlotsInOrderUntilReset) {
  Formation formation(0);
  formation.SetOrigin(Vector3(10, 0, 0));
  unsigned slot = 99;
  Vector3 point;
  for (unsigned expected = 0; expected < 3; ++expected) {
    ASSERT_TRUE(formation.ClaimSlot(slot, point));
    EXPECT_EQ(expected, slot);
  }
  Vector3 third;
  formation.SlotPosition(2, third);
  EXPECT_EQ(third, point);
  formation.ResetSlots();
  ASSERT_TRUE(formation.ClaimSlot(slot, point));
  EXPECT_EQ(0u, slot);
}

TEST(Formation, ClaimSlotFailsOnceEverySlotIsTaken) {
  Formation formation(0);
  unsigned slot = 0;
  Vector3 point;
  for (int i = 0; i < Formation::kSlotCount; ++i) ASSERT_TRUE(formation.ClaimSlot(slot, point));
  slot = 77;
  EXPECT_FALSE(formation.ClaimSlot(slot, point));
  EXPECT_EQ(77u, slot);
}

TEST(Formation, FortyArrivalsMakeItFullAndRefuseClaimsUntilReset) {
  Formation formation(0);
  for (int i = 0; i < Formation::kSlotCount - 1; ++i) EXPECT_EQ(40, formation.MarkJoined());
  EXPECT_FALSE(formation.IsFull());
  formation.MarkJoined();
  EXPECT_TRUE(formation.IsFull());
  unsigned slot = 0;
  Vector3 point;
  EXPECT_FALSE(formation.ClaimSlot(slot, point));
  formation.ResetSlots();
  EXPECT_FALSE(formation.IsFull());
  EXPECT_EQ(0, formation.JoinedCount());
  EXPECT_TRUE(formation.ClaimSlot(slot, point));
}

TEST(Formation, SlotPositionReportsOnlyAChange) {
  Formation formation(0);
  formation.SetOrigin(Vector3(1, 2, 3));
  Vector3 point;
  EXPECT_TRUE(formation.SlotPosition(7, point));
  const Vector3 first = point;
  EXPECT_FALSE(formation.SlotPosition(7, point));
  EXPECT_EQ(first, point);
}

TEST(Formation, FacingPlusXTurnsNinetyDegrees) {
  Formation formation(0);
  formation.ApplyShape([](std::array<FormationSlot, Formation::kSlotCount>& slots) {
    slots[0].baseOffset = Vector3(0, 0, 1);
    slots[1].baseOffset = Vector3(1, 0, 0);
  });
  formation.FaceTowards(Vector3(5, 0, 0));
  ExpectNear(Vector3(1, 0, 0), formation.Slot(0).turnedOffset);
  ExpectNear(Vector3(0, 0, -1), formation.Slot(1).turnedOffset);
}

TEST(Formation, FacingPlusZKeepsAndFacingMinusZNegatesTheOffsets) {
  Formation formation = WithShape(Formation::WedgeShape);
  formation.SetOrigin(Vector3(3, 0, 3));
  formation.FaceTowards(Vector3(3, 0, 10));
  for (int slot = 0; slot < Formation::kSlotCount; ++slot) {
    ExpectNear(formation.Slot(slot).baseOffset, formation.Slot(slot).turnedOffset);
  }
  formation.FaceTowards(Vector3(3, 0, -10));
  for (int slot = 0; slot < Formation::kSlotCount; ++slot) {
    const Vector3& base = formation.Slot(slot).baseOffset;
    ExpectNear(Vector3(-base.x, 0, -base.z), formation.Slot(slot).turnedOffset);
  }
}

TEST(Formation, FacingItsOwnOriginLeavesTheTurnFinite) {
  Formation formation = WithShape(Formation::BlockShape);
  formation.SetOrigin(Vector3(2, 0, 2));
  formation.FaceTowards(Vector3(2, 0, 2));
  for (int slot = 0; slot < Formation::kSlotCount; ++slot) {
    const Vector3& turned = formation.Slot(slot).turnedOffset;
    EXPECT_TRUE(std::isfinite(turned.x) && std::isfinite(turned.z)) << slot;
  }
  Vector3 point;
  formation.SlotPosition(39, point);
  EXPECT_TRUE(std::isfinite(point.x) && std::isfinite(point.z));
}

}  // namespace
