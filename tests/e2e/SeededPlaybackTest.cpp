// End-to-end: a seeded battle watched in the window is the battle the headless runner plays,
// to the last kill, whatever the speed and however it changes while the battle runs.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/VirtualDisplay.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr char kTitle[] = "TR417 - Clashmoor - Orvane - Tessik";
// Bounds for the sanitizer build on a software renderer; every wait ends once its lines are in.
constexpr double kStartSeconds = 60.0;
constexpr double kBattlesSeconds = 240.0;

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

// The headless runner's lines of a seed at 16 ms frames with blood, as the golden file of the
// battle tests records them: each with the run's settings spliced in front.
std::vector<std::string> HeadlessLines(unsigned seed) {
  const std::string prefix = "{\"seed\":" + std::to_string(seed) + ",\"frame_ms\":16,\"blood\":true,";
  std::vector<std::string> lines;
  for (const std::string& line : ReadLines(std::string(BATTLESIM_SOURCE_DIR) + "/tests/app/golden/battles.jsonl")) {
    if (line.rfind(prefix, 0) == 0) lines.push_back("{" + line.substr(prefix.size()));
  }
  return lines;
}

class SeededWindow : public testing::Test {
 protected:
  void Start(const std::vector<std::string>& arguments) {
    ASSERT_TRUE(display.IsOpen()) << "no private X server (is Xvfb installed?)";
    const std::filesystem::path program(BATTLESIM_PROGRAM);
    process = std::make_unique<ProgramProcess>(program.string(), program.parent_path().string(), display.Name(),
                                               arguments, output);
    window = display.WaitForWindow(kTitle, kStartSeconds);
    ASSERT_NE(window, 0u) << "the window did not appear";
  }

  std::vector<std::string> WaitForReportedBattles(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kBattlesSeconds);
    std::vector<std::string> lines;
    while (std::chrono::steady_clock::now() < deadline) {
      lines = ReadLines(output);
      if (lines.size() >= count) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return lines;
  }

  TempFolder folder{"battlesim-playback"};
  const std::string output = folder.Path("report.jsonl");
  VirtualDisplay display;
  std::unique_ptr<ProgramProcess> process;
  Window window = 0;
};

}  // namespace

TEST_F(SeededWindow, PlaysTheHeadlessBattlesThroughSpeedChanges) {
  const std::vector<std::string> expected = HeadlessLines(1);
  ASSERT_GE(expected.size(), 2u);
  Start({"--seed", "1", "--speed", "16", "--report", "--json"});
  // Slower, then faster again, while the first battle runs: the simulated time per wall second
  // changes, the steps do not.
  display.PressKey(window, "minus");
  display.PressKey(window, "minus");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  display.PressKey(window, "equal");
  display.PressKey(window, "plus", true);
  const std::vector<std::string> lines = WaitForReportedBattles(2);
  ASSERT_GE(lines.size(), 2u) << "the window reported fewer than two battles";
  EXPECT_EQ(lines[0], expected[0]);
  EXPECT_EQ(lines[1], expected[1]);
}

TEST_F(SeededWindow, ShowsBattleKAfterPlayingTheOnesBefore) {
  const std::vector<std::string> expected = HeadlessLines(2);
  ASSERT_GE(expected.size(), 3u);
  Start({"--seed", "2", "--battle", "3", "--speed", "16", "--report", "--json"});
  const std::vector<std::string> lines = WaitForReportedBattles(3);
  ASSERT_GE(lines.size(), 3u) << "the window reported fewer than three battles";
  for (std::size_t battle = 0; battle < 3; ++battle) EXPECT_EQ(lines[battle], expected[battle]);
}
