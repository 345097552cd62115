// The renderer: fixed GL state, the camera built from the input values each frame, the frame's
// drawing order (lights, terrain, billboards, HUD), and the frame-time and frame-rate lines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "render/BillboardRenderer.h"
#include "render/DisplayListObject.h"
#include "render/HudPanel.h"
#include "render/TerrainArrays.h"

class Lighting;
struct CameraView;
struct FrameScene;

class Graphics {
 public:
  // Shown values are refreshed once this much frame time has gathered.
  static constexpr float kRefreshInterval = 0.33f;
  static constexpr float kHalfExtent = 0.4f;
  static constexpr double kNearPlane = 1.0;
  static constexpr double kFarPlane = 7000.0;
  static constexpr double kPanScale = 0.01;

  // Must not be called before a GL context is current.
  Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  // A zero width or height (a minimised window) leaves the viewport alone.
  void Reshape(int width, int height);
  void AddDisplayList(unsigned listName);
  void AddHudLine(const std::string& text, const std::string& category);

  // The world's step, taken while GL takes in a terrain that cannot show it: `step` runs on a
  // second core, `afterStep` on this thread once it is done, before anything that shows the step
  // is drawn.
  struct StepBesideTerrain {
    std::function<void()> step;
    std::function<void()> afterStep;
  };

  // Draws the scene, or only clears when there is none (the window's first events come before
  // the game exists), and swaps; lines posted afterwards go to the next frame.
  void RenderFrame(const FrameScene* scene, const StepBesideTerrain* beside = nullptr);
  // Needs no GL: the picking and the tests build the same camera.
  static void UpdateCamera(Lighting& lighting, const CameraView& camera, int width, int height);
  void DrawScene(const FrameScene& scene, int width, int height, const StepBesideTerrain* beside = nullptr);
  void PostTiming();

  const HudPanel& Hud() const { return hudCategories; }
  const std::vector<DisplayListObject>& DisplayLists() const { return displayLists; }

  float frameTime = 0.0f;
  std::int32_t lastTick = 0;
  float sinceRefresh = 0.0f;
  float fps = 0.0f;
  float shownFrameTime = 0.0f;
  // The viewport of the last frame, for finding what lies under the pointer.
  int viewportWidth = 0;
  int viewportHeight = 0;

 private:
  void DrawTerrain(const FrameScene& scene);
  void DrawObjects();

  std::vector<DisplayListObject> displayLists;
  HudPanel hudCategories;
  TerrainArrays dynamicTerrain;
  // Its preparing thread works on the game's objects: every frame waits for it before it ends.
  BillboardRenderer billboards;
};
