// What a battle is made of: the ground, the two armies and the duel tables. A default-built
// Scenario is the built-in battle; a scenario file changes parts of it.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "units/PlacedSquad.h"

#include "platform/DataFiles.h"
#include "units/SquadType.h"

class CommanderSource;

struct ArmySetup {
  static constexpr int kMostSquads = 5000;
  // The formation has 40 places and the squad leader takes one.
  static constexpr int kMostFollowers = 39;

  // The follower types by UnitType code, as scenario files and battle lines name them.
  static constexpr const auto& kFollowerTypeNames = SquadType::kNames;

  int squads = 5;
  int followers = kMostFollowers;
  // Follower unit types (UnitType codes 0..2) cycled over this side's squads. Empty: every squad
  // takes the next type of the cycle shared by all squads the program raises.
  std::vector<int> memberTypes;
  // The General's strategy script (a Lua file); empty: the built-in General.
  std::string general;
  // A program's own General, asked before the script; null: none.
  std::shared_ptr<const CommanderSource> commander;
  // Squads placed by hand, in the order they are raised; empty: the layout places squads many
  // across. When given, squads and memberTypes follow them.
  std::vector<PlacedSquad> placed;
  // The General's place when placed by hand.
  bool generalPlaced = false;
  float generalX = 0.0f;
  float generalZ = 0.0f;
};

// The attacker's advantage in a duel: by unit type (row attacker, column defender, the five
// fighting types) and by formation shape (ids 1..3 at index 0..2).
struct DuelTables {
  std::array<std::array<float, 5>, 5> typeAdvantage{{
      {0.0f, 0.2f, -0.2f, -0.2f, -0.4f},
      {-0.2f, 0.0f, 0.2f, -0.2f, -0.4f},
      {0.2f, -0.2f, 0.0f, -0.2f, -0.4f},
      {0.25f, 0.25f, 0.25f, 0.0f, -0.3f},
      {0.4f, 0.4f, 0.4f, 0.2f, 0.0f},
  }};
  // Block beats wedge beats open vee beats block.
  std::array<std::array<float, 3>, 3> formationAdvantage{{
      {0.0f, 0.2f, -0.2f},
      {-0.2f, 0.0f, 0.2f},
      {0.2f, -0.2f, 0.0f},
  }};
};

struct Scenario {
  static constexpr char kBuiltInHeightMap[] = "Textures/ASTest.png";

  std::string name;
  // Relative to the working directory, or absolute. The built-in map may be the installed copy.
  std::string heightMap = DataFiles::Find(kBuiltInHeightMap);
  float low = 0.0f;
  float high = 10.0f;
  std::array<ArmySetup, 2> armies;  // by team code
  DuelTables duel;
};
