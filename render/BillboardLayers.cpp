// Layering billboards by the window cells they may touch, and drawing them layer by layer.
#include "render/BillboardLayers.h"

#include <GL/gl.h>

#include <algorithm>

#include "render/Sprite.h"

void BillboardLayers::Begin() {
  projection.TakeFromGl();
  cells.assign(static_cast<std::size_t>(projection.Columns()) * static_cast<std::size_t>(projection.Rows()),
               Cell{-1, 0, false});
  textures.clear();
  quads.clear();
  segments.clear();
  layerCount = 0;
  drewRunByRun = false;
  prepared = false;
  runCount = 0;
  runTexture = 0;
  runQuads = 0;
  textureNamed = false;
  anyBillboard = false;
  haveOutsidePoint = false;
}

// Runs start and end where drawing them one at a time would bind another texture.
void BillboardLayers::Add(const Sprite* sprite) {
  const unsigned texture = sprite != nullptr ? sprite->texture : 0;
  textureNamed = textureNamed || texture != 0;
  if (texture != runTexture) {
    runTexture = texture;
    ++runCount;
    runQuads = 0;
  }
  if (sprite == nullptr || !sprite->hasTexture) return;
  anyBillboard = true;
  lastColour = sprite->Tint();
  if (runQuads++ % kQuadsPerSegment == 0) segments.push_back(Clipping::kNone);
  const auto segment = static_cast<std::uint32_t>(segments.size() - 1);
  const std::array<Vector3, 4> corners = sprite->Corners();
  const BillboardProjection::Landing landing = projection.Land(corners);
  Mark(segment, landing.clipping);
  if (landing.clipping == Clipping::kSome && !haveOutsidePoint) {
    outsidePoint = landing.outsideCorner;
    haveOutsidePoint = true;
  }
  quads.push_back({corners, lastColour, landing.footprint, SlotOf(texture), runCount, segment, 0, -1});
}

std::size_t BillboardLayers::SlotOf(unsigned texture) {
  const auto known = std::find(textures.begin(), textures.end(), texture);
  if (known != textures.end()) return static_cast<std::size_t>(known - textures.begin());
  textures.push_back(texture);
  return textures.size() - 1;
}

// One clipped corner decides a segment; doubt only matters where none is certain.
void BillboardLayers::Mark(std::uint32_t segment, Clipping clipping) {
  Clipping& marked = segments[segment];
  if (clipping == Clipping::kSome || (clipping == Clipping::kUnsure && marked == Clipping::kNone)) {
    marked = clipping;
  }
}

bool BillboardLayers::AnySegmentInDoubt() const {
  return std::find(segments.begin(), segments.end(), Clipping::kUnsure) != segments.end();
}

void BillboardLayers::Draw() {
  if (!prepared) Prepare();
  Finish();
}

void BillboardLayers::Prepare() {
  prepared = true;
  drewRunByRun = AnySegmentInDoubt();
  if (drewRunByRun) {
    GatherRunByRun();
  } else {
    AssignLayers();
    OrderByLayerAndKind();
    // Each layer starts with the kind the layer before ended with, so that the two groups join
    // into one draw call.
    for (std::size_t layer = 0; layer < static_cast<std::size_t>(layerCount); ++layer) {
      const std::size_t firstKind = drawingKind;
      AddGroup(layer, firstKind);
      for (std::size_t kind = 0; kind < 2 * textures.size(); ++kind) {
        if (kind != firstKind) AddGroup(layer, kind);
      }
    }
  }
}

// Every billboard, those outside the window too, one draw call per run.
void BillboardLayers::GatherRunByRun() {
  std::uint32_t run = 0;
  for (const Quad& quad : quads) {
    if (quad.run != run) batch.StartRun(textures[quad.textureSlot]);
    run = quad.run;
    batch.AddQuad(quad.corners, quad.colour);
  }
}

// Billboards outside the window fill no pixel and get no layer.
void BillboardLayers::AssignLayers() {
  for (Quad& quad : quads) {
    quad.kind = static_cast<std::uint16_t>(2 * quad.textureSlot + (segments[quad.segment] == Clipping::kSome ? 1 : 0));
    if (quad.footprint.Empty()) continue;
    quad.layer = LayerOver(quad.footprint, quad.kind);
    Claim(quad.footprint, quad.kind, quad.layer);
    layerCount = std::max(layerCount, quad.layer + 1);
  }
}

