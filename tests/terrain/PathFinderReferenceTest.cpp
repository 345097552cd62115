// PathFinder against a plain linked-list search (linear scans, linear sorted insertion): on random
// hilly maps both must examine, open, paint and route exactly alike.
#include "terrain/PathFinder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <list>
#include <memory>
#include <random>
#include <vector>

#include "terrain/Terrain.h"
#include "tests/terrain/TestMaps.h"

namespace {

struct RefNode {
  float g = 0.0f;
  float h = 0.0f;
  float f = 0.0f;
  int x = 0;
  int z = 0;
  RefNode* parent = nullptr;
  std::vector<RefNode*> children;
  RefNode* next = nullptr;
};

// The search written the obvious way, kept only as the yardstick for the fast one.
class ReferenceFinder {
 public:
  explicit ReferenceFinder(Terrain& searched) : terrain(searched) {}

  void FindPath(int sx, int sz, int gx, int gz, float searchWeight) {
    weight = searchWeight;
    pool.clear();
    open = closed = best = nullptr;
    goalX = gx;
    goalZ = gz;
    RefNode* start = New(sx, sz);
    start->h = static_cast<float>(std::abs(gx - sx) + std::abs(gz - sz));
    start->f = start->h * weight;
    open = start;
    status = 0;
    while (status == 0) {
      RefNode* node = open;
      if (node == nullptr) {
        status = -1;
        break;
      }
      open = node->next;
      node->next = closed;
      closed = node;
      terrain.SetColour(node->x, node->z, 1.0f, 1.0f, 0.0f);
      best = node;
      if (node->x == gx && node->z == gz) {
        status = 1;
      } else {
        Expand(node);
      }
    }
    if (status == -1) {
      best = nullptr;
    }
  }

  void BuildPath(std::list<Vector3>& out) {
    int count = 0;
    for (RefNode* node = best; node != nullptr; node = node->parent) {
      terrain.SetColour(node->x, node->z, 0.0f, 0.0f, 1.0f);
      out.push_front(terrain.GridPoint(node->x, node->z));
      if (++count > 300) {
        out.clear();
        return;
      }
    }
  }

  std::int8_t status = 0;

 private:
  RefNode* New(int x, int z) {
    pool.push_back(std::make_unique<RefNode>());
    pool.back()->x = x;
    pool.back()->z = z;
    return pool.back().get();
  }

  static RefNode* Find(RefNode* list, int x, int z) {
    for (; list != nullptr; list = list->next) {
      if (list->x == x && list->z == z) {
        return list;
      }
    }
    return nullptr;
  }

  void Expand(RefNode* n) {
    const int w = terrain.width;
    const int hgt = terrain.depth;
    for (int dx = -1; dx <= 1; ++dx) {
      for (int dz = -1; dz <= 1; ++dz) {
        const int x = n->x + dx;
        const int z = n->z + dz;
        if ((dx == 0 && dz == 0) || x < 1 - w / 2 || x >= w / 2 - 1 || z < 1 - hgt / 2 || z >= hgt / 2 - 1) {
          continue;
        }
        if (terrain.ClimbCost(x, z, x + dx, z + dz) > 3.0f) {
          continue;
        }
        if (dx != 0 && dz != 0 && terrain.ClimbCost(n->x, n->z, n->x + dx, n->z) > 3.0f &&
            terrain.ClimbCost(n->x, n->z, n->x, n->z + dz) > 3.0f) {
          continue;
        }
        Link(x, z, n);
      }
    }
  }

  void Link(int x, int z, RefNode* p) {
    const float newG = p->g + 1.0f;
    if (RefNode* node = Find(open, x, z)) {
      p->children.push_back(node);
      if (node->g > newG) {
        node->g = newG;
        node->parent = p;
        node->f = newG + node->h * weight;
      }
    } else if (RefNode* done = Find(closed, x, z)) {
      p->children.push_back(done);
      if (done->g > newG) {
        done->g = newG;
        done->parent = p;
        done->f = newG + done->h * weight;
        Propagate(done);
      }
    } else {
      RefNode* fresh = New(x, z);
      fresh->g = newG;
      fresh->parent = p;
      const float ddx = static_cast<float>(std::abs(x - goalX));
      const float ddz = static_cast<float>(std::abs(z - goalZ));
      fresh->h = std::sqrt(ddx * ddx + ddz * ddz);
      fresh->f = fresh->h * weight + fresh->g;
      Insert(fresh);
      p->children.push_back(fresh);
    }
  }

