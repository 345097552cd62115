// Tests of the billboard pass: the renderer's depth order, the texture it gives each unit type, and
// the quad each sprite emits, captured with GL feedback.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/window/Game.h"
#include "objects/GameObjectManager.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "render/BillboardRenderer.h"
#include "tests/support/GlWindow.h"

namespace {

struct FedVertex {
  float x, y, z, r, g, b, a;
};
using Polygon = std::vector<FedVertex>;

using TypeTextures = BillboardRenderer::TypeTextures;

GameObject* AddObject(GameObjectManager& manager, const std::string& name, int team, Vector3 position,
                      int type = UnitType::Soldier) {
  auto object = std::make_unique<GameObject>(name, team, type, 2.0f);
  auto sprite = std::make_unique<Sprite>(object.get(), position, 0.0f);
  // The billboards stand where the test puts them, whatever ground a game may have loaded.
  sprite->followTerrain = false;
  object->SetSprite(std::move(sprite));
  GameObject* added = object.get();
  manager.Add(std::move(object));
  return added;
}

std::vector<std::string> Names(const std::vector<GameObject*>& objects) {
  std::vector<std::string> names;
  for (const GameObject* object : objects) names.push_back(object->name);
  return names;
}

// Identity transforms over a 256 x 256 viewport: world x and y in [-1, 1] map to window pixels
// (v + 1) * 128.
class FeedbackCapture : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GlWindow::EnsureCurrent());
    glViewport(0, 0, 256, 256);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glGenTextures(2, textures);
  }

  // Soldiers get the first texture, archers the second, the other types none.
  TypeTextures SoldiersAndArchers() const {
    TypeTextures byType{};
    byType[UnitType::Soldier] = textures[0];
    byType[UnitType::Archer] = textures[1];
    return byType;
  }

  std::vector<Polygon> Capture(const GameObjectManager& manager, const TypeTextures& byType,
                               const Vector3& viewAxis = Vector3()) {
    std::vector<float> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    renderer.Draw(manager, byType, viewAxis);
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<Polygon> polygons;
    for (GLint i = 0; i < used;) {
      const auto token = static_cast<GLint>(buffer[static_cast<std::size_t>(i++)]);
      if (token != GL_POLYGON_TOKEN) continue;
      const auto count = static_cast<int>(buffer[static_cast<std::size_t>(i++)]);
      Polygon polygon;
      for (int v = 0; v < count; ++v, i += 7) {
        const float* f = &buffer[static_cast<std::size_t>(i)];
        polygon.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6]});
      }
      polygons.push_back(polygon);
    }
    return polygons;
  }

  GLuint textures[2] = {};
  BillboardRenderer renderer;
};

}  // namespace

TEST_F(FeedbackCapture, NoObjectsBindNothingAndEmitNoBatch) {
  GameObjectManager manager;
  glBindTexture(GL_TEXTURE_2D, textures[1]);
  EXPECT_TRUE(Capture(manager, SoldiersAndArchers()).empty());
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), textures[1]);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FeedbackCapture, RedSpriteEmitsAnUprightTintedQuadStandingOnItsPosition) {
  GameObjectManager manager;
  GameObject* object = AddObject(manager, "Soldier 0", 0, Vector3(0.0f, -0.5f, 0.0f));
  object->GetSprite()->alpha = 0.7f;
  manager.Update(0.0f);

  const std::vector<Polygon> polygons = Capture(manager, SoldiersAndArchers());
  ASSERT_FALSE(polygons.empty());
  float left = 256.0f, right = 0.0f, bottom = 256.0f, top = 0.0f;
  for (const Polygon& polygon : polygons) {
    for (const FedVertex& v : polygon) {
      left = std::min(left, v.x);
      right = std::max(right, v.x);
      bottom = std::min(bottom, v.y);
      top = std::max(top, v.y);
      EXPECT_FLOAT_EQ(v.r, 1.0f);
      EXPECT_FLOAT_EQ(v.g, 0.6f);
      EXPECT_FLOAT_EQ(v.b, 0.6f);
      EXPECT_FLOAT_EQ(v.a, 0.7f);
    }
  }
  // Half size 0.5: one unit wide centred on x = 0, one unit high from y = -0.5.
  EXPECT_FLOAT_EQ(left, 64.0f);
  EXPECT_FLOAT_EQ(right, 192.0f);
  EXPECT_FLOAT_EQ(bottom, 64.0f);
  EXPECT_FLOAT_EQ(top, 192.0f);
}

