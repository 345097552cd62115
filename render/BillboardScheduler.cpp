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
  const BillboardProjection::Landing landing = Land(*sprite, corners);
  Mark(segment, landing.clipping);
  if (landing.clipping == Clipping::kSome && !haveOutsidePoint) {
    outsidePoint = landing.outsideCorner;
    haveOutsidePoint = true;
  }
  quads.push_back({corners, lastColour, landing.footprint, SlotOf(texture), runCount, segment, 0, 0});
}

// A billboard surely beyond a side of the view is clipped away whole, and Land would report its
// first corner as the one clipped.
BillboardProjection::Landing BillboardScheduler::Land(const Sprite& sprite, const std::array<Vector3, 4>& corners) const {
  if (projection.SurelyOutside(SpriteQuad::Centre(sprite), SpriteQuad::Reach(sprite))) {
    return {{0, -1, 0, -1}, Clipping::kSome, corners[0]};
  }
  return projection.Land(corners);
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
  AssignPhases();
  GatherByPhase();
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

// Phases run through the kinds in turn: phase p is kind p % kinds. The billboards already given
// a phase in a cell never have a later phase than the last of them.
std::uint32_t BillboardScheduler::EarliestPhase(const Footprint& footprint, std::uint16_t kind) const {
  std::uint32_t after = 0;
  ForEachCell(footprint, [this, &after](std::size_t cell) { after = std::max(after, cellPhase[cell]); });
  const std::uint32_t earliest = after == 0 ? 0 : after - 1;
  const auto kinds = static_cast<std::uint32_t>(2 * textures.size());
  return earliest + (kind + kinds - earliest % kinds) % kinds;
}

// Billboards outside the window fill no pixel and are left out.
void BillboardScheduler::AssignPhases() {
  const std::size_t cellCount = static_cast<std::size_t>(projection.Columns()) * static_cast<std::size_t>(projection.Rows());
  cellPhase.assign(cellCount, 0);
  phaseStart.clear();
  for (Quad& quad : quads) {
    if (quad.footprint.Empty()) continue;
    quad.phase = EarliestPhase(quad.footprint, quad.kind);
    const std::uint32_t stored = quad.phase + 1;
    ForEachCell(quad.footprint, [this, stored](std::size_t cell) { cellPhase[cell] = stored; });
    if (phaseStart.size() < stored + 1) phaseStart.resize(stored + 1, 0);
    ++phaseStart[stored];
  }
}

// A counting sort by phase keeps the handed order within each phase. Billboards of one phase
// that share a cell are thus drawn in the handed order, and of any two sharing a cell the later
// never has the earlier phase.
void BillboardScheduler::GatherByPhase() {
  if (phaseStart.empty()) return;
  for (std::size_t phase = 1; phase < phaseStart.size(); ++phase) phaseStart[phase] += phaseStart[phase - 1];
  phaseOrder.resize(phaseStart.back());
  std::vector<std::uint32_t>& next = phaseStart;
  for (std::size_t i = 0; i < quads.size(); ++i) {
    if (!quads[i].footprint.Empty()) phaseOrder[next[quads[i].phase]++] = static_cast<std::uint32_t>(i);
  }
  // next[p] now stands where phase p + 1 begins.
  std::uint32_t begin = 0;
  for (std::size_t phase = 0; phase + 1 < phaseStart.size(); ++phase) {
    const std::uint32_t end = next[phase];
    if (end == begin) continue;
    const std::uint16_t kind = quads[phaseOrder[begin]].kind;
    batch.StartRun(textures[kind / 2]);
    drawingQuads = 0;
    for (std::uint32_t i = begin; i < end; ++i) AddToRun(quads[phaseOrder[i]], kind % 2 == 1);
    begin = end;
  }
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
