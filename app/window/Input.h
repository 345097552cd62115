// Keyboard and mouse: the camera values the renderer reads every frame, and the user's commands
// (quit, zoom, pause, reset, blood, dynamic terrain, speed, jumps through the battle).
#pragma once

#include "render/CameraView.h"

class Game;
class InputMode;

// The camera values are the base's.
class Input : public CameraView {
 public:
  static constexpr float kZoomStep = 5.0f;
  static constexpr int kPanPerPixel = 10;
  static constexpr unsigned char kEscape = 27;
  // The window toolkit's code for the Home key among its special keys.
  static constexpr int kHomeKey = 106;
  enum Button { kLeft = 0, kMiddle = 1, kRight = 2, kWheelUp = 3, kWheelDown = 4 };

  // Lower-case letters only; x and y are ignored. q and Esc end the process with status 0.
  void OnKey(unsigned char key, int x, int y);
  // Keys without a character (arrows, Home, function keys), by the toolkit's codes.
  void OnSpecialKey(int key, int x, int y);
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
  // The game whose switches the keys turn; set by the game that is given this input, and keys
  // do nothing else while it is null.
  Game* game = nullptr;
  // Hears keys and clicks first when the window leads a side or places squads; null while it
  // only watches.
  InputMode* mode = nullptr;

 private:
  void OnLeftButton(bool pressed, int x, int y);
  void OnRightButton(bool pressed, int x, int y);

  // Set by any motion while the left button is held: its release is then no click.
  bool leftDragged = false;
  // The mode took the left press: its drag moves what the mode holds, not the camera.
  bool leftHeldByMode = false;
  bool rightDragged = false;
};
