// End-to-end tests of the unit inspector: the real battlesim on a seeded battle, paused, and the
// red General clicked where the camera draws it; the panel read back from screenshots.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "app/window/Input.h"
#include "battle/Scenario.h"
#include "render/BillboardPicker.h"
#include "render/Graphics.h"
#include "render/Lighting.h"
#include "terrain/Terrain.h"
#include "tests/e2e/HudText.h"
#include "tests/e2e/ProgramWindowTest.h"
#include "tests/e2e/ShotAnalysis.h"
#include "tests/e2e/VirtualDisplay.h"
#include "units/ArmyLayout.h"

namespace {
constexpr float kGeneralHalfSize = 0.85f;
constexpr int kArmyPixels = 40;

// Where the start camera draws the middle of the red General's billboard, which stands still at
// its post. The battle runs at a quarter of the speed, so that on a loaded machine the pause still
// comes before squads walking to their slots can pass in front of it.
bool RedGeneralOnScreen(int& x, int& y) {
  const Scenario scenario;
  Terrain terrain;
  terrain.Load(scenario.heightMap, false);
  terrain.Scale(scenario.low, scenario.high);
  const float z = ArmyLayout::kGeneralDistance;
  const Vector3 middle(0.0f, terrain.InterpolatedHeight(0.0f, z) + kGeneralHalfSize, z);
  Lighting camera;
  Graphics::UpdateCamera(camera, Input{}, 1280, 1024);
  float fx = 0.0f;
  float fy = 0.0f;
  float depth = 0.0f;
  if (!BillboardPicker(camera.view, camera.projection, 1280, 1024).Project(middle, fx, fy, depth)) return false;
  x = static_cast<int>(fx);
  y = static_cast<int>(fy);
  return true;
}

class Inspector : public ProgramWindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RedGeneralOnScreen(generalX, generalY));
    StartInBuildFolder({"--seed", "1", "--speed", "0.25"});
    if (HasFatalFailure()) return;
    // The armies are registered, and so drawn and pickable, from the first simulation step on.
    WaitFor([](const Screenshot& shot) { return shots::Count(shot, shots::IsRedUnit) >= kArmyPixels; }, "the army");
    display.PressKey(window, "p");
    WaitFor([](const Screenshot& shot) { return HudText::FindLine(shot, "Paused: yes (P)") >= 0; }, "the pause");
  }

  int generalX = 0;
  int generalY = 0;
};

bool ShowsSelectedGeneral(const Screenshot& shot) {
  return HudText::FindLine(shot, "Name: General 0") >= 0 && HudText::FindLine(shot, "Team: red  Type: General") >= 0;
}
}  // namespace

TEST_F(Inspector, AClickOnTheRedGeneralSelectsItAndAClickOnEmptyGroundClearsIt) {
  display.Click(window, 1, generalX, generalY);
  WaitFor(ShowsSelectedGeneral, "the red General in the Selected category");
  ASSERT_FALSE(HasFailure());
  display.Click(window, 1, generalX, generalY - 120);
  WaitFor([](const Screenshot& shot) { return HudText::FindLine(shot, "None: left click a unit") >= 0; },
          "the selection cleared");
}

TEST_F(Inspector, ADragStartingOnTheGeneralTurnsTheCameraAndSelectsNothing) {
  display.Drag(window, 1, generalX, generalY, generalX + 100, generalY);
  WaitFor([](const Screenshot& shot) { return HudText::FindLine(shot, "Spin: 140") >= 0; }, "the spin");
  ASSERT_FALSE(HasFailure());
  const Screenshot shot = display.Capture(window);
  EXPECT_GE(HudText::FindLine(shot, "None: left click a unit"), 0);
  EXPECT_FALSE(ShowsSelectedGeneral(shot));
}
