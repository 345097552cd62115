// Billboards handed over back to front and drawn with few texture changes, pixel for pixel as
// drawing one run of equal textures at a time in that order does.
//
// Blending and the depth test act on each pixel alone, so only billboards that share a pixel
// must keep their order. The window is cut into cells, and each billboard is given the earliest
// phase of its kind that comes no earlier than the phase of any earlier billboard in the cells
// it may touch; the kinds take turns phase by phase, and each phase is one draw call of its
// billboards in the handed order. Every change of texture costs Mesa a copy of its whole sampler
// state, so the fewer phases hold billboards, the better; and one pass over the cells with a
// phase per cell costs a fraction of keeping every cell's list of billboards.
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
    std::uint32_t phase;
    std::uint16_t kind;
  };

  BillboardProjection::Landing Land(const Sprite& sprite, const std::array<Vector3, 4>& corners) const;
  std::size_t SlotOf(unsigned texture);
  void Mark(std::uint32_t segment, Clipping clipping);
  bool AnySegmentInDoubt() const;
  void GatherRunByRun();
  void AssignKinds();
  template <typename Visit>
  void ForEachCell(const Footprint& footprint, Visit visit) const;
  std::uint32_t EarliestPhase(const Footprint& footprint, std::uint16_t kind) const;
  void AssignPhases();
  void GatherByPhase();
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
  // For each cell, one more than the phase of the last billboard given to it so far; 0 for none.
  std::vector<std::uint32_t> cellPhase;
  // Billboards in drawing order, phase after phase; phase p's are phaseOrder[phaseStart[p]] up to
  // phaseStart[p + 1]. Kept between frames so that they do not allocate once grown.
  std::vector<std::uint32_t> phaseStart;
  std::vector<std::uint32_t> phaseOrder;
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
