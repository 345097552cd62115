// Frame clock on the millisecond tick counter.
#include "app/Timer.h"

#include "platform/TickCounter.h"

namespace {
Timer* instance = nullptr;
constexpr float kSmallestDelta = 0.001f;
}  // namespace

Timer::Timer() : startTick(TickCounter::Now()) { instance = this; }

Timer::~Timer() {
  if (instance == this) instance = nullptr;
}

Timer* Timer::Instance() { return instance; }

void Timer::Tick() {
  // Unsigned subtraction gives the true difference across the counter's wrap.
  const std::uint32_t elapsed = TickCounter::Now() - startTick;
  const float t = static_cast<float>(static_cast<double>(elapsed) / 1000.0);
  delta = t - now;
  now = t;
  if (delta <= 0.0f) delta = kSmallestDelta;
}
