// The Boost graph peer of the game's route search. Steps cost 1 (diagonals too); a step onto a
// neighbour is refused when the ground beyond it in the same direction rises too steeply, and a
// diagonal when both orthogonal steps from the current cell do.
#include "bench/GridAStarPeer.h"

#include <boost/graph/astar_search.hpp>
#include <boost/graph/breadth_first_search.hpp>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "terrain/Terrain.h"

namespace {
constexpr float kSteepClimb = 3.0f;

using Vertex = GridAStarPeer::Vertex;
using Graph = GridAStarPeer::Graph;

struct FoundGoal {};

class DistanceHeuristic : public boost::astar_heuristic<Graph, float> {
 public:
  DistanceHeuristic(const GridAStarPeer& grid, int x, int z, float searchWeight)
      : peer(&grid), goalX(x), goalZ(z), weight(searchWeight) {}

  float operator()(Vertex v) const {
    const float dx = static_cast<float>(std::abs(peer->CellX(v) - goalX));
    const float dz = static_cast<float>(std::abs(peer->CellZ(v) - goalZ));
    return std::sqrt(dx * dx + dz * dz) * weight;
  }

 private:
  const GridAStarPeer* peer;
  int goalX;
  int goalZ;
  float weight;
};

// Stops the search by exception, the way the library's own examples end at a goal.
class GoalVisitor : public boost::default_astar_visitor {
 public:
  GoalVisitor(Vertex goalVertex, std::size_t& examinedCount) : goal(goalVertex), examined(&examinedCount) {}

  void examine_vertex(Vertex u, const Graph&) const {
    ++*examined;
    if (u == goal) throw FoundGoal{};
  }

 private:
  Vertex goal;
  std::size_t* examined;
};

// Also remembers every discovered vertex, so that only those need resetting afterwards.
class TouchingGoalVisitor : public GoalVisitor {
 public:
  TouchingGoalVisitor(Vertex goalVertex, std::size_t& examinedCount, std::vector<Vertex>& touchedVertices)
      : GoalVisitor(goalVertex, examinedCount), touched(&touchedVertices) {}

  void discover_vertex(Vertex u, const Graph&) const { touched->push_back(u); }

 private:
  std::vector<Vertex>* touched;
};

// Both searches' named parameters: the visitor, and the vertex maps the search reads and writes.
template <class Visitor, class Maps>
auto SearchParameters(Visitor visitor, Maps& maps, const Graph& graph) {
  const auto index = boost::get(boost::vertex_index, graph);
  return boost::visitor(visitor)
      .predecessor_map(boost::make_iterator_property_map(maps.predecessors.begin(), index))
      .distance_map(boost::make_iterator_property_map(maps.costs.begin(), index))
      .rank_map(boost::make_iterator_property_map(maps.ranks.begin(), index))
      .color_map(boost::make_iterator_property_map(maps.colours.begin(), index));
}
}  // namespace

GridAStarPeer::GridAStarPeer(const Terrain& terrain) : width(terrain.width), depth(terrain.depth), graph(CellCount()) {
  for (std::size_t cell = 0; cell < CellCount(); ++cell) {
    AddSteps(terrain, CellX(cell), CellZ(cell));
  }
  fullInit.Resize(CellCount());
  touchedOnly.Resize(CellCount());
  for (Vertex v = 0; v < CellCount(); ++v) touchedOnly.Reset(v);
}

void GridAStarPeer::VertexMaps::Resize(std::size_t count) {
  predecessors.resize(count);
  costs.resize(count);
  ranks.resize(count);
  colours.resize(count);
}

// The state astar_search gives every vertex before it starts.
void GridAStarPeer::VertexMaps::Reset(Vertex v) {
  colours[v] = boost::white_color;
  costs[v] = std::numeric_limits<float>::max();
  ranks[v] = std::numeric_limits<float>::max();
  predecessors[v] = v;
}

long long GridAStarPeer::CellIndex(int x, int z) const {
  const long long col = static_cast<long long>(x) + width / 2;
  const long long row = static_cast<long long>(z) + depth / 2;
  if (col < 0 || col >= width || row < 0 || row >= depth) return -1;
  return row * width + col;
}

