// Ctrl-C and termination requests for the headless runner's long runs and the window: noted, so
// the run can stop between two steps and still report what it finished, instead of dying mid-line.
#pragma once

class Interrupt {
 public:
  // Installs the handlers for SIGINT and SIGTERM.
  static void Watch();
  static bool Requested();
  // As if a signal had come: for a part of the program that must stop the run it is in.
  static void Request();
  static void Clear();
};
