// The vertex-array drawing of billboards (OpenGL 1.1 client arrays).
#include "render/BillboardBatch.h"

#include <GL/gl.h>

namespace {
constexpr std::array<float, 8> kQuadTexCoords{0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f};
}  // namespace

void BillboardBatch::BindTexture(unsigned texture) {
  Flush();
  glBindTexture(GL_TEXTURE_2D, texture);
}

void BillboardBatch::AddQuad(const std::array<Vector3, 4>& corners, const Colour& colour) {
  for (const Vector3& corner : corners) {
    vertices.insert(vertices.end(), {corner.x, corner.y, corner.z});
    colours.insert(colours.end(), colour.begin(), colour.end());
  }
  texCoords.insert(texCoords.end(), kQuadTexCoords.begin(), kQuadTexCoords.end());
  lastColour = colour;
}

void BillboardBatch::Flush() {
  if (vertices.empty()) return;
  glNormal3f(1.0f, 0.0f, 0.0f);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, vertices.data());
  glTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
  glColorPointer(4, GL_FLOAT, 0, colours.data());
  glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(vertices.size() / 3));
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  // The current colour is undefined after drawing from a colour array.
  glColor4f(lastColour[0], lastColour[1], lastColour[2], lastColour[3]);
  vertices.clear();
  texCoords.clear();
  colours.clear();
}
