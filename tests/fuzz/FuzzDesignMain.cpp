// libFuzzer entry of the design file harness.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzEntry<&LoadDesignBytes>(data, size);
}
