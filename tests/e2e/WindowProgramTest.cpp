// End-to-end tests: the real battlesim program on its own X server, driven like a user would, with
// key presses, wheel turns and mouse drags, and checked on screenshots and on what it says.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/HudText.h"
#include "tests/e2e/ProgramWindowTest.h"
#include "tests/e2e/ShotAnalysis.h"
#include "tests/e2e/VirtualDisplay.h"
#include "tests/support/TempFolder.h"

namespace {

// Generous: the sanitizer build on a software renderer starts and draws slowly. Bounds, not
// expectations: every wait ends as soon as its condition holds.
constexpr double kExitSeconds = 30.0;
// Enough billboard pixels of one colour to be a squad, not a stray pixel.
constexpr int kArmyPixels = 40;
constexpr int kPaintedPixels = 2000;
constexpr int kUnpaintedPixels = 50;

// Panel rows of a normal frame: five timing lines under "Timing", then the camera values.
constexpr int kInputRow = 6;
constexpr int kZoomRow = 7;
constexpr int kTiltRow = 8;
constexpr int kSpinRow = 9;

ShotTest ShowsCamera(const std::string& zoom, const std::string& tilt, const std::string& spin) {
  return [=](const Screenshot& shot) {
    return HudText::RowShowsCategory(shot, 0, "Timing") && HudText::RowShowsLine(shot, kZoomRow, "Zoom: " + zoom) &&
           HudText::RowShowsLine(shot, kTiltRow, "Tilt: " + tilt) &&
           HudText::RowShowsLine(shot, kSpinRow, "Spin: " + spin);
  };
}

bool ShowsBothArmies(const Screenshot& shot) {
  return shots::Count(shot, shots::IsRedUnit) >= kArmyPixels && shots::Count(shot, shots::IsBlueUnit) >= kArmyPixels;
}

class RunningProgram : public ProgramWindowTest {
 protected:
  void SetUp() override { StartInBuildFolder({}); }

  Screenshot WaitForSceneChange(const Screenshot& from, const std::string& what) {
    return WaitFor([&](const Screenshot& shot) { return !shots::SameScene(shot, from); }, what);
  }

  // Pauses and waits until the pause is certain: the zoom key pressed after it has been handled
  // and drawn. Leaves the zoom at -125.
  Screenshot PauseAndZoomIn() {
    display.PressKey(window, "p");
    display.PressKey(window, "w");
    return WaitFor(ShowsCamera("-125", "30", "40"), "the zoom after w");
  }

  void ExpectExitWithStatusZeroAfter(const std::string& key) {
    display.PressKey(window, key);
    int exitCode = -2;
    ASSERT_TRUE(process->WaitForExit(kExitSeconds, exitCode)) << "still running after " << key;
    EXPECT_EQ(exitCode, 0);
  }
};

// Started by each test itself, with options or in a folder of its own; standard error kept.
class StartedProgram : public RunningProgram {
 protected:
  void SetUp() override { ASSERT_TRUE(display.IsOpen()) << "no private X server (is Xvfb installed?)"; }

  void Start(const std::vector<std::string>& arguments, const std::string& workingFolder) {
    process = std::make_unique<ProgramProcess>(BATTLESIM_PROGRAM, workingFolder, display.Name(), arguments,
                                               std::string(), errors);
    window = display.WaitForWindow(kTitle, kStartSeconds);
  }

  std::string Said() const {
    std::ifstream file(errors);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  // What the program has said once it says `words`, or by the time it should have: the window
  // opens before the world is built, so a word about the world's files may come after it.
  std::string SaidOnceItSays(const std::string& words) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kStartSeconds);
    std::string said = Said();
    while (said.find(words) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      said = Said();
    }
    return said;
  }

  TempFolder folder{"battlesim-window"};
  const std::string errors = folder.Path("errors.txt");
};

// The balance bar's pixels on one row: red ones, blue ones, and whether red starts it and blue
// ends it.
struct BarRow {
  int red = 0;
  int blue = 0;
  bool redLeftBlueRight = false;
};

