// Tests of the renderer: viewport, frame-rate lines, camera transforms and the frame's GL state.
#include "render/FrameScene.h"
#include "render/Graphics.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/window/Game.h"
#include "app/window/Input.h"
#include "platform/TickCounter.h"
#include "render/Lighting.h"
#include "tests/support/GlState.h"
#include "tests/support/GlWindow.h"

namespace {

using Lines = std::vector<std::string>;

// The two lines the last PostTiming appended.
Lines LastTimingLines(const Graphics& graphics) {
  const auto& categories = graphics.Hud().Categories();
  if (categories.empty() || categories[0].lines.size() < 2) return {};
  const Lines& lines = categories[0].lines;
  return {lines[lines.size() - 2], lines.back()};
}

class ManualClock : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GlWindow::EnsureCurrent());
    TickCounter::UseManual(5000);
  }
  void TearDown() override { TickCounter::UseClock(); }
};

// Frame after frame of 10 ms until the shown values refresh; returns the frames it took.
int RunUntilRefresh(Graphics& graphics, const Lines& expectedBefore) {
  for (int frame = 1; frame <= 40; ++frame) {
    TickCounter::Advance(10);
    graphics.PostTiming();
    const Lines lines = LastTimingLines(graphics);
    if (lines.at(0).rfind("FT: ", 0) == 0 && lines[0].rfind("FT:  ", 0) != 0) return frame;
    EXPECT_EQ(lines, expectedBefore) << "frame " << frame;
  }
  return 0;
}

// The view and projection the renderer makes of this camera in a window of this size.
Lighting CameraIn(const CameraView& camera, int width, int height) {
  Graphics graphics;
  Lighting lighting;
  graphics.UpdateCamera(lighting, camera, width, height);
  return lighting;
}

double FloatCos(double degrees) { return static_cast<float>(std::cos(static_cast<float>(degrees * 3.14159 / 180.0))); }
double FloatSin(double degrees) { return static_cast<float>(std::sin(static_cast<float>(degrees * 3.14159 / 180.0))); }

}  // namespace

TEST(Graphics, ReshapeToAZeroSideLeavesTheViewport) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  Graphics graphics;
  graphics.Reshape(200, 150);
  graphics.Reshape(0, 100);
  graphics.Reshape(100, 0);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 200);
  EXPECT_EQ(viewport[3], 150);
}

TEST(Graphics, ConstructorEnablesTexturingAndSetsDepthFunction) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  glDisable(GL_TEXTURE_2D);
  Graphics graphics;
  EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_TRUE);
  EXPECT_EQ(GlState::Integer(GL_DEPTH_FUNC), GL_LEQUAL);
  EXPECT_EQ(GlState::Integer(GL_SHADE_MODEL), GL_SMOOTH);
}

TEST_F(ManualClock, SteadyTenMillisecondFramesShowOneHundredFramesPerSecondOnRefresh) {
  Graphics graphics;
  const int frames = RunUntilRefresh(graphics, {"FT:  0", "FPS: 0"});
  EXPECT_GE(frames, 33);
  EXPECT_LE(frames, 35);
  EXPECT_EQ(LastTimingLines(graphics), (Lines{"FT: 0.01", "FPS: 100"}));

  TickCounter::Advance(10);
  graphics.PostTiming();
  EXPECT_EQ(LastTimingLines(graphics), (Lines{"FT:  0.01", "FPS: 100"}));
}

TEST_F(ManualClock, RefreshingFrameOfZeroMillisecondsKeepsTheLastRate) {
  Graphics graphics;
  RunUntilRefresh(graphics, {"FT:  0", "FPS: 0"});
  graphics.sinceRefresh = 0.5f;
  graphics.PostTiming();
  EXPECT_EQ(LastTimingLines(graphics), (Lines{"FT: 0", "FPS: 100"}));
  EXPECT_TRUE(std::isfinite(graphics.fps));
}

