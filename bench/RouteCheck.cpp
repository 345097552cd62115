// Agreement check between the game's path finder and the Boost graph peer on the shipped height
// map: both must find a route for exactly the same requests (route lengths may differ). Prints
// one line per march request, then compares the whole reachable area from every start, then
// tries a lattice of goals directly. Exits with 1 on any disagreement in reachability.
#include <algorithm>
#include <cstdio>
#include <list>
#include <set>
#include <utility>

#include "bench/GridAStarPeer.h"
#include "bench/MarchQuery.h"
#include "bench/PaintedCells.h"
#include "terrain/PathFinder.h"
#include "terrain/Terrain.h"

namespace {

constexpr int kOuterRingX = -128;
constexpr int kGoalLatticeStep = 16;

struct ProjectRoute {
  bool found = false;
  std::size_t length = 0;
  std::size_t examined = 0;
};

ProjectRoute RunProject(const Terrain& shipped, int sx, int sz, int gx, int gz) {
  Terrain terrain = shipped;
  ClearPaint(terrain);
  PathFinder finder(terrain);
  finder.FindPath(sx, sz, gx, gz, kMarchWeight);
  ProjectRoute result;
  result.found = finder.Status() == PathFinder::kGoalReached;
  result.examined = CountExamined(terrain);
  std::list<Vector3> route;
  finder.BuildPath(route);
  result.length = route.size();
  return result;
}

int CompareQueries(const Terrain& shipped, GridAStarPeer& peer) {
  int disagreements = 0;
  std::printf("%-42s %7s %7s %9s | %7s %7s %9s | %7s %7s\n", "request", "found", "length", "examined", "BGL fnd",
              "length", "examined", "no-init", "length");
  for (const MarchQuery& q : MarchQueries()) {
    const ProjectRoute mine = RunProject(shipped, q.startX, q.startZ, q.goalX, q.goalZ);
    const GridAStarPeer::Route theirs = peer.Search(q.startX, q.startZ, q.goalX, q.goalZ, kMarchWeight);
    const GridAStarPeer::Route lazy = peer.SearchTouchedOnly(q.startX, q.startZ, q.goalX, q.goalZ, kMarchWeight);
    const bool agree = mine.found == theirs.found && mine.found == lazy.found;
    std::printf("%-42s %7s %7zu %9zu | %7s %7zu %9zu | %7s %7zu%s\n", q.name.c_str(), mine.found ? "yes" : "no",
                mine.length, mine.examined, theirs.found ? "yes" : "no", theirs.length, theirs.examined,
                lazy.found ? "yes" : "no", lazy.length, agree ? "" : "  DISAGREE");
    if (!agree) ++disagreements;
  }
  return disagreements;
}

// Where the cells inside the allowed area lie that no route reaches (x and z ranges).
void DescribeUnreachable(const GridAStarPeer& peer, const std::vector<bool>& reachable) {
  int count = 0;
  int minX = 1 << 20, maxX = -(1 << 20), minZ = 1 << 20, maxZ = -(1 << 20);
  for (std::size_t cell = 0; cell < peer.CellCount(); ++cell) {
    const int x = peer.CellX(cell);
    const int z = peer.CellZ(cell);
    if (reachable[cell] || !peer.IsAllowed(x, z)) continue;
    ++count;
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minZ = std::min(minZ, z);
    maxZ = std::max(maxZ, z);
  }
  if (count == 0) return;
  std::printf("  %d allowed cells unreachable, x %d..%d, z %d..%d\n", count, minX, maxX, minZ, maxZ);
}

// The game's search to a goal on the outer ring examines every cell it can reach: compared with
// a breadth-first search of the peer's graph, cell by cell.
int CompareReachableArea(const Terrain& shipped, GridAStarPeer& peer, int sx, int sz) {
  Terrain terrain = shipped;
  ClearPaint(terrain);
  PathFinder finder(terrain);
  finder.FindPath(sx, sz, kOuterRingX, 0, kMarchWeight);
  const std::vector<bool> reachable = peer.Reachable(sx, sz);
  std::size_t mineCount = 0;
  std::size_t theirCount = 0;
  int mismatches = 0;
  for (std::size_t cell = 0; cell < peer.CellCount(); ++cell) {
    const bool mine = IsExamined(terrain, peer.CellX(cell), peer.CellZ(cell));
    mineCount += mine ? 1 : 0;
    theirCount += reachable[cell] ? 1 : 0;
    if (mine != reachable[cell]) ++mismatches;
  }
  std::printf("reachable from (%d, %d): game %zu cells, BGL %zu cells, %d cells differ\n", sx, sz, mineCount,
              theirCount, mismatches);
  DescribeUnreachable(peer, reachable);
  return mismatches;
}

int CompareGoalLattice(const Terrain& shipped, GridAStarPeer& peer, int sx, int sz) {
  int tried = 0;
  int reached = 0;
  int mismatches = 0;
  const int half = shipped.width / 2;
  for (int gx = -half; gx < half; gx += kGoalLatticeStep) {
    for (int gz = -half; gz < half; gz += kGoalLatticeStep) {
      const bool mine = RunProject(shipped, sx, sz, gx, gz).found;
      const bool theirs = peer.Search(sx, sz, gx, gz, kMarchWeight).found;
      const bool lazy = peer.SearchTouchedOnly(sx, sz, gx, gz, kMarchWeight).found;
      ++tried;
      reached += mine ? 1 : 0;
      if (mine != theirs || mine != lazy) {
        ++mismatches;
        std::printf("  goal (%d, %d): game %s, BGL %s, no-init %s\n", gx, gz, mine ? "found" : "none",
                    theirs ? "found" : "none", lazy ? "found" : "none");
      }
    }
  }
  std::printf("goal lattice from (%d, %d): %d goals, game reached %d, %d disagree\n", sx, sz, tried, reached,
              mismatches);
  return mismatches;
}

}  // namespace

int main() {
  const Terrain* shipped = ShippedTerrain();
  if (shipped == nullptr) {
    std::fprintf(stderr, "Textures/ASTest.png not found: run from the project root\n");
    return 2;
  }
  GridAStarPeer peer(*shipped);
  std::printf("grid %d x %d, %zu directed steps in the BGL graph\n\n", shipped->width, shipped->depth,
              peer.EdgeCount());
  int disagreements = CompareQueries(*shipped, peer);
  std::printf("\n");
  std::set<std::pair<int, int>> starts;
  for (const MarchQuery& q : MarchQueries()) starts.insert({q.startX, q.startZ});
  for (const auto& [sx, sz] : starts) disagreements += CompareReachableArea(*shipped, peer, sx, sz);
  std::printf("\n");
  for (const auto& [sx, sz] : starts) disagreements += CompareGoalLattice(*shipped, peer, sx, sz);
  std::printf("\n%s\n", disagreements == 0 ? "reachability agrees" : "REACHABILITY DISAGREES");
  return disagreements == 0 ? 0 : 1;
}
