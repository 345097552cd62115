// Plays the battles recorded in battlesim-headless's JSON output again (a run's, a study's or its
// shards', a tournament's games, the window's report) and names every battle that now ends
// otherwise: how a user checks that another machine, compiler or version computes the same battles
// as this one. The files are first checked as a merge checks them, so that "all match" is said
// only of a whole run whose lines and summaries agree.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/run/StudyIdentity.h"
#include "app/study/SeedWorkers.h"
#include "app/study/ShardMerge.h"
#include "app/tournament/TournamentMerge.h"

class DesignPlan;
struct Scenario;

class BattleVerifier {
 public:
  struct Outcome {
    long long battles = 0;  // a tournament's games
    long long seeds = 0;
    long long differing = 0;
    bool interrupted = false;  // the replay here
    bool games = false;        // a tournament's
    // Why the recorded run is not whole, "" when it is: its battles are then played as far as it went.
    std::string cutShort;
    // What of a whole record is not played: shards not given, battles the window's user changed.
    std::string partial;
  };

  BattleVerifier();
  BattleVerifier(const BattleVerifier&) = delete;
  BattleVerifier& operator=(const BattleVerifier&) = delete;

  // Reads the file at path, a study's or a tournament's; false with one line "FILE:LINE: reason"
  // (or "FILE: reason") on the first thing refused: anything a merge refuses (but an interrupt and
  // a shard not given), a battle or game line without a fingerprint, a file that does not end
  // with the summary that says how its battles were run.
  bool AddFile(const std::string& path, std::string& error);
  // The same for lines read from a stream that name stands for: a study's, or a tournament's.
  bool AddLines(std::istream& lines, const std::string& name, std::string& error);
  bool AddTournamentLines(std::istream& lines, const std::string& name, std::string& error);
  // The strategy files of the tournament read, matched to its strategies by checksum; false with
  // one line naming a strategy none of them is (edited, or not given), or a file none of the
  // tournament's strategies is.
  bool TakeScripts(const std::vector<std::string>& paths, std::string& error);

  // Whether the recorded battles ran the battle here: the scenario file given (empty: the
  // built-in battle) and its height map, compared by checksum. False with one line naming the
  // first summary that ran another.
  // A designed study's runs also need its design file, the same by checksum, holding every seed.
  bool SameBattle(const std::string& scenarioFile, const Scenario& scenario, std::string& error,
                  const std::string& designFile = "") const;
  // A file recorded by a version whose seeds play other battles, in one line; empty when none.
  std::string OtherBattles() const;
  // The first summary written by another version of the program, as "FILE:LINE: version V", or "".
  std::string OtherVersion() const;

  // Plays every recorded seed again on the given number of threads and writes one line for each
  // battle that differs, in the order the files hold them.
  Outcome Replay(const Scenario& scenario, int jobs, std::ostream& out, std::ostream* progress) const;
  // Threads that step each battle played again: the same battles whatever their number.
  int stepThreads = 1;
  // The design whose points the recorded seeds play, when they are a designed study's; not owned.
  const DesignPlan* design = nullptr;
  static std::string ResultLine(const Outcome& outcome);
  static constexpr int kNotWholeStatus = 3;
  // 0 when all match of a whole run, 1 when any differ, 3 when all match of a run not whole or
  // when there was no battle to play, RunSummary::kInterruptedStatus when the replay was interrupted.
  static int ExitStatus(const Outcome& outcome);

 private:
  struct Recorded {
    std::string where;  // FILE:LINE
    int battle = 0;     // a tournament's game number
    nlohmann::json line;
  };
  // One seed's battles (or games) from one run, with how that run played them.
  struct Seed {
    unsigned seed = 0;
    StudyIdentity study;
    std::string where;  // FILE:LINE of the summary
    std::vector<Recorded> battles;
    std::vector<std::pair<int, int>> players;  // a tournament's: each game's red and blue strategy
  };

  static void CheckFingerprint(const nlohmann::json& line, const char* kind);
  void TakeRun(ShardMerge::RecordedRun&& run);
  void TakeTournament(TournamentMerge::RecordedRun&& run);
  bool KindIs(bool tournamentFile, const std::string& name, std::string& error);
  static SeedWorkers::SeedLines PlayAgain(const Seed& seed, const Scenario& scenario, int threads,
                                          const DesignPlan* design, StepHistogram& steps, long long& frames);
  bool SameDesign(const std::string& designFile, std::string& error) const;
  SeedWorkers::SeedLines PlayGames(const Seed& seed, const Scenario& scenario) const;
  std::string AsRecorded(const std::string& reason) const;
  // The lines of the seed's battles that differ from those played now, with these Generals' scripts.
  static std::string Compare(const Seed& seed, const std::string& played, const std::array<std::string, 2>& scripts);
  static void SameScriptNamed(const nlohmann::json& recorded, nlohmann::json& now,
                              const std::array<std::string, 2>& scripts);
  static std::string Differences(const nlohmann::json& recorded, const nlohmann::json& now);
  std::string NotWhole() const;
  std::string Partial() const;
  static std::string NothingPlayedLine(const Outcome& outcome);

  ShardMerge runs;
  TournamentMerge tournament;
  bool readStudy = false;
  bool readTournament = false;
  std::vector<Seed> seeds;
  std::vector<std::string> strategies;  // a tournament's, by name as it ran them
  std::vector<std::string> checksums;
  std::vector<std::string> scripts;  // the file given for each strategy
  std::string tournamentWhere;       // FILE:LINE of the tournament's first summary
  long long changedBattles = 0;      // battles the window's user changed, not played
  int changedFrom = 0;
};