TEST_F(ManualClock, FrameTimeSpansTheTickCounterWrap) {
  TickCounter::Set(0xFFFFFFF0u);
  Graphics graphics;
  TickCounter::Advance(20);
  graphics.PostTiming();
  EXPECT_FLOAT_EQ(graphics.frameTime, 0.02f);
}

TEST(Graphics, RenderFrameEmptiesTheHud) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  Graphics graphics;
  graphics.AddHudLine("Render Update:0ms", "Timing");
  graphics.RenderFrame(nullptr);
  EXPECT_TRUE(graphics.Hud().Categories().empty());
}

TEST(Graphics, CameraAtTheStartValuesInAWideWindow) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  const Lighting lighting = CameraIn(Input(), 1280, 1024);

  const Matrix4& p = lighting.projection;
  EXPECT_DOUBLE_EQ(p.At(0, 0), 1.0 / 0.5);  // 0.4 * 1280 / 1024
  EXPECT_DOUBLE_EQ(p.At(1, 1), 1.0 / static_cast<double>(0.4f));
  EXPECT_DOUBLE_EQ(p.At(2, 2), -7001.0 / 6999.0);
  EXPECT_DOUBLE_EQ(p.At(2, 3), -14000.0 / 6999.0);
  EXPECT_DOUBLE_EQ(p.At(3, 2), -1.0);
  EXPECT_DOUBLE_EQ(p.At(3, 3), 0.0);

  // Translate(0, 0, -130) . RotateX(30) . RotateY(-40), written out.
  const double cx = FloatCos(30), sx = FloatSin(30), cy = FloatCos(40), sy = FloatSin(40);
  const double expected[4][4] = {
      {cy, 0, -sy, 0}, {-sx * sy, cx, -sx * cy, 0}, {cx * sy, sx, cx * cy, -130}, {0, 0, 0, 1}};
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(lighting.view.At(r, c), expected[r][c], 1e-12) << r << "," << c;
  }

  EXPECT_EQ(lighting.viewOrigin, Vector3(0.0f, 0.0f, -130.0f));
  EXPECT_NEAR(lighting.viewAxis.x, -0.642788, 1e-5);
  EXPECT_NEAR(lighting.viewAxis.y, -0.383022, 1e-5);
  EXPECT_NEAR(lighting.viewAxis.z, 0.663414, 1e-5);
  EXPECT_NEAR(lighting.viewAxis.Length(), 1.0f, 1e-6);
}

TEST(Graphics, NarrowWindowWidensTheVerticalHalfExtentOnly) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  const Matrix4 narrow = CameraIn(Input(), 800, 1000).projection;
  EXPECT_DOUBLE_EQ(narrow.At(0, 0), 1.0 / static_cast<double>(0.4f));
  EXPECT_DOUBLE_EQ(narrow.At(1, 1), 1.0 / 0.5);  // 0.4 * 1000 / 800

  const Matrix4 square = CameraIn(Input(), 600, 600).projection;
  EXPECT_DOUBLE_EQ(square.At(0, 0), 1.0 / static_cast<double>(0.4f));
  EXPECT_DOUBLE_EQ(square.At(1, 1), 1.0 / static_cast<double>(0.4f));
}

TEST(Graphics, CameraPansByHundredthsOfTheInputValues) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  Input input;
  input.spin = 0.0f;
  input.tilt = 0.0f;
  input.panX = 250.0f;
  input.panY = -100.0f;
  input.zoom = -50.0f;
  const Lighting lighting = CameraIn(input, 100, 100);
  EXPECT_NEAR(lighting.view.At(0, 3), 2.5, 1e-6);
  EXPECT_NEAR(lighting.view.At(1, 3), -1.0, 1e-6);
  EXPECT_DOUBLE_EQ(lighting.view.At(2, 3), -50.0);
  EXPECT_EQ(lighting.viewAxis, Vector3(0.0f, 0.0f, 1.0f));
}

