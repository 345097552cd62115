// End-to-end: a seeded battle watched in the window is the battle the headless runner plays, to
// the last kill and the fingerprint of its end, whatever the speed and however it changes while
// the battle runs; the seed the window says, and how it ends on Ctrl-C.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/HudText.h"
#include "tests/e2e/ShotAnalysis.h"
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

// The digits after "key": in a JSON line.
std::string Field(const std::string& line, const std::string& key) {
  const std::size_t at = line.find("\"" + key + "\":");
  if (at == std::string::npos) return "?";
  const std::size_t from = at + key.size() + 3;
  return line.substr(from, line.find_first_not_of("0123456789", from) - from);
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

// The panel's line for the second of the battle on view, given in tenths.
std::string At(int tenths) { return "At: " + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s"; }

class SeededWindow : public testing::Test {
 protected:
  void Start(const std::vector<std::string>& arguments) {
    ASSERT_TRUE(display.IsOpen()) << "no private X server (is Xvfb installed?)";
    const std::filesystem::path program(BATTLESIM_PROGRAM);
    process = std::make_unique<ProgramProcess>(program.string(), program.parent_path().string(), display.Name(),
                                               arguments, output, errors);
    window = display.WaitForWindow(kTitle, kStartSeconds);
    ASSERT_NE(window, 0u) << "the window did not appear";
  }

  // Waits for a frame whose panel shows the line, and keeps it.
  bool ShowsLine(const std::string& line, Screenshot& shot) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kStartSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
      shot = display.Capture(window);
      if (HudText::FindLine(shot, line) >= 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  bool PanelShows(const std::vector<std::string>& lines) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kStartSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
      const Screenshot shot = display.Capture(window);
      if (std::all_of(lines.begin(), lines.end(),
                      [&](const auto& line) { return HudText::FindLine(shot, line) >= 0; })) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
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
  const std::string errors = folder.Path("errors.txt");
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

// Battle 3 begins with the tallies of battles 1 and 2; slowly, so that no kill of battle 3 comes
// before the panel is read, then at full speed to its end.
TEST_F(SeededWindow, ShowsBattleKAfterPlayingTheOnesBefore) {
  const std::vector<std::string> expected = HeadlessLines(2);
  ASSERT_GE(expected.size(), 3u);
  Start({"--seed", "2", "--battle", "3", "--speed", "0.25", "--report", "--json"});
  display.PressKey(window, "d");  // the plain ground under the panel's lower rows
  const auto won = [&](const char* side) {
    const std::string winner = "\"winner\":\"" + std::string(side) + "\"";
    return std::to_string((expected[0].find(winner) != std::string::npos) +
                          (expected[1].find(winner) != std::string::npos));
  };
  EXPECT_TRUE(PanelShows(
      {"Battle: 3", "Red Wins: " + won("red"), "Blue Wins: " + won("blue"), "Casualties This Battle: 0",
       "Soldier Kills: " + Field(expected[1], "soldier"), "Archer Kills: " + Field(expected[1], "archer"),
       "Berserker Kills: " + Field(expected[1], "berserker"), "Leader Kills: " + Field(expected[1], "leader"),
       "General Kills: " + Field(expected[1], "general"), "Dynamic Terrain: off (D)"}))
      << "the panel never showed the start of battle 3 of seed 2";
  for (int faster = 0; faster < 6; ++faster) display.PressKey(window, "equal");
  const std::vector<std::string> lines = WaitForReportedBattles(3);
  ASSERT_GE(lines.size(), 3u) << "the window reported fewer than three battles";
  for (std::size_t battle = 0; battle < 3; ++battle) EXPECT_EQ(lines[battle], expected[battle]);
}

// Paused where the battle stood, 20 s on, then 10 s back, which plays the battle again from its
// start, and on to the same second once more: the same picture, footsteps on the ground included.
TEST_F(SeededWindow, JumpingBackAndOnAgainShowsThePictureOfPlayingOn) {
  Start({"--seed", "3", "--speed", "0.25"});
  display.PressKey(window, "p");
  // A frame drawn before the pause took hold may still show an earlier second: the same one twice.
  int tenths = -1;
  int seen = -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kStartSeconds);
  while (tenths < 0 && std::chrono::steady_clock::now() < deadline) {
    const Screenshot shot = display.Capture(window);
    int now = -1;
    for (int t = 0; t < 100 && now < 0; ++t) {
      if (HudText::FindLine(shot, At(t)) >= 0) now = t;
    }
    if (now >= 0 && now == seen) tenths = now;
    seen = now;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  ASSERT_GE(tenths, 0) << "the panel never said where the paused battle stands";
  display.PressKey(window, "bracketright");
  display.PressKey(window, "bracketright");
  Screenshot played;
  ASSERT_TRUE(ShowsLine(At(tenths + 200), played));
  display.PressKey(window, "bracketleft");
  Screenshot back;
  ASSERT_TRUE(ShowsLine(At(tenths + 100), back));
  display.PressKey(window, "bracketright");
  Screenshot again;
  ASSERT_TRUE(ShowsLine(At(tenths + 200), again));
  EXPECT_FALSE(shots::SameBesidePanel(back, played));
  EXPECT_TRUE(shots::SameBesidePanel(again, played));
}

// Without options the clock seeds the battles; Ctrl-C ends the window between two frames.
TEST_F(SeededWindow, SaysTheClocksSeedAndEndsOnCtrlCWithTheSummary) {
  Start({"--report"});
  const std::vector<std::string> said = ReadLines(errors);
  const std::string prefix = "battlesim: seed ";
  ASSERT_TRUE(!said.empty() && said[0].rfind(prefix, 0) == 0) << "standard error began otherwise";
  const std::string seed = said[0].substr(prefix.size());
  EXPECT_TRUE(PanelShows({"Seed: " + seed + " (clock)"}));
  process->Signal(SIGINT);
  int exitCode = -2;
  ASSERT_TRUE(process->WaitForExit(kStartSeconds, exitCode)) << "still running after Ctrl-C";
  EXPECT_EQ(exitCode, 130);
  const std::vector<std::string> summary = ReadLines(output);
  ASSERT_EQ(summary.size(), 1u);
  EXPECT_EQ(summary[0].rfind("Summary: 0 finished, 0 unfinished; red wins 0, blue wins 0; seed " + seed +
                                 "; interrupted; window, one step per frame; study: scenario builtin,",
                             0),
            0u)
      << summary[0];
}

// The quit key ends a report with its summary too, marked as the window's fixed steps, so that
// --verify plays its battles again.
TEST_F(SeededWindow, QuitKeyEndsTheReportWithTheWindowsSummary) {
  Start({"--seed", "1", "--report", "--json"});
  EXPECT_TRUE(PanelShows({"Seed: 1"}));
  display.PressKey(window, "q");
  int exitCode = -2;
  ASSERT_TRUE(process->WaitForExit(kStartSeconds, exitCode)) << "still running after q";
  EXPECT_EQ(exitCode, 0);
  const std::vector<std::string> lines = ReadLines(output);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(R"("seed":1,"finished":0,)"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(R"("window":{"fixed_steps":true},"study":{"scenario":"builtin",)"), std::string::npos)
      << lines[0];
}
