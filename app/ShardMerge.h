// Merges the JSON output of a study's shards (battle lines and summaries, from any number of
// files) into the summary the unsharded study would have printed, less its step times. Refuses
// whatever would make that summary wrong: damaged or foreign lines, a shard cut short or
// interrupted, a seed given twice, a summary that disagrees with the lines before it, shards of
// different studies, and a shard given twice or not at all.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <set>
#include <string>

#include "app/HeadlessRunner.h"
#include "app/SeedRange.h"
#include "app/StudyIdentity.h"

class ShardMerge {
 public:
  // Reads the file at path; false with one line "FILE:LINE: reason" (or "FILE: reason") on the
  // first thing refused.
  bool AddFile(const std::string& path, std::string& error);
  // The same for lines read from a stream that name stands for.
  bool AddLines(std::istream& lines, const std::string& name, std::string& error);
  // After the last file: false with one line naming the first shard of the study none of them held.
  bool Complete(std::string& error) const;
  RunSummary Summary() const;

  // The study a JSON summary line names; false with the reason (no "FILE:LINE: " in front) when it
  // names none or a damaged one. Bounded as a run's own options are, for files from anywhere.
  static bool ReadStudy(const nlohmann::json& summary, StudyIdentity& study, std::string& error);

 private:
  struct SeedTally {
    int lastBattle = 0;
    bool ended = false;  // its last battle ran out of time: a seed's run stops there
    KillTotals kills;    // since the seed's start, as of its last line
  };
  // The battle lines since the last summary line, which that summary must agree with.
  struct Block {
    RunSummary counts;
    std::set<unsigned> seeds;
    int lines = 0;
  };
  // The study of the first summary read, which every other summary must belong to.
  struct Study {
    std::string where;  // FILE:LINE of that summary
    SeedRange seeds;
    StudyIdentity identity;
    std::map<std::uint64_t, std::string> shards;  // each shard read, with its FILE:LINE
  };

  void AddLine(const nlohmann::json& line, Block& block, const std::string& where);
  void AddBattle(const nlohmann::json& line, Block& block);
  void CloseBlock(const nlohmann::json& line, Block& block, const std::string& where);
  // The shard the summary belongs to, checked against the study of the summaries before it.
  SeedRange JoinStudy(const nlohmann::json& line, const std::string& where);
  void CheckSeeds(const Block& block, const SeedRange& shard, int battles) const;

  std::map<unsigned, SeedTally> seeds;
  unsigned lastSeed = 0;
  RunSummary total;
  std::optional<Study> study;
};
