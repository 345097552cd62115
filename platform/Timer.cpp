// Frame clock on the millisecond tick counter.
#include "platform/Timer.h"

#include "platform/TickCounter.h"

namespace {
constexpr float kSmallestDelta = 0.001f;
}  // namespace

Timer::Timer() : startTick(TickCounter::Now()) {}

// Unsigned subtraction gives the true difference across the counter's wrap.
void Timer::Tick() { TickTo(TickCounter::Now() - startTick); }

void Timer::TickTo(std::uint32_t elapsed) {
  const float t = static_cast<float>(static_cast<double>(elapsed) / 1000.0);
  delta = t - now;
  now = t;
  if (delta <= 0.0f) delta = kSmallestDelta;
}
