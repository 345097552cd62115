// What makes a tournament's games what they are: its strategies by name and content, and the
// study settings every game shares. Recorded in the summary of each shard, so that a merge can
// tell the shards of one tournament from strangers.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/run/StudyIdentity.h"

class TournamentTable;
struct HeadlessOptions;
struct Scenario;

// The last line of a tournament's output, beside the table.
struct TournamentSummary {
  std::string seeds;           // the range A-B, when the games were played here
  std::string shard;           // I/N of a sharded run
  long long seedsMerged = -1;  // a merge of shards: how many seeds they held
  bool untilDecided = false;
  bool interrupted = false;
};

struct TournamentIdentity {
  // A strategy file's syntax, checked before any battle; false with "FILE:LINE: message".
  using SyntaxCheck = std::function<bool(const std::string& path, std::string& error)>;

  std::vector<std::string> strategies;  // as the command line names them
  std::vector<std::string> checksums;   // "crc32:XXXXXXXX" of each one's bytes
  StudyIdentity study;

  // The tournament the options run: false with one line on a strategy that cannot be read, fails
  // the check or has the content of one before it (a strategy against itself ranks nothing).
  static bool Of(const HeadlessOptions& options, const Scenario& battle, const SyntaxCheck& check,
                 TournamentIdentity& out, std::string& error);

  // The summary line after the table, as text or as one JSON object.
  std::string Summary(const TournamentTable& table, const TournamentSummary& run, bool json) const;

  bool operator==(const TournamentIdentity& other) const;
};
