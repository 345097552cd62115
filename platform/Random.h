// The one pseudo-random generator of the program: 15-bit values, the same sequence for the same
// seed on every platform. The C library's rand() is not used because glibc's range is 0..2^31-1
// and every draw here divides by 32767.
#pragma once

namespace platform {

constexpr int kRandMax = 32767;

// Returns an integer in [0, kRandMax].
int Rand();
void SeedRand(unsigned seed);

}  // namespace platform
