// The order billboards are drawn in: each after the earlier ones it may share a window cell with.
#include "render/BillboardScheduler.h"

#include <GL/gl.h>

#include <algorithm>

#include "render/SpriteQuad.h"

void BillboardScheduler::Begin() {
  projection.TakeFromGl();
  textures.clear();
  quads.clear();
  segments.clear();
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
void BillboardScheduler::Add(const Sprite* sprite, unsigned texture) {
  if (sprite == nullptr) texture = 0;
  textureNamed = textureNamed || texture != 0;
  if (texture != runTexture) {
    runTexture = texture;
    ++runCount;
    runQuads = 0;
  }
  if (texture == 0) return;
  anyBillboard = true;
  lastColour = SpriteQuad::Tint(*sprite);
  if (runQuads++ % kQuadsPerSegment == 0) segments.push_back(Clipping::kNone);
  const auto segment = static_cast<std::uint32_t>(segments.size() - 1);
  const std::array<Vector3, 4> corners = SpriteQuad::Corners(*sprite);
  const BillboardProjection::Landing landing = projection.Land(corners);
  Mark(segment, landing.clipping);
  if (landing.clipping == Clipping::kSome && !haveOutsidePoint) {
    outsidePoint = landing.outsideCorner;
    haveOutsidePoint = true;
  }
  quads.push_back({corners, lastColour, landing.footprint, SlotOf(texture), runCount, segment, 0});
}

std::size_t BillboardScheduler::SlotOf(unsigned texture) {
  const auto known = std::find(textures.begin(), textures.end(), texture);
  if (known != textures.end()) return static_cast<std::size_t>(known - textures.begin());
  textures.push_back(texture);
  return textures.size() - 1;
}

// One clipped corner decides a segment; doubt only matters where none is certain.
void BillboardScheduler::Mark(std::uint32_t segment, Clipping clipping) {
  Clipping& marked = segments[segment];
  if (clipping == Clipping::kSome || (clipping == Clipping::kUnsure && marked == Clipping::kNone)) {
    marked = clipping;
  }
}

bool BillboardScheduler::AnySegmentInDoubt() const {
  return std::find(segments.begin(), segments.end(), Clipping::kUnsure) != segments.end();
}

void BillboardScheduler::Draw() {
  if (!prepared) Prepare();
  Finish();
}

void BillboardScheduler::Prepare() {
  prepared = true;
  drewRunByRun = AnySegmentInDoubt();
  if (drewRunByRun) {
    GatherRunByRun();
    return;
  }
  AssignKinds();
  FileByCell();
  CountWaits();
  GatherInDependencyOrder();
}

// Every billboard, those outside the window too, one draw call per run.
void BillboardScheduler::GatherRunByRun() {
  std::uint32_t run = 0;
  for (const Quad& quad : quads) {
    if (quad.run != run) batch.StartRun(textures[quad.textureSlot]);
    run = quad.run;
    batch.AddQuad(quad.corners, quad.colour);
  }
}

void BillboardScheduler::AssignKinds() {
  for (Quad& quad : quads) {
    quad.kind = static_cast<std::uint16_t>(2 * quad.textureSlot + (segments[quad.segment] == Clipping::kSome ? 1 : 0));
  }
}

template <typename Visit>
void BillboardScheduler::ForEachCell(const Footprint& footprint, Visit visit) const {
  const auto columns = static_cast<std::size_t>(projection.Columns());
  for (int row = footprint.firstRow; row <= footprint.lastRow; ++row) {
    const std::size_t rowStart = static_cast<std::size_t>(row) * columns;
    for (int column = footprint.firstColumn; column <= footprint.lastColumn; ++column) {
      visit(rowStart + static_cast<std::size_t>(column));
    }
  }
}

// Each cell's billboards in the handed order, all cells in one array: a counting pass, then a
// filling one. Billboards outside the window fill no pixel and are left out.
void BillboardScheduler::FileByCell() {
  const std::size_t cellCount = static_cast<std::size_t>(projection.Columns()) * static_cast<std::size_t>(projection.Rows());
  cellStart.assign(cellCount + 1, 0);
  for (const Quad& quad : quads) {
    if (!quad.footprint.Empty()) ForEachCell(quad.footprint, [this](std::size_t cell) { ++cellStart[cell + 1]; });
  }
  for (std::size_t cell = 1; cell <= cellCount; ++cell) cellStart[cell] += cellStart[cell - 1];
  cellEntries.resize(cellStart[cellCount]);
  cellNext.assign(cellStart.begin(), cellStart.end() - 1);
  for (std::size_t i = 0; i < quads.size(); ++i) {
    if (quads[i].footprint.Empty()) continue;
    const auto quad = static_cast<std::uint32_t>(i);
    ForEachCell(quads[i].footprint, [this, quad](std::size_t cell) { cellEntries[cellNext[cell]++] = quad; });
  }
  // From here on cellNext is each cell's first billboard not yet drawn.
  cellNext.assign(cellStart.begin(), cellStart.end() - 1);
}

// A billboard waits, in every cell it touches, for the earlier billboards there; those ready
// to draw start out in their kind's list.
void BillboardScheduler::CountWaits() {
  ready.resize(2 * textures.size());
  for (auto& kind : ready) kind.clear();
  waits.assign(quads.size(), 0);
  for (std::size_t i = 0; i < quads.size(); ++i) {
    if (quads[i].footprint.Empty()) continue;
    std::uint32_t& waiting = waits[i];
    ForEachCell(quads[i].footprint, [this, i, &waiting](std::size_t cell) {
      if (cellEntries[cellStart[cell]] != i) ++waiting;
    });
    if (waiting == 0) ready[quads[i].kind].push_back(static_cast<std::uint32_t>(i));
  }
}

// Draws the billboards of one kind for as long as any is ready, then turns to the kind with the
// most ready. Billboards ready at the same time share no cell, so their order among themselves
// changes no pixel; every other pair keeps the handed order.
void BillboardScheduler::GatherInDependencyOrder() {
  if (ready.empty()) return;
  std::size_t kind = 0;
  std::size_t next = 0;
  bool drawing = false;
  for (;;) {
    if (!drawing || next == ready[kind].size()) {
      if (drawing) ready[kind].clear();
      next = 0;
      drawing = true;
      const auto fullest = std::max_element(ready.begin(), ready.end(),
                                            [](const auto& a, const auto& b) { return a.size() < b.size(); });
      if (fullest->empty()) return;
      kind = static_cast<std::size_t>(fullest - ready.begin());
      batch.StartRun(textures[kind / 2]);
      drawingQuads = 0;
    }
    const std::uint32_t drawn = ready[kind][next++];
    AddToRun(quads[drawn], kind % 2 == 1);
    Release(quads[drawn].footprint);
  }
}

// The drawn billboard heads each of its cells; the one after it there waits for one cell less.
void BillboardScheduler::Release(const Footprint& footprint) {
  ForEachCell(footprint, [this](std::size_t cell) {
    const std::uint32_t after = ++cellNext[cell];
    if (after == cellStart[cell + 1]) return;
    const std::uint32_t waiting = cellEntries[after];
    if (--waits[waiting] == 0) ready[quads[waiting].kind].push_back(waiting);
  });
}

// A degenerate quad on a clipped corner fills no pixel and sends its segment through the clipper.
void BillboardScheduler::AddToRun(const Quad& quad, bool clipped) {
  if (clipped && drawingQuads % kQuadsPerSegment == 0) {
    batch.AddQuad({outsidePoint, outsidePoint, outsidePoint, outsidePoint}, quad.colour);
    ++drawingQuads;
  }
  batch.AddQuad(quad.corners, quad.colour);
  ++drawingQuads;
}

void BillboardScheduler::Finish() {
  if (textureNamed) batch.BindTexture(runTexture);
  batch.Flush();
  if (!anyBillboard) return;
  glNormal3f(1.0f, 0.0f, 0.0f);
  glColor4f(lastColour[0], lastColour[1], lastColour[2], lastColour[3]);
}
