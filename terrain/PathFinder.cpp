// The grid route search: best-first over open nodes, with in-place cost updates and a downward
// propagation of improvements through the nodes already examined.
#include "terrain/PathFinder.h"

#include <cmath>
#include <cstdlib>

#include "terrain/Terrain.h"

namespace {
constexpr float kSteepClimb = 3.0f;
constexpr int kMaxRoutePoints = 300;
}  // namespace

PathFinder::PathFinder(Terrain& terrainToSearch) : terrain(terrainToSearch) {}

void PathFinder::Reset() {
  open.Clear();
  closed = nullptr;
  stack.clear();
  best = nullptr;
  nodes.clear();
  offGridNode = nullptr;
  cells.assign(static_cast<std::size_t>(terrain.width) * static_cast<std::size_t>(terrain.depth), nullptr);
}

PathNode*& PathFinder::CellSlot(int x, int z) {
  const long long col = static_cast<long long>(x) + terrain.width / 2;
  const long long row = static_cast<long long>(z) + terrain.depth / 2;
  if (col < 0 || col >= terrain.width || row < 0 || row >= terrain.depth) {
    return offGridNode;
  }
  return cells[static_cast<std::size_t>(row * terrain.width + col)];
}

PathNode* PathFinder::NewNode(int x, int z) {
  PathNode& node = nodes.emplace_back();
  node.x = x;
  node.z = z;
  CellSlot(x, z) = &node;
  return &node;
}

void PathFinder::FindPath(int sx, int sz, int gx, int gz, float searchWeight) {
  weight = searchWeight;
  Reset();
  startX = sx;
  startZ = sz;
  goalX = gx;
  goalZ = gz;
  PathNode* start = NewNode(sx, sz);
  const long long manhattan = std::llabs(static_cast<long long>(gx) - sx) + std::llabs(static_cast<long long>(gz) - sz);
  start->h = static_cast<float>(manhattan);
  start->f = start->h * weight;
  open.Insert(start);

  status = kSearching;
  while (status == kSearching) {
    if (open.Empty()) {
      status = kNoRoute;
      break;
    }
    PathNode* node = open.PopFront();
    node->closed = true;
    node->next = closed;
    closed = node;
    terrain.SetColour(node->x, node->z, 1.0f, 1.0f, 0.0f);
    best = node;
    if (node->x == gx && node->z == gz) {
      status = kGoalReached;
    } else {
      Expand(node);
    }
  }
  if (status == kNoRoute) {
    best = nullptr;
  }
}

bool PathFinder::IsAllowed(long long x, long long z) const {
  // The outermost ring is left out so that the look-ahead cell beyond a neighbour is on the grid.
  const long long halfW = terrain.width / 2;
  const long long halfH = terrain.depth / 2;
  return x >= 1 - halfW && x < halfW - 1 && z >= 1 - halfH && z < halfH - 1;
}

bool PathFinder::IsRefusedStep(int x, int z, int dx, int dz) const {
  const int nx = x + dx;
  const int nz = z + dz;
  if (terrain.ClimbCost(nx, nz, nx + dx, nz + dz) > kSteepClimb) {
    return true;
  }
  return dx != 0 && dz != 0 && terrain.ClimbCost(x, z, nx, z) > kSteepClimb &&
         terrain.ClimbCost(x, z, x, nz) > kSteepClimb;
}

void PathFinder::Expand(PathNode* node) {
  for (int dx = -1; dx <= 1; ++dx) {
    for (int dz = -1; dz <= 1; ++dz) {
      if (dx == 0 && dz == 0) {
        continue;
      }
      // Checked in 64 bits first: a start far off the grid must not overflow its neighbours.
      if (!IsAllowed(static_cast<long long>(node->x) + dx, static_cast<long long>(node->z) + dz) ||
          IsRefusedStep(node->x, node->z, dx, dz)) {
        continue;
      }
      Link(node->x + dx, node->z + dz, node);
    }
  }
}

void PathFinder::Link(int x, int z, PathNode* parent) {
  const float newG = parent->g + 1.0f;
  PathNode* existing = CellSlot(x, z);
  if (existing != nullptr) {
    parent->AddChild(existing);
    if (existing->g > newG) {
      Improve(existing, newG, parent);
      if (existing->closed) {
        Propagate(existing);
      }
    }
    return;
  }
  PathNode* node = NewNode(x, z);
  node->g = newG;
  node->parent = parent;
  const float dx = static_cast<float>(std::llabs(static_cast<long long>(x) - goalX));
  const float dz = static_cast<float>(std::llabs(static_cast<long long>(z) - goalZ));
  node->h = std::sqrt(dx * dx + dz * dz);
  node->f = node->h * weight + node->g;
  InsertOpen(node);
  parent->AddChild(node);
}

void PathFinder::InsertOpen(PathNode* node) {
  terrain.SetColour(node->x, node->z, 0.0f, 1.0f, 0.0f);
  open.Insert(node);
}

void PathFinder::Improve(PathNode* node, float g, PathNode* parent) {
  node->g = g;
  node->parent = parent;
  node->f = g + node->h * weight;
  if (node->InOpen()) {
    open.Updated(node);
  }
}

void PathFinder::Propagate(PathNode* from) {
  // The first level costs 1 per step; deeper levels add the climb, while the test that triggers
  // an update always compares with the parent's cost + 1.
  for (std::size_t i = 0; i < from->childCount; ++i) {
    PathNode* child = from->children[i];
    if (from->g + 1.0f < child->g) {
      Improve(child, from->g + 1.0f, from);
      stack.push_back(child);
    }
  }
  while (!stack.empty()) {
    PathNode* node = stack.back();
    stack.pop_back();
    for (std::size_t i = 0; i < node->childCount; ++i) {
      PathNode* child = node->children[i];
      if (child->g > node->g + 1.0f) {
        Improve(child, node->g + 1.0f + terrain.ClimbCost(node->x, node->z, child->x, child->z), node);
        stack.push_back(child);
      }
    }
  }
}

void PathFinder::BuildPath(std::list<Vector3>& out) {
  int count = 0;
  for (const PathNode* node = best; node != nullptr; node = node->parent) {
    terrain.SetColour(node->x, node->z, 0.0f, 0.0f, 1.0f);
    out.push_front(terrain.GridPoint(node->x, node->z));
    if (++count > kMaxRoutePoints) {
      out.clear();
      return;
    }
  }
}