// A blood splat changes its half size as it grows; the quad follows in width and height.
TEST_F(FeedbackCapture, QuadFollowsAHalfSizeChangedAfterConstruction) {
  GameObjectManager manager;
  GameObject* object = AddObject(manager, "Blood", 0, Vector3(0.0f, -0.5f, 0.0f));
  object->GetSprite()->halfSize = 0.25f;
  manager.Update(0.0f);
  const std::vector<Polygon> polygons = Capture(manager, SoldiersAndArchers());
  ASSERT_FALSE(polygons.empty());
  float left = 256.0f, right = 0.0f, top = 0.0f;
  for (const Polygon& polygon : polygons) {
    for (const FedVertex& v : polygon) {
      left = std::min(left, v.x);
      right = std::max(right, v.x);
      top = std::max(top, v.y);
    }
  }
  EXPECT_FLOAT_EQ(left, 96.0f);
  EXPECT_FLOAT_EQ(right, 160.0f);
  EXPECT_FLOAT_EQ(top, 128.0f);
}

TEST_F(FeedbackCapture, BlueSpriteIsTintedBlue) {
  GameObjectManager manager;
  AddObject(manager, "Soldier 0", 1, Vector3(0.0f, -0.5f, 0.0f));
  manager.Update(0.0f);
  const std::vector<Polygon> polygons = Capture(manager, SoldiersAndArchers());
  ASSERT_FALSE(polygons.empty());
  EXPECT_FLOAT_EQ(polygons[0][0].r, 0.6f);
  EXPECT_FLOAT_EQ(polygons[0][0].g, 0.6f);
  EXPECT_FLOAT_EQ(polygons[0][0].b, 1.0f);
}

// As without a window, where no type has a texture: nothing is drawn.
TEST_F(FeedbackCapture, ATypeWithoutTextureIsNotDrawn) {
  GameObjectManager manager;
  AddObject(manager, "Blood", 0, Vector3(0.0f, -0.5f, 0.0f), UnitType::Blood);
  manager.Update(0.0f);
  EXPECT_TRUE(Capture(manager, SoldiersAndArchers()).empty());
  EXPECT_TRUE(Capture(manager, TypeTextures{}).empty());
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The game's camera looks along +z here: smaller z is drawn first, whatever the textures.
TEST_F(FeedbackCapture, ObjectsAreDrawnInDepthOrderAlongTheCameraAxis) {
  Game game(nullptr, nullptr);
  game.scene.viewAxis = Vector3(0.0f, 0.0f, 1.0f);
  AddObject(*game.battle->objects, "Soldier 0", 0, Vector3(-0.5f, -0.5f, 0.5f));
  AddObject(*game.battle->objects, "Archer 0", 0, Vector3(0.0f, -0.5f, -0.5f), UnitType::Archer);
  AddObject(*game.battle->objects, "Soldier 2", 0, Vector3(0.5f, -0.5f, 0.0f));
  game.battle->objects->Update(0.0f);

  const std::vector<Polygon> polygons = Capture(*game.battle->objects, SoldiersAndArchers(), game.scene.viewAxis);
  std::vector<float> centres;
  // A quad may come back as two triangles; each spans the quad's full width.
  for (const Polygon& polygon : polygons) {
    float left = 256.0f, right = 0.0f;
    for (const FedVertex& v : polygon) {
      left = std::min(left, v.x);
      right = std::max(right, v.x);
    }
    const float centre = (left + right) / 2.0f;
    if (centres.empty() || std::abs(centres.back() - centre) > 1.0f) centres.push_back(centre);
  }
  EXPECT_EQ(centres, (std::vector<float>{128.0f, 192.0f, 64.0f}));
}

TEST(BillboardRenderer, DepthSortedOrdersByProjectionOntoTheViewAxis) {
  GameObjectManager manager;
  AddObject(manager, "Soldier 0", 0, Vector3(0.0f, 0.0f, 3.0f));
  AddObject(manager, "Soldier 1", 0, Vector3(5.0f, 9.0f, -2.0f));
  AddObject(manager, "Soldier 2", 0, Vector3(-7.0f, 0.0f, 1.0f));
  manager.Update(0.0f);
  EXPECT_EQ(Names(BillboardRenderer::DepthSorted(manager, Vector3(0.0f, 0.0f, 1.0f))),
            (std::vector<std::string>{"Soldier 1", "Soldier 2", "Soldier 0"}));
  EXPECT_EQ(Names(BillboardRenderer::DepthSorted(manager, Vector3(0.0f, 0.0f, -1.0f))),
            (std::vector<std::string>{"Soldier 0", "Soldier 2", "Soldier 1"}));
}

TEST(BillboardRenderer, DepthSortedKeepsRegistryOrderForEqualProjections) {
  GameObjectManager manager;
  for (int i = 0; i < 12; ++i) AddObject(manager, "Archer " + std::to_string(i), 1, Vector3(float(i), 0.0f, 4.0f));
  manager.Update(0.0f);
  EXPECT_EQ(Names(BillboardRenderer::DepthSorted(manager, Vector3(0.0f, 0.0f, 1.0f))), Names(manager.Registered()));
}
