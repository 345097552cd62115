// Merges the JSON output of a tournament's shards (from any number of files) into the standings,
// pairs and summary the unsharded tournament would have printed. Refuses what would make them
// wrong: damaged or foreign lines (a study's among them), a shard cut short or interrupted, a seed
// given twice, a game out of place, a summary that disagrees with the games before it, shards of
// different tournaments (other strategies by name or content, other settings) and a shard given
// twice or not at all. Verifying, it takes an interrupted tournament and one run until decided,
// names what keeps them from being whole, and hands each shard's games on with their lines.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/setup/SeedRange.h"
#include "app/study/MergeUse.h"
#include "app/study/RecordReader.h"
#include "app/study/RecordedLine.h"
#include "app/study/ShardsRead.h"
#include "app/tournament/TournamentIdentity.h"
#include "app/tournament/TournamentTable.h"

class TournamentMerge {
 public:
  using Use = MergeUse;

  using RecordedGame = RecordedLine<TournamentGame>;
  // One summary with the game lines before it, as read and checked.
  struct RecordedRun {
    std::string where;  // FILE:LINE of the summary
    TournamentIdentity identity;
    std::vector<RecordedGame> games;
  };
  using Reader = RecordReader<RecordedRun>;

  explicit TournamentMerge(Use mergeUse = Use::Merge, Reader read = {});

  // Whether the file's first line is one of a tournament's, so that it is merged here rather than
  // as a study's shard.
  static bool HoldsTournament(const std::string& path);

  // Reads the file at path; false with one line "FILE:LINE: reason" (or "FILE: reason").
  bool AddFile(const std::string& path, std::string& error);
  bool AddLines(std::istream& lines, const std::string& name, std::string& error);
  // After the last file: false with one line naming the first shard none of them held.
  bool Complete(std::string& error) const;

  // Verifying, after the last file: what keeps the tournament read from being whole, as one
  // phrase ("" when it is): an interrupt, or shards not given. Pairs run until decided are whole.
  std::string NotWhole() const;
  bool Interrupted() const { return !interruptedAt.empty(); }

  // The standings, the pairs and the summary line of the merged tournament.
  std::string Format(bool json) const;
  // 0, or 1 when a game ran out of time.
  int ExitStatus() const;

 private:
  // A game line as read, its strategies by name until the summary after it says who they are.
  struct GameLine {
    TournamentGame game;
    std::string red;
    std::string blue;
    std::string where;
    nlohmann::json line;  // kept for a verifier only
  };
  // The game lines since the last summary line, which that summary must agree with.
  struct Block {
    std::vector<GameLine> lines;
    std::set<unsigned> seeds;
  };
  struct Study : ShardsRead {
    TournamentIdentity identity;
  };

  void AddLine(const nlohmann::json& line, Block& block, const std::string& where);
  void AddGame(const nlohmann::json& line, Block& block, const std::string& where) const;
  void CloseBlock(const nlohmann::json& line, Block& block, const std::string& where);
  SeedRange JoinStudy(const nlohmann::json& line, const std::string& where);
  // Gives each game its strategies' places.
  void CheckGames(Block& block, const SeedRange& shard, bool allPlayed) const;

  Use use;
  Reader reader;

  std::set<unsigned> seeds;
  std::vector<TournamentGame> games;
  std::optional<Study> study;
  std::string interruptedAt;  // FILE:LINE of an interrupted run's summary
};
