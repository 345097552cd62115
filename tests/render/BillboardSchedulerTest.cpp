// The scheduled billboard pass against drawing the same billboards one run of textures at a time:
// the same pixels and depths, with fewer draw calls.
#include "render/BillboardScheduler.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "render/BillboardBatch.h"
#include "render/SpriteQuad.h"
#include "tests/support/GlWindow.h"

namespace {

constexpr int kSide = 256;
constexpr int kTextureCount = 3;

struct Frame {
  std::vector<unsigned char> colours;
  std::vector<float> depths;
  std::vector<float> currentColour;
  GLint boundTexture;
};

class BillboardScheduling : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GlWindow::EnsureCurrent());
    glViewport(0, 0, kSide, kSide);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_LIGHTING);
    glGenTextures(kTextureCount, textures);
    for (int i = 0; i < kTextureCount; ++i) FillTexture(textures[i], i);
  }

  void TearDown() override {
    glDeleteTextures(kTextureCount, textures);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
  }

  // 4 x 4 texels whose alpha runs from clear to opaque, tinted differently per texture.
  static void FillTexture(GLuint texture, int kind) {
    std::vector<unsigned char> texels;
    for (int texel = 0; texel < 16; ++texel) {
      texels.insert(texels.end(), {static_cast<unsigned char>(80 * kind + 40), static_cast<unsigned char>(15 * texel),
                                   static_cast<unsigned char>(200 - 60 * kind), static_cast<unsigned char>(17 * texel)});
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  }

  // The kind of texture stands in the owner's unit type.
  Sprite& AddSprite(int team, const Vector3& position, float facing, float halfSize, int kind) {
    owners.push_back(std::make_unique<GameObject>("Soldier " + std::to_string(owners.size()), team, kind, 2.0f));
    sprites.push_back(std::make_unique<Sprite>(owners.back().get(), position, facing));
    Sprite& sprite = *sprites.back();
    sprite.halfSize = halfSize;
    return sprite;
  }

  unsigned TextureOf(const Sprite& sprite) const { return textures[sprite.owner->unitType]; }

  // As the object manager drew before the scheduling: a new run at every change of texture.
  void DrawRunByRun() {
    BillboardBatch batch;
    unsigned current = 0;
    for (const auto& sprite : sprites) {
      if (TextureOf(*sprite) != current) batch.BindTexture(TextureOf(*sprite));
      current = TextureOf(*sprite);
      batch.AddQuad(SpriteQuad::Corners(*sprite), SpriteQuad::Tint(*sprite));
    }
    batch.Flush();
    runByRunDrawCalls = batch.DrawCalls();
  }

  void DrawScheduled() {
    scheduler.Begin();
    for (const auto& sprite : sprites) scheduler.Add(sprite.get(), TextureOf(*sprite));
    scheduler.Draw();
  }

  template <typename DrawFunction>
  Frame Capture(DrawFunction draw) {
    glClearColor(0.2f, 0.3f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
    draw();
    Frame frame{std::vector<unsigned char>(kSide * kSide * 4), std::vector<float>(kSide * kSide), std::vector<float>(4),
                0};
    glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, frame.colours.data());
    glReadPixels(0, 0, kSide, kSide, GL_DEPTH_COMPONENT, GL_FLOAT, frame.depths.data());
    glGetFloatv(GL_CURRENT_COLOR, frame.currentColour.data());
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &frame.boundTexture);
    return frame;
  }

  GLuint textures[kTextureCount] = {};
  std::vector<std::unique_ptr<GameObject>> owners;
  std::vector<std::unique_ptr<Sprite>> sprites;
  BillboardScheduler scheduler;
  int runByRunDrawCalls = 0;

  // Draws the billboards added run by run, then scheduled: whether the two frames' colours match.
  bool ScheduledColoursMatchRunByRun() {
    const Frame runByRun = Capture([this] { DrawRunByRun(); });
    const Frame scheduled = Capture([this] { DrawScheduled(); });
    return runByRun.colours == scheduled.colours;
  }
};

// A camera 8 units back and a little raised, looking down at a crowd.
void LookAtTheCrowd() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-0.4, 0.4, -0.4, 0.4, 1.0, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0.0f, -1.0f, -8.0f);
  glRotatef(20.0f, 1.0f, 0.0f, 0.0f);
}

// No camera: x and y from -1 to 1 span the window.
void LookStraightAtTheWindow() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

}  // namespace

