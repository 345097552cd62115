// Opens the battle window and forwards the toolkit's events to the game.
#include "app/window/GameWindow.h"

#include <GL/freeglut.h>

#include "app/window/Game.h"
#include "app/window/Input.h"
#include "platform/Interrupt.h"
#include "render/Graphics.h"

static_assert(Input::kHomeKey == GLUT_KEY_HOME);

namespace {
// The toolkit's callbacks take no user data: this is how they find the game.
Game* shown = nullptr;

void OnDisplay() {
  if (Game* game = shown) game->Render();
}

void OnReshape(int width, int height) {
  if (Game* game = shown) game->graphics->Reshape(width, height);
}

void OnKeyboard(unsigned char key, int x, int y) {
  if (Game* game = shown) game->input->OnKey(key, x, y);
}

void OnSpecial(int key, int x, int y) {
  if (Game* game = shown) game->input->OnSpecialKey(key, x, y);
}

void OnMouse(int button, int state, int x, int y) {
  if (Game* game = shown) game->input->OnMouseButton(button, state, x, y);
}

void OnMotion(int x, int y) {
  if (Game* game = shown) game->input->OnMouseMotion(x, y);
}

// The toolkit ends the process right after this.
void OnClose() {
  if (Game* game = shown) game->Quit();
}

// An interrupt leaves the loop between two frames, so that the caller can still report; closing
// the window or a quit key still ends the process at once.
void OnIdle() {
  if (Interrupt::Requested()) {
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    glutLeaveMainLoop();
    return;
  }
  if (Game* game = shown) game->Frame();
}

}  // namespace

void GameWindow::Show(Game* game) { shown = game; }

void GameWindow::Open(int& argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(kWidth, kHeight);
  // Closing the window ends the process, like the quit keys.
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);
  glutCreateWindow(kTitle);
  glutDisplayFunc(OnDisplay);
  glutReshapeFunc(OnReshape);
  glutKeyboardFunc(OnKeyboard);
  glutSpecialFunc(OnSpecial);
  glutMouseFunc(OnMouse);
  glutMotionFunc(OnMotion);
  glutIdleFunc(OnIdle);
  glutCloseFunc(OnClose);
}
