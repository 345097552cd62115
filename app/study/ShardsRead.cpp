// Shards are numbered from 0; the first number not read is the one to ask for.
#include "app/study/ShardsRead.h"

#include "app/study/JsonFields.h"

namespace {
std::string FirstMissingShard(const ShardsRead& read) {
  std::uint64_t missing = 0;
  for (const auto& [index, where] : read.shards) {
    if (index != missing) break;
    ++missing;
  }
  return std::to_string(missing) + "/" + std::to_string(read.seeds.shards);
}
}  // namespace

void ShardsRead::Add(const SeedRange& shard, const std::string& summaryWhere) {
  const auto [known, added] = shards.emplace(shard.shard, summaryWhere);
  if (!added) JsonFields::Refuse("\"shard\" " + shard.ShardText() + " was given already, in " + known->second);
}

bool ShardsRead::Complete(std::string& error) const {
  if (shards.size() == seeds.shards) return true;
  const std::string shard = FirstMissingShard(*this);
  error = where + ": \"shard\" " + shard + " of seeds " + seeds.RangeText() +
          " is missing: merge the output of --shard " + shard + " too";
  return false;
}

std::string ShardsRead::NotGiven() const {
  if (shards.size() == seeds.shards) return "";
  return "only " + std::to_string(shards.size()) + " of the " + std::to_string(seeds.shards) + " shards of seeds " +
         seeds.RangeText() + " given";
}
