// The objects a serial index finds, filed by team into square cells over the ground (x and z),
// so that a search for the other teams' squad leaders looks at the near cells first and stops
// as soon as no cell left can hold a leader it still wants. Every answer is the one a walk over
// all serials would give: the grid only decides which leaders are looked at, never how.
#pragma once

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "math/Vector3.h"
#include "objects/GameObject.h"
#include "objects/SerialIndex.h"


class LeaderGrid {
 public:
  // A power of two, so that a coordinate's cell is exact (see CellOf).
  static constexpr float kCellSize = 16.0f;

  explicit LeaderGrid(const SerialIndex& serials);

  // The object manager calls this after every change of what the index finds for the object's
  // name: added, registered, erased.
  void Refresh(const GameObject& object);
  // The object manager calls this right after each object's update: only there does a sprite
  // walk (Sprite::Update), so between two calls every filed leader stands in its cell. Called
  // for every object, it turns most of them away inline.
  void Moved(const GameObject& object) {
    if (index.MayCarrySerial(object.name)) Refile(object);
  }

  // Calls visit(serial, leader) for every leader found under a serial below serialEnd whose team
  // differs from team, in no particular order, while visit returns true; skips only leaders
  // standing farther from `from` over the ground than reach() says is still wanted. reach() is
  // asked again after each ring of cells, so a search can narrow it as it finds nearer leaders.
  template <class Visit, class Reach>
  void VisitOtherTeams(int team, const Vector3& from, int serialEnd, Visit&& visit, Reach&& reach);
  // The lowest serial below serialEnd found with a leader of another team than team, or -1.
  int FirstSerialOfOtherTeams(int team, int serialEnd) const;

  // A leader in a cell this many rings out from the searcher's cell stands at least this far
  // away, as the searches compute distances (3D, in float): the horizontal distance is above
  // (rings - 1) cells, and the float rounding of a length takes far less than the slack off it.
  static float RingReach(int rings);

 private:
  struct Cell {
    int column = 0;
    int row = 0;
    bool operator==(const Cell&) const = default;
  };
  // One team's leaders: every serial, and the cells of those that have a sprite. The window of
  // cells grows to take in whatever cell a leader walks into.
  struct Layer {
    int team = 0;
    std::set<int> serials;
    int filed = 0;
    Cell corner;  // the window's lowest column and row
    int columns = 0;
    int rows = 0;
    std::vector<std::vector<int>> cells;  // row-major serials
  };
  struct Entry {
    GameObject* object = nullptr;  // what the serial finds, null for nothing
    int layer = -1;
    bool filed = false;  // false while the object has no sprite to stand by
    Cell cell;
  };

  static int CellOf(float coordinate);
  static Cell CellAt(const Vector3& position) { return {CellOf(position.x), CellOf(position.z)}; }
  void Refile(const GameObject& object);
  void Assign(int serial, GameObject* object);
  void Unassign(int serial);
  void File(int serial);
  void Unfile(int serial);
  // Leaders added before their sprite was set are filed at the next search.
  void FileWaiting();
  Layer& LayerOf(int team);
  static std::vector<int>& CellIn(Layer& layer, const Cell& cell);
  static void Widen(Layer& layer, const Cell& cell);
  template <class VisitCell>
  static bool VisitRing(const Layer& layer, const Cell& centre, int ring, VisitCell&& visitCell);

  const SerialIndex& index;
  std::vector<Entry> entries;  // by serial
  std::vector<Layer> layers;
  std::vector<int> waiting;  // serials whose object had no sprite when assigned
};

inline int LeaderGrid::CellOf(float coordinate) {
  // Dividing a float by a power of two is exact in double, so is the floor: a leader's cell is
  // where it truly stands. The clamp files anything beyond 8192 units (or not a number) in the
  // outermost cells, which keeps the windows small; it only ever brings cells closer together,
  // so the ring bound stays a lower bound.
  constexpr double kLimit = 512;
  const double cell = std::floor(static_cast<double>(coordinate) / static_cast<double>(kCellSize));
  if (!(cell > -kLimit)) return -static_cast<int>(kLimit);
  if (cell > kLimit) return static_cast<int>(kLimit);
  return static_cast<int>(cell);
}

template <class VisitCell>
bool LeaderGrid::VisitRing(const Layer& layer, const Cell& centre, int ring, VisitCell&& visitCell) {
  const int firstRow = std::max(centre.row - ring, layer.corner.row);
  const int lastRow = std::min(centre.row + ring, layer.corner.row + layer.rows - 1);
  const int firstColumn = std::max(centre.column - ring, layer.corner.column);
  const int lastColumn = std::min(centre.column + ring, layer.corner.column + layer.columns - 1);
  auto cellAt = [&layer](int column, int row) -> const std::vector<int>& {
    return layer.cells[static_cast<std::size_t>(row - layer.corner.row) * static_cast<std::size_t>(layer.columns) +
                       static_cast<std::size_t>(column - layer.corner.column)];
  };
  for (int row = firstRow; row <= lastRow; ++row) {
    if (row == centre.row - ring || row == centre.row + ring) {
      for (int column = firstColumn; column <= lastColumn; ++column) {
        if (!visitCell(cellAt(column, row))) return false;
      }
      continue;
    }
    // Between its top and bottom rows the ring is only its two side columns.
    if (centre.column - ring >= firstColumn && !visitCell(cellAt(centre.column - ring, row))) return false;
    if (centre.column + ring <= lastColumn && !visitCell(cellAt(centre.column + ring, row))) return false;
  }
  return true;
}

template <class Visit, class Reach>
void LeaderGrid::VisitOtherTeams(int team, const Vector3& from, int serialEnd, Visit&& visit, Reach&& reach) {
  FileWaiting();
  for (const int serial : waiting) {
    GameObject* leader = entries[static_cast<std::size_t>(serial)].object;
    if (serial < serialEnd && leader->team != team && !visit(serial, *leader)) return;
  }
  const Cell centre = CellAt(from);
  for (const Layer& layer : layers) {
    if (layer.team == team || layer.filed == 0) continue;
    int seen = 0;
    auto visitCell = [&](const std::vector<int>& cell) {
      for (const int serial : cell) {
        ++seen;
        if (serial < serialEnd && !visit(serial, *entries[static_cast<std::size_t>(serial)].object)) return false;
      }
      return true;
    };
    for (int ring = 0; RingReach(ring) <= reach(); ++ring) {
      if (!VisitRing(layer, centre, ring, visitCell)) return;
      if (seen == layer.filed) break;
    }
  }
}
