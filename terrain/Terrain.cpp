// Loading, scaling, normals and the height, climb and colour queries of the terrain grid.
#include "terrain/Terrain.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <ostream>

#include "platform/PngPixels.h"
#include "statemachine/DebugStream.h"

namespace {

constexpr float kOffGridHeight = 5.0f;
constexpr float kClimbFactor = 5.0f;

// Progress is reported every tenth of the work; tiny inputs report every step instead of
// dividing by zero.
long long ProgressInterval(long long total) { return std::max(1LL, total / 10); }

void ReportProgress(long long done, long long total, long long interval) {
  if (done % interval == 0) {
    dout << 100.0f * static_cast<float>(done) / static_cast<float>(total) << "%\n" << std::flush;
  }
}

// Truncates towards zero; values beyond the int range (and NaN) land far off any grid.
int TruncateToCell(float value) {
  constexpr float kLimit = 1.0e9f;
  if (!(std::fabs(value) < kLimit)) {
    return std::numeric_limits<int>::min() / 2;
  }
  return static_cast<int>(value);
}

}  // namespace

int Terrain::Load(const std::string& path, bool computeNormals) {
  PngRaw image;
  if (!PngPixels::LoadRaw(path, image)) {
    return -4;
  }
  return LoadPixels(image, computeNormals);
}

int Terrain::LoadPixels(const PngRaw& image, bool computeNormals) {
  const long long points = static_cast<long long>(image.width) * image.height;
  const int k = image.components;
  // A zero-size or short image would leave the grid empty or be read past its end.
  if (image.width <= 0 || image.height <= 0 || k <= 0 || static_cast<long long>(image.pixels.size()) < points * k) {
    return -4;
  }
  width = image.width;
  depth = image.height;
  heights.assign(static_cast<std::size_t>(points), 0.0f);
  heightCodes.assign(static_cast<std::size_t>(points), 0);
  for (std::size_t code = 0; code < heightOfCode.size(); ++code) heightOfCode[code] = static_cast<float>(code) / 255.0f;
  colours.assign(static_cast<std::size_t>(points) * 3, 0.0f);
  normals.assign(static_cast<std::size_t>(points) * 3, 0.0f);

  dout << "Height Map Loading: " << width << ":" << depth << "\n" << std::flush;
  const long long interval = ProgressInterval(depth);
  for (int row = 0; row < depth; ++row) {
    ReportProgress(row, depth, interval);
    for (int col = 0; col < width; ++col) {
      const std::size_t point = static_cast<std::size_t>(row) * width + col;
      const unsigned char* pixel = &image.pixels[point * k];
      heightCodes[point] = pixel[k - 1];
      heights[point] = heightOfCode[pixel[k - 1]];
      if (k == 4) {
        for (int channel = 0; channel < 3; ++channel) {
          colours[point * 3 + channel] = pixel[channel] / 255.0f;
        }
      }
    }
  }
  if (computeNormals) {
    ComputeNormals();
  }
  return 0;
}

int Terrain::Scale(float low, float high) {
  if (heights.empty()) {
    return -1;
  }
  if (high < low) {
    std::swap(low, high);
  }
  const auto [minIt, maxIt] = std::minmax_element(heights.begin(), heights.end());
  const float min = *minIt;
  const float max = *maxIt;
  dout << "Scaling: \n" << std::flush;
  const long long n = static_cast<long long>(heights.size());
  const long long interval = ProgressInterval(n);
  // A flat map has no range to stretch: it lies at the low end instead of becoming NaN.
  const double range = static_cast<double>(max) - min;
  const auto scaled = [&](float height) {
    const float t = range > 0.0 ? static_cast<float>((static_cast<double>(height) - min) / range) : 0.0f;
    return (high - low) * t + low;
  };
  for (long long i = 0; i < n; ++i) {
    ReportProgress(i, n, interval);
    float& height = heights[static_cast<std::size_t>(i)];
    height = scaled(height);
  }
  for (float& height : heightOfCode) height = scaled(height);
  if (!normals.empty()) {
    ComputeNormals();
  }
  return 0;
}

void Terrain::ComputeNormals() {
  if (normals.empty()) {
    return;
  }
  dout << "Calculating Normals: \n" << std::flush;
  const long long interval = ProgressInterval(depth);
  for (int row = 0; row < depth; ++row) {
    ReportProgress(row, depth, interval);
    for (int col = 0; col < width; ++col) {
      const Vector3 normal = NormalAt(col, row);
      const std::size_t base = (static_cast<std::size_t>(row) * width + col) * 3;
      normals[base + 0] = normal.x;
      normals[base + 1] = normal.y;
      normals[base + 2] = normal.z;
    }
  }
}

Vector3 Terrain::NormalAt(int col, int row) const {
  // Neighbours in the order L, B, R, A, L: each adjacent couple is one triangle around P.
  const int around[5][2] = {{col - 1, row}, {col, row + 1}, {col + 1, row}, {col, row - 1}, {col - 1, row}};
  const auto inside = [this](const int* point) {
    return point[0] >= 0 && point[0] < width && point[1] >= 0 && point[1] < depth;
  };
  Vector3 sum;
  bool any = false;
  for (int pair = 0; pair < 4; ++pair) {
    const int* q1 = around[pair];
    const int* q2 = around[pair + 1];
    if (inside(q1) && inside(q2)) {
      Vector3 normal = TriangleNormal(col, row, q1[0], q1[1], q2[0], q2[1]);
      normal.Normalize();
      sum += normal;
      any = true;
    }
  }
  // A map one point wide or deep has no triangles at all: such points face straight up.
  if (!any) {
    return {0.0f, 1.0f, 0.0f};
  }
  sum.Normalize();
  sum.z = -sum.z;
  return sum;
}

