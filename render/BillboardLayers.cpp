// Layering billboards by the window cells they may touch, and drawing them layer by layer.
#include "render/BillboardLayers.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "render/Sprite.h"

namespace {
// Coarse cells keep the layering cheap; a billboard only shares more cells with its neighbours.
constexpr int kCellPixels = 8;
// Projected here in double and by GL in its own arithmetic, a corner may land a little apart;
// the footprint is widened so that it still holds every pixel GL fills.
constexpr double kMarginPixels = 2.0;
// Corners nearer the eye's plane than this project too far to bound the billboard.
constexpr double kLeastW = 1e-6;

struct ClipPoint {
  double x, y, z, w;
};

// Entirely in front of the near plane (which includes behind the eye) or beyond the far plane,
// with room for rounding: GL clips such a quad away whole.
bool ClippedByDepth(const std::array<ClipPoint, 4>& clip) {
  const auto beforeNear = [](const ClipPoint& p) { return p.z + p.w < -1e-4 * (std::abs(p.z) + std::abs(p.w)); };
  const auto beyondFar = [](const ClipPoint& p) { return p.z - p.w > 1e-4 * (std::abs(p.z) + std::abs(p.w)); };
  return std::all_of(clip.begin(), clip.end(), beforeNear) || std::all_of(clip.begin(), clip.end(), beyondFar);
}

bool Projectable(const ClipPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.w) && p.w > kLeastW;
}

// The cell holding a window coordinate, clamped to one cell beyond either end of the grid before
// the conversion so that the integer always exists.
int CellOf(double pixels, int cellCount) {
  const double cell = std::floor(pixels / kCellPixels);
  return static_cast<int>(std::clamp(cell, -1.0, static_cast<double>(cellCount)));
}
}  // namespace

void BillboardLayers::Begin() {
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
  viewportWidth = static_cast<float>(viewport[2]);
  viewportHeight = static_cast<float>(viewport[3]);
  columns = (std::max(viewport[2], 0) + kCellPixels - 1) / kCellPixels;
  rows = (std::max(viewport[3], 0) + kCellPixels - 1) / kCellPixels;
  cells.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), Cell{-1, 0, false});
  textures.clear();
  quads.clear();
  layerCount = 0;
  textureNamed = false;
  anyBillboard = false;
}

// A billboard outside the window fills no pixel and is left out; its colour still counts.
void BillboardLayers::Add(const Sprite* sprite) {
  const unsigned texture = sprite != nullptr ? sprite->texture : 0;
  textureNamed = textureNamed || texture != 0;
  lastTexture = texture;
  if (sprite == nullptr || !sprite->hasTexture) return;
  anyBillboard = true;
  lastColour = sprite->Tint();
  const std::array<Vector3, 4> corners = sprite->Corners();
  const Footprint footprint = FootprintOf(corners);
  if (footprint.firstColumn > footprint.lastColumn || footprint.firstRow > footprint.lastRow) return;
  const int layer = LayerOver(footprint, texture);
  Claim(footprint, texture, layer);
  layerCount = std::max(layerCount, layer + 1);
  quads.push_back({corners, lastColour, SlotOf(texture), layer});
}

std::size_t BillboardLayers::SlotOf(unsigned texture) {
  const auto known = std::find(textures.begin(), textures.end(), texture);
  if (known != textures.end()) return static_cast<std::size_t>(known - textures.begin());
  textures.push_back(texture);
  return textures.size() - 1;
}

BillboardLayers::Footprint BillboardLayers::WholeWindow() const { return {0, columns - 1, 0, rows - 1}; }

