// The process-wide clock: seconds since the game was built and the delta of the last frame.
#pragma once

#include <cstdint>

class Timer {
 public:
  // Registers itself as the process-wide timer.
  Timer();
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  static Timer* Instance();

  // Called once per frame, first thing.
  void Tick();
  // The same, for a clock that has run elapsedMs since the start: the window's paced steps.
  void TickTo(std::uint32_t elapsedMs);

  std::uint32_t startTick = 0;
  float now = 0.0f;
  // Never 0 or negative, so that per-second rates stay finite.
  float delta = 0.001f;
};
