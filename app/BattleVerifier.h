// Plays the battles recorded in battlesim-headless's JSON output again (a run's, a study's or its
// shards') and names every battle that now ends otherwise: how a user checks that another machine,
// compiler or version computes the same battles as this one.
#pragma once

#include <cstdint>
#include <istream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "app/SeedWorkers.h"
#include "app/StudyIdentity.h"

struct Scenario;

class BattleVerifier {
 public:
  struct Outcome {
    long long battles = 0;
    long long seeds = 0;
    long long differing = 0;
    bool interrupted = false;
  };

  // Reads the file at path; false with one line "FILE:LINE: reason" (or "FILE: reason") on the
  // first thing refused: a line not of ours, a battle line without a fingerprint, a file that
  // does not end with the summary that says how its battles were run.
  bool AddFile(const std::string& path, std::string& error);
  // The same for lines read from a stream that name stands for.
  bool AddLines(std::istream& lines, const std::string& name, std::string& error);

  // Whether the recorded battles ran the battle here: the scenario file given (empty: the
  // built-in battle) and its height map, compared by checksum. False with one line naming the
  // first summary that ran another.
  bool SameBattle(const std::string& scenarioFile, const Scenario& scenario, std::string& error) const;
  // The first summary written by another version of the program, as "FILE:LINE: version V", or "".
  std::string OtherVersion() const;

  // Plays every recorded seed again on the given number of threads and writes one line for each
  // battle that differs, in the order the files hold them.
  Outcome Replay(const Scenario& scenario, int jobs, std::ostream& out, std::ostream* progress) const;
  static std::string ResultLine(const Outcome& outcome);

 private:
  struct Recorded {
    std::string where;  // FILE:LINE
    int battle = 0;
    nlohmann::json line;
  };
  // One seed's battles from one run, with how that run played them.
  struct Seed {
    unsigned seed = 0;
    StudyIdentity study;
    std::string where;  // FILE:LINE of the summary
    std::vector<Recorded> battles;
  };
  struct Pending {
    bool hasSeed = false;
    unsigned seed = 0;
    Recorded battle;
  };

  void AddLine(const nlohmann::json& line, std::vector<Pending>& block, const std::string& where);
  static Pending ReadBattle(const nlohmann::json& line, const std::string& where);
  void CloseBlock(const nlohmann::json& summary, std::vector<Pending>& block, const std::string& where);
  static SeedWorkers::SeedLines PlayAgain(const Seed& seed, const Scenario& scenario, StepHistogram& steps,
                                          long long& frames);
  // The lines of the seed's battles that differ from those played now.
  static std::string Compare(const Seed& seed, const std::string& played);
  static std::string Differences(const nlohmann::json& recorded, const nlohmann::json& now);

  std::vector<Seed> seeds;
};
