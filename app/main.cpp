// Entry point of the battle window: opens the window, wires the toolkit's callbacks to the game
// and runs the toolkit's loop, which never returns.
#include <GL/freeglut.h>

#include <ctime>
#include <memory>

#include "app/Game.h"
#include "app/Input.h"
#include "platform/Random.h"
#include "render/Graphics.h"

namespace {

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 1024;
constexpr char kTitle[] = "TR417 - Clashmoor - Orvane - Tessik";

// Every callback does nothing until the game exists.

void OnDisplay() {
  if (Game* game = Game::Instance()) game->graphics->RenderFrame();
}

void OnReshape(int width, int height) {
  if (Game* game = Game::Instance()) game->graphics->Reshape(width, height);
}

void OnKeyboard(unsigned char key, int x, int y) {
  if (Game* game = Game::Instance()) game->input->OnKey(key, x, y);
}

void OnMouse(int button, int state, int x, int y) {
  if (Game* game = Game::Instance()) game->input->OnMouseButton(button, state, x, y);
}

void OnMotion(int x, int y) {
  if (Game* game = Game::Instance()) game->input->OnMouseMotion(x, y);
}

void OnIdle() {
  if (Game* game = Game::Instance()) game->Frame();
}

void OpenWindow(int& argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(kWindowWidth, kWindowHeight);
  // Closing the window ends the process, like the quit keys.
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);
  glutCreateWindow(kTitle);
  glutDisplayFunc(OnDisplay);
  glutReshapeFunc(OnReshape);
  glutKeyboardFunc(OnKeyboard);
  glutMouseFunc(OnMouse);
  glutMotionFunc(OnMotion);
  glutIdleFunc(OnIdle);
}

}  // namespace

int main(int argc, char** argv) {
  OpenWindow(argc, argv);
  platform::SeedRand(static_cast<unsigned>(std::time(nullptr)));
  // Held until the process ends: the quit keys and the window close exit from inside the loop.
  auto graphics = std::make_unique<Graphics>();
  auto input = std::make_unique<Input>();
  auto game = std::make_unique<Game>(graphics.get(), input.get());
  Game::SetInstance(game.get());
  game->StartBattle();
  glutMainLoop();
  return 0;
}