Vector3 Terrain::TriangleNormal(int col1, int row1, int col2, int row2, int col3, int row3) const {
  const Vector3 p1(static_cast<float>(col1), HeightAtCell(col1, row1), static_cast<float>(row1));
  const Vector3 p2(static_cast<float>(col2), HeightAtCell(col2, row2), static_cast<float>(row2));
  const Vector3 p3(static_cast<float>(col3), HeightAtCell(col3, row3), static_cast<float>(row3));
  const Vector3 a = p2 - p1;
  const Vector3 b = p3 - p1;
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

long long Terrain::CellIndex(int x, int z) const {
  // 64-bit arithmetic: coordinates near the int limits must not overflow. Rows run against z
  // from the far edge, depth - depth / 2 at row 0, so that z = 0 lies on the middle row whatever
  // the map's width.
  const long long col = static_cast<long long>(x) + width / 2;
  const long long row = static_cast<long long>(depth) - depth / 2 - z;
  if (col < 0 || col >= width || row < 0 || row >= depth) {
    return -1;
  }
  return row * width + col;
}

float Terrain::HeightAt(int x, int z) const {
  if (heights.empty()) {
    return 0.0f;
  }
  const long long index = CellIndex(x, z);
  return index < 0 ? kOffGridHeight : heights[static_cast<std::size_t>(index)];
}

float Terrain::CodedHeightAt(int x, int z) const {
  if (heightCodes.empty()) return HeightAt(x, z);
  const long long index = CellIndex(x, z);
  return index < 0 ? kOffGridHeight : heightOfCode[heightCodes[static_cast<std::size_t>(index)]];
}

// A point on the grid's outermost points blends with neighbours beyond the edge: those read the
// edge point nearest to them, as if the ground went on level, instead of the wall height that
// stands off the grid, which would lift a unit near the edge (and tilt its duels) for nothing.
// Inside the outermost points every neighbour is on the grid already.
float Terrain::InterpolatedHeight(float x, float z) const {
  const float fx = x - std::floor(x);
  const float fz = z - std::floor(z);
  const int ix = TruncateToCell(x);
  const int iz = TruncateToCell(z);
  int left = TruncateToCell(x - 1.0f);
  int right = TruncateToCell(x + 1.0f);
  int down = TruncateToCell(z - 1.0f);
  int up = TruncateToCell(z + 1.0f);
  if (OnOutermostPoints(ix, iz)) {
    left = HeldX(left);
    right = HeldX(right);
    down = HeldZ(down);
    up = HeldZ(up);
  }
  const float hz = fz * CodedHeightAt(ix, up) + (1.0f - fz) * CodedHeightAt(ix, down);
  const float hx = (1.0f - fx) * CodedHeightAt(left, iz) + fx * CodedHeightAt(right, iz);
  return (hz + hx) * 0.5f;
}

bool Terrain::OnOutermostPoints(int x, int z) const {
  const long long col = static_cast<long long>(x) + width / 2;
  const long long row = static_cast<long long>(depth) - depth / 2 - z;
  const bool inside = col > 0 && col < width - 1 && row > 0 && row < depth - 1;
  return !inside && CellIndex(x, z) >= 0;
}

int Terrain::HeldX(int x) const { return std::clamp(x, MinGridX(), MinGridX() + width - 1); }

int Terrain::HeldZ(int z) const { return std::clamp(z, MaxGridZ() - (depth - 1), MaxGridZ()); }

void Terrain::PrefetchAround(float x, float z, bool colourToo) const {
  if (heights.empty()) return;
  const int ix = TruncateToCell(x);
  const int iz = TruncateToCell(z);
  for (const int dz : {-1, 0, 1}) {
    const long long index = CellIndex(ix, iz + dz);
    if (index < 0) continue;
    const auto point = static_cast<std::size_t>(index);
    __builtin_prefetch(&heightCodes[point]);
  }
  if (!colourToo) return;
  const long long here = CellIndex(ix, iz);
  if (here >= 0) __builtin_prefetch(&colours[static_cast<std::size_t>(here) * 3]);
}

float Terrain::ClimbCost(int x1, int z1, int x2, int z2) const {
  const float rise = HeightAt(x2, z2) - HeightAt(x1, z1);
  return rise < 0.0f ? 0.0f : kClimbFactor * rise;
}

Vector3 Terrain::GridPoint(int x, int z) const {
  return {static_cast<float>(x), HeightAt(x, z), static_cast<float>(z)};
}

void Terrain::SetColour(int x, int z, float red, float green, float blue) {
  if (heights.empty()) {
    return;
  }
  const long long index = CellIndex(x, z);
  if (index < 0) {
    return;
  }
  const std::size_t base = static_cast<std::size_t>(index) * 3;
  colours[base + 0] = red;
  colours[base + 1] = green;
  colours[base + 2] = blue;
}
