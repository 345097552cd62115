// Terrain drawing in a real GL context: state left behind, and which colours each mode shows.
#include "render/TerrainDrawing.h"
#include "render/TerrainArrays.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "terrain/Terrain.h"
#include "tests/support/GlWindow.h"
#include "tests/terrain/TestMaps.h"

namespace {

using Pixel = std::array<int, 3>;

constexpr int kSide = 256;

// An 8 x 8 flat map, all red, normals up.
Terrain RedTerrain() {
  Terrain terrain;
  terrain.LoadPixels(testmaps::RgbaImage(8, 8, [](int, int) { return static_cast<unsigned char>(0); }), true);
  for (std::size_t i = 0; i < terrain.colours.size(); i += 3) {
    terrain.colours[i] = 1.0f;
    terrain.colours[i + 1] = 0.0f;
    terrain.colours[i + 2] = 0.0f;
  }
  return terrain;
}

// Looks straight down at the map: world x to the right, world -z upwards, 32 pixels per unit;
// one white light along the view, no ambient, so a lit colour shows as itself.
void LookDownFromAbove() {
  glViewport(0, 0, kSide, kSide);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-4.0, 4.0, -4.0, 4.0, -10.0, 10.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const GLfloat noAmbient[] = {0.0f, 0.0f, 0.0f, 1.0f};
  const GLfloat towardsViewer[] = {0.0f, 0.0f, 1.0f, 0.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, noAmbient);
  glLightfv(GL_LIGHT0, GL_POSITION, towardsViewer);
  glEnable(GL_LIGHT0);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  glDisable(GL_COLOR_MATERIAL);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Pixel ReadWorld(float x, float z) {
  glFinish();
  unsigned char rgba[4] = {};
  glReadBuffer(GL_BACK);
  glReadPixels(static_cast<int>((x + 4.0f) * 32.0f), static_cast<int>((4.0f - z) * 32.0f), 1, 1, GL_RGBA,
               GL_UNSIGNED_BYTE, rgba);
  return {rgba[0], rgba[1], rgba[2]};
}

bool AnythingDrawn() {
  glFinish();
  std::array<unsigned char, kSide * kSide * 4> pixels{};
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    if (pixels[i] != 0 || pixels[i + 1] != 0 || pixels[i + 2] != 0) {
      return true;
    }
  }
  return false;
}

// Hills, and a different colour at every grid point, seen at an angle: any change of position,
// normal, colour or triangle shows in some pixel.
Terrain HillyTerrain(int phase) {
  Terrain terrain;
  terrain.LoadPixels(testmaps::RgbaImage(8, 8,
                                         [phase](int col, int row) {
                                           return static_cast<unsigned char>((col * 37 + row * 91 + phase) % 41);
                                         }),
                     true);
  for (std::size_t i = 0; i < terrain.colours.size(); ++i) {
    terrain.colours[i] = static_cast<float>((i * 53 + static_cast<std::size_t>(phase)) % 97) / 96.0f;
  }
  return terrain;
}

struct Drawn {
  std::vector<unsigned char> pixels;
  std::array<float, 4> colour;
  std::array<float, 3> normal;
};

template <typename Draw>
Drawn DrawAndRead(Draw draw) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
  glNormal3f(0.0f, 0.0f, 0.0f);
  draw();
  glFinish();
  Drawn drawn{std::vector<unsigned char>(kSide * kSide * 4), {}, {}};
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, drawn.pixels.data());
  glGetFloatv(GL_CURRENT_COLOR, drawn.colour.data());
  glGetFloatv(GL_CURRENT_NORMAL, drawn.normal.data());
  return drawn;
}

void ExpectSameDrawing(const Drawn& expected, const Drawn& actual) {
  EXPECT_TRUE(expected.pixels == actual.pixels);
  EXPECT_EQ(expected.colour, actual.colour);
  EXPECT_EQ(expected.normal, actual.normal);
}

void ExpectStateLeftBehind() {
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
}

