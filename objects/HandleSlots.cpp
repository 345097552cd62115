// Slots are reused most recently freed first, so a battle's table stays as large as its most
// crowded moment.
#include "objects/HandleSlots.h"

std::uint32_t HandleSlots::Open() {
  if (unused.empty()) {
    generations.push_back(0);
    return static_cast<std::uint32_t>(generations.size() - 1);
  }
  const std::uint32_t slot = unused.back();
  unused.pop_back();
  return slot;
}

void HandleSlots::Close(std::uint32_t slot) {
  ++generations[slot];
  unused.push_back(slot);
}
