// A reference route search for comparison: the terrain grid as a Boost graph searched with the
// library's A*, under the same cell, step, climb and heuristic rules as the game's path finder.
#pragma once

#include <boost/graph/adjacency_list.hpp>
#include <cstddef>
#include <vector>

class Terrain;

class GridAStarPeer {
 public:
  struct Route {
    bool found = false;
    std::size_t length = 0;    // cells from start to goal, both included; 0 without a route
    std::size_t examined = 0;  // vertices taken from the queue, a reopened one each time
  };

  // Builds the whole graph once from the terrain's heights; the terrain is not kept.
  explicit GridAStarPeer(const Terrain& terrain);

  // boost::astar_search: initialises the search state of every vertex of the grid first.
  Route Search(int startX, int startZ, int goalX, int goalZ, float weight);
  // boost::astar_search_no_init: the state of every vertex is initialised once at construction,
  // and only the vertices a search discovered are reset after it.
  Route SearchTouchedOnly(int startX, int startZ, int goalX, int goalZ, float weight);
  // Every cell a route from the start can reach, indexed like CellIndex.
  std::vector<bool> Reachable(int startX, int startZ);

  // Vertex of integer world coordinates (col = x + W/2, row = z + H/2); -1 off the grid.
  long long CellIndex(int x, int z) const;
  int CellX(std::size_t cell) const { return static_cast<int>(cell % static_cast<std::size_t>(width)) - width / 2; }
  int CellZ(std::size_t cell) const { return static_cast<int>(cell / static_cast<std::size_t>(width)) - depth / 2; }
  // Inside the grid without its outermost ring, as the game's path finder bounds it.
  bool IsAllowed(int x, int z) const;
  std::size_t CellCount() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(depth); }
  std::size_t EdgeCount() const { return boost::num_edges(graph); }

  using Graph = boost::adjacency_list<boost::vecS, boost::vecS, boost::directedS, boost::no_property,
                                      boost::property<boost::edge_weight_t, float>>;
  using Vertex = boost::graph_traits<Graph>::vertex_descriptor;

 private:
  // Per-vertex search state kept between searches so that a query allocates nothing of the
  // grid's size. SearchTouchedOnly relies on its own copy being fully reset between searches.
  struct VertexMaps {
    std::vector<Vertex> predecessors;
    std::vector<float> costs;
    std::vector<float> ranks;
    std::vector<boost::default_color_type> colours;

    void Resize(std::size_t count);
    void Reset(Vertex v);
  };

  // The start's vertex (false when the start is off the grid) and the goal's. A goal off the grid
  // is the null vertex: it can never be examined, but the search still runs to exhaustion.
  bool Endpoints(int startX, int startZ, int goalX, int goalZ, Vertex& start, Vertex& goal) const;
  bool IsRefusedStep(const Terrain& terrain, int x, int z, int dx, int dz) const;
  void AddSteps(const Terrain& terrain, int x, int z);
  static std::size_t RouteLength(const VertexMaps& maps, Vertex start, Vertex goal);

  int width = 0;
  int depth = 0;
  Graph graph;
  VertexMaps fullInit;
  VertexMaps touchedOnly;
  std::vector<Vertex> touched;  // vertices discovered by the last SearchTouchedOnly
};
