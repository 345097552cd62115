// What one battle came to, as the battle lines report it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "objects/UnitType.h"
#include "units/HandOrder.h"

// The kill counts' keys in the battle lines and the summaries, by the killer's unit type.
inline constexpr std::array<const char*, UnitType::kFighters> kKillKeys = {"soldier", "archer", "berserker", "leader",
                                                                           "general"};

// Kill counts by type as a JSON object's members and as the text lines' list: "soldier 1, archer 2, ...".
template <class Count>
void AppendKillsJson(std::ostream& line, const std::array<Count, UnitType::kFighters>& kills) {
  for (std::size_t type = 0; type < kills.size(); ++type) {
    line << (type == 0 ? "{\"" : ",\"") << kKillKeys[type] << "\":" << kills[type];
  }
  line << "}";
}

template <class Count>
void AppendKillsText(std::ostream& line, const std::array<Count, UnitType::kFighters>& kills) {
  for (std::size_t type = 0; type < kills.size(); ++type) {
    line << (type == 0 ? "" : ", ") << kKillKeys[type] << " " << kills[type];
  }
}

struct BattleReport {
  int battle = 0;
  bool finished = false;
  bool redWon = false;
  double seconds = 0.0;
  long long frames = 0;
  int casualties = 0;
  // Since the first battle, by the killer's unit type.
  std::array<int, UnitType::kFighters> kills{};
  int stateChanges = 0;
  long residentKb = -1;  // -1: not measured
  // Each side's follower types (UnitType codes) in the order its squads were raised: the battle's
  // match-up, which the built-in battle rotates from battle to battle.
  std::vector<int> redTypes{};
  std::vector<int> blueTypes{};
  // A side whose strategy script failed loses the battle: "red" or "blue" (empty: none), and why,
  // as "FILE:LINE: message".
  std::string forfeitSide{};
  std::string forfeitReason{};
  // The side a player led by hand ("red", "blue"; empty: none) and every order given, in order.
  std::string led{};
  std::vector<HandOrder> orders{};
  // The battle's whole state at its last step (BattleFingerprint); none for a report made by hand.
  std::optional<std::uint64_t> fingerprint{};
};

// One line: the headless runner's battle line, as text or as a JSON object. A study's lines carry
// their seed, so that lines from many runs can be told apart and merged.
std::string FormatBattleLine(const BattleReport& report, bool json, std::optional<unsigned> seed = std::nullopt);
