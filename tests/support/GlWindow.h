// Test helper: one small GLUT window per test binary, so GL code runs against a real context.
#pragma once

class GlWindow {
 public:
  // Makes sure the window exists and its GL context is current. The first call opens it;
  // later calls only make it current again. false when no display is named, instead of the
  // toolkit's exit. The window is 256 x 256 and stays mapped so drawn pixels can be read back.
  static bool EnsureCurrent();
};
