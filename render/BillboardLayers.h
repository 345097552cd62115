// Billboards handed over back to front and drawn with few texture changes, pixel for pixel as
// drawing them in that order would. Blending and the depth test act on each pixel alone, so only
// billboards that share a pixel must keep their order. Each billboard gets a layer: the highest
// layer among the earlier billboards it may share a pixel with, one higher if that one has
// another texture. Drawing layer by layer, texture by texture within a layer, and in the handed
// order within a texture keeps every such pair in order, with one draw call per layer and
// texture instead of one per change of texture.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "math/Vector3.h"
#include "render/BillboardBatch.h"

class Sprite;

class BillboardLayers {
 public:
  // Takes the transforms and viewport GL draws with now; the billboards added next are laid out
  // in that window.
  void Begin();
  // Back to front. An object without a billboard passes null; it still counts for the texture
  // left bound, as drawing one run of textures at a time would leave it.
  void Add(const Sprite* sprite);
  // Draws what was added since Begin. Leaves GL's current colour, normal and texture binding as
  // drawing the billboards one at a time in the handed order would.
  void Draw();

  // Of the last Draw.
  int DrawCalls() const { return batch.DrawCalls(); }
  int LayerCount() const { return layerCount; }

 private:
  // Window cells of the grid a billboard may touch, both ends included; empty when first > last.
  struct Footprint {
    int firstColumn;
    int lastColumn;
    int firstRow;
    int lastRow;
  };
  // The highest layer drawn into the cell so far, and the texture of the billboards that reached
  // it, unless several did; lower layers never decide a later billboard's layer.
  struct Cell {
    int top;
    unsigned texture;
    bool mixed;
  };
  struct Quad {
    std::array<Vector3, 4> corners;
    BillboardBatch::Colour colour;
    std::size_t textureSlot;
    int layer;
  };

  Footprint FootprintOf(const std::array<Vector3, 4>& corners) const;
  Footprint WholeWindow() const;
  int LayerOver(const Footprint& footprint, unsigned texture) const;
  void Claim(const Footprint& footprint, unsigned texture, int layer);
  std::size_t SlotOf(unsigned texture);
  void OrderByLayerAndTexture();
  std::size_t GroupOf(const Quad& quad) const;
  // Adds the group's quads to the batch; false when it has none.
  bool AddGroup(std::size_t layer, std::size_t slot);

  std::array<double, 16> clipFromWorld{};  // row-major, for column vectors
  float viewportWidth = 0.0f;
  float viewportHeight = 0.0f;
  int columns = 0;
  int rows = 0;
  std::vector<Cell> cells;
  // The distinct textures of this frame; quads name theirs by position in it.
  std::vector<unsigned> textures;
  std::vector<Quad> quads;
  // The quads' positions ordered by layer, then texture slot, then the handed order; groupEnds
  // tells where each layer and slot's run ends.
  std::vector<std::size_t> order;
  std::vector<std::size_t> groupEnds;
  int layerCount = 0;
  bool textureNamed = false;
  unsigned lastTexture = 0;
  bool anyBillboard = false;
  BillboardBatch::Colour lastColour{};
  BillboardBatch batch;
};
