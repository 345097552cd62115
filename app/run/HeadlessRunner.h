// Runs battles with no window and no GL on a hand-driven clock, and reports each finished battle
// and a summary of the run: for tests, benchmarks and batch studies of many battles.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/run/RunSummary.h"
#include "app/run/UnitTrace.h"
#include "app/setup/HeadlessOptions.h"
#include "battle/Battle.h"
#include "battle/BattleTimeline.h"
#include "battle/Scenario.h"

class StepHistogram;

class HeadlessRunner {
 public:
  HeadlessRunner(const HeadlessOptions& runOptions, Scenario battleSetup = Scenario{});
  // Plays on the battle (read from a file) instead of starting the seed's, its clock at
  // elapsedMs; the options' seed, frame length and blood must be those it was saved with.
  void PlayOn(std::unique_ptr<Battle> loaded, std::uint32_t elapsedMs);
  // What a battle file keeps of a run beside the battle, and reads back into the options; false
  // for text no run wrote.
  static std::string SavedSettings(const HeadlessOptions& options, std::uint32_t elapsedMs);
  static bool ReadSettings(const std::string& text, HeadlessOptions& options, std::uint32_t& elapsedMs);

  // Runs until the requested battles are finished, one runs out of simulated time or the user
  // interrupts. Writes one line per battle and the summary to out, and progress to progress when
  // it is not null. Returns the process exit status: 0 when every battle finished, 1 when one ran
  // out of time, RunSummary::kInterruptedStatus when interrupted, kStepNotReachedStatus when the
  // run ended before the step --state-at-step asked for.
  int Run(std::ostream& out, std::ostream* progress);
  static constexpr int kStepNotReachedStatus = 4;
  // The battles of options.seed with their lines but no summary: the summary's counts and kills
  // are filled, its step times go into steps and the frames run are added to framesRun.
  RunSummary RunBattles(std::ostream& out, std::ostream* progress, StepHistogram& steps, long long& framesRun);
  // Writes the step's fingerprint or fields as the options ask; true once the run should stop.
  bool ShowState(const Battle& battle, long long step, std::ostream& out) const;
  // The timing fields of summary from a run's steps over wallSeconds.
  void AddTiming(RunSummary& summary, const StepHistogram& steps, long long framesRun, double wallSeconds) const;

 private:
  double SimulatedSeconds(long long frames) const;
  // Opens the trace and timeline files the options name; false with a one-line reason.
  bool OpenOutputs(std::ostream& out, std::string& error);

  std::ofstream traceFileStream;
  std::ofstream timelineStream;
  std::unique_ptr<UnitTrace> trace;
  std::unique_ptr<BattleTimeline> timeline;

  // Writes the battle file the options ask for; false, said on standard error, when it cannot.
  bool Save(const Battle& battle, std::uint32_t elapsedMs) const;

  HeadlessOptions options;
  Scenario scenario;
  // Steps the last RunBattles took.
  long long stepsRun = 0;
  std::unique_ptr<Battle> loadedBattle;
  std::uint32_t loadedMs = 0;
  bool saveFailed = false;
};
