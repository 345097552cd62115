// The dynamic terrain's vertex arrays (OpenGL 1.1 client arrays) and their strips.
#include "render/TerrainArrays.h"

#include <GL/gl.h>

#include <cstddef>

#include "render/TerrainDrawing.h"
#include "terrain/Terrain.h"

void TerrainArrays::Draw(const Terrain& terrain, float xOffset, float yOffset, float zOffset) {
  if (!Matches(terrain, xOffset, yOffset, zOffset)) LayOut(terrain, xOffset, yOffset, zOffset);
  TerrainDrawing::BeginGrid(terrain);
  DrawStrips(terrain);
  TerrainDrawing::EndGrid();
}

bool TerrainArrays::Matches(const Terrain& terrain, float xOffset, float yOffset, float zOffset) const {
  return terrain.width == width && terrain.depth == depth && offsets[0] == xOffset && offsets[1] == yOffset &&
         offsets[2] == zOffset && terrain.Heights() == heights;
}

// Positions computed as the call per vertex computes them, so that GL gets the same floats.
void TerrainArrays::LayOut(const Terrain& terrain, float xOffset, float yOffset, float zOffset) {
  width = terrain.width;
  depth = terrain.depth;
  offsets[0] = xOffset;
  offsets[1] = yOffset;
  offsets[2] = zOffset;
  heights = terrain.Heights();
  positions.clear();
  strips.clear();
  if (width <= 0 || depth <= 0) return;
  const float halfWidth = static_cast<float>(width) * 0.5f;
  const float halfDepth = static_cast<float>(depth) * 0.5f;
  positions.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(depth) * 3);
  for (int row = 0; row < depth; ++row) {
    const float z = zOffset + (static_cast<float>(depth) - halfDepth) - static_cast<float>(row);
    for (int column = 0; column < width; ++column) {
      const std::size_t point = static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + column;
      positions.insert(positions.end(), {xOffset + ((halfWidth - static_cast<float>(width)) + static_cast<float>(column)),
                                         yOffset + heights[point], z});
    }
  }
  for (int row = 0; row + 1 < depth; ++row) {
    for (int column = 0; column < width; ++column) {
      strips.push_back(static_cast<std::uint32_t>((row + 1) * width + column));
      strips.push_back(static_cast<std::uint32_t>(row * width + column));
    }
  }
}

// Drawing from arrays leaves GL's current colour and normal undefined; the last strip's last
// point is what the call per vertex leaves them at.
void TerrainArrays::DrawStrips(const Terrain& terrain) const {
  if (strips.empty()) return;
  const bool withColours = !terrain.colours.empty();
  const bool withNormals = !terrain.normals.empty();
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, positions.data());
  if (withColours) {
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(3, GL_FLOAT, 0, terrain.colours.data());
  }
  if (withNormals) {
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, terrain.normals.data());
  }
  const auto stripLength = static_cast<std::size_t>(2 * width);
  for (std::size_t first = 0; first < strips.size(); first += stripLength) {
    glDrawElements(GL_TRIANGLE_STRIP, static_cast<GLsizei>(stripLength), GL_UNSIGNED_INT, strips.data() + first);
  }
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  const std::size_t last = strips.back();
  if (withColours) glColor3fv(&terrain.colours[last * 3]);
  if (withNormals) glNormal3fv(&terrain.normals[last * 3]);
}
