// Test helper: reading the GL context's state back, one value at a time.
#pragma once

#include <GL/gl.h>

class GlState {
 public:
  // The current value of an integer state (a mode, a depth, an enabled factor); the context must be current.
  static GLint Integer(GLenum name);
};
