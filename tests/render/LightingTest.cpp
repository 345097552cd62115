// Tests of the lights and the terrain materials.
#include "render/Lighting.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/GlWindow.h"

namespace {

std::vector<float> LightValue(GLenum light, GLenum parameter) {
  std::vector<float> values(4);
  glGetLightfv(light, parameter, values.data());
  return values;
}

// A frame drawn earlier in the same window leaves the terrain's colour tracking on, which would
// read the current colour back as the diffuse material.
void StartWithoutColourTracking() {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  glDisable(GL_COLOR_MATERIAL);
}

std::vector<float> MaterialValue(GLenum parameter, int count) {
  std::vector<float> values(static_cast<std::size_t>(count));
  glGetMaterialfv(GL_FRONT, parameter, values.data());
  return values;
}

}  // namespace

TEST(Lighting, StartsWithBlackAmbientNoLightsAndIdentityCamera) {
  Lighting lighting;
  EXPECT_EQ(lighting.ambient, (Rgba{0.0f, 0.0f, 0.0f, 1.0f}));
  EXPECT_TRUE(lighting.lights.empty());
  EXPECT_EQ(lighting.view.At(0, 0), 1.0);
  EXPECT_EQ(lighting.view.At(0, 3), 0.0);
  EXPECT_EQ(lighting.viewAxis, Vector3());
}

TEST(Lighting, LightDirectionIsScaledToUnitLength) {
  Lighting lighting;
  lighting.AddLight(0.0f, 300.0f, -100.0f, 0.6f, 0.5f, 0.5f, 1.0f);
  lighting.AddLight(0.0f, 0.0f, 5.0f, 1.0f, 1.0f, 1.0f, 1.0f);
  ASSERT_EQ(lighting.lights.size(), 2u);
  EXPECT_NEAR(lighting.lights[0].direction.x, 0.0f, 1e-7);
  EXPECT_NEAR(lighting.lights[0].direction.y, 0.948683f, 1e-6);
  EXPECT_NEAR(lighting.lights[0].direction.z, -0.316228f, 1e-6);
  EXPECT_EQ(lighting.lights[0].colour, (Rgba{0.6f, 0.5f, 0.5f, 1.0f}));
  EXPECT_EQ(lighting.lights[1].direction, Vector3(0.0f, 0.0f, 1.0f));
}

TEST(Lighting, ClearLightsKeepsTheAmbientColour) {
  Lighting lighting;
  lighting.SetAmbient(0.4f, 0.4f, 0.4f, 1.0f);
  lighting.AddLight(1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f);
  lighting.ClearLights();
  EXPECT_TRUE(lighting.lights.empty());
  EXPECT_EQ(lighting.ambient, (Rgba{0.4f, 0.4f, 0.4f, 1.0f}));
}

TEST(Lighting, ApplySetsTheLightModelAndLeavesProjectionMode) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  Lighting lighting;
  lighting.SetAmbient(0.4f, 0.3f, 0.2f, 1.0f);
  lighting.projection.Frustum(0.5, 0.4, 1.0, 7000.0);
  lighting.Apply();

  EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_TRUE);
  EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_TRUE);
  std::vector<float> ambient(4);
  glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient.data());
  EXPECT_EQ(ambient, (std::vector<float>{0.4f, 0.3f, 0.2f, 1.0f}));
  GLint twoSide = 0;
  glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
  EXPECT_EQ(twoSide, 1);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_PROJECTION);
  float projection[16] = {};
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_FLOAT_EQ(projection[0], 2.0f);
  EXPECT_FLOAT_EQ(projection[11], -1.0f);  // element (3, 2), column-major
}

// The light is placed through the loaded view, so its eye-space direction is the view's image of
// the world direction.
TEST(Lighting, ApplyPlacesDirectionalLightsInWorldSpace) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  Lighting lighting;
  lighting.AddLight(0.0f, 0.0f, 5.0f, 0.6f, 0.5f, 0.5f, 1.0f);
  lighting.view.RotateY(90.0);
  lighting.Apply();

  const std::vector<float> position = LightValue(GL_LIGHT0, GL_POSITION);
  EXPECT_NEAR(position[0], 1.0f, 1e-5);
  EXPECT_NEAR(position[1], 0.0f, 1e-5);
  EXPECT_NEAR(position[2], 0.0f, 1e-5);
  EXPECT_EQ(position[3], 0.0f);
  EXPECT_EQ(LightValue(GL_LIGHT0, GL_DIFFUSE), (std::vector<float>{0.6f, 0.5f, 0.5f, 1.0f}));
  EXPECT_EQ(LightValue(GL_LIGHT0, GL_SPECULAR), (std::vector<float>{0.6f, 0.5f, 0.5f, 1.0f}));
  EXPECT_EQ(glIsEnabled(GL_LIGHT0), GL_TRUE);
  EXPECT_EQ(glIsEnabled(GL_LIGHT1), GL_FALSE);
}

TEST(Lighting, DynamicTerrainMaterial) {
  StartWithoutColourTracking();
  Lighting lighting;
  lighting.SetAmbient(0.4f, 0.4f, 0.4f, 1.0f);
  lighting.ApplyDynamicTerrainMaterial();
  EXPECT_EQ(MaterialValue(GL_SPECULAR, 4), (std::vector<float>{0.8f, 0.3f, 0.3f, 1.0f}));
  EXPECT_EQ(MaterialValue(GL_SHININESS, 1), (std::vector<float>{25.0f}));
  EXPECT_EQ(MaterialValue(GL_AMBIENT, 4), (std::vector<float>{0.4f, 0.4f, 0.4f, 1.0f}));
  EXPECT_EQ(MaterialValue(GL_DIFFUSE, 4), (std::vector<float>{0.6f, 0.6f, 0.6f, 1.0f}));
}

TEST(Lighting, StaticTerrainMaterialComesFromTheDisplayListObject) {
  StartWithoutColourTracking();
  Lighting lighting;
  lighting.SetAmbient(0.4f, 0.4f, 0.4f, 1.0f);
  lighting.ApplyTerrainMaterial({0.6f, 0.6f, 0.6f, 1.0f}, 40, {0.5f, 0.5f, 0.5f, 1.0f});
  EXPECT_EQ(MaterialValue(GL_SPECULAR, 4), (std::vector<float>{0.6f, 0.6f, 0.6f, 1.0f}));
  EXPECT_EQ(MaterialValue(GL_SHININESS, 1), (std::vector<float>{40.0f}));
  EXPECT_EQ(MaterialValue(GL_AMBIENT, 4), (std::vector<float>{0.4f, 0.4f, 0.4f, 1.0f}));
  EXPECT_EQ(MaterialValue(GL_DIFFUSE, 4), (std::vector<float>{0.5f, 0.5f, 0.5f, 1.0f}));
}
