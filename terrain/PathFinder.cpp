// The grid route search: best-first over open nodes, with in-place cost updates and a downward
// propagation of improvements through the nodes already examined.
#include "terrain/PathFinder.h"

#include <cmath>
#include <cstdlib>

#include "terrain/Terrain.h"

namespace {
constexpr int kMaxRoutePoints = 300;
}  // namespace

// The step masks are made here, with the battlefield, rather than in the first battle's first frame.
PathFinder::PathFinder(Terrain& terrainToSearch)
    : terrain(terrainToSearch), steps(std::make_unique<StepMask>(terrainToSearch)) {}

PathFinder::PathFinder(Terrain& copiedTerrain, const PathFinder& other)
    : terrain(copiedTerrain),
      steps(other.steps != nullptr && other.steps->Describes(other.terrain)
                ? std::make_unique<StepMask>(*other.steps, copiedTerrain)
                : std::make_unique<StepMask>(copiedTerrain)) {}

PathFinder::~PathFinder() = default;

void PathFinder::Reset() {
  open.Clear();
  closed = nullptr;
  stack.clear();
  best = nullptr;
  // A search reaches few cells as a rule: only their slots are cleared, not the whole grid's.
  const std::size_t cellCount = static_cast<std::size_t>(terrain.width) * static_cast<std::size_t>(terrain.depth);
  if (cells.size() == cellCount) {
    for (const PathNode& node : nodes) CellSlot(node.x, node.z) = nullptr;
  } else {
    cells.assign(cellCount, nullptr);
  }
  nodes.clear();
  offGridNode = nullptr;
  if (!steps || !steps->Describes(terrain)) steps = std::make_unique<StepMask>(terrain);
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
  // A goal no step leads to is never reached: the search would examine every reachable cell
  // in turn, leaving each painted as examined, and fail. The same result without the search.
  if ((sx != gx || sz != gz) && !steps->CanBeEntered(gx, gz)) {
    ExamineAllReachable(sx, sz);
    status = kNoRoute;
    return;
  }
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

void PathFinder::FindPathOrNearest(int sx, int sz, int gx, int gz, float searchWeight) {
  FindPath(sx, sz, gx, gz, searchWeight);
  if (status != kNoRoute) return;
  const Cell nearest = NearestReachable(sx, sz, gx, gz);
  FindPath(sx, sz, nearest.x, nearest.z, searchWeight);
}

// Breadth first, so that the first of equally near cells is the one fewest steps away; the cell
// slots mark the cells reached while it runs, as in ExamineAllReachable.
PathFinder::Cell PathFinder::NearestReachable(int x, int z, int towardsX, int towardsZ) {
  Reset();
  const auto distance = [towardsX, towardsZ](int cx, int cz) {
    const long long dx = static_cast<long long>(cx) - towardsX;
    const long long dz = static_cast<long long>(cz) - towardsZ;
    return dx * dx + dz * dz;
  };
  PathNode reachedMark;
  CellSlot(x, z) = &reachedMark;
  std::deque<Cell> work{{x, z}};
  Cell nearest{x, z};
  while (!work.empty()) {
    const Cell cell = work.front();
    work.pop_front();
    if (distance(cell.x, cell.z) < distance(nearest.x, nearest.z)) nearest = cell;
    const std::uint8_t allowed = steps->From(cell.x, cell.z);
    for (std::size_t k = 0; k < StepMask::kSteps.size(); ++k) {
      if ((allowed & (1u << k)) == 0) continue;
      const Cell next{cell.x + StepMask::kSteps[k].dx, cell.z + StepMask::kSteps[k].dz};
      PathNode*& slot = CellSlot(next.x, next.z);
      if (slot != nullptr) continue;
      slot = &reachedMark;
      work.push_back(next);
    }
  }
  cells.assign(cells.size(), nullptr);
  offGridNode = nullptr;
  return nearest;
}

// A flood fill over the allowed steps; the cell slots mark the cells reached while it runs.
void PathFinder::ExamineAllReachable(int x, int z) {
  PathNode reachedMark;
  CellSlot(x, z) = &reachedMark;
  std::vector<std::pair<int, int>> work{{x, z}};
  while (!work.empty()) {
    const auto [cx, cz] = work.back();
    work.pop_back();
    terrain.SetColour(cx, cz, 1.0f, 1.0f, 0.0f);
    const std::uint8_t allowed = steps->From(cx, cz);
    for (std::size_t k = 0; k < StepMask::kSteps.size(); ++k) {
      if ((allowed & (1u << k)) == 0) continue;
      const int nx = cx + StepMask::kSteps[k].dx;
      const int nz = cz + StepMask::kSteps[k].dz;
      PathNode*& slot = CellSlot(nx, nz);
      if (slot != nullptr) continue;
      slot = &reachedMark;
      work.emplace_back(nx, nz);
    }
  }
  cells.assign(cells.size(), nullptr);
  offGridNode = nullptr;
}

void PathFinder::Expand(PathNode* node) {
  const std::uint8_t allowed = steps->From(node->x, node->z);
  for (std::size_t k = 0; k < StepMask::kSteps.size(); ++k) {
    if ((allowed & (1u << k)) == 0) continue;
    Link(node->x + StepMask::kSteps[k].dx, node->z + StepMask::kSteps[k].dz, node);
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
