// Least significant digit first radix sort of 32-bit depth keys, three digits of 11 bits.
#include "render/DepthKeySort.h"

#include <bit>
#include <cstddef>

namespace {
constexpr int kDigitBits = 11;
constexpr std::uint32_t kDigitValues = 1u << kDigitBits;
constexpr int kKeyShift = 32;
}  // namespace

std::uint32_t DepthKeySort::KeyOf(float depth) {
  const auto bits = std::bit_cast<std::uint32_t>(depth + 0.0f);
  return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}

const std::vector<std::uint32_t>& DepthKeySort::Sort() {
  pairs.resize(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) pairs[i] = (std::uint64_t{keys[i]} << kKeyShift) | i;
  for (int shift = kKeyShift; shift < 64; shift += kDigitBits) SortDigit(shift);
  order.resize(pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) order[i] = static_cast<std::uint32_t>(pairs[i]);
  return order;
}

// A digit that every key shares moves nothing and is skipped: the high digits of nearby depths
// mostly are.
void DepthKeySort::SortDigit(int shift) {
  const auto digit = [shift](std::uint64_t pair) { return static_cast<std::uint32_t>(pair >> shift) & (kDigitValues - 1); };
  counts.assign(kDigitValues + 1, 0);
  for (const std::uint64_t pair : pairs) ++counts[digit(pair) + 1];
  if (pairs.empty() || counts[digit(pairs.front()) + 1] == pairs.size()) return;
  for (std::uint32_t value = 1; value <= kDigitValues; ++value) counts[value] += counts[value - 1];
  spare.resize(pairs.size());
  for (const std::uint64_t pair : pairs) spare[counts[digit(pair)]++] = pair;
  pairs.swap(spare);
}
