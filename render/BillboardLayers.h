// Billboards handed over back to front and drawn with few texture changes, pixel for pixel as
// drawing one run of equal textures at a time in that order does.
//
// Blending and the depth test act on each pixel alone, so only billboards that share a pixel
// must keep their order. Each billboard gets a layer: the highest layer among the earlier
// billboards it may share a pixel with, one higher if that one is of another kind. Drawing layer
// by layer, kind by kind within a layer, and in the handed order within a kind keeps every such
// pair in order, with one draw call per layer and kind instead of one per change of texture.
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

class BillboardLayers {
 public:
  static constexpr std::size_t kQuadsPerSegment = 1024;

  // Takes the transforms and viewport GL draws with now; the billboards added next are laid out
  // in that window.
  void Begin();
  // Back to front. An object without a billboard passes null; it still ends a run of textures.
  void Add(const Sprite* sprite);
  // Lays out what was added since Begin and gathers the quads to draw. It makes no GL call, so
  // it may run on another thread while GL draws something else.
  void Prepare();
  // Draws what was added since Begin, preparing it first unless that is done. Leaves GL's current
  // colour, normal and texture binding as drawing the billboards one at a time in the handed
  // order would.
  void Draw();

  // Of the last Draw.
  int DrawCalls() const { return batch.DrawCalls(); }
  int LayerCount() const { return layerCount; }
  bool DrewRunByRun() const { return drewRunByRun; }

 private:
  using Clipping = BillboardProjection::Clipping;
  using Footprint = BillboardProjection::Footprint;

  // The highest layer drawn into the cell so far, and the kind of the billboards that reached it,
  // unless several did; lower layers never decide a later billboard's layer.
  // Eight bytes, as the whole grid is cleared every frame.
  struct Cell {
    std::int32_t top;
    std::uint16_t kind;
    bool mixed;
  };
  struct Quad {
    std::array<Vector3, 4> corners;
    BillboardBatch::Colour colour;
    Footprint footprint;
    std::size_t textureSlot;
    std::uint32_t run;
    std::uint32_t segment;
    std::uint16_t kind;
    int layer;
  };

  std::size_t SlotOf(unsigned texture);
  void Mark(std::uint32_t segment, Clipping clipping);
  bool AnySegmentInDoubt() const;
  void GatherRunByRun();
  void AssignLayers();
  int LayerOver(const Footprint& footprint, std::uint16_t kind) const;
  void Claim(const Footprint& footprint, std::uint16_t kind, int layer);
  void OrderByLayerAndKind();
  std::size_t GroupOf(std::size_t layer, std::size_t kind) const;
  std::size_t GroupOf(const Quad& quad) const;
  void AddGroup(std::size_t layer, std::size_t kind);
  void AddToRun(const Quad& quad, bool clipped);
  void Finish();

  BillboardProjection projection;
  std::vector<Cell> cells;
  // The distinct textures of this frame; quads name theirs by position in it. Kind k is texture
  // slot k / 2, clipped when k is odd.
  std::vector<unsigned> textures;
  // Every billboard with a texture, in the handed order, also those outside the window: they
  // shaped their runs' segments.
  std::vector<Quad> quads;
  std::vector<Clipping> segments;
  // Positions in quads of the billboards to draw, ordered by layer, then kind, then the handed
  // order; groupEnds tells where each layer and kind's run ends.
  std::vector<std::size_t> order;
  std::vector<std::size_t> groupEnds;
  int layerCount = 0;
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

  // The draw call being filled: its kind and how many quads it has.
  std::size_t drawingKind = 0;
  std::size_t drawingQuads = 0;
  BillboardBatch batch;
};
