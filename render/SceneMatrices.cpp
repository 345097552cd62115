// Pushing and popping the scene's matrices around flat overlay drawing.
#include "render/SceneMatrices.h"

#include <GL/gl.h>

void SceneMatrices::DrawOver(const std::function<void()>& draw) {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  draw();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
}
