// Ctrl-C while a battle runs without Python's lock: Python's own handler would only note it for
// when the lock comes back, so for the run the program's handler takes the signal, the run stops
// between two steps, and Python's handler is back in place afterwards. SIGTERM stops the run the
// same way and is then raised again, to meet whatever Python does with it.
#pragma once

#include <csignal>

class InterruptScope {
 public:
  // Watches only when watch is true: a handler belongs to the main thread.
  explicit InterruptScope(bool watch);
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

  // Whether Ctrl-C came during the scope.
  bool Interrupted() const;

 private:
  bool watching;
  struct sigaction savedInterrupt {};
  struct sigaction savedTerminate {};
};
