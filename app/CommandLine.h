// The command lines of the two programs: their options, checks and help texts.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/setup/UnitCount.h"

struct HeadlessOptions;

struct WindowOptions {
  unsigned seed = 0;
  bool seedGiven = false;
  // Fixed steps, the same battles as the headless runner's: with a seed, a battle number, a
  // second or a frame length given.
  bool fixedSteps = false;
  int frameMs = 16;
  std::string scenarioFile;
  long long maxUnits = UnitCount::kDefaultMost;
  int battle = 1;
  // The second of battle K the window starts at.
  double at = 0.0;
  bool atGiven = false;
  double speed = 1.0;
  bool report = false;
  bool json = false;
  // --red-general, --blue-general by team code: strategy scripts over the scenario's.
  std::array<std::string, 2> generals;
};

class CommandLine {
 public:
  enum class Outcome { Run, Help, Error };

  // Longer frames make every step overshoot the distance at which a walking unit counts as
  // arrived: squads never form up and no battle ends (measured: 130 ms still ends, 135 ms never).
  static constexpr int kLongestFrameMs = 130;
  // A week of simulated time; far beyond any battle, and the frame count stays exact.
  static constexpr double kLongestBattleSeconds = 604800.0;
  // A run's --battles, and a window's --battle.
  static constexpr int kMostBattles = 1000000;
  // Far more threads than any machine has cores for a study; beyond that a typo.
  static constexpr int kMostJobs = 1024;

  // On Error, error holds one line saying what is wrong.
  static Outcome ParseHeadless(const std::vector<std::string>& arguments, HeadlessOptions& options,
                               std::string& error);
  static Outcome ParseWindow(const std::vector<std::string>& arguments, WindowOptions& options, std::string& error);
  static std::string HeadlessUsage();
  static std::string WindowUsage();
};
