// The calls into Python Generals of one run or one decision session: which threads are inside a
// General's code, so that Ctrl-C can stop a General that never returns, and the first exception
// that must end the run rather than forfeit a battle (SystemExit, KeyboardInterrupt, MemoryError),
// kept to be raised where the run was started. Every member is used with Python's lock held,
// which is what guards them.
#pragma once

#include <pybind11/pybind11.h>

#include <optional>
#include <unordered_map>

class GeneralCalls {
 public:
  enum class OnEscape { StopRun, ForfeitOnly };

  explicit GeneralCalls(OnEscape escape) : onEscape(escape) {}

  // Around every call into a General, on the calling thread.
  void Enter();
  void Leave();

  // Whether the exception must end the run rather than its battle.
  static bool Escapes(pybind11::error_already_set& error);
  // Keeps the first escaping exception; with StopRun the run stops between two steps.
  void Keep(pybind11::error_already_set& error);
  bool Kept() const { return kept.has_value(); }
  // Raises the kept exception (as it was raised) in the calling thread; nothing when none is kept.
  void RaiseKept();

  // Raises KeyboardInterrupt inside every General's code running now, at its next line.
  void InterruptAll() const;

 private:
  OnEscape onEscape;
  // Threads by Python's thread id, with how many calls each is inside.
  std::unordered_map<unsigned long, int> inside;
  std::optional<pybind11::error_already_set> kept;
};
