// Runs battles with no window and no GL on a hand-driven clock, and reports each finished battle
// and a summary of the run: for tests, benchmarks and batch studies of many battles.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/run/BattleReport.h"
#include "app/setup/SeedRange.h"
#include "app/run/StudyIdentity.h"
#include "app/setup/UnitCount.h"
#include "app/run/UnitTrace.h"
#include "battle/BattleTimeline.h"
#include "battle/Scenario.h"

class StepHistogram;

struct HeadlessOptions {
  unsigned seed = 0;
  bool seedGiven = false;
  int battles = 1;
  int frameMs = 16;
  double maxSeconds = 1800.0;
  bool blood = true;
  bool json = false;
  bool memory = false;  // report the resident memory after each battle
  std::string scenarioFile;
  // --trace, --trace-file, --timeline: what the battles looked like from inside.
  std::vector<std::string> traceNames;
  std::string traceFile;  // empty: standard output
  std::string timelineFile;
  // --fingerprint-every, --state-at-step: where two builds' battles part (0: not asked).
  long long fingerprintEvery = 0;
  long long stateAtStep = 0;
  long long maxUnits = UnitCount::kDefaultMost;
  // A study: every seed of the range (or of its shard) from a fresh start, lines carrying it.
  bool study = false;
  SeedRange seeds;
  bool seedInLines = false;
  // Threads that run a study's seeds at once; the output is the same whatever their number.
  int jobs = 1;
  // Merge the JSON lines of these files (a study's shards) instead of running battles.
  std::vector<std::string> mergeFiles;
  // Play again the battles these files (JSON output of runs, studies or shards) record and compare.
  std::vector<std::string> verifyFiles;
  // A tournament between these strategy scripts over the study's seeds; each pair stops at its
  // test's decision when untilDecided.
  std::vector<std::string> tournament;
  bool untilDecided = false;
  // --red-general, --blue-general by team code: strategy scripts over the scenario's.
  std::array<std::string, 2> generals;
};

// Kills by the type of the unit killed, over a run or a study.
struct KillTotals {
  std::array<long long, UnitType::kFighters> byType{};

  KillTotals& operator+=(const KillTotals& more);
  bool operator==(const KillTotals&) const = default;
};

// What the window's summary adds: whether it ran fixed steps (only then do its battles play again),
// and the first battle its user changed by a reset or a blood switch (0: none).
struct WindowRun {
  bool fixedSteps = false;
  int changedFromBattle = 0;
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
  bool interrupted = false;
  // The window's summary has no step times to give.
  bool stepsTimed = true;
  // A study's summary names its seeds (and shard, when sharded) in place of the one seed and adds
  // the kill totals; a merged one names how many seeds it holds and has no step times, which do
  // not combine across runs.
  std::string seedRange;
  std::string shard;
  long long seedsMerged = -1;
  KillTotals kills;
  // A study's (and a merge's) summary ends with what defines the study, for merges to check.
  std::optional<StudyIdentity> study;
  std::optional<WindowRun> window;

  bool IsStudy() const { return !seedRange.empty() || seedsMerged >= 0; }
  bool Timed() const { return seedsMerged < 0 && stepsTimed; }
};

class HeadlessRunner {
 public:
  static constexpr int kInterruptedStatus = 130;

  // Fills options from the command line; false with a one-line reason on a bad argument.
  static bool ParseArguments(const std::vector<std::string>& arguments, HeadlessOptions& options, std::string& error);
  static std::string Usage();

  HeadlessRunner(const HeadlessOptions& runOptions, Scenario battleSetup = Scenario{});

  // Runs until the requested battles are finished, one runs out of simulated time or the user
  // interrupts. Writes one line per battle and the summary to out, and progress to progress when
  // it is not null. Returns the process exit status: 0 when every battle finished, 1 when one ran
  // out of time, kInterruptedStatus when interrupted.
  int Run(std::ostream& out, std::ostream* progress);
  // The battles of options.seed with their lines but no summary: the summary's counts and kills
  // are filled, its step times go into steps and the frames run are added to framesRun.
  RunSummary RunBattles(std::ostream& out, std::ostream* progress, StepHistogram& steps, long long& framesRun);
  // Writes the step's fingerprint or fields as the options ask; true once the run should stop.
  bool ShowState(const Battle& battle, long long step, std::ostream& out) const;
  // The timing fields of summary from a run's steps over wallSeconds.
  void AddTiming(RunSummary& summary, const StepHistogram& steps, long long framesRun, double wallSeconds) const;
  static int ExitStatus(const RunSummary& summary);

  static std::string FormatBattle(const BattleReport& report, bool json);
  static std::string FormatSummary(const RunSummary& summary, bool json);

 private:
  double SimulatedSeconds(long long frames) const;
  // Opens the trace and timeline files the options name; false with a one-line reason.
  bool OpenOutputs(std::ostream& out, std::string& error);

  std::ofstream traceFileStream;
  std::ofstream timelineStream;
  std::unique_ptr<UnitTrace> trace;
  std::unique_ptr<BattleTimeline> timeline;

  HeadlessOptions options;
  Scenario scenario;
};
