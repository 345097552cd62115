// Terrain drawing: the grid's triangle strips with their colours and normals.
#include "render/TerrainDrawing.h"

#include <GL/gl.h>

#include <cstddef>
#include <vector>

#include "terrain/Terrain.h"

unsigned int TerrainDrawing::BuildDisplayList(const Terrain& terrain, float xOffset, float yOffset, float zOffset) {
  const unsigned int listName = glGenLists(1);
  glNewList(listName, GL_COMPILE);
  DrawGrid(terrain, xOffset, yOffset, zOffset);
  glEndList();
  return listName;
}

void TerrainDrawing::DrawImmediate(const Terrain& terrain, float xOffset, float yOffset, float zOffset) {
  DrawGrid(terrain, xOffset, yOffset, zOffset);
}

void TerrainDrawing::DrawGrid(const Terrain& terrain, float xOffset, float yOffset, float zOffset) {
  const int width = terrain.width;
  const int depth = terrain.depth;
  const std::vector<float>& colours = terrain.colours;
  const std::vector<float>& normals = terrain.normals;
  const std::vector<float>& heights = terrain.Heights();
  const bool withColours = !colours.empty();
  const bool withNormals = !normals.empty();
  BeginGrid(terrain);
  const float halfWidth = static_cast<float>(width) * 0.5f;
  const float halfDepth = static_cast<float>(depth) * 0.5f;
  const auto vertex = [&](int col, int row, float x, float z) {
    const std::size_t point = static_cast<std::size_t>(row) * width + col;
    if (withColours) {
      glColor3fv(&colours[point * 3]);
    }
    if (withNormals) {
      glNormal3fv(&normals[point * 3]);
    }
    glVertex3f(x, yOffset + heights[point], z);
  };
  for (int i = 0; i + 1 < depth; ++i) {
    const float zNext = zOffset + (static_cast<float>(depth) - halfDepth) - static_cast<float>(i + 1);
    const float zHere = zOffset + (static_cast<float>(depth) - halfDepth) - static_cast<float>(i);
    glBegin(GL_TRIANGLE_STRIP);
    for (int j = 0; j < width; ++j) {
      const float x = xOffset + ((halfWidth - static_cast<float>(width)) + static_cast<float>(j));
      vertex(j, i + 1, x, zNext);
      vertex(j, i, x, zHere);
    }
    glEnd();
  }
  EndGrid();
}

void TerrainDrawing::BeginGrid(const Terrain& terrain) {
  if (!terrain.colours.empty() && !terrain.normals.empty()) {
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
  }
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
}

void TerrainDrawing::EndGrid() {
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
}