bool GridAStarPeer::IsAllowed(int x, int z) const {
  const int halfW = width / 2;
  const int halfH = depth / 2;
  return x >= 1 - halfW && x < halfW - 1 && z >= 1 - halfH && z < halfH - 1;
}

bool GridAStarPeer::IsRefusedStep(const Terrain& terrain, int x, int z, int dx, int dz) const {
  const int nx = x + dx;
  const int nz = z + dz;
  if (terrain.ClimbCost(nx, nz, nx + dx, nz + dz) > kSteepClimb) return true;
  return dx != 0 && dz != 0 && terrain.ClimbCost(x, z, nx, z) > kSteepClimb &&
         terrain.ClimbCost(x, z, x, nz) > kSteepClimb;
}

void GridAStarPeer::AddSteps(const Terrain& terrain, int x, int z) {
  const auto from = static_cast<Vertex>(CellIndex(x, z));
  for (int dx = -1; dx <= 1; ++dx) {
    for (int dz = -1; dz <= 1; ++dz) {
      if ((dx == 0 && dz == 0) || !IsAllowed(x + dx, z + dz) || IsRefusedStep(terrain, x, z, dx, dz)) continue;
      boost::add_edge(from, static_cast<Vertex>(CellIndex(x + dx, z + dz)), 1.0f, graph);
    }
  }
}

bool GridAStarPeer::Endpoints(int startX, int startZ, int goalX, int goalZ, Vertex& start, Vertex& goal) const {
  const long long startCell = CellIndex(startX, startZ);
  const long long goalCell = CellIndex(goalX, goalZ);
  goal = goalCell < 0 ? boost::graph_traits<Graph>::null_vertex() : static_cast<Vertex>(goalCell);
  start = static_cast<Vertex>(startCell);
  return startCell >= 0;
}

GridAStarPeer::Route GridAStarPeer::Search(int startX, int startZ, int goalX, int goalZ, float weight) {
  Route route;
  Vertex start = 0;
  Vertex goalVertex = 0;
  if (!Endpoints(startX, startZ, goalX, goalZ, start, goalVertex)) return route;
  try {
    boost::astar_search(graph, start, DistanceHeuristic(*this, goalX, goalZ, weight),
                        SearchParameters(GoalVisitor(goalVertex, route.examined), fullInit, graph));
  } catch (const FoundGoal&) {
    route.found = true;
    route.length = RouteLength(fullInit, start, goalVertex);
  }
  return route;
}

GridAStarPeer::Route GridAStarPeer::SearchTouchedOnly(int startX, int startZ, int goalX, int goalZ, float weight) {
  Route route;
  Vertex s = 0;
  Vertex goalVertex = 0;
  if (!Endpoints(startX, startZ, goalX, goalZ, s, goalVertex)) return route;
  const DistanceHeuristic heuristic(*this, goalX, goalZ, weight);
  touched.clear();
  touched.push_back(s);
  touchedOnly.costs[s] = 0.0f;
  touchedOnly.ranks[s] = heuristic(s);
  try {
    boost::astar_search_no_init(
        graph, s, heuristic,
        SearchParameters(TouchingGoalVisitor(goalVertex, route.examined, touched), touchedOnly, graph));
  } catch (const FoundGoal&) {
    route.found = true;
    route.length = RouteLength(touchedOnly, s, goalVertex);
  }
  for (Vertex v : touched) touchedOnly.Reset(v);
  return route;
}

std::size_t GridAStarPeer::RouteLength(const VertexMaps& maps, Vertex start, Vertex goal) {
  std::size_t length = 1;
  for (Vertex v = goal; v != start; v = maps.predecessors[v]) ++length;
  return length;
}

std::vector<bool> GridAStarPeer::Reachable(int startX, int startZ) {
  std::vector<bool> reached(CellCount(), false);
  const long long start = CellIndex(startX, startZ);
  if (start < 0) return reached;
  const auto index = boost::get(boost::vertex_index, graph);
  boost::breadth_first_search(graph, static_cast<Vertex>(start),
                              boost::color_map(boost::make_iterator_property_map(fullInit.colours.begin(), index)));
  for (std::size_t cell = 0; cell < CellCount(); ++cell) {
    reached[cell] = fullInit.colours[cell] != boost::white_color;
  }
  return reached;
}
