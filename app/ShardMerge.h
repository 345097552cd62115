// Merges the JSON output of a study's shards (battle lines and summaries, from any number of
// files) into the summary the unsharded study would have printed, less its step times. Refuses
// whatever would make that summary wrong: damaged or foreign lines, a shard cut short or
// interrupted, a seed given twice, a summary that disagrees with the lines before it.
#pragma once

#include <istream>
#include <map>
#include <set>
#include <string>

#include "app/HeadlessRunner.h"

class JsonLine;

class ShardMerge {
 public:
  // Reads the file at path; false with one line "FILE:LINE: reason" (or "FILE: reason") on the
  // first thing refused.
  bool AddFile(const std::string& path, std::string& error);
  // The same for lines read from a stream that name stands for.
  bool AddLines(std::istream& lines, const std::string& name, std::string& error);
  RunSummary Summary() const;

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

  void AddLine(const JsonLine& line, Block& block);
  void AddBattle(const JsonLine& line, Block& block);
  void CloseBlock(const JsonLine& line, Block& block);

  std::map<unsigned, SeedTally> seeds;
  unsigned lastSeed = 0;
  RunSummary total;
};