class GameScene : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GlWindow::EnsureCurrent());
    graphics = std::make_unique<Graphics>();
    game = std::make_unique<Game>(graphics.get(), &input);
  }

  FrameScene Scene() const { return FrameScene{game->scene, input, *game->battle, game->dynamicTerrain}; }

  static std::vector<float> Material(GLenum parameter, int count) {
    std::vector<float> values(static_cast<std::size_t>(count));
    glGetMaterialfv(GL_FRONT, parameter, values.data());
    return values;
  }

  Input input;
  std::unique_ptr<Graphics> graphics;
  std::unique_ptr<Game> game;
};

TEST_F(GameScene, DynamicTerrainIsDrawnWithItsOwnMaterial) {
  graphics->DrawScene(Scene(), 256, 256);
  EXPECT_EQ(Material(GL_SPECULAR, 4), (std::vector<float>{0.8f, 0.3f, 0.3f, 1.0f}));
  EXPECT_EQ(Material(GL_SHININESS, 1), (std::vector<float>{25.0f}));
  EXPECT_EQ(Material(GL_AMBIENT, 4), (std::vector<float>{0.4f, 0.4f, 0.4f, 1.0f}));
}

TEST_F(GameScene, StaticTerrainIsDrawnWithTheDisplayListMaterial) {
  ASSERT_EQ(graphics->DisplayLists().size(), 1u);
  game->dynamicTerrain = false;
  graphics->DrawScene(Scene(), 256, 256);
  EXPECT_EQ(Material(GL_SPECULAR, 4), (std::vector<float>{0.6f, 0.6f, 0.6f, 1.0f}));
  EXPECT_EQ(Material(GL_SHININESS, 1), (std::vector<float>{40.0f}));
  EXPECT_EQ(Material(GL_AMBIENT, 4), (std::vector<float>{0.4f, 0.4f, 0.4f, 1.0f}));
}

TEST_F(GameScene, SceneLeavesBlendingAndDepthTestOffAndModulatesTextures) {
  graphics->DrawScene(Scene(), 256, 256);
  EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
  EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_FALSE);
  EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_FALSE);
  GLint value = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
  EXPECT_EQ(value, GL_MODULATE);
  EXPECT_EQ(GlState::Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
  EXPECT_EQ(GlState::Integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
  EXPECT_EQ(GlState::Integer(GL_MATRIX_MODE), GL_PROJECTION);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GameScene, SceneLoadsTheCameraOfTheFrame) {
  graphics->UpdateCamera(game->scene, input, 256, 256);
  graphics->DrawScene(Scene(), 256, 256);
  float loaded[16] = {};
  glGetFloatv(GL_MODELVIEW_MATRIX, loaded);
  const auto expected = game->scene.view.ToColumnMajor();
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(loaded[i], expected[static_cast<std::size_t>(i)]) << i;
}

// The terrain has no texture coordinates of its own; a billboard texture left bound by the
// previous frame must not tint it.
TEST_F(GameScene, TerrainIsNotTintedByTheLastBoundTexture) {
  glViewport(0, 0, 256, 256);
  auto centrePixel = [&] {
    glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    graphics->UpdateCamera(game->scene, input, 256, 256);
    graphics->DrawScene(Scene(), 256, 256);
    glFinish();
    std::vector<unsigned char> pixel(3);
    glReadBuffer(GL_BACK);
    glReadPixels(128, 100, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel.data());
    return pixel;
  };
  glBindTexture(GL_TEXTURE_2D, 0);
  const std::vector<unsigned char> untinted = centrePixel();

  GLuint black = 0;
  glGenTextures(1, &black);
  glBindTexture(GL_TEXTURE_2D, black);
  const unsigned char texel[4] = {0, 0, 0, 0};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexCoord2f(0.0f, 1.0f);
  EXPECT_EQ(centrePixel(), untinted);
  EXPECT_GT(untinted[0] + untinted[1] + untinted[2], 60) << "no lit terrain under the centre";
  glDeleteTextures(1, &black);
}
