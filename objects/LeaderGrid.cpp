// Filing squad leaders by cell, and the ring bound.
#include "objects/LeaderGrid.h"

#include <utility>

#include "objects/Sprite.h"

namespace {
// The float rounding of a distance takes off a few parts in ten million; this takes off far
// more, so that a ring is never skipped because of it.
constexpr float kRoundingSlack = 1.0e-4f;
// A new window's side in cells on either side of its first cell, and the room added whenever
// a leader walks out of it: a battlefield of 1024 units is 64 cells across.
constexpr int kWindowMargin = 16;
}  // namespace

LeaderGrid::LeaderGrid(const SerialIndex& serials) : index(serials) {}

float LeaderGrid::RingReach(int rings) {
  if (rings < 2) return 0.0f;
  return static_cast<float>(rings - 1) * kCellSize * (1.0f - kRoundingSlack);
}

void LeaderGrid::Refresh(const GameObject& object) {
  const int serial = index.SerialOf(object.name);
  if (serial < 0) return;
  if (entries.size() <= static_cast<std::size_t>(serial)) entries.resize(static_cast<std::size_t>(serial) + 1);
  Unassign(serial);
  Assign(serial, index.Find(serial));
}

// Only the object the serial finds is filed; a namesake waiting to be registered is not.
void LeaderGrid::Refile(const GameObject& object) {
  const int serial = index.SerialOf(object.name);
  if (serial < 0 || static_cast<std::size_t>(serial) >= entries.size()) return;
  Entry& entry = entries[static_cast<std::size_t>(serial)];
  if (entry.object != &object || !entry.filed) return;
  const Cell now = CellAt(object.GetSprite()->position);
  if (now == entry.cell) return;
  Unfile(serial);
  File(serial);
}

int LeaderGrid::FirstSerialOfOtherTeams(int team, int serialEnd) const {
  int first = -1;
  for (const Layer& layer : layers) {
    if (layer.team == team || layer.serials.empty()) continue;
    const int lowest = *layer.serials.begin();
    if (lowest < serialEnd && (first < 0 || lowest < first)) first = lowest;
  }
  return first;
}

// The team is read once, here: a unit keeps the team it was made with.
void LeaderGrid::Assign(int serial, GameObject* object) {
  Entry& entry = entries[static_cast<std::size_t>(serial)];
  entry.object = object;
  if (object == nullptr) return;
  Layer& layer = LayerOf(object->team);
  entry.layer = static_cast<int>(&layer - layers.data());
  layer.serials.insert(serial);
  if (object->GetSprite() != nullptr) {
    File(serial);
  } else {
    waiting.push_back(serial);
  }
}

// Touches only the grid's own records: the object may already be gone.
void LeaderGrid::Unassign(int serial) {
  Entry& entry = entries[static_cast<std::size_t>(serial)];
  if (entry.object == nullptr) return;
  if (entry.filed) {
    Unfile(serial);
  } else {
    std::erase(waiting, serial);
  }
  layers[static_cast<std::size_t>(entry.layer)].serials.erase(serial);
  entry = Entry{};
}

void LeaderGrid::File(int serial) {
  Entry& entry = entries[static_cast<std::size_t>(serial)];
  Layer& layer = layers[static_cast<std::size_t>(entry.layer)];
  entry.cell = CellAt(entry.object->GetSprite()->position);
  entry.filed = true;
  CellIn(layer, entry.cell).push_back(serial);
  ++layer.filed;
}

void LeaderGrid::Unfile(int serial) {
  Entry& entry = entries[static_cast<std::size_t>(serial)];
  Layer& layer = layers[static_cast<std::size_t>(entry.layer)];
  std::vector<int>& cell = CellIn(layer, entry.cell);
  for (int& filed : cell) {
    if (filed != serial) continue;
    filed = cell.back();
    cell.pop_back();
    break;
  }
  entry.filed = false;
  --layer.filed;
}

void LeaderGrid::FileWaiting() {
  if (waiting.empty()) return;
  std::vector<int> still;
  for (const int serial : waiting) {
    if (entries[static_cast<std::size_t>(serial)].object->GetSprite() != nullptr) {
      File(serial);
    } else {
      still.push_back(serial);
    }
  }
  waiting = std::move(still);
}

LeaderGrid::Layer& LeaderGrid::LayerOf(int team) {
  for (Layer& layer : layers) {
    if (layer.team == team) return layer;
  }
  layers.emplace_back();
  layers.back().team = team;
  return layers.back();
}

std::vector<int>& LeaderGrid::CellIn(Layer& layer, const Cell& cell) {
  Widen(layer, cell);
  return layer.cells[static_cast<std::size_t>(cell.row - layer.corner.row) * static_cast<std::size_t>(layer.columns) +
                     static_cast<std::size_t>(cell.column - layer.corner.column)];
}

// Moves the cells into a larger window around the old one and the new cell.
void LeaderGrid::Widen(Layer& layer, const Cell& cell) {
  const bool inside = layer.columns > 0 && cell.column >= layer.corner.column &&
                      cell.column < layer.corner.column + layer.columns && cell.row >= layer.corner.row &&
                      cell.row < layer.corner.row + layer.rows;
  if (inside) return;
  Cell low{cell.column - kWindowMargin, cell.row - kWindowMargin};
  Cell high{cell.column + kWindowMargin, cell.row + kWindowMargin};
  if (layer.columns > 0) {
    low = {std::min(low.column, layer.corner.column), std::min(low.row, layer.corner.row)};
    high = {std::max(high.column, layer.corner.column + layer.columns - 1),
            std::max(high.row, layer.corner.row + layer.rows - 1)};
  }
  Layer wider;
  wider.corner = low;
  wider.columns = high.column - low.column + 1;
  wider.rows = high.row - low.row + 1;
  wider.cells.resize(static_cast<std::size_t>(wider.columns) * static_cast<std::size_t>(wider.rows));
  for (int row = 0; row < layer.rows; ++row) {
    for (int column = 0; column < layer.columns; ++column) {
      const Cell old{layer.corner.column + column, layer.corner.row + row};
      CellIn(wider, old) =
          std::move(layer.cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(layer.columns) +
                                static_cast<std::size_t>(column)]);
    }
  }
  layer.corner = wider.corner;
  layer.columns = wider.columns;
  layer.rows = wider.rows;
  layer.cells = std::move(wider.cells);
}
