// Weighted best-first route search over the terrain's 8-connected grid, refusing steps towards
// steep ground; paints examined (yellow), open (green) and route (blue) cells on the terrain.
#pragma once

#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <vector>

#include "math/Vector3.h"
#include "terrain/OpenList.h"
#include "terrain/PathNode.h"
#include "terrain/StepMask.h"

class Terrain;

class PathFinder {
 public:
  static constexpr std::int8_t kSearching = 0;
  static constexpr std::int8_t kGoalReached = 1;
  static constexpr std::int8_t kNoRoute = -1;

  explicit PathFinder(Terrain& terrain);
  // A path finder for a copy of the other's terrain, which takes over the other's step masks
  // rather than reading the ground again (most of what a copied battle would cost).
  PathFinder(Terrain& copiedTerrain, const PathFinder& other);
  ~PathFinder();
  PathFinder(const PathFinder&) = delete;
  PathFinder& operator=(const PathFinder&) = delete;

  // Runs a complete search from (startX, startZ) to (goalX, goalZ) in integer world coordinates,
  // freeing the previous search's nodes first.
  void FindPath(int startX, int startZ, int goalX, int goalZ, float weight);
  // FindPath, except that a goal no route reaches (a point on the grid's outermost ring, ground
  // walled off by steep climbs) gives the route to the reachable cell nearest it. A goal that a
  // route reaches is searched exactly as FindPath searches it.
  void FindPathOrNearest(int startX, int startZ, int goalX, int goalZ, float weight);
  // Puts the route of the last search, start first and goal last, in front of out's contents;
  // leaves out unchanged when there is no route and empties it when the route exceeds 300 points.
  void BuildPath(std::list<Vector3>& out);
  // kSearching before the first search, then kGoalReached or kNoRoute.
  std::int8_t Status() const { return status; }

 private:
  PathNode* NewNode(int x, int z);
  PathNode*& CellSlot(int x, int z);
  void Expand(PathNode* node);
  void Link(int x, int z, PathNode* parent);
  void InsertOpen(PathNode* node);
  void Improve(PathNode* node, float g, PathNode* parent);
  void Propagate(PathNode* from);
  void Reset();
  struct Cell {
    int x;
    int z;
  };
  // The cell the allowed steps lead to from the start that lies nearest the goal, straight-line;
  // of cells equally near, the one fewest steps from the start.
  Cell NearestReachable(int x, int z, int towardsX, int towardsZ);
  // Paints what an exhaustive search from the start examines: every cell it can reach.
  void ExamineAllReachable(int x, int z);

  Terrain& terrain;
  OpenList open;
  PathNode* closed = nullptr;  // most recently examined first, linked through next
  int startX = -1;
  int startZ = -1;
  int goalX = -1;
  int goalZ = -1;
  float weight = 0.0f;
  std::int8_t status = kSearching;
  std::vector<PathNode*> stack;
  PathNode* best = nullptr;    // the goal node after success, none otherwise
  std::deque<PathNode> nodes;  // owns every node of the current search; stable addresses
  // Node per grid cell (col = x + W/2, row = z + H/2); a cell never holds two nodes.
  std::vector<PathNode*> cells;
  PathNode* offGridNode = nullptr;  // a start outside the grid has no cell slot
  // The allowed steps of every cell; made again if a search finds the ground replaced.
  std::unique_ptr<StepMask> steps;
};
