// Where the camera stands, as the user's drags, wheel and zoom keys left it: what the renderer
// builds each frame's view from.
#pragma once

#include "math/Vector3.h"

struct CameraView {
  // Unbounded: the values grow or shrink as far as the user drags.
  float spin = 40.0f;
  float tilt = 30.0f;
  float panX = 0.0f;
  float panY = 0.0f;
  float zoom = -130.0f;
  // While following, the camera turns about this world point instead of the origin.
  bool following = false;
  Vector3 focus;
};
