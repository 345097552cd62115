// Merges the JSON output of a tournament's shards (from any number of files) into the standings,
// pairs and summary the unsharded tournament would have printed. Refuses what would make them
// wrong: damaged or foreign lines (a study's among them), a shard cut short or interrupted, a seed
// given twice, a game out of place, a summary that disagrees with the games before it, shards of
// different tournaments (other strategies by name or content, other settings) and a shard given
// twice or not at all.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/SeedRange.h"
#include "app/TournamentIdentity.h"
#include "app/TournamentTable.h"

class TournamentMerge {
 public:
  // Whether the file's first line is one of a tournament's, so that it is merged here rather than
  // as a study's shard.
  static bool HoldsTournament(const std::string& path);

  // Reads the file at path; false with one line "FILE:LINE: reason" (or "FILE: reason").
  bool AddFile(const std::string& path, std::string& error);
  bool AddLines(std::istream& lines, const std::string& name, std::string& error);
  // After the last file: false with one line naming the first shard none of them held.
  bool Complete(std::string& error) const;

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
  };
  // The game lines since the last summary line, which that summary must agree with.
  struct Block {
    std::vector<GameLine> lines;
    std::set<unsigned> seeds;
  };
  struct Study {
    std::string where;  // FILE:LINE of the first summary
    SeedRange seeds;
    TournamentIdentity identity;
    std::map<std::uint64_t, std::string> shards;
  };

  void AddLine(const nlohmann::json& line, Block& block, const std::string& where);
  void AddGame(const nlohmann::json& line, Block& block) const;
  void CloseBlock(const nlohmann::json& line, Block& block, const std::string& where);
  SeedRange JoinStudy(const nlohmann::json& line, const std::string& where);
  // Gives each game its strategies' places.
  void CheckGames(Block& block, const SeedRange& shard) const;

  std::set<unsigned> seeds;
  std::vector<TournamentGame> games;
  std::optional<Study> study;
};
