// The platform millisecond tick counter behind the Timer and the stage timings. It runs from a
// monotonic clock, or by hand when tests and the headless runner need exact frame deltas.
#pragma once

#include <cstdint>

class TickCounter {
 public:
  // Milliseconds as an unsigned 32-bit count; it wraps after about 49.7 days, and callers take
  // differences in unsigned arithmetic so the wrap does no harm.
  static std::uint32_t Now();

  // Switches to the hand-driven mode, starting at the given count; Now() then only moves with
  // Advance() or Set().
  static void UseManual(std::uint32_t start);
  static void UseClock();
  static bool IsManual();
  static void Advance(std::uint32_t milliseconds);
  static void Set(std::uint32_t ticks);
};
