// Leaving out what the camera cannot see: the quick test beyond the view's sides against the
// full projection of a billboard's corners.
#include "render/BillboardProjection.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "objects/Sprite.h"
#include "render/SpriteQuad.h"
#include "tests/support/GlWindow.h"

namespace {

constexpr int kSide = 256;

// The window's own kind of view: a narrow frustum from 1 to 7000, raised and turned.
void LookAcrossTheField() {
  glViewport(0, 0, kSide, kSide);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-0.4, 0.4, -0.4, 0.4, 1.0, 7000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -130.0f);
  glRotatef(30.0f, 1.0f, 0.0f, 0.0f);
  glRotatef(-40.0f, 0.0f, 1.0f, 0.0f);
}

class BillboardCulling : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GlWindow::EnsureCurrent());
    LookAcrossTheField();
    projection.TakeFromGl();
  }

  bool SurelyOutside(const Sprite& sprite) const {
    return projection.SurelyOutside(SpriteQuad::Centre(sprite), SpriteQuad::Reach(sprite));
  }

  BillboardProjection projection;
};

}  // namespace

// Billboards from behind the eye to beyond the far plane, in every direction and size: whatever
// the quick test leaves out, the full projection finds clipped away whole, with its first corner
// clipped; and it leaves out most of what lies off screen.
TEST_F(BillboardCulling, LeavesOutOnlyBillboardsThatFillNoCell) {
  int offScreen = 0;
  int leftOut = 0;
  for (float x = -9000.0f; x <= 9000.0f; x += 61.0f) {
    for (float z = -9000.0f; z <= 9000.0f; z += 67.0f) {
      const float halfSize = 0.2f + static_cast<float>(static_cast<int>(x + z) % 7 + 7) * 0.6f;
      Sprite sprite(nullptr, Vector3(x, 0.3f * x - 0.2f * z, z), 0.001f * (x - z));
      sprite.halfSize = halfSize;
      const auto corners = SpriteQuad::Corners(sprite);
      const BillboardProjection::Landing landing = projection.Land(corners);
      if (landing.footprint.Empty()) ++offScreen;
      if (!SurelyOutside(sprite)) continue;
      ++leftOut;
      ASSERT_TRUE(landing.footprint.Empty()) << x << ", " << z;
      ASSERT_EQ(landing.clipping, BillboardProjection::Clipping::kSome) << x << ", " << z;
      ASSERT_TRUE(landing.outsideCorner.x == corners[0].x && landing.outsideCorner.y == corners[0].y &&
                  landing.outsideCorner.z == corners[0].z);
    }
  }
  EXPECT_GT(leftOut, offScreen * 3 / 4) << leftOut << " of " << offScreen;
}

// One in the middle of the view, one whose edge lies half a pixel beyond the window's right side
// (within the pixel a footprint is widened by), one well beyond it.
TEST_F(BillboardCulling, KeepsBillboardsOnAndJustBesideTheScreen) {
  Sprite middle(nullptr, Vector3(0.0f, 0.0f, 0.0f), 0.0f);
  middle.halfSize = 1.0f;
  EXPECT_FALSE(SurelyOutside(middle));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  projection.TakeFromGl();
  // Window x = 128 (1 + clip x); its left edge at clip x 1 + 0.5 / 128.
  Sprite beside(nullptr, Vector3(1.1f + 0.5f / 128.0f, -0.1f, 0.0f), 0.0f);
  beside.halfSize = 0.1f;
  EXPECT_FALSE(projection.Land(SpriteQuad::Corners(beside)).footprint.Empty());
  EXPECT_FALSE(SurelyOutside(beside));
  Sprite beyond(nullptr, Vector3(1.5f, -0.1f, 0.0f), 0.0f);
  beyond.halfSize = 0.1f;
  EXPECT_TRUE(SurelyOutside(beyond));
}
