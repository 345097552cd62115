// Construction of the world and the battle rules.
#include "app/Game.h"

bool bloodEnabled = true;

namespace {
Game* instance = nullptr;
}  // namespace

Game::Game(Graphics* graphicsSystem, Input* inputSystem) {
  timer = std::make_unique<Timer>();
  router = std::make_unique<MessageRouter>();
  traceLog = std::make_unique<TraceLog>();
  graphics = graphicsSystem;
  input = inputSystem;
  objects = std::make_unique<GameObjectManager>();
}

Game::~Game() {
  if (instance == this) instance = nullptr;
}

Game* Game::Instance() { return instance; }

void Game::SetInstance(Game* game) { instance = game; }

void Game::CountStateChange() { ++stateChanges; }