int BillboardLayers::LayerOver(const Footprint& footprint, std::uint16_t kind) const {
  int layer = 0;
  const auto columns = static_cast<std::size_t>(projection.Columns());
  for (int row = footprint.firstRow; row <= footprint.lastRow; ++row) {
    const Cell* cell = cells.data() + static_cast<std::size_t>(row) * columns;
    for (int column = footprint.firstColumn; column <= footprint.lastColumn; ++column) {
      const Cell& here = cell[column];
      if (here.top < 0) continue;
      const bool sameKind = !here.mixed && here.kind == kind;
      layer = std::max(layer, sameKind ? here.top : here.top + 1);
    }
  }
  return layer;
}

// The layer is at least every touched cell's top, so it never lowers one.
void BillboardLayers::Claim(const Footprint& footprint, std::uint16_t kind, int layer) {
  const auto columns = static_cast<std::size_t>(projection.Columns());
  for (int row = footprint.firstRow; row <= footprint.lastRow; ++row) {
    Cell* cell = cells.data() + static_cast<std::size_t>(row) * columns;
    for (int column = footprint.firstColumn; column <= footprint.lastColumn; ++column) {
      Cell& here = cell[column];
      if (layer > here.top) {
        here = {layer, kind, false};
      } else if (here.kind != kind) {
        here.mixed = true;
      }
    }
  }
}

// A counting sort, stable so that each group keeps the handed order. Afterwards group g of
// order runs from the end of group g - 1 to groupEnds[g].
void BillboardLayers::OrderByLayerAndKind() {
  groupEnds.assign(static_cast<std::size_t>(layerCount) * 2 * textures.size() + 1, 0);
  std::size_t drawn = 0;
  for (const Quad& quad : quads) {
    if (quad.layer < 0) continue;
    ++groupEnds[GroupOf(quad) + 1];
    ++drawn;
  }
  for (std::size_t group = 1; group < groupEnds.size(); ++group) groupEnds[group] += groupEnds[group - 1];
  order.resize(drawn);
  for (std::size_t i = 0; i < quads.size(); ++i) {
    if (quads[i].layer >= 0) order[groupEnds[GroupOf(quads[i])]++] = i;
  }
  drawingKind = 0;
  drawingQuads = 0;
}

std::size_t BillboardLayers::GroupOf(std::size_t layer, std::size_t kind) const {
  return layer * 2 * textures.size() + kind;
}

std::size_t BillboardLayers::GroupOf(const Quad& quad) const {
  return GroupOf(static_cast<std::size_t>(quad.layer), quad.kind);
}

// A group of the kind being drawn continues its draw call.
void BillboardLayers::AddGroup(std::size_t layer, std::size_t kind) {
  const std::size_t group = GroupOf(layer, kind);
  const std::size_t begin = group == 0 ? 0 : groupEnds[group - 1];
  if (begin == groupEnds[group]) return;
  if (drawingQuads == 0 || kind != drawingKind) {
    batch.StartRun(textures[kind / 2]);
    drawingKind = kind;
    drawingQuads = 0;
  }
  for (std::size_t i = begin; i < groupEnds[group]; ++i) AddToRun(quads[order[i]], kind % 2 == 1);
}

// A degenerate quad on a clipped corner fills no pixel and sends its segment through the clipper.
void BillboardLayers::AddToRun(const Quad& quad, bool clipped) {
  if (clipped && drawingQuads % kQuadsPerSegment == 0) {
    batch.AddQuad({outsidePoint, outsidePoint, outsidePoint, outsidePoint}, quad.colour);
    ++drawingQuads;
  }
  batch.AddQuad(quad.corners, quad.colour);
  ++drawingQuads;
}

void BillboardLayers::Finish() {
  if (textureNamed) batch.BindTexture(runTexture);
  batch.Flush();
  if (!anyBillboard) return;
  glNormal3f(1.0f, 0.0f, 0.0f);
  glColor4f(lastColour[0], lastColour[1], lastColour[2], lastColour[3]);
}
