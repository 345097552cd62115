// The seeds of a sharded study: a range A-B of seeds, and the share of it one shard runs (the
// seeds at positions I, I+N, I+2N, ... of the range), so that N machines split a study without
// talking to each other and together run every seed once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class SeedRange {
 public:
  unsigned first = 0;
  unsigned last = 0;
  std::uint64_t shard = 0;
  std::uint64_t shards = 1;

  // "A-B" with A <= B, both 0 to 4294967295; an empty string when text is good, else the reason.
  static std::string ParseRange(const std::string& text, SeedRange& range);
  // "I/N" with 0 <= I < N.
  static std::string ParseShard(const std::string& text, SeedRange& range);

  // The shard's seeds in order: the first, then each after seed; nullopt past the last.
  std::optional<unsigned> First() const;
  std::optional<unsigned> After(unsigned seed) const;
  // The shard's seed at this position of its order (0 for the first); nullopt past the last.
  std::optional<unsigned> At(std::uint64_t position) const;
  // Whether the shard runs seed, and how many seeds it runs.
  bool Holds(unsigned seed) const;
  std::uint64_t Count() const;
  std::string RangeText() const;
  std::string ShardText() const;
};
