// Keyboard and mouse: the camera values the renderer reads every frame, and the user's commands
// (quit, zoom, pause, reset, blood, dynamic terrain, speed).
#pragma once

#include "math/Vector3.h"

class Input {
 public:
  static constexpr float kZoomStep = 5.0f;
  static constexpr int kPanPerPixel = 10;
  static constexpr unsigned char kEscape = 27;
  enum Button { kLeft = 0, kMiddle = 1, kRight = 2, kWheelUp = 3, kWheelDown = 4 };

  // Lower-case letters only; x and y are ignored. q and Esc end the process with status 0.
  void OnKey(unsigned char key, int x, int y);
  // state 0 is a press. Wheel buttons zoom on every event, press and release alike.
  void OnMouseButton(int button, int state, int x, int y);
  // Measured from the last button or motion event, which a drag always starts with.
  void OnMouseMotion(int x, int y);
  // Posts the camera lines on the HUD.
  void Update() const;

  int lastX = 0;
  int lastY = 0;
  bool leftDown = false;
  bool rightDown = false;
  // Unbounded: the values grow or shrink as far as the user drags.
  float spin = 40.0f;
  float tilt = 30.0f;
  float panX = 0.0f;
  float panY = 0.0f;
  float zoom = -130.0f;
  // While following, the camera turns about this world point instead of the origin.
  bool following = false;
  Vector3 focus;

 private:
  void OnLeftButton(bool pressed, int x, int y);

  // Set by any motion while the left button is held: its release is then no click.
  bool leftDragged = false;
};
