// Turning key, button and drag events into camera values and game switches.
#include "app/window/Input.h"

#include <cstdlib>
#include <sstream>

#include "app/window/BattleScrubber.h"
#include "app/window/Game.h"
#include "app/window/InputMode.h"
#include "app/window/SimulationPace.h"
#include "app/window/UnitInspector.h"
#include "render/Graphics.h"

namespace {

void PostValue(Graphics& graphics, const char* label, float value) {
  std::ostringstream line;
  line << label << value;
  graphics.AddHudLine(line.str(), "Input");
}

}  // namespace

void Input::OnKey(unsigned char key, int /*x*/, int /*y*/) {
  if (mode != nullptr && mode->OnKey(key)) return;
  switch (key) {
    case kEscape:
    case 'q':
      if (game != nullptr) game->Quit();
      std::exit(0);
    case 'w': zoom += kZoomStep; break;
    case 's': zoom -= kZoomStep; break;
    case 'p':
      if (game != nullptr) game->paused = !game->paused;
      break;
    case 'r':
      if (game != nullptr) game->ResetBattle();
      break;
    case 'b':
      if (game != nullptr) game->SwitchBlood();
      break;
    case 'd':
      if (game != nullptr) game->dynamicTerrain = !game->dynamicTerrain;
      break;
    case '+':
    case '=':
      if (game != nullptr && game->pace != nullptr) game->pace->Faster();
      break;
    case '-':
      if (game != nullptr && game->pace != nullptr) game->pace->Slower();
      break;
    case 'k':
      if (game != nullptr) game->SaveBattle();
      break;
    case 'f':
      if (game != nullptr && game->inspector != nullptr) game->inspector->ToggleFollowing();
      break;
    case '[':
    case ']':
      if (game != nullptr) game->ScrubBy(key == '[' ? -BattleScrubber::kJumpSeconds : BattleScrubber::kJumpSeconds);
      break;
    default: break;
  }
}

void Input::OnSpecialKey(int key, int /*x*/, int /*y*/) {
  if (key == kHomeKey && game != nullptr) game->ScrubToStart();
}

void Input::OnMouseButton(int button, int state, int x, int y) {
  const bool pressed = state == 0;
  switch (button) {
    case kLeft: OnLeftButton(pressed, x, y); break;
    case kRight: OnRightButton(pressed, x, y); break;
    case kWheelUp: zoom += kZoomStep; break;
    case kWheelDown: zoom -= kZoomStep; break;
    default: break;
  }
  lastX = x;
  lastY = y;
}

// Picking happens on the release, once it is certain that the press did not start a drag.
void Input::OnLeftButton(bool pressed, int x, int y) {
  const bool click = leftDown && !pressed && !leftDragged;
  const bool drop = leftDown && !pressed && leftDragged && leftHeldByMode;
  leftDown = pressed;
  if (pressed) {
    leftDragged = false;
    leftHeldByMode = game != nullptr && mode != nullptr && mode->OnLeftPress(x, y);
  }
  if (drop) mode->OnLeftDrop(x, y);
  if (!click || game == nullptr || game->ScrubAtChart(x, y)) return;
  if (mode != nullptr && mode->OnLeftClick(x, y)) return;
  if (game->inspector != nullptr) game->inspector->PickAt(*game, x, y);
}

// A right drag pans; only a right press released where it was is a click.
void Input::OnRightButton(bool pressed, int x, int y) {
  const bool click = rightDown && !pressed && !rightDragged;
  rightDown = pressed;
  if (pressed) rightDragged = false;
  if (click && mode != nullptr) mode->OnRightClick(x, y);
}

void Input::OnMouseMotion(int x, int y) {
  const int dx = x - lastX;
  const int dy = y - lastY;
  if (leftDown && (dx != 0 || dy != 0)) leftDragged = true;
  if (rightDown && (dx != 0 || dy != 0)) rightDragged = true;
  if (leftDown && !leftHeldByMode) {
    spin += static_cast<float>(dx);
    tilt += static_cast<float>(dy);
  }
  if (rightDown) {
    panX += static_cast<float>(kPanPerPixel * dx);
    panY -= static_cast<float>(kPanPerPixel * dy);
  }
  lastX = x;
  lastY = y;
}

void Input::Update() const {
  if (game == nullptr || game->graphics == nullptr) return;
  PostValue(*game->graphics, "Zoom: ", zoom);
  PostValue(*game->graphics, "Tilt: ", tilt);
  PostValue(*game->graphics, "Spin: ", spin);
}
