// How far a run's settings may go: the command line holds its options to these, and the JSON
// readers hold the settings recorded in files from anywhere to the same.
#pragma once

struct RunLimits {
  // Longer frames make every step overshoot the distance at which a walking unit counts as
  // arrived: squads never form up and no battle ends (measured: 130 ms still ends, 135 ms never).
  static constexpr int kLongestFrameMs = 130;
  // A week of simulated time; far beyond any battle, and the frame count stays exact.
  static constexpr double kLongestBattleSeconds = 604800.0;
  // A run's --battles, and a window's --battle.
  static constexpr int kMostBattles = 1000000;
  // Far more threads than any machine has cores for a study; beyond that a typo.
  static constexpr int kMostJobs = 1024;
};
