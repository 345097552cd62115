// One grid cell reached by a path search, with its costs and its links in the search graph.
#pragma once

#include <array>
#include <cstddef>

struct OpenBlock;

struct PathNode {
  float g = 0.0f;  // cost from the start
  float h = 0.0f;  // heuristic distance to the goal
  float f = 0.0f;  // g + h * weight
  int x = 0;       // integer world coordinates of the cell
  int z = 0;
  PathNode* parent = nullptr;  // best known predecessor; none for the start
  // Every node this one was linked to, in linking order. A node is expanded once and has eight
  // distinct neighbours, so eight slots always suffice.
  std::array<PathNode*, 8> children{};
  std::size_t childCount = 0;
  PathNode* next = nullptr;    // link within the closed list, most recently examined first
  OpenBlock* block = nullptr;  // the open-list block holding the node; none once examined
  bool closed = false;

  void AddChild(PathNode* child) { children[childCount++] = child; }
  bool InOpen() const { return block != nullptr; }
};