// Crowded and sparse parts, billboards across the window's edges and beyond them, one crossing
// the near plane and one behind the eye; half-transparent textures make any change of order
// show, and the depths any change in how GL clipped a billboard's draw call.
TEST_F(BillboardScheduling, DrawsTheSamePixelsAndDepthsAsDrawingRunByRun) {
  LookAtTheCrowd();
  std::mt19937 random(7);
  std::uniform_real_distribution<float> across(-6.0f, 6.0f);
  std::uniform_real_distribution<float> along(-8.0f, 4.0f);
  std::uniform_real_distribution<float> turn(0.0f, 6.28f);
  std::uniform_real_distribution<float> size(0.1f, 0.6f);
  std::uniform_real_distribution<float> alpha(0.3f, 1.0f);
  for (int i = 0; i < 600; ++i) {
    Sprite& sprite = AddSprite(i % 2, Vector3(across(random), 0.0f, along(random)), turn(random), size(random), i % 3);
    sprite.alpha = alpha(random);
  }
  std::stable_sort(sprites.begin(), sprites.end(),
                   [](const auto& a, const auto& b) { return a->position.z < b->position.z; });
  AddSprite(0, Vector3(0.3f, 0.0f, 7.0f), 1.5708f, 0.6f, 1);  // spans z = 7, the near plane
  AddSprite(1, Vector3(0.0f, 0.0f, 9.0f), 0.0f, 0.5f, 2);     // behind the eye

  const Frame runByRun = Capture([this] { DrawRunByRun(); });
  const Frame scheduled = Capture([this] { DrawScheduled(); });

  EXPECT_TRUE(runByRun.colours == scheduled.colours);
  EXPECT_TRUE(runByRun.depths == scheduled.depths);
  EXPECT_EQ(runByRun.currentColour, scheduled.currentColour);
  EXPECT_EQ(runByRun.boundTexture, scheduled.boundTexture);
  EXPECT_FALSE(scheduler.DrewRunByRun());
  EXPECT_LT(scheduler.DrawCalls(), runByRunDrawCalls / 2) << scheduler.DrawCalls() << " of " << runByRunDrawCalls;
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A corner exactly on the window's edge: whether GL clips its draw call is a matter of rounding,
// so the frame is drawn run by run.
TEST_F(BillboardScheduling, ABillboardOnTheEdgeOfTheViewIsDrawnRunByRun) {
  LookStraightAtTheWindow();
  for (int i = 0; i < 6; ++i) AddSprite(0, Vector3(-0.8f + 0.3f * static_cast<float>(i), -0.5f, 0.0f), 0.0f, 0.1f, i % 3);
  AddSprite(1, Vector3(0.5f, -0.2f, 0.0f), 0.0f, 0.5f, 0);  // its right side lies on x = 1
  EXPECT_TRUE(ScheduledColoursMatchRunByRun());
  EXPECT_TRUE(scheduler.DrewRunByRun());
  EXPECT_EQ(scheduler.DrawCalls(), runByRunDrawCalls);
}

// Thirty billboards apart from each other, the three textures taking turns: one draw call each.
TEST_F(BillboardScheduling, BillboardsThatShareNoPixelTakeOneDrawCallPerTexture) {
  LookStraightAtTheWindow();
  for (int i = 0; i < 30; ++i) {
    AddSprite(0, Vector3(-0.9f + 0.3f * static_cast<float>(i % 6), -0.9f + 0.3f * static_cast<float>(i / 6), 0.0f),
              0.0f, 0.05f, i % 3);
  }
  EXPECT_TRUE(ScheduledColoursMatchRunByRun());
  EXPECT_EQ(runByRunDrawCalls, 30);
  EXPECT_FALSE(scheduler.DrewRunByRun());
  EXPECT_EQ(scheduler.DrawCalls(), kTextureCount);
}

// Two billboards of different textures overlapping in one pixel column (then one pixel row) whose
// widened footprints meet in a single cell; many ready billboards of the later texture tempt the
// scheduler to draw it first. Pixels as on the window's 256 x 256 grid, 4 to a cell.
TEST_F(BillboardScheduling, BillboardsMeetingOnlyInTheLastCellOfTheirFootprintsKeepTheirOrder) {
  LookStraightAtTheWindow();
  const auto add = [this](float left, float right, float bottom, float top, int kind) {
    const float half = (right - left) / 256.0f;
    ASSERT_FLOAT_EQ(top - bottom, right - left) << "a billboard is twice its half size high";
    AddSprite(0, Vector3((left + right) / 256.0f - 1.0f, bottom / 128.0f - 1.0f, 0.0f), 0.0f, half, kind);
  };
  add(20.0f, 34.2f, 100.0f, 114.2f, 0);  // cells 4 to 8 across
  add(143.0f, 157.2f, 20.0f, 34.2f, 0);  // cells 4 to 8 up
  add(33.3f, 50.0f, 100.0f, 116.7f, 1);  // cells 8 to 12 across: the pixel column at 33 is shared
  add(141.3f, 158.0f, 33.3f, 50.0f, 1);  // cells 8 to 12 up: the pixel row at 33 is shared
  for (int i = 0; i < 6; ++i) {
    const float x = 180.0f + 20.0f * static_cast<float>(i % 4);
    const float y = i < 4 ? 200.0f : 150.0f;
    add(x, x + 6.0f, y, y + 6.0f, 1);
  }
  EXPECT_TRUE(ScheduledColoursMatchRunByRun());
  EXPECT_FALSE(scheduler.DrewRunByRun());
}

// The first frames of a battle, and a field cleared between battles, have nothing to draw.
TEST_F(BillboardScheduling, AFrameWithoutBillboardsDrawsNothing) {
  scheduler.Begin();
  scheduler.Add(nullptr, 0);
  scheduler.Draw();
  EXPECT_EQ(scheduler.DrawCalls(), 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
