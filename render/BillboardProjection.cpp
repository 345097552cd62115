// Projecting billboard corners into window cells and onto GL's clipping planes.
#include "render/BillboardProjection.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {
// GL fills the pixels whose centres its triangles hold; projected here and by GL in its own
// arithmetic, a corner may land a little apart. A pixel's widening holds them all.
constexpr double kMarginPixels = 1.0;
// Corners nearer the eye's plane than this project too far to bound the billboard.
constexpr double kLeastW = 1e-6;
// GL sums a clip coordinate from four float products; its result lies within this fraction of
// the terms' size from the exact one.
constexpr double kRoundingShare = 1e-6;
// The quick test beyond a side asks a hundred times more room.
constexpr double kQuickShare = 1e-4;
// Positions this far out, or not finite, are left to Land.
constexpr double kHuge = 1e30;

// How far a corner lies outside the view volume (positive) or inside it (negative), measured
// against its nearest plane.
double Outside(double x, double y, double z, double w) {
  return std::max({x - w, -w - x, y - w, -w - y, z - w, -w - z});
}

// The cell holding a window coordinate, clamped to one cell beyond either end of the grid before
// the conversion so that the integer always exists.
int CellOf(double pixels, int cellCount) {
  const double cell = std::floor(pixels / BillboardProjection::kCellPixels);
  return static_cast<int>(std::clamp(cell, -1.0, static_cast<double>(cellCount)));
}
}  // namespace

void BillboardProjection::TakeFromGl() {
  std::array<float, 16> modelview{};
  std::array<float, 16> projection{};
  std::array<GLint, 4> viewport{};
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview.data());
  glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
  glGetIntegerv(GL_VIEWPORT, viewport.data());
  // GL's matrices are column-major: element (row, column) sits at column * 4 + row.
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += double(projection[k * 4 + row]) * double(modelview[column * 4 + k]);
      clipFromWorld[row * 4 + column] = sum;
    }
  }
  viewportWidth = viewport[2];
  viewportHeight = viewport[3];
  columns = (std::max(viewport[2], 0) + kCellPixels - 1) / kCellPixels;
  rows = (std::max(viewport[3], 0) + kCellPixels - 1) / kCellPixels;
  TakePlanes();
}

BillboardProjection::Plane BillboardProjection::PlaneOf(const std::array<double, 4>& k) {
  return {k[0], k[1], k[2], k[3], std::sqrt(k[0] * k[0] + k[1] * k[1] + k[2] * k[2])};
}

// Planes as combinations of the clip rows: beyond the right side is x > (1 + widening) w. The
// widening in window units covers the footprint's margin and a cell, so a billboard beyond a
// widened side touches no cell of the window.
void BillboardProjection::TakePlanes() {
  const auto combined = [this](int first, double firstWeight, int second, double secondWeight) {
    std::array<double, 4> k{};
    for (int column = 0; column < 4; ++column) {
      k[column] = firstWeight * clipFromWorld[first * 4 + column] + secondWeight * clipFromWorld[second * 4 + column];
    }
    return PlaneOf(k);
  };
  const double guardPixels = kMarginPixels + kCellPixels + 1.0;
  const double wideX = 1.0 + (viewportWidth > 0.0 ? 2.0 * guardPixels / viewportWidth : 0.0);
  const double wideY = 1.0 + (viewportHeight > 0.0 ? 2.0 * guardPixels / viewportHeight : 0.0);
  farSide = combined(2, 1.0, 3, -1.0);
  nearSide = combined(2, -1.0, 3, -1.0);
  eyeSide = combined(3, 1.0, 3, 0.0);
  for (std::size_t row = 0; row < 4; ++row) rowReach[row] = combined(static_cast<int>(row), 1.0, 0, 0.0).reach;
  beyondSides = {combined(0, 1.0, 3, -wideX), combined(0, -1.0, 3, -wideX), combined(1, 1.0, 3, -wideY),
                 combined(1, -1.0, 3, -wideY)};
}

double BillboardProjection::Least(const Plane& plane, const Vector3& centre, double radius) {
  return plane.a * centre.x + plane.b * centre.y + plane.c * centre.z + plane.d - plane.reach * radius;
}

// Every point of the ball has, in each clip row, terms no larger than the centre's plus the
// row's reach times the radius; Land's doubt is a share of the largest row's terms.
double BillboardProjection::Tolerance(const Vector3& centre, double radius) const {
  const auto& m = clipFromWorld;
  double size = 0.0;
  for (int row = 0; row < 4; ++row) {
    size += std::abs(m[row * 4] * centre.x) + std::abs(m[row * 4 + 1] * centre.y) + std::abs(m[row * 4 + 2] * centre.z) +
            std::abs(m[row * 4 + 3]) + rowReach[static_cast<std::size_t>(row)] * radius;
  }
  return kQuickShare * size;
}