BarRow ReadBar(const Screenshot& shot) {
  constexpr int kLeft = 482, kRight = 1257, kRow = 13;  // inside the bar's edges
  BarRow bar;
  const int row = kRow - shot.originY;
  if (shot.width + shot.originX <= kRight || row < 0 || row >= shot.height || shot.originX > kLeft) return bar;
  const auto at = [&](int x) { return &shot.rgb[static_cast<std::size_t>(row * shot.width + x - shot.originX) * 3]; };
  const auto red = [](const unsigned char* p) { return p[0] >= 200 && p[1] < 60 && p[2] < 60; };
  const auto blue = [](const unsigned char* p) { return p[2] >= 200 && p[0] < 60 && p[1] < 90; };
  for (int x = kLeft; x <= kRight; ++x) {
    bar.red += red(at(x)) ? 1 : 0;
    bar.blue += blue(at(x)) ? 1 : 0;
  }
  bar.redLeftBlueRight = red(at(kLeft)) && blue(at(kRight));
  return bar;
}

}  // namespace

TEST_F(RunningProgram, OpensItsWindowWithTheExactTitleAndSize) {
  EXPECT_EQ(display.Title(window), kTitle);
  int width = 0;
  int height = 0;
  ASSERT_TRUE(display.Size(window, width, height));
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(height, 1024);
}

TEST_F(RunningProgram, DrawsTheTerrainThePanelAndBothArmies) {
  WaitFor([](const Screenshot& shot) { return shots::ChangedShare(shot, nullptr) >= 0.5; },
          "the terrain over the middle of the window");

  // A frame drawn for an expose event in between takes the timing lines posted until then, so
  // the next frame's panel is short of them; every later frame has the full panel.
  const Screenshot panel = WaitFor(
      [](const Screenshot& shot) {
        return HudText::RowShowsCategory(shot, 0, "Timing") && HudText::RowShowsCategory(shot, kInputRow, "Input");
      },
      "a full panel");
  EXPECT_TRUE(ShowsCamera("-130", "30", "40")(panel));
  EXPECT_TRUE(HudText::RowShowsCategory(panel, 10, "Wins"));
  EXPECT_TRUE(HudText::RowShowsLine(panel, 11, "Red Wins: 0"));
  EXPECT_TRUE(HudText::RowShowsLine(panel, 12, "Blue Wins: 0"));
  EXPECT_TRUE(HudText::RowShowsCategory(panel, 13, "StateMachine"));
  EXPECT_TRUE(HudText::RowShowsCategory(panel, 15, "Battle"));
  EXPECT_TRUE(HudText::RowShowsCategory(panel, 22, "CONTROLS"));
  EXPECT_TRUE(HudText::RowShowsLine(panel, 23, "P - Pause"));
  // Lower rows lie over the terrain, where dark paint on shaded slopes can touch the text.
  EXPECT_FALSE(HudText::RowShowsLine(panel, kSpinRow, "Spin: 41")) << "the panel reader accepts a wrong value";

  WaitFor(ShowsBothArmies, "red and blue billboards");
}

TEST_F(RunningProgram, CameraFollowsTheZoomKeysTheWheelAndDrags) {
  const Screenshot zoomedIn = PauseAndZoomIn();
  display.PressKey(window, "s");
  const Screenshot start = WaitFor(ShowsCamera("-130", "30", "40"), "the zoom after s");
  EXPECT_FALSE(shots::SameScene(zoomedIn, start));

  // Both the press and the release of a wheel notch zoom.
  display.TurnWheel(window, true);
  const Screenshot wheeledIn = WaitFor(ShowsCamera("-120", "30", "40"), "the zoom after a wheel notch up");
  EXPECT_FALSE(shots::SameScene(wheeledIn, start));
  display.TurnWheel(window, false);
  const Screenshot back = WaitFor(ShowsCamera("-130", "30", "40"), "the zoom after a wheel notch down");
  EXPECT_TRUE(shots::SameScene(back, start)) << "paused, the same camera must draw the same picture";

  display.Drag(window, 1, 400, 500, 700, 500);
  const Screenshot spun = WaitFor(ShowsCamera("-130", "30", "340"), "the spin after a left drag");
  EXPECT_GE(shots::ChangedShare(spun, &start), 0.2);
  display.Drag(window, 1, 700, 500, 700, 520);
  const Screenshot tilted = WaitFor(ShowsCamera("-130", "50", "340"), "the tilt after a left drag down");
  EXPECT_FALSE(shots::SameScene(tilted, spun));

  display.Drag(window, 3, 600, 600, 500, 550);
  const Screenshot panned = WaitForSceneChange(tilted, "the view after a right drag");
  EXPECT_TRUE(ShowsCamera("-130", "50", "340")(panned)) << "panning changes no value on the panel";
}

