// End-to-end: the window as a sandbox. A side led by hand (a squad selected by a left click, sent
// by a right click, the General sent to fight by a key), its report played again by the headless
// program with --orders and checked by --verify; a layout placed by clicks, saved, opened again
// and played by both programs to the same battle; a placed squad moved by a drag.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/window/Input.h"
#include "battle/Scenario.h"
#include "render/BillboardPicker.h"
#include "render/Graphics.h"
#include "render/GroundPicker.h"
#include "render/Lighting.h"
#include "terrain/Terrain.h"
#include "tests/e2e/HudText.h"
#include "tests/e2e/ProgramWindowTest.h"
#include "tests/e2e/ShotAnalysis.h"
#include "tests/e2e/VirtualDisplay.h"
#include "tests/support/TempFolder.h"
#include "units/ArmyLayout.h"

namespace {
constexpr float kLeaderHalfSize = 0.8f;
constexpr int kArmyPixels = 40;
// Beyond the leader's own ring at the start camera, and the least of its followers' rings.
constexpr int kLeaderRingReach = 30;
constexpr int kSquadRingPixels = 200;
constexpr double kBattleSeconds = 240.0;
constexpr int kWidth = 1280;
constexpr int kHeight = 1024;

struct StartView {
  Terrain terrain;
  Lighting camera;
  StartView() {
    const Scenario scenario;
    terrain.Load(scenario.heightMap, false);
    terrain.Scale(scenario.low, scenario.high);
    Graphics::UpdateCamera(camera, Input{}, kWidth, kHeight);
  }
};

// Where the start camera draws the middle of the first red squad's leader, which stands at its
// place until it is sent somewhere.
bool FirstRedLeaderOnScreen(const StartView& view, int& x, int& y) {
  const Vector3 general(0.0f, 0.0f, ArmyLayout::kGeneralDistance);
  Vector3 place = ArmyLayout::SquadPlace(0, 0, general, view.terrain.width);
  place.y = view.terrain.InterpolatedHeight(place.x, place.z) + kLeaderHalfSize;
  float fx = 0.0f;
  float fy = 0.0f;
  float depth = 0.0f;
  if (!BillboardPicker(view.camera.view, view.camera.projection, kWidth, kHeight).Project(place, fx, fy, depth)) {
    return false;
  }
  x = static_cast<int>(fx);
  y = static_cast<int>(fy);
  return true;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

// The headless program's standard output and exit status.
std::string RunHeadless(const std::string& arguments, int& status) {
  const std::filesystem::path program(BATTLESIM_HEADLESS);
  const std::string command =
      "cd '" + program.parent_path().string() + "' && '" + program.string() + "' " + arguments + " 2>&1";
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  status = pclose(pipe);
  status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

// Where the start camera draws a point of the ground.
bool GroundOnScreen(const StartView& view, float x, float z, int& sx, int& sy) {
  const Vector3 ground(x, view.terrain.InterpolatedHeight(x, z), z);
  float fx = 0.0f;
  float fy = 0.0f;
  float depth = 0.0f;
  if (!BillboardPicker(view.camera.view, view.camera.projection, kWidth, kHeight).Project(ground, fx, fy, depth)) {
    return false;
  }
  sx = static_cast<int>(std::lround(fx));
  sy = static_cast<int>(std::lround(fy));
  return true;
}

// The selection ring's yellow; nothing else in the picture is that pure.
bool IsRing(unsigned char r, unsigned char g, unsigned char b) { return r >= 230 && g >= 210 && b <= 60; }

// Ring pixels further than reach from (x, y) in window coordinates.
int RingPixelsAwayFrom(const Screenshot& shot, int x, int y, int reach) {
  int count = 0;
  for (int row = 0; row < shot.height; ++row) {
    for (int column = 0; column < shot.width; ++column) {
      const unsigned char* pixel = &shot.rgb[(static_cast<std::size_t>(row) * shot.width + column) * 3];
      const int dx = column + shot.originX - x;
      const int dy = row + shot.originY - y;
      if (dx * dx + dy * dy > reach * reach && IsRing(pixel[0], pixel[1], pixel[2])) ++count;
    }
  }
  return count;
}

std::string FileText(const std::string& path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class LedWindow : public ProgramWindowTest {
 protected:
  void StartLeading(const std::vector<std::string>& arguments) {
    ASSERT_TRUE(display.IsOpen()) << "no private X server (is Xvfb installed?)";
    const std::filesystem::path program(BATTLESIM_PROGRAM);
    process = std::make_unique<ProgramProcess>(program.string(), program.parent_path().string(), display.Name(),
                                               arguments, report);
    window = display.WaitForWindow(kTitle, kStartSeconds);
    ASSERT_NE(window, 0u) << "the window did not appear";
  }

  // Right clicks at (x, y) until the squad, formed up and reported, takes the order.
  bool Ordered(int x, int y, const std::string& notice) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kWaitSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
      display.Click(window, 3, x, y);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      lastShot = display.Capture(window);
      if (HudText::FindLine(lastShot, notice) >= 0) return true;
    }
    return false;
  }

  std::vector<std::string> WaitForBattleLine() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kBattleSeconds);
    std::vector<std::string> lines;
    while (std::chrono::steady_clock::now() < deadline) {
      lines = ReadLines(report);
      if (!lines.empty()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return lines;
  }

  TempFolder folder{"battlesim-lead"};
  const std::string report = folder.Path("report.jsonl");
};
}  // namespace

TEST_F(LedWindow, ABattleLedByClicksIsPlayedAgainByItsOrdersAndVerified) {
  const StartView view;
  int leaderX = 0;
  int leaderY = 0;
  ASSERT_TRUE(FirstRedLeaderOnScreen(view, leaderX, leaderY));
  const int groundX = leaderX + 60;
  const int groundY = leaderY - 60;
  Vector3 ground;
  ASSERT_TRUE(GroundPicker(view.camera.view, view.camera.projection, kWidth, kHeight)
                  .Pick(view.terrain, groundX, groundY, ground));
  const std::string goal = std::to_string(static_cast<int>(std::round(ground.x))) + " " +
                           std::to_string(static_cast<int>(std::round(ground.z)));

  StartLeading({"--lead", "red", "--seed", "3", "--report", "--json"});
  ASSERT_FALSE(HasFatalFailure());
  display.PressKey(window, "d");  // the plain ground under the panel's lower rows
  WaitFor([](const Screenshot& shot) { return shots::Count(shot, shots::IsRedUnit) >= kArmyPixels; }, "the army");
  display.Click(window, 1, leaderX, leaderY);
  WaitFor([](const Screenshot& shot) { return HudText::FindLine(shot, "Squad: SquadLeader 0, 39 followers") >= 0; },
          "the first red squad selected");
  ASSERT_FALSE(HasFailure());
  // The followers around the clicked leader are ringed too, not only the unit under the pointer.
  lastShot = display.Capture(window);
  EXPECT_GE(RingPixelsAwayFrom(lastShot, leaderX, leaderY, kLeaderRingReach), kSquadRingPixels);
  display.PressKey(window, "v");
  ASSERT_TRUE(Ordered(groundX, groundY, "ordered: SquadLeader 0 to " + goal + " block")) << "the order was not taken";
  display.PressKey(window, "g");
  for (int faster = 0; faster < 4; ++faster) display.PressKey(window, "equal");
  const std::vector<std::string> lines = WaitForBattleLine();
  ASSERT_FALSE(lines.empty()) << "the led battle never ended";
  EXPECT_NE(lines[0].find(R"("led":"red","orders":[")"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(" SquadLeader 0 to " + goal + " block\",\""), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(" fight\"]"), std::string::npos) << lines[0];
  display.PressKey(window, "q");
  int exitCode = -2;
  ASSERT_TRUE(process->WaitForExit(kStartSeconds, exitCode));

