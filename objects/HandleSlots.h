// The slot table behind a battle's object handles: one generation count per slot, moved on when
// the slot's object is destroyed, so that a handle taken before compares unequal.
#pragma once

#include <cstdint>
#include <vector>

class HandleSlots {
 public:
  // Every object holds a slot from its construction to its destruction; closing it is what
  // turns the handles to that object null.
  std::uint32_t Open();
  void Close(std::uint32_t slot);
  std::uint32_t Generation(std::uint32_t slot) const { return generations[slot]; }
  const std::uint32_t* GenerationAt(std::uint32_t slot) const { return &generations[slot]; }

 private:
  std::vector<std::uint32_t> generations;
  std::vector<std::uint32_t> unused;
};