TEST_F(RunningProgram, PauseFreezesTheUnitsWhileThePanelStaysLive) {
  const Screenshot running = WaitFor(ShowsBothArmies, "red and blue billboards");
  WaitForSceneChange(running, "the units moving");

  const Screenshot frozen = PauseAndZoomIn();
  const Screenshot later =
      WaitFor([&](const Screenshot& shot) { return !shots::SamePanel(shot, frozen); }, "the panel updating");
  EXPECT_TRUE(shots::SameScene(later, frozen)) << "something moved while paused";

  display.PressKey(window, "p");
  WaitForSceneChange(later, "the units moving again after the second p");
}

TEST_F(RunningProgram, DSwitchesBetweenThePaintedAndThePlainTerrain) {
  const auto painted = [](const Screenshot& shot) {
    return shots::Count(shot, shots::IsSearchPaint) >= kPaintedPixels;
  };
  WaitFor(painted, "the path searches' paint on the terrain");
  display.PressKey(window, "d");
  WaitFor([](const Screenshot& shot) { return shots::Count(shot, shots::IsSearchPaint) < kUnpaintedPixels; },
          "the plain terrain");
  display.PressKey(window, "d");
  WaitFor(painted, "the paint again");
}

TEST_F(RunningProgram, QEndsTheProgramWithStatusZero) { ExpectExitWithStatusZeroAfter("q"); }

TEST_F(RunningProgram, EscapeEndsTheProgramWithStatusZero) { ExpectExitWithStatusZeroAfter("Escape"); }

TEST_F(RunningProgram, UpperCaseKeysDoNothing) {
  for (const char* key : {"q", "w", "p", "d"}) display.PressKey(window, key, true);
  // Keys are handled in order: once the lower-case w shows, the upper-case ones were handled too.
  display.PressKey(window, "w");
  const Screenshot shot = WaitFor(ShowsCamera("-125", "30", "40"), "the zoom after w");
  EXPECT_GE(shots::Count(shot, shots::IsSearchPaint), kPaintedPixels) << "D switched the terrain";
  WaitForSceneChange(shot, "the units moving, as P must not pause");
  int exitCode = -2;
  EXPECT_FALSE(process->WaitForExit(0.0, exitCode)) << "Q ended the program";
}

// Red's ten squads against blue's five: red's part, from the left, is twice blue's.
TEST_F(StartedProgram, TheBalanceBarGivesRedTheLeftAndEachSideItsShare) {
  const std::filesystem::path program(BATTLESIM_PROGRAM);
  Start({"--scenario", std::string(BATTLESIM_SOURCE_DIR) + "/scenarios/lopsided.toml"}, program.parent_path().string());
  ASSERT_NE(window, 0u) << "the window did not appear";
  const Screenshot shot = WaitFor([](const Screenshot& s) { return ReadBar(s).red > ReadBar(s).blue + 100; },
                                  "the bar split by the armies");
  const BarRow bar = ReadBar(shot);
  EXPECT_TRUE(bar.redLeftBlueRight);
  EXPECT_NEAR(static_cast<double>(bar.red) / bar.blue, 401.0 / 201.0, 0.1)
      << bar.red << " red, " << bar.blue << " blue";
}

// A working folder whose Textures/ holds every image but a readable height map.
TEST_F(StartedProgram, SaysWhichHeightMapItCouldNotRead) {
  const std::filesystem::path textures = folder.Root() / "Textures";
  std::filesystem::create_directory(textures);
  for (const auto& image : std::filesystem::directory_iterator(std::string(BATTLESIM_SOURCE_DIR) + "/Textures")) {
    std::filesystem::create_symlink(image.path(), textures / image.path().filename());
  }
  std::filesystem::remove(textures / "ASTest.png");
  std::ofstream(textures / "ASTest.png") << "not an image";
  Start({}, folder.Root().string());
  EXPECT_NE(window, 0u) << "without ground the window still opens";
  const std::string said = SaidOnceItSays("the field stays empty");
  EXPECT_NE(said.find("battlesim: cannot read the height map 'Textures/ASTest.png' (in "), std::string::npos) << said;
  EXPECT_NE(said.find("but it cannot be read as a PNG image): the field stays empty"), std::string::npos) << said;
}
