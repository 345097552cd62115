// The vertex-array drawing of billboards (OpenGL 1.1 client arrays).
#include "render/BillboardBatch.h"

#include <GL/gl.h>

#include <algorithm>

namespace {
constexpr std::array<float, 8> kQuadTexCoords{0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f};
constexpr std::size_t kVertexFloats = 12;
constexpr std::size_t kTexCoordFloats = kQuadTexCoords.size();
constexpr std::size_t kColourFloats = 16;
}  // namespace

void BillboardBatch::BindTexture(unsigned texture) {
  if (!textureNamed || texture != namedTexture) StartRun(texture);
}

void BillboardBatch::StartRun(unsigned texture) {
  runs.push_back({texture, quadCount});
  textureNamed = true;
  namedTexture = texture;
}

// Every quad has the same texture coordinates, so they are written once, when the arrays grow.
void BillboardBatch::GrowFor(std::size_t quads) {
  const std::size_t capacity = texCoords.size() / kTexCoordFloats;
  if (quads <= capacity) return;
  const std::size_t grown = std::max(quads, 2 * capacity);
  vertices.resize(grown * kVertexFloats);
  colours.resize(grown * kColourFloats);
  texCoords.resize(grown * kTexCoordFloats);
  for (std::size_t quad = capacity; quad < grown; ++quad) {
    std::copy(kQuadTexCoords.begin(), kQuadTexCoords.end(), texCoords.begin() + quad * kTexCoordFloats);
  }
}

void BillboardBatch::AddQuad(const std::array<Vector3, 4>& corners, const Colour& colour) {
  GrowFor(quadCount + 1);
  float* vertex = vertices.data() + quadCount * kVertexFloats;
  float* tint = colours.data() + quadCount * kColourFloats;
  for (const Vector3& corner : corners) {
    *vertex++ = corner.x;
    *vertex++ = corner.y;
    *vertex++ = corner.z;
    tint = std::copy(colour.begin(), colour.end(), tint);
  }
  ++quadCount;
  lastColour = colour;
}

void BillboardBatch::DrawQuads(std::size_t first, std::size_t end) {
  if (end == first) return;
  glDrawArrays(GL_QUADS, static_cast<GLint>(4 * first), static_cast<GLsizei>(4 * (end - first)));
  ++drawCalls;
}

// Quads gathered before any texture was named are drawn with whatever texture GL has bound. A run
// of no quads binds nothing, and only the texture named last must outlive the Flush.
void BillboardBatch::DrawRuns() {
  DrawQuads(0, runs.empty() ? quadCount : runs.front().firstQuad);
  bool bound = false;
  unsigned boundTexture = 0;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::size_t end = i + 1 < runs.size() ? runs[i + 1].firstQuad : quadCount;
    if (end == runs[i].firstQuad) continue;
    glBindTexture(GL_TEXTURE_2D, runs[i].texture);
    bound = true;
    boundTexture = runs[i].texture;
    DrawQuads(runs[i].firstQuad, end);
  }
  if (textureNamed && (!bound || boundTexture != namedTexture)) glBindTexture(GL_TEXTURE_2D, namedTexture);
}

void BillboardBatch::Flush() {
  drawCalls = 0;
  if (quadCount > 0) {
    glNormal3f(1.0f, 0.0f, 0.0f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices.data());
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
    glColorPointer(4, GL_FLOAT, 0, colours.data());
  }
  DrawRuns();
  if (quadCount > 0) {
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    // The current colour is undefined after drawing from a colour array.
    glColor4f(lastColour[0], lastColour[1], lastColour[2], lastColour[3]);
  }
  quadCount = 0;
  runs.clear();
  textureNamed = false;
}
