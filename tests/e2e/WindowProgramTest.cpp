// End-to-end tests: the real battlesim program on its own X server, driven like a user would.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/e2e/VirtualDisplay.h"

namespace {

constexpr char kTitle[] = "TR417 - Clashmoor - Orvane - Tessik";
// Generous: the sanitizer build on a software renderer starts slowly. Bounds, not expectations.
constexpr double kStartSeconds = 60.0;
constexpr double kExitSeconds = 30.0;
constexpr double kRedrawSeconds = 30.0;

// Share of pixels in the window's central 400 x 400 square that differ from the reference (or,
// without one, from the grey the frame is cleared to).
double ChangedShare(const Screenshot& shot, const Screenshot* reference) {
  const int left = shot.width / 2 - 200;
  const int top = shot.height / 2 - 200;
  int changed = 0;
  for (int y = top; y < top + 400; ++y) {
    for (int x = left; x < left + 400; ++x) {
      const std::size_t at = (static_cast<std::size_t>(y) * shot.width + x) * 3;
      for (std::size_t c = 0; c < 3; ++c) {
        const int was = reference != nullptr ? reference->rgb[at + c] : 128;
        if (std::abs(shot.rgb[at + c] - was) > 8) {
          ++changed;
          break;
        }
      }
    }
  }
  return changed / (400.0 * 400.0);
}

class RunningProgram : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(display.IsOpen()) << "no private X server (is Xvfb installed?)";
    const std::filesystem::path program(BATTLESIM_PROGRAM);
    process = std::make_unique<ProgramProcess>(program.string(), program.parent_path().string(), display.Name());
    window = display.WaitForWindow(kTitle, kStartSeconds);
    ASSERT_NE(window, 0u) << "the window did not appear";
  }

  // Screenshots until the central square differs from the reference by at least the share.
  Screenshot WaitForChange(const Screenshot* reference, double share) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kRedrawSeconds);
    Screenshot shot;
    do {
      shot = display.Capture(window);
      if (shot.width >= 400 && shot.height >= 400 && ChangedShare(shot, reference) >= share) return shot;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    } while (std::chrono::steady_clock::now() < deadline);
    return shot;
  }

  void ExpectExitWithStatusZeroAfter(const std::string& key) {
    display.PressKey(window, key);
    int exitCode = -2;
    ASSERT_TRUE(process->WaitForExit(kExitSeconds, exitCode)) << "still running after " << key;
    EXPECT_EQ(exitCode, 0);
  }

  VirtualDisplay display;
  std::unique_ptr<ProgramProcess> process;
  Window window = 0;
};

}  // namespace

TEST_F(RunningProgram, OpensItsWindowWithTheExactTitleAndSize) {
  EXPECT_EQ(display.Title(window), kTitle);
  int width = 0;
  int height = 0;
  ASSERT_TRUE(display.Size(window, width, height));
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(height, 1024);
}

TEST_F(RunningProgram, DrawsTheTerrainInTheMiddleOfTheWindow) {
  const Screenshot shot = WaitForChange(nullptr, 0.5);
  ASSERT_GE(shot.width, 400);
  EXPECT_GE(ChangedShare(shot, nullptr), 0.5) << "the middle of the window is still the clear grey";
}

TEST_F(RunningProgram, LeftDragTurnsTheView) {
  const Screenshot before = WaitForChange(nullptr, 0.5);
  display.Drag(window, 1, 400, 500, 700, 500);
  const Screenshot after = WaitForChange(&before, 0.2);
  EXPECT_GE(ChangedShare(after, &before), 0.2) << "the view did not turn";
}

TEST_F(RunningProgram, QEndsTheProgramWithStatusZero) { ExpectExitWithStatusZeroAfter("q"); }

TEST_F(RunningProgram, EscapeEndsTheProgramWithStatusZero) { ExpectExitWithStatusZeroAfter("Escape"); }

TEST_F(RunningProgram, UpperCaseQDoesNotEndTheProgram) {
  display.PressKey(window, "q", true);
  int exitCode = -2;
  EXPECT_FALSE(process->WaitForExit(2.0, exitCode));
}
