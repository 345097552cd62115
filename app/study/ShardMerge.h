// Reads a study's recorded runs (battle lines and summaries, from any number of files) and checks
// that they make up what they claim to be: refuses damaged or foreign lines, a shard cut short, a
// seed given twice, battles out of order, a summary that disagrees with the lines before it, runs
// of different studies and a shard given twice. Merging, it also refuses an interrupted shard and
// a missing one, and gives the summary the unsharded study would have printed, less its step
// times. Verifying, it also takes a run over one seed and the window's report, names what keeps
// the runs from being whole (an interrupt, shards not given) and hands each run's battles on.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/run/RunSummary.h"
#include "app/run/StudyIdentity.h"
#include "app/setup/SeedRange.h"
#include "app/study/MergeUse.h"
#include "app/study/RecordReader.h"
#include "app/study/RecordedLine.h"
#include "app/study/ShardsRead.h"

class ShardMerge {
 public:
  using Use = MergeUse;

  struct SeedBattle {
    unsigned seed = 0;
    int battle = 0;
  };
  using RecordedBattle = RecordedLine<SeedBattle>;
  // One summary with the battle lines before it, as read and checked.
  struct RecordedRun {
    std::string where;  // FILE:LINE of the summary
    StudyIdentity study;
    std::vector<RecordedBattle> battles;
    // The window's user reset a battle or switched the blood in this battle: it and the battles
    // after it are not the ones the seed plays. 0: the user changed none.
    int changedFromBattle = 0;
  };
  using Reader = RecordReader<RecordedRun>;

  explicit ShardMerge(Use shardUse = Use::Merge, Reader read = {});

  // Reads the file at path; false with one line "FILE:LINE: reason" (or "FILE: reason") on the
  // first thing refused.
  bool AddFile(const std::string& path, std::string& error);
  // The same for lines read from a stream that name stands for.
  bool AddLines(std::istream& lines, const std::string& name, std::string& error);
  // After the last file: false with one line naming the first shard of the study none of them held.
  bool Complete(std::string& error) const;
  RunSummary Summary() const;
  // Verifying, after the last file: what keeps the runs read from being the whole study, as one
  // phrase ("" when they are whole): an interrupt, or shards not given.
  std::string NotWhole() const;
  bool Interrupted() const { return !interruptedAt.empty(); }

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
    std::vector<RecordedBattle> battles;
    // A run over one seed names it only in its summary: its lines wait for it there.
    std::vector<RecordedBattle> seedless;
  };
  // The study of the first summary read, which every other summary must belong to.
  struct Study : ShardsRead {
    StudyIdentity identity;
    bool oneSeed = false;  // a run of one --seed, not a study's shard
  };

  void AddLine(const nlohmann::json& line, Block& block, const std::string& where);
  void CheckSeedPlace(unsigned seed, const Block& block) const;
  void AddBattle(const nlohmann::json& line, unsigned seed, Block& block, const std::string& where);
  void CloseBlock(const nlohmann::json& line, Block& block, const std::string& where);
  // The seeds the summary says its run played: a study's range and shard, or a run's one seed.
  SeedRange RunSeeds(const nlohmann::json& line) const;
  // The shard the summary belongs to, checked against the study of the summaries before it.
  void JoinStudy(const nlohmann::json& line, const SeedRange& shard, bool oneSeed, const std::string& where);
  void CheckSeeds(const Block& block, const SeedRange& shard, bool oneSeed, bool cutShort) const;
  static void CheckCounts(const nlohmann::json& line, const RunSummary& counts);

  Use use;
  Reader reader;
  std::map<unsigned, SeedTally> seeds;
  unsigned lastSeed = 0;
  RunSummary total;
  std::optional<Study> study;
  std::string interruptedAt;  // FILE:LINE of an interrupted run's summary
  std::map<unsigned, std::string> oneSeedRuns;  // each run of one --seed read, by seed, with FILE:LINE
};