// Paints the 3 x 3 grid points around the origin blue, so the unit square around it is all blue.
void PaintCentreBlue(Terrain& terrain) {
  for (int x = -1; x <= 1; ++x) {
    for (int z = -1; z <= 1; ++z) {
      terrain.SetColour(x, z, 0.0f, 0.0f, 1.0f);
    }
  }
}

class TerrainDrawingTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!GlWindow::EnsureCurrent()) {
      GTEST_SKIP() << "no display";
    }
    LookDownFromAbove();
  }
};

}  // namespace

TEST_F(TerrainDrawingTest, StaticListKeepsTheColoursItWasCompiledWith) {
  Terrain terrain = RedTerrain();
  const unsigned int list = TerrainDrawing::BuildDisplayList(terrain, 0.0f, 0.0f, 0.0f);
  EXPECT_NE(0u, list);
  PaintCentreBlue(terrain);
  glCallList(list);
  ExpectStateLeftBehind();
  EXPECT_EQ((Pixel{255, 0, 0}), ReadWorld(0.4f, 0.4f));
  EXPECT_EQ((Pixel{255, 0, 0}), ReadWorld(-2.6f, 2.6f));
  glDeleteLists(list, 1);
}

TEST_F(TerrainDrawingTest, ImmediateModeShowsCellsPaintedSinceLoading) {
  Terrain terrain = RedTerrain();
  PaintCentreBlue(terrain);
  TerrainDrawing::DrawImmediate(terrain, 0.0f, 0.0f, 0.0f);
  ExpectStateLeftBehind();
  EXPECT_EQ((Pixel{0, 0, 255}), ReadWorld(0.4f, 0.4f));
  EXPECT_EQ((Pixel{0, 0, 255}), ReadWorld(-0.6f, -0.6f));
  EXPECT_EQ((Pixel{255, 0, 0}), ReadWorld(-2.6f, 2.6f));
}

// The window's dynamic ground: the arrays give the picture of the call per vertex, follow the
// colours painted since the last frame and lay themselves out again for another map.
TEST_F(TerrainDrawingTest, ArraysDrawWhatTheCallPerVertexDraws) {
  glRotatef(-35.0f, 1.0f, 0.0f, 0.0f);
  glRotatef(20.0f, 0.0f, 1.0f, 0.0f);
  TerrainArrays arrays;
  Terrain terrain = HillyTerrain(0);
  const auto immediate = [&terrain] { TerrainDrawing::DrawImmediate(terrain, 0.5f, 0.25f, -0.5f); };
  const auto fromArrays = [&terrain, &arrays] { arrays.Draw(terrain, 0.5f, 0.25f, -0.5f); };
  ExpectSameDrawing(DrawAndRead(immediate), DrawAndRead(fromArrays));
  ExpectStateLeftBehind();
  PaintCentreBlue(terrain);
  ExpectSameDrawing(DrawAndRead(immediate), DrawAndRead(fromArrays));
  terrain = HillyTerrain(17);
  ExpectSameDrawing(DrawAndRead(immediate), DrawAndRead(fromArrays));
}

TEST_F(TerrainDrawingTest, EmptyTerrainCompilesAListThatDrawsNothing) {
  Terrain terrain;
  const unsigned int list = TerrainDrawing::BuildDisplayList(terrain, 0.0f, 0.0f, 0.0f);
  EXPECT_NE(0u, list);
  glCallList(list);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  TerrainDrawing::DrawImmediate(terrain, 0.0f, 0.0f, 0.0f);
  EXPECT_FALSE(AnythingDrawn());
  glDeleteLists(list, 1);
}

TEST_F(TerrainDrawingTest, SingleRowTerrainDrawsNothing) {
  Terrain terrain;
  terrain.LoadPixels(testmaps::RgbaImage(8, 1, [](int, int) { return static_cast<unsigned char>(0); }), true);
  TerrainDrawing::DrawImmediate(terrain, 0.0f, 0.0f, 0.0f);
  ExpectStateLeftBehind();
  EXPECT_FALSE(AnythingDrawn());
}
