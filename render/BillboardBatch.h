// Billboard quads gathered while their texture stays the same and sent to GL as vertex arrays,
// one draw call per run of equal textures, in the order the quads were added.
#pragma once

#include <array>
#include <vector>

#include "math/Vector3.h"

class BillboardBatch {
 public:
  using Colour = std::array<float, 4>;

  // Draws the quads gathered so far, then binds the texture for the quads that follow.
  void BindTexture(unsigned texture);
  // Corners in drawing order: top of the facing side, top of the other, bottom of the other,
  // bottom of the facing side; the image is stretched over them from its top left corner.
  void AddQuad(const std::array<Vector3, 4>& corners, const Colour& colour);
  // Draws what is gathered. Leaves GL's current colour and normal as drawing the quads one
  // vertex at a time would have left them.
  void Flush();

 private:
  std::vector<float> vertices;  // x, y, z per vertex
  std::vector<float> texCoords;
  std::vector<float> colours;
  Colour lastColour{};
};