// The rectangle around the projected corners bounds the quad: projection keeps straight lines
// straight wherever all of it lies in front of the eye.
BillboardLayers::Footprint BillboardLayers::FootprintOf(const std::array<Vector3, 4>& corners) const {
  std::array<ClipPoint, 4> clip{};
  const auto& m = clipFromWorld;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const double x = corners[i].x;
    const double y = corners[i].y;
    const double z = corners[i].z;
    clip[i] = {m[0] * x + m[1] * y + m[2] * z + m[3], m[4] * x + m[5] * y + m[6] * z + m[7],
               m[8] * x + m[9] * y + m[10] * z + m[11], m[12] * x + m[13] * y + m[14] * z + m[15]};
  }
  if (ClippedByDepth(clip)) return {0, -1, 0, -1};
  if (!std::all_of(clip.begin(), clip.end(), Projectable)) return WholeWindow();
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

int BillboardLayers::LayerOver(const Footprint& footprint, unsigned texture) const {
  int layer = 0;
  for (int row = footprint.firstRow; row <= footprint.lastRow; ++row) {
    const Cell* cell = cells.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(columns);
    for (int column = footprint.firstColumn; column <= footprint.lastColumn; ++column) {
      const Cell& here = cell[column];
      if (here.top < 0) continue;
      const bool sameTexture = !here.mixed && here.texture == texture;
      layer = std::max(layer, sameTexture ? here.top : here.top + 1);
    }
  }
  return layer;
}

// The layer is at least every touched cell's top, so it never lowers one.
void BillboardLayers::Claim(const Footprint& footprint, unsigned texture, int layer) {
  for (int row = footprint.firstRow; row <= footprint.lastRow; ++row) {
    Cell* cell = cells.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(columns);
    for (int column = footprint.firstColumn; column <= footprint.lastColumn; ++column) {
      Cell& here = cell[column];
      if (layer > here.top) {
        here = {layer, texture, false};
      } else if (here.texture != texture) {
        here.mixed = true;
      }
    }
  }
}

// A counting sort, stable so that each group keeps the handed order. Afterwards group g of
// order runs from the end of group g - 1 to groupEnds[g].
void BillboardLayers::OrderByLayerAndTexture() {
  groupEnds.assign(static_cast<std::size_t>(layerCount) * textures.size() + 1, 0);
  for (const Quad& quad : quads) ++groupEnds[GroupOf(quad) + 1];
  for (std::size_t group = 1; group < groupEnds.size(); ++group) groupEnds[group] += groupEnds[group - 1];
  order.resize(quads.size());
  for (std::size_t i = 0; i < quads.size(); ++i) order[groupEnds[GroupOf(quads[i])]++] = i;
}

std::size_t BillboardLayers::GroupOf(const Quad& quad) const {
  return static_cast<std::size_t>(quad.layer) * textures.size() + quad.textureSlot;
}

bool BillboardLayers::AddGroup(std::size_t layer, std::size_t slot) {
  const std::size_t group = layer * textures.size() + slot;
  const std::size_t begin = group == 0 ? 0 : groupEnds[group - 1];
  if (begin == groupEnds[group]) return false;
  batch.BindTexture(textures[slot]);
  for (std::size_t i = begin; i < groupEnds[group]; ++i) batch.AddQuad(quads[order[i]].corners, quads[order[i]].colour);
  return true;
}

// Each layer starts with the texture the layer before ended with, so the two groups join into
// one draw call.
void BillboardLayers::Draw() {
  OrderByLayerAndTexture();
  std::size_t lastSlot = 0;
  for (std::size_t layer = 0; layer < static_cast<std::size_t>(layerCount); ++layer) {
    const std::size_t firstSlot = lastSlot;
    if (AddGroup(layer, firstSlot)) lastSlot = firstSlot;
    for (std::size_t slot = 0; slot < textures.size(); ++slot) {
      if (slot != firstSlot && AddGroup(layer, slot)) lastSlot = slot;
    }
  }
  if (textureNamed) batch.BindTexture(lastTexture);
  batch.Flush();
  if (!anyBillboard) return;
  glNormal3f(1.0f, 0.0f, 0.0f);
  glColor4f(lastColour[0], lastColour[1], lastColour[2], lastColour[3]);
}
