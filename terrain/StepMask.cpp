// Neighbour rules of the route search, evaluated once per cell instead of on every expansion.
#include "terrain/StepMask.h"

#include "terrain/Terrain.h"

namespace {
// A step is refused when the ground beyond it rises by more than 0.6 (five times the rise).
constexpr float kSteepClimb = 3.0f;
}  // namespace

StepMask::StepMask(const Terrain& ground)
    : terrain(ground),
      width(ground.width),
      depth(ground.depth),
      heights(ground.Heights().data()),
      heightCount(ground.Heights().size()) {
  masks.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(depth));
  for (int row = 0; row < depth; ++row) {
    for (int col = 0; col < width; ++col) {
      masks[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(col)] =
          Compute(terrain, col - width / 2, row - depth / 2);
    }
  }
  MarkEnterable();
}

// Every step ends on an allowed cell, which is on the grid.
void StepMask::MarkEnterable() {
  enterable.assign(masks.size(), false);
  for (int row = 0; row < depth; ++row) {
    for (int col = 0; col < width; ++col) {
      const std::uint8_t mask =
          masks[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(col)];
      for (std::size_t k = 0; k < kSteps.size(); ++k) {
        if ((mask & (1u << k)) == 0) continue;
        const long long target = CellOf(col - width / 2 + kSteps[k].dx, row - depth / 2 + kSteps[k].dz);
        enterable[static_cast<std::size_t>(target)] = true;
      }
    }
  }
}

long long StepMask::CellOf(int x, int z) const {
  const long long col = static_cast<long long>(x) + width / 2;
  const long long row = static_cast<long long>(z) + depth / 2;
  if (col < 0 || col >= width || row < 0 || row >= depth) return -1;
  return row * width + col;
}

std::uint8_t StepMask::From(int x, int z) const {
  const long long cell = CellOf(x, z);
  return cell < 0 ? Compute(terrain, x, z) : masks[static_cast<std::size_t>(cell)];
}

bool StepMask::CanBeEntered(int x, int z) const {
  const long long cell = CellOf(x, z);
  return cell >= 0 && enterable[static_cast<std::size_t>(cell)];
}

StepMask::StepMask(const StepMask& other, const Terrain& copiedTerrain)
    : terrain(copiedTerrain),
      width(copiedTerrain.width),
      depth(copiedTerrain.depth),
      heights(copiedTerrain.Heights().data()),
      heightCount(copiedTerrain.Heights().size()),
      masks(other.masks),
      enterable(other.enterable) {}

bool StepMask::Describes(const Terrain& ground) const {
  return &ground == &terrain && ground.width == width && ground.depth == depth && ground.Heights().data() == heights &&
         ground.Heights().size() == heightCount;
}

std::uint8_t StepMask::Compute(const Terrain& ground, int x, int z) {
  std::uint8_t mask = 0;
  for (std::size_t k = 0; k < kSteps.size(); ++k) {
    const Step step = kSteps[k];
    // Checked in 64 bits first: a start far off the grid must not overflow its neighbours.
    if (IsAllowed(ground, static_cast<long long>(x) + step.dx, static_cast<long long>(z) + step.dz) &&
        !IsRefused(ground, x, z, step.dx, step.dz)) {
      mask = static_cast<std::uint8_t>(mask | (1u << k));
    }
  }
  return mask;
}

// The outermost ring is left out so that the look-ahead cell beyond a neighbour is on the grid.
bool StepMask::IsAllowed(const Terrain& ground, long long x, long long z) {
  const long long halfW = ground.width / 2;
  const long long halfH = ground.depth / 2;
  return x >= 1 - halfW && x < halfW - 1 && z >= 1 - halfH && z < halfH - 1;
}

// The step after the neighbour is tested, not the step onto it; a diagonal may not cut between
// two steep orthogonal steps.
bool StepMask::IsRefused(const Terrain& ground, int x, int z, int dx, int dz) {
  const int nx = x + dx;
  const int nz = z + dz;
  if (ground.ClimbCost(nx, nz, nx + dx, nz + dz) > kSteepClimb) return true;
  return dx != 0 && dz != 0 && ground.ClimbCost(x, z, nx, z) > kSteepClimb &&
         ground.ClimbCost(x, z, x, nz) > kSteepClimb;
}
