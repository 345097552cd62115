// Where the armies stand and where their squads are sent, in the grid coordinates of a 256 x 256
// map: Generals at z = +37 (red) and -37 (blue), squad leaders 10 units behind them at x = -30,
// 0 and 30 of their line of five, goals a few units from the middle line.
#include "bench/MarchQuery.h"

#include <optional>
#include <string_view>

#include "platform/DebugChannel.h"
#include "terrain/Terrain.h"

namespace {
constexpr int kRedGeneralZ = 37;
constexpr int kRedSquadZ = 47;
// Stand-ins for the random draws: x at both ends and the centre of the middle half of a 256-wide
// map (-64 .. 63); the depth 5, the middle of 0 .. 9; archers halt at a depth of 15.
constexpr int kLeftGoalX = -64;
constexpr int kRightGoalX = 63;
constexpr int kGoalDepth = 5;
constexpr int kArcherDepth = 15;
// x = -128 is on the outermost ring, which no search may enter.
constexpr int kOuterRingX = -128;

std::vector<MarchQuery> BuildQueries() {
  return {
      {"RedGeneralToCentreGoal", 0, kRedGeneralZ, 0, kGoalDepth},
      {"RedGeneralToLeftGoal", 0, kRedGeneralZ, kLeftGoalX, kGoalDepth},
      {"RedGeneralToRightGoal", 0, kRedGeneralZ, kRightGoalX, kGoalDepth},
      {"RedGeneralToArcherGoal", 0, kRedGeneralZ, 0, kArcherDepth},
      {"BlueGeneralToCentreGoal", 0, -kRedGeneralZ, 0, -kGoalDepth},
      {"BlueGeneralToLeftGoal", 0, -kRedGeneralZ, kLeftGoalX, -kGoalDepth},
      {"BlueGeneralToRightGoal", 0, -kRedGeneralZ, kRightGoalX, -kGoalDepth},
      {"BlueGeneralToArcherGoal", 0, -kRedGeneralZ, 0, -kArcherDepth},
      {"RedCentreSquadToBlueCentreSquad", 0, kRedSquadZ, 0, -kRedSquadZ},
      {"RedLeftSquadToBlueRightSquad", -30, kRedSquadZ, 30, -kRedSquadZ},
      {"BlueCentreSquadToRedCentreSquad", 0, -kRedSquadZ, 0, kRedSquadZ},
      {"BlueRightSquadToRedLeftSquad", 30, -kRedSquadZ, -30, kRedSquadZ},
      {"RedSquadAtLeftGoalToBlueSquadAtRightGoal", kLeftGoalX, kGoalDepth, kRightGoalX, -kGoalDepth},
      {"RedGeneralToOuterRingUnreachable", 0, kRedGeneralZ, kOuterRingX, 0},
  };
}
}  // namespace

const std::vector<MarchQuery>& MarchQueries() {
  static const std::vector<MarchQuery> queries = BuildQueries();
  return queries;
}

const Terrain* ShippedTerrain() {
  static const std::optional<Terrain> shipped = []() -> std::optional<Terrain> {
    DebugChannel::SetSink([](std::string_view) {});
    Terrain terrain;
    if (terrain.Load("Textures/ASTest.png", true) != 0) return std::nullopt;
    terrain.Scale(0.0f, 10.0f);
    return terrain;
  }();
  return shipped ? &*shipped : nullptr;
}
