// The billboards' back-to-front order in time proportional to their number: a stable radix sort of
// depths, so that billboards at equal depths keep the order they were handed in.
#pragma once

#include <cstdint>
#include <vector>

class DepthKeySort {
 public:
  // Unsigned keys ordered as the depths are; -0 and +0 get the same key.
  static std::uint32_t KeyOf(float depth);
  void Clear() { keys.clear(); }
  // The depth of the next position, counting from 0 after Clear.
  void Add(float depth) { keys.push_back(KeyOf(depth)); }
  // The positions added since Clear, ordered by depth, equal depths by position. The result
  // stays valid until the next Sort.
  const std::vector<std::uint32_t>& Sort();

 private:
  void SortDigit(int shift);

  // Key above position: sorting the pairs by the key's digits, least significant first, keeps
  // each digit's earlier order, so positions end up in order among equal keys. Kept between
  // frames so that sorting allocates nothing once they have grown.
  std::vector<std::uint32_t> keys;
  std::vector<std::uint64_t> pairs;
  std::vector<std::uint64_t> spare;
  std::vector<std::uint32_t> counts;
  std::vector<std::uint32_t> order;
};