// Beyond the far plane or before the near one, GL drops the whole billboard whatever w is; beyond
// a side only where every corner lies in front of the eye, as the footprint is projected there.
// A corner beyond by more than the tolerance is one Land finds certainly clipped.
bool BillboardProjection::SurelyOutside(const Vector3& centre, double radius) const {
  const double tolerance = Tolerance(centre, radius);
  if (!(tolerance < kHuge)) return false;
  if (Least(farSide, centre, radius) > tolerance || Least(nearSide, centre, radius) > tolerance) return true;
  if (!(Least(eyeSide, centre, radius) > std::max(tolerance, kLeastW))) return false;
  return std::any_of(beyondSides.begin(), beyondSides.end(), [&centre, radius, tolerance](const Plane& side) {
    return Least(side, centre, radius) > tolerance;
  });
}

BillboardProjection::ClipPoint BillboardProjection::ToClip(const Vector3& point) const {
  const auto& m = clipFromWorld;
  const double x = point.x;
  const double y = point.y;
  const double z = point.z;
  const auto row = [&](int r) { return m[r * 4] * x + m[r * 4 + 1] * y + m[r * 4 + 2] * z + m[r * 4 + 3]; };
  const auto size = [&](int r) {
    return std::abs(m[r * 4] * x) + std::abs(m[r * 4 + 1] * y) + std::abs(m[r * 4 + 2] * z) + std::abs(m[r * 4 + 3]);
  };
  return {row(0), row(1), row(2), row(3), std::max({size(0), size(1), size(2), size(3)})};
}

BillboardProjection::Landing BillboardProjection::Land(const std::array<Vector3, 4>& corners) const {
  std::array<ClipPoint, 4> clip{};
  Landing landing{{0, -1, 0, -1}, Clipping::kNone, Vector3()};
  bool unsure = false;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    clip[i] = ToClip(corners[i]);
    const double outside = Outside(clip[i].x, clip[i].y, clip[i].z, clip[i].w);
    const double doubt = kRoundingShare * clip[i].scale;
    if (outside > doubt && landing.clipping != Clipping::kSome) {
      landing.clipping = Clipping::kSome;
      landing.outsideCorner = corners[i];
    }
    unsure = unsure || std::abs(outside) <= doubt || !std::isfinite(outside);
  }
  if (unsure && landing.clipping == Clipping::kNone) landing.clipping = Clipping::kUnsure;
  landing.footprint = FootprintOf(clip);
  return landing;
}

// Entirely before the near plane (which includes behind the eye) or beyond the far plane: GL
// clips the quad away whole. Otherwise the rectangle around the projected corners bounds it, as
// projection keeps straight lines straight wherever all of it lies in front of the eye.
BillboardProjection::Footprint BillboardProjection::FootprintOf(const std::array<ClipPoint, 4>& clip) const {
  const auto beforeNear = [](const ClipPoint& p) { return p.z + p.w < -kRoundingShare * p.scale; };
  const auto beyondFar = [](const ClipPoint& p) { return p.z - p.w > kRoundingShare * p.scale; };
  if (std::all_of(clip.begin(), clip.end(), beforeNear) || std::all_of(clip.begin(), clip.end(), beyondFar)) {
    return {0, -1, 0, -1};
  }
  const auto projectable = [](const ClipPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.w) && p.w > kLeastW;
  };
  if (!std::all_of(clip.begin(), clip.end(), projectable)) return WholeWindow();
  double left = clip[0].x / clip[0].w;
  double right = left;
  double bottom = clip[0].y / clip[0].w;
  double top = bottom;
  for (std::size_t i = 1; i < clip.size(); ++i) {
    left = std::min(left, clip[i].x / clip[i].w);
    right = std::max(right, clip[i].x / clip[i].w);
    bottom = std::min(bottom, clip[i].y / clip[i].w);
    top = std::max(top, clip[i].y / clip[i].w);
  }
  const double halfWidth = 0.5 * viewportWidth;
  const double halfHeight = 0.5 * viewportHeight;
  return {std::max(CellOf((left + 1.0) * halfWidth - kMarginPixels, columns), 0),
          std::min(CellOf((right + 1.0) * halfWidth + kMarginPixels, columns), columns - 1),
          std::max(CellOf((bottom + 1.0) * halfHeight - kMarginPixels, rows), 0),
          std::min(CellOf((top + 1.0) * halfHeight + kMarginPixels, rows), rows - 1)};
}