  int status = -1;
  const std::string replayed = RunHeadless("--orders '" + report + "' --json", status);
  EXPECT_EQ(status, 0) << replayed;
  EXPECT_NE(replayed.find(lines[0] + "\n"), std::string::npos) << replayed;
  const std::string verified = RunHeadless("--verify '" + report + "'", status);
  EXPECT_EQ(status, 0) << verified;
  EXPECT_NE(verified.find("verified 1 battle of 1 seed: all match"), std::string::npos) << verified;
}

using EditedWindow = LedWindow;

TEST_F(EditedWindow, ALayoutPlacedByClicksIsSavedOpenedAgainAndPlayedAlikeByBothPrograms) {
  const StartView view;
  const std::string layout = folder.Path("layout.toml");
  std::filesystem::remove(layout);
  StartLeading({"--edit", layout, "--seed", "7"});
  ASSERT_FALSE(HasFatalFailure());
  display.PressKey(window, "d");
  WaitFor([](const Screenshot& shot) { return HudText::FindLine(shot, "Red squads: 0  Blue squads: 0") >= 0; },
          "the empty layout");
  const auto place = [&](const char* typeKey, float x, float z, const std::string& notice) {
    int sx = 0;
    int sy = 0;
    ASSERT_TRUE(GroundOnScreen(view, x, z, sx, sy));
    display.PressKey(window, typeKey);
    display.Click(window, 1, sx, sy);
    WaitFor([&](const Screenshot& shot) { return HudText::FindLine(shot, notice) >= 0; }, notice);
  };
  place("2", -20.0f, 30.0f, "placed red squad 1");
  WaitFor([](const Screenshot& shot) { return shots::Count(shot, shots::IsRedUnit) >= kArmyPixels; },
          "the placed squad on the field");
  place("1", 20.0f, 30.0f, "placed red squad 2");
  place("3", 0.0f, -30.0f, "placed blue squad 1");
  place("3", 8.0f, -26.0f, "refused: it would overlap blue squad 1");
  place("3", 40.0f, -30.0f, "placed blue squad 2");
  display.PressControlKey(window, "z");
  WaitFor([](const Screenshot& shot) { return HudText::FindLine(shot, "Red squads: 2  Blue squads: 1") >= 0; },
          "the last squad undone");
  display.PressControlKey(window, "s");
  WaitFor([&](const Screenshot& shot) { return HudText::FindLine(shot, "saved to " + layout) >= 0; }, "the save");
  ASSERT_FALSE(HasFailure());
  display.PressKey(window, "q");
  int exitCode = -2;
  ASSERT_TRUE(process->WaitForExit(kStartSeconds, exitCode));
  const std::string saved = FileText(layout);
  EXPECT_NE(saved.find("[[red.squad]]\nfollowers = 39\ntype = 'archer'\nx = -20\nz = 30\n"), std::string::npos)
      << saved;

  StartLeading({"--edit", layout, "--seed", "7", "--report", "--json"});
  ASSERT_FALSE(HasFatalFailure());
  WaitFor([](const Screenshot& shot) { return HudText::FindLine(shot, "Red squads: 2  Blue squads: 1") >= 0; },
          "the saved layout");
  display.PressControlKey(window, "s");
  WaitFor([&](const Screenshot& shot) { return HudText::FindLine(shot, "saved to " + layout) >= 0; }, "the save");
  EXPECT_EQ(FileText(layout), saved);
  display.PressKey(window, "Return");
  for (int faster = 0; faster < 4; ++faster) display.PressKey(window, "equal");
  const std::vector<std::string> lines = WaitForBattleLine();
  ASSERT_FALSE(lines.empty()) << "the placed battle never ended";
  display.PressKey(window, "e");
  WaitFor([](const Screenshot& shot) { return HudText::FindLine(shot, "Red squads: 2  Blue squads: 1") >= 0; },
          "the layout again");
  display.PressKey(window, "q");
  ASSERT_TRUE(process->WaitForExit(kStartSeconds, exitCode));
  int status = -1;
  const std::string headless = RunHeadless("--scenario '" + layout + "' --seed 7 --json", status);
  EXPECT_EQ(status, 0) << headless;
  EXPECT_EQ(headless.substr(headless.find('{'), lines[0].size()), lines[0]);
  const std::string verified = RunHeadless("--verify '" + report + "' --scenario '" + layout + "'", status);
  EXPECT_NE(verified.find("verified 1 battle of 1 seed: all match"), std::string::npos) << verified;
}

