// Billboards handed over back to front and drawn with few texture changes, pixel for pixel as
// drawing one run of equal textures at a time in that order does.
//
// Blending and the depth test act on each pixel alone, so only billboards that share a pixel
// must keep their order. The window is cut into cells, and a billboard waits for every earlier
// billboard in each cell it may touch. Of those that wait for nothing, one kind is drawn for as
// long as any of it is ready, in one draw call, before the kind with the most ready ones takes
// over. Every change of texture costs Mesa a copy of its whole sampler state, so the fewer
// changes, the better.
//
// A kind is a texture and the way Mesa's software GL will treat the billboard's draw call. It
// takes a draw call's quads kQuadsPerSegment at a time, and a segment in which any corner needs
// clipping goes through its clipper, which rounds window positions and depths of all the segment's
// quads a little differently. A billboard keeps the treatment its segment of its run had: a
// clipped segment is drawn with a degenerate quad outside the view leading each segment. When a
// run's treatment is in doubt (a corner on the edge of the view) the frame is drawn run by run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "math/Vector3.h"
#include "render/BillboardBatch.h"
#include "render/BillboardProjection.h"

class Sprite;

class BillboardScheduler {
 public:
  static constexpr std::size_t kQuadsPerSegment = 1024;

  // Takes the transforms and viewport GL draws with now; the billboards added next are laid out
  // in that window.
  void Begin();
  // Back to front, each with the texture it is drawn with. A sprite with texture 0 is not drawn,
  // and an object without a billboard passes null; either still ends a run of textures.
  void Add(const Sprite* sprite, unsigned texture);
  // Orders what was added since Begin and gathers the quads to draw. It makes no GL call, so
  // it may run on another thread while GL draws something else.
  void Prepare();
  // Draws what was added since Begin, preparing it first unless that is done. Leaves GL's current
  // colour, normal and texture binding as drawing the billboards one at a time in the handed
  // order would.
  void Draw();

  // Of the last Draw.
  int DrawCalls() const { return batch.DrawCalls(); }
  bool DrewRunByRun() const { return drewRunByRun; }

 private:
  using Clipping = BillboardProjection::Clipping;
  using Footprint = BillboardProjection::Footprint;

  struct Quad {
    std::array<Vector3, 4> corners;
    BillboardBatch::Colour colour;
    Footprint footprint;
    std::size_t textureSlot;
    std::uint32_t run;
    std::uint32_t segment;
    std::uint16_t kind;
  };

  std::size_t SlotOf(unsigned texture);
  void Mark(std::uint32_t segment, Clipping clipping);
  bool AnySegmentInDoubt() const;
  void GatherRunByRun();
  void AssignKinds();
  template <typename Visit>
  void ForEachCell(const Footprint& footprint, Visit visit) const;
  void FileByCell();
  void CountWaits();
  void GatherInDependencyOrder();
  void Release(const Footprint& footprint);
  void AddToRun(const Quad& quad, bool clipped);
  void Finish();

  BillboardProjection projection;
  // The distinct textures of this frame; quads name theirs by position in it. Kind k is texture
  // slot k / 2, clipped when k is odd.
  std::vector<unsigned> textures;
  // Every billboard with a texture, in the handed order, also those outside the window: they
  // shaped their runs' segments.
  std::vector<Quad> quads;
  std::vector<Clipping> segments;
  // Cell c's billboards, in the handed order, are cellEntries[cellStart[c]] up to
  // cellStart[c + 1]; cellNext[c] is where its first billboard not yet drawn stands.
  std::vector<std::uint32_t> cellStart;
  std::vector<std::uint32_t> cellEntries;
  std::vector<std::uint32_t> cellNext;
  // For each billboard, the cells in which an earlier one is not yet drawn.
  std::vector<std::uint32_t> waits;
  // For each kind, billboards that wait for nothing; kept between frames so that they do not
  // allocate once grown.
  std::vector<std::vector<std::uint32_t>> ready;
  bool drewRunByRun = false;
  bool prepared = false;

  // The run the handed billboards are in: a new one starts wherever the texture changes.
  std::uint32_t runCount = 0;
  unsigned runTexture = 0;
  std::size_t runQuads = 0;
  bool textureNamed = false;
  bool anyBillboard = false;
  BillboardBatch::Colour lastColour{};
  bool haveOutsidePoint = false;
  Vector3 outsidePoint;

  // How many quads the draw call being filled has.
  std::size_t drawingQuads = 0;
  BillboardBatch batch;
};
