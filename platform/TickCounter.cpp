// Monotonic millisecond clock with a hand-driven mode.
#include "platform/TickCounter.h"

#include <chrono>

namespace {
bool manual = false;
std::uint32_t manualTicks = 0;
}  // namespace

std::uint32_t TickCounter::Now() {
  if (manual) return manualTicks;
  const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count();
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

void TickCounter::UseManual(std::uint32_t start) {
  manual = true;
  manualTicks = start;
}

void TickCounter::UseClock() { manual = false; }

bool TickCounter::IsManual() { return manual; }

void TickCounter::Advance(std::uint32_t milliseconds) { manualTicks += milliseconds; }

void TickCounter::Set(std::uint32_t ticks) { manualTicks = ticks; }
