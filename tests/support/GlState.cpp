// Reading integer GL state for the renderer's and the window's suites.
#include "tests/support/GlState.h"

GLint GlState::Integer(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}
