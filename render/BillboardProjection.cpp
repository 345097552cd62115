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
