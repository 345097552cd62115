// The pseudo-random generator every draw of a battle goes through: 15-bit values, the same
// sequence for the same seed on every platform. The C library's rand() is not used because
// glibc's range is 0..2^31-1 and every draw here divides by 32767. Each battle owns one, so
// battles run side by side never share a sequence.
#pragma once

#include <cstdint>

namespace platform {

constexpr int kRandMax = 32767;

class Random {
 public:
  explicit Random(unsigned seed = 1) : state(seed) {}

  // An integer in [0, kRandMax].
  int Rand() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
  }
  void Seed(unsigned seed) { state = seed; }
  // The whole state: the next draws follow from it alone.
  std::uint32_t State() const { return state; }

 private:
  std::uint32_t state;
};

}  // namespace platform