  void Insert(RefNode* node) {
    terrain.SetColour(node->x, node->z, 0.0f, 1.0f, 0.0f);
    RefNode** link = &open;
    while (*link != nullptr && (*link)->f < node->f) {
      link = &(*link)->next;
    }
    node->next = *link;
    *link = node;
  }

  void Propagate(RefNode* m) {
    std::vector<RefNode*> stack;
    for (RefNode* c : m->children) {
      if (m->g + 1.0f < c->g) {
        c->g = m->g + 1.0f;
        c->f = c->g + c->h * weight;
        c->parent = m;
        stack.push_back(c);
      }
    }
    while (!stack.empty()) {
      RefNode* q = stack.back();
      stack.pop_back();
      for (RefNode* c : q->children) {
        if (c->g > q->g + 1.0f) {
          c->g = q->g + 1.0f + terrain.ClimbCost(q->x, q->z, c->x, c->z);
          c->parent = q;
          c->f = c->g + c->h * weight;
          stack.push_back(c);
        }
      }
    }
  }

  Terrain& terrain;
  std::vector<std::unique_ptr<RefNode>> pool;
  RefNode* open = nullptr;
  RefNode* closed = nullptr;
  RefNode* best = nullptr;
  float weight = 0.0f;
  int goalX = 0;
  int goalZ = 0;
};

// Rolling ground with scattered cliffs, read from height bytes as a height map is: many steep
// refusals, detours and cost updates.
Terrain RandomTerrain(std::mt19937& random, int side) {
  std::uniform_int_distribution<int> bump(0, 63);
  std::uniform_int_distribution<int> cliff(0, 9);
  // Grid point by grid point, row after row.
  const auto heightByte = [&](int, int) {
    const int ground = bump(random);
    return static_cast<unsigned char>(ground + (cliff(random) == 0 ? 192 : 0));
  };
  Terrain terrain;
  terrain.LoadPixels(testmaps::RgbaImage(side, side, heightByte), false);
  terrain.Scale(0.0f, 2.0f);
  return terrain;
}

}  // namespace

TEST(PathFinder, MatchesThePlainLinkedListSearchOnRandomMaps) {
  std::mt19937 random(20240611u);
  const float weights[] = {1.1f, 0.0f, 1.0f, 0.5f, 2.5f};
  int routes = 0;
  int failures = 0;
  for (int map = 0; map < 12; ++map) {
    const int side = map % 2 == 0 ? 24 : 33;
    Terrain fast = RandomTerrain(random, side);
    Terrain slow = fast;
    PathFinder finder(fast);
    ReferenceFinder reference(slow);
    std::uniform_int_distribution<int> cell(-side / 2, side / 2);
    for (int search = 0; search < 10; ++search) {
      const int sx = cell(random), sz = cell(random), gx = cell(random), gz = cell(random);
      const float weight = weights[(map + search) % 5];
      std::list<Vector3> fastRoute;
      std::list<Vector3> slowRoute;
      finder.FindPath(sx, sz, gx, gz, weight);
      finder.BuildPath(fastRoute);
      reference.FindPath(sx, sz, gx, gz, weight);
      reference.BuildPath(slowRoute);
      ASSERT_EQ(reference.status, finder.Status()) << map << "/" << search;
      ASSERT_EQ(slowRoute, fastRoute) << map << "/" << search;
      ASSERT_EQ(slow.colours, fast.colours) << map << "/" << search;
      routes += fastRoute.empty() ? 0 : 1;
      failures += finder.Status() == PathFinder::kNoRoute ? 1 : 0;
    }
  }
  // Both outcomes must be exercised for the comparison to mean anything.
  EXPECT_GT(routes, 20);
  EXPECT_GT(failures, 5);
}
