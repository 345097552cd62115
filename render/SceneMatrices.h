// Flat drawing over the scene: both GL matrices are kept for the 3D view and handed back as found.
#pragma once

#include <functional>

class SceneMatrices {
 public:
  // Runs draw with identities pushed over the scene's modelview and projection matrices, the
  // projection the current one (ready for the caller's 2D set-up); pops both afterwards.
  static void DrawOver(const std::function<void()>& draw);
};
