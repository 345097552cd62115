// What one battle came to, as the battle lines report it.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct BattleReport {
  int battle = 0;
  bool finished = false;
  bool redWon = false;
  double seconds = 0.0;
  long long frames = 0;
  int casualties = 0;
  int soldierKills = 0;
  int archerKills = 0;
  int berserkerKills = 0;
  int leaderKills = 0;
  int generalKills = 0;
  int stateChanges = 0;
  long residentKb = -1;  // -1: not measured
  // Each side's follower types (UnitType codes) in the order its squads were raised: the battle's
  // match-up, which the built-in battle rotates from battle to battle.
  std::vector<int> redTypes{};
  std::vector<int> blueTypes{};
};

// One line: the headless runner's battle line, as text or as a JSON object. A study's lines carry
// their seed, so that lines from many runs can be told apart and merged.
std::string FormatBattleLine(const BattleReport& report, bool json, std::optional<unsigned> seed = std::nullopt);
