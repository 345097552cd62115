// The shards of one study or tournament read so far, with the summary that named the study first:
// what tells a merge that no shard came twice and none is missing.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "app/setup/SeedRange.h"

struct ShardsRead {
  std::string where;  // FILE:LINE of the first summary
  SeedRange seeds;
  std::map<std::uint64_t, std::string> shards;  // each shard read, with its FILE:LINE

  // Records the shard the summary at where belongs to; refuses it (a JsonFields::Refusal) when it
  // was read already.
  void Add(const SeedRange& shard, const std::string& summaryWhere);
  // After the last file: false with one line naming the first shard none of them held.
  bool Complete(std::string& error) const;
  // "" when every shard was read; otherwise a phrase saying how many were given.
  std::string NotGiven() const;
};
