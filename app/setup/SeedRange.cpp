// Seed ranges and shards of a study.
#include "app/setup/SeedRange.h"

#include <charconv>
#include <limits>

namespace {
constexpr std::uint64_t kLargestSeed = std::numeric_limits<unsigned>::max();

// Whole decimal digits only: no sign, no spaces, nothing after them.
bool ReadNumber(const std::string& text, std::size_t begin, std::size_t end, std::uint64_t& value) {
  if (begin >= end || end - begin > 19) return false;
  const char* from = text.data() + begin;
  const char* to = text.data() + end;
  const auto [stop, failure] = std::from_chars(from, to, value);
  return failure == std::errc() && stop == to && *from != '+' && *from != '-';
}
}  // namespace

std::string SeedRange::ParseRange(const std::string& text, SeedRange& range) {
  const std::size_t dash = text.find('-');
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  if (dash == std::string::npos || !ReadNumber(text, 0, dash, a) || !ReadNumber(text, dash + 1, text.size(), b)) {
    return "needs a range of seeds A-B, such as 1-100, not '" + text + "'";
  }
  if (a > kLargestSeed || b > kLargestSeed || a > b) {
    return "needs A-B with A <= B and both 0 to 4294967295, not '" + text + "'";
  }
  range.first = static_cast<unsigned>(a);
  range.last = static_cast<unsigned>(b);
  return {};
}

std::string SeedRange::ParseShard(const std::string& text, SeedRange& range) {
  const std::size_t slash = text.find('/');
  std::uint64_t i = 0;
  std::uint64_t n = 0;
  if (slash == std::string::npos || !ReadNumber(text, 0, slash, i) || !ReadNumber(text, slash + 1, text.size(), n) ||
      n == 0 || i >= n) {
    return "needs a shard I/N with 0 <= I < N, such as 0/4, not '" + text + "'";
  }
  range.shard = i;
  range.shards = n;
  return {};
}

std::optional<unsigned> SeedRange::First() const {
  if (shard > static_cast<std::uint64_t>(last) - first) return std::nullopt;
  return static_cast<unsigned>(first + shard);
}

std::optional<unsigned> SeedRange::After(unsigned seed) const {
  if (shards > static_cast<std::uint64_t>(last) - seed) return std::nullopt;
  return static_cast<unsigned>(seed + shards);
}

std::optional<unsigned> SeedRange::At(std::uint64_t position) const {
  if (position >= Count()) return std::nullopt;
  return static_cast<unsigned>(first + shard + position * shards);
}

bool SeedRange::Holds(unsigned seed) const {
  return seed >= first && seed <= last && (static_cast<std::uint64_t>(seed) - first) % shards == shard;
}

std::uint64_t SeedRange::Count() const {
  const std::uint64_t span = static_cast<std::uint64_t>(last) - first;
  return shard > span ? 0 : (span - shard) / shards + 1;
}

std::string SeedRange::RangeText() const { return std::to_string(first) + "-" + std::to_string(last); }

std::string SeedRange::ShardText() const { return std::to_string(shard) + "/" + std::to_string(shards); }