// A drag from a placed squad moves it, refused like a click where a click would be; a drag from the
// ground still turns the camera.
TEST_F(EditedWindow, ASquadDraggedToANewPlaceIsSavedThere) {
  const StartView view;
  const std::string layout = folder.Path("dragged.toml");
  std::filesystem::remove(layout);
  StartLeading({"--edit", layout, "--seed", "7"});
  ASSERT_FALSE(HasFatalFailure());
  display.PressKey(window, "d");
  const auto onScreen = [&](float x, float z) {
    int sx = 0;
    int sy = 0;
    EXPECT_TRUE(GroundOnScreen(view, x, z, sx, sy));
    return std::pair{sx, sy};
  };
  const auto waitForLine = [&](const std::string& line) {
    WaitFor([&](const Screenshot& shot) { return HudText::FindLine(shot, line) >= 0; }, line);
  };
  waitForLine("Red squads: 0  Blue squads: 0");
  const auto [placedX, placedY] = onScreen(-20.0f, 30.0f);
  display.Click(window, 1, placedX, placedY);
  waitForLine("placed red squad 1");
  const auto [movedX, movedY] = onScreen(-45.0f, 30.0f);
  display.Drag(window, 1, placedX, placedY, movedX, movedY);
  waitForLine("moved red squad 1");
  const auto [blueX, blueY] = onScreen(-45.0f, -30.0f);
  display.Drag(window, 1, movedX, movedY, blueX, blueY);
  waitForLine("refused: a red squad stays in red's half");
  const auto [emptyX, emptyY] = onScreen(30.0f, 30.0f);
  display.Drag(window, 1, emptyX, emptyY, emptyX + 100, emptyY);
  waitForLine("Spin: 140");
  waitForLine("Red squads: 1  Blue squads: 0");
  display.PressControlKey(window, "s");
  waitForLine("saved to " + layout);
  ASSERT_FALSE(HasFailure());
  display.PressKey(window, "q");
  int exitCode = -2;
  ASSERT_TRUE(process->WaitForExit(kStartSeconds, exitCode));
  const std::string saved = FileText(layout);
  EXPECT_NE(saved.find("[[red.squad]]\nfollowers = 39\ntype = 'soldier'\nx = -45\nz = 30\n"), std::string::npos)
      << saved;
}
