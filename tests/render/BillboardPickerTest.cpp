// Picking billboards under a window point with the camera's own matrices, without GL.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "math/Matrix4.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "render/BillboardPicker.h"

namespace {
constexpr int kSide = 800;

// A camera 20 units in front of the origin, looking down -z; the window spans 0.4 each way at
// distance 1, so a unit at distance d covers 1000 / d pixels.
BillboardPicker FrontCamera() {
  Matrix4 view;
  view.Translate(0.0, 0.0, -20.0);
  Matrix4 projection;
  projection.Frustum(0.4, 0.4, 1.0, 7000.0);
  return BillboardPicker(view, projection, kSide, kSide);
}

std::unique_ptr<GameObject> Unit(const char* name, float x, float z) {
  auto unit = std::make_unique<GameObject>(name, 0, 0, 2.0f);
  unit->SetSprite(std::make_unique<Sprite>(unit.get(), Vector3(x, 0.0f, z), 0.0f));
  return unit;
}
}  // namespace

TEST(BillboardPicker, ProjectsIntoWindowPixelsCountedFromTheTop) {
  float x = 0.0f;
  float y = 0.0f;
  float depth = 0.0f;
  ASSERT_TRUE(FrontCamera().Project(Vector3(0.0f, 1.0f, 0.0f), x, y, depth));
  EXPECT_FLOAT_EQ(x, 400.0f);
  EXPECT_FLOAT_EQ(y, 350.0f);  // one unit up at distance 20 is 50 pixels above the middle
  EXPECT_FLOAT_EQ(depth, 20.0f);
}

TEST(BillboardPicker, TheNearestOfOverlappingBillboardsWinsAndEmptyGroundPicksNothing) {
  auto far = Unit("Soldier 0", 0.0f, 0.0f);    // spans x 375..425, y 350..400
  auto near = Unit("Soldier 1", 0.6f, 5.0f);   // spans x 407..473, y 333..400
  const std::vector<GameObject*> units = {far.get(), near.get()};
  const BillboardPicker picker = FrontCamera();
  EXPECT_EQ(picker.Pick(units, 385, 375), far.get());
  EXPECT_EQ(picker.Pick(units, 420, 375), near.get());
  EXPECT_EQ(picker.Pick(units, 400, 300), nullptr);
  EXPECT_EQ(picker.Pick(units, 370, 375), nullptr);
}

TEST(BillboardPicker, ABillboardBehindTheCameraIsNeverPicked) {
  auto behind = Unit("Soldier 0", 0.0f, 30.0f);
  EXPECT_EQ(FrontCamera().Pick({behind.get()}, 400, 375), nullptr);
}
