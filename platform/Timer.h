// A battle's clock: seconds since the battle's world was built and the delta of the last frame.
#pragma once

#include <cstdint>

class Timer {
 public:
  Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // Called once per frame, first thing, on the window's clock.
  void Tick();
  // The same, for a clock that has run elapsedMs since the start: the window's paced steps and
  // every hand-driven run.
  void TickTo(std::uint32_t elapsedMs);

  std::uint32_t startTick = 0;
  float now = 0.0f;
  // Never 0 or negative, so that per-second rates stay finite.
  float delta = 0.001f;
};
