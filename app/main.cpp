// Entry point of the battle window: opens the window, starts the first battle and runs the
// toolkit's loop, which never returns.
#include <GL/freeglut.h>

#include <ctime>
#include <memory>

#include "app/Game.h"
#include "app/GameWindow.h"
#include "app/Input.h"
#include "platform/Random.h"
#include "render/Graphics.h"

int main(int argc, char** argv) {
  GameWindow::Open(argc, argv);
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
