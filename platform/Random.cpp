// Linear congruential generator with a 15-bit output taken from the high bits of its state.
#include "platform/Random.h"

#include <cstdint>

namespace {
std::uint32_t state = 1;
}  // namespace

namespace platform {

int Rand() {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFFu);
}

void SeedRand(unsigned seed) { state = seed; }

}  // namespace platform
