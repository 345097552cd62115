// Runs battles with no window and no GL on a hand-driven clock, and reports each finished battle
// and a summary of the run: for tests, benchmarks and batch studies of many battles.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class Game;

struct HeadlessOptions {
  unsigned seed = 0;
  bool seedGiven = false;
  int battles = 1;
  int frameMs = 16;
  double maxSeconds = 1800.0;
  bool blood = true;
  bool json = false;
  bool memory = false;  // report the resident memory after each battle
};

struct BattleReport {
  int battle = 0;
  bool finished = false;
  bool redWon = false;
  double seconds = 0.0;
  long long frames = 0;
  int casualties = 0;
  int soldierKills = 0;
  int archerKills = 0;
  int berserkerKills = 0;
  int leaderKills = 0;
  int generalKills = 0;
  int stateChanges = 0;
  long residentKb = -1;  // -1: not measured
};

struct RunSummary {
  unsigned seed = 0;
  int finished = 0;
  int unfinished = 0;
  int redWins = 0;
  int blueWins = 0;
  double simPerWall = 0.0;
  double stepMedianUs = 0.0;
  double stepP99Us = 0.0;
  double stepMaxUs = 0.0;
};

class HeadlessRunner {
 public:
  // Fills options from the command line; false with a one-line reason on a bad argument.
  static bool ParseArguments(const std::vector<std::string>& arguments, HeadlessOptions& options, std::string& error);
  static std::string Usage();

  explicit HeadlessRunner(const HeadlessOptions& runOptions);

  // Runs until the requested battles are finished or one runs out of simulated time. Writes one
  // line per battle and the summary to out, and progress to progress when it is not null.
  // Returns the process exit status: 0 when every battle finished, 1 otherwise.
  int Run(std::ostream& out, std::ostream* progress);

  static std::string FormatBattle(const BattleReport& report, bool json);
  static std::string FormatSummary(const RunSummary& summary, bool json);

 private:
  double SimulatedSeconds(long long frames) const;
  void CloseReport(const Game& game, int killsBefore, BattleReport& report) const;

  HeadlessOptions options;
};
