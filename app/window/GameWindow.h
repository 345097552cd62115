// The battle window: opens it and wires the toolkit's callbacks to the game instance, for the
// window program and for the tools that measure it.
#pragma once

class Game;

class GameWindow {
 public:
  static constexpr int kWidth = 1280;
  static constexpr int kHeight = 1024;
  static constexpr const char* kTitle = "TR417 - Clashmoor - Orvane - Tessik";

  // Initialises the toolkit with the command line and opens the window. Every callback does
  // nothing until a game instance exists; the idle callback runs one frame of it, or leaves the
  // toolkit's loop once an interrupt is requested.
  static void Open(int& argc, char** argv);
  // The game the callbacks drive from now on; null stops them. It must outlive the loop.
  static void Show(Game* game);
};
