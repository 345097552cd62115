// Frame rendering: camera, lights, terrain, depth-sorted billboards and HUD text.
#include "render/Graphics.h"

#include <GL/freeglut.h>

#include <cstdlib>
#include <sstream>

#include "battle/Battle.h"
#include "objects/GameObjectManager.h"
#include "platform/TickCounter.h"
#include "render/CameraView.h"
#include "render/FrameScene.h"
#include "render/InspectorOverlay.h"
#include "render/Lighting.h"

namespace {

constexpr char kTimingCategory[] = "Timing";

// The image of a world point under the view transform, divided by its own w.
Vector3 ViewImage(const Matrix4& view, float z) {
  const auto p = view.Transform({0.0f, 0.0f, z, 1.0f});
  return Vector3(p[0] / p[3], p[1] / p[3], p[2] / p[3]);
}

}  // namespace

Graphics::Graphics() : lastTick(static_cast<std::int32_t>(TickCounter::Now())) {
  glEnable(GL_TEXTURE_2D);
  glShadeModel(GL_SMOOTH);
  glClearDepth(1.0);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void Graphics::Reshape(int width, int height) {
  if (width != 0 && height != 0) glViewport(0, 0, width, height);
}

void Graphics::AddDisplayList(unsigned listName) {
  DisplayListObject object;
  object.listName = listName;
  displayLists.push_back(object);
}

void Graphics::AddHudLine(const std::string& text, const std::string& category) {
  hudCategories.AddHudLine(text, category);
}

void Graphics::RenderFrame(const FrameScene* scene, const StepBesideTerrain* beside) {
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  const int width = viewport[2];
  const int height = viewport[3];
  viewportWidth = width;
  viewportHeight = height;
  glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (scene != nullptr) {
    UpdateCamera(scene->lighting, scene->camera, width, height);
    DrawScene(*scene, width, height, beside);
  } else if (beside != nullptr) {
    beside->step();
    beside->afterStep();
  }
  glutSwapBuffers();
  hudCategories.Clear();
}

void Graphics::UpdateCamera(Lighting& lighting, const CameraView& camera, int width, int height) {
  double a = kHalfExtent;
  double b = kHalfExtent;
  if (width < height) {
    b = static_cast<float>(a * height / width);
  } else {
    a = static_cast<float>(b * width / height);
  }
  lighting.projection.LoadIdentity();
  lighting.projection.Frustum(a, b, kNearPlane, kFarPlane);

  Matrix4& view = lighting.view;
  view.LoadIdentity();
  view.Translate(0.0, 0.0, 0.0);
  view.Translate(kPanScale * camera.panX, kPanScale * camera.panY, camera.zoom);
  view.RotateX(camera.tilt);
  view.RotateY(-camera.spin);
  if (camera.following) view.Translate(-camera.focus.x, -camera.focus.y, -camera.focus.z);

  lighting.viewOrigin = ViewImage(view, 0.0f);
  lighting.viewAxisPoint = ViewImage(view, 1.0f);
  lighting.viewAxis = lighting.viewAxisPoint - lighting.viewOrigin;
  lighting.viewAxis.Normalize();
}

// The frame's timing lines follow the step's, wherever the step runs.
void Graphics::DrawScene(const FrameScene& scene, int width, int height, const StepBesideTerrain* beside) {
  if (beside == nullptr) PostTiming();
  scene.lighting.Apply();
  // The billboards are laid out while GL takes in the terrain.
  billboards.BeginDraw(*scene.battle.objects, BillboardRenderer::TexturesFrom(scene.textures), scene.lighting.viewAxis,
                       beside != nullptr ? beside->step : std::function<void()>{});
  DrawTerrain(scene);
  if (beside != nullptr) {
    billboards.AwaitPrepared();
    beside->afterStep();
    PostTiming();
  }
  DrawObjects();
  InspectorOverlay::Draw(scene, width, height);
  hudCategories.DrawHud(width, height);
}

// The terrain supplies no texture coordinates: with the last billboard's texture still bound,
// every terrain vertex would be tinted by one arbitrary texel of it. Texturing stays enabled; the
// default texture, which has no image, leaves the vertex colours as they are.
void Graphics::DrawTerrain(const FrameScene& scene) {
  glBindTexture(GL_TEXTURE_2D, 0);
  if (scene.dynamicTerrain) {
    scene.lighting.ApplyDynamicTerrainMaterial();
    dynamicTerrain.Draw(scene.battle.terrain, 0.0f, 0.0f, 0.0f);
    return;
  }
  for (const DisplayListObject& object : displayLists) {
    scene.lighting.ApplyTerrainMaterial(object.specular, object.shininess, object.diffuse);
    if (glIsList(object.listName) == GL_TRUE) glCallList(object.listName);
  }
}

// Billboards are unlit and blended over the terrain, their texture tinted by the team colour.
void Graphics::DrawObjects() {
  glDisable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  billboards.EndDraw();
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
}

// The frame rate is that of the one refreshing frame, not an average. A refreshing frame measured
// at 0 ms has no rate of its own, so the last shown rate stays.
void Graphics::PostTiming() {
  const std::uint32_t now = TickCounter::Now();
  const auto difference = static_cast<std::int32_t>(static_cast<std::uint32_t>(lastTick) - now);
  const long long delta = std::llabs(static_cast<long long>(difference));
  lastTick = static_cast<std::int32_t>(now);
  frameTime = static_cast<float>(static_cast<double>(delta) / 1000.0);
  sinceRefresh += frameTime;

  std::ostringstream timeLine;
  if (sinceRefresh > kRefreshInterval) {
    if (frameTime > 0.0f) fps = 1.0f / frameTime;
    shownFrameTime = frameTime;
    sinceRefresh = 0.0f;
    timeLine << "FT: " << frameTime;
  } else {
    timeLine << "FT:  " << shownFrameTime;
  }
  AddHudLine(timeLine.str(), kTimingCategory);
  std::ostringstream rateLine;
  rateLine << "FPS: " << fps;
  AddHudLine(rateLine.str(), kTimingCategory);
}
