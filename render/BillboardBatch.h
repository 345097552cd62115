// Billboard quads gathered in drawing order with the texture each run of them uses, sent to GL as
// vertex arrays at Flush: one draw call per run of equal textures, in the order the quads were
// added.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "math/Vector3.h"

class BillboardBatch {
 public:
  using Colour = std::array<float, 4>;

  // The texture for the quads that follow; naming the texture of the current run continues it.
  // GL sees the binding at Flush, and the texture named last stays bound after it.
  void BindTexture(unsigned texture);
  // The same, but the quads that follow get a draw call of their own even with the same texture.
  void StartRun(unsigned texture);
  // Corners in drawing order: top of the facing side, top of the other, bottom of the other,
  // bottom of the facing side; the image is stretched over them from its top left corner.
  void AddQuad(const std::array<Vector3, 4>& corners, const Colour& colour);
  // Draws what is gathered. Leaves GL's current colour and normal as drawing the quads one
  // vertex at a time would have left them.
  void Flush();
  // The draw calls the last Flush issued.
  int DrawCalls() const { return drawCalls; }

 private:
  struct Run {
    unsigned texture;
    std::size_t firstQuad;
  };

  void GrowFor(std::size_t quads);
  void DrawQuads(std::size_t first, std::size_t end);
  void DrawRuns();

  // Sized for the most quads gathered so far and never shrunk, so a frame allocates nothing once
  // the arrays have grown; only the first quadCount quads are drawn.
  std::vector<float> vertices;  // x, y, z per vertex
  std::vector<float> texCoords;
  std::vector<float> colours;
  std::size_t quadCount = 0;
  std::vector<Run> runs;
  bool textureNamed = false;
  unsigned namedTexture = 0;
  Colour lastColour{};
  int drawCalls = 0;
};
