// Studies over seed ranges and their shards.
#include "app/study/SeedStudy.h"

#include <chrono>
#include <cstdint>
#include <iostream>
#include <optional>
#include <sstream>

#include "app/run/HeadlessRunner.h"
#include "app/run/StepHistogram.h"
#include "app/study/DesignPlan.h"

SeedStudy::SeedStudy(const HeadlessOptions& studyOptions, const Scenario& battleSetup, const DesignPlan* studyDesign)
    : options(studyOptions), scenario(battleSetup), design(studyDesign) {
  options.seedInLines = true;
}

void SeedStudy::Add(RunSummary& total, const RunSummary& seedRun) {
  total.finished += seedRun.finished;
  total.unfinished += seedRun.unfinished;
  total.redWins += seedRun.redWins;
  total.blueWins += seedRun.blueWins;
  total.kills += seedRun.kills;
  total.interrupted = total.interrupted || seedRun.interrupted;
}

int SeedStudy::Run(std::ostream& out, std::ostream* progress) {
  RunSummary total;
  StudyIdentity study;
  std::string error;
  if (!StudyIdentity::Of(options, scenario, study, error)) {
    std::cerr << "battlesim-headless: " << error << "\n";
    return 2;
  }
  total.study = study;
  total.seedRange = options.seeds.RangeText();
  if (options.seeds.shards > 1) total.shard = options.seeds.ShardText();
  StepHistogram steps;
  long long framesRun = 0;
  const auto start = std::chrono::steady_clock::now();
  if (options.jobs > 1) {
    RunOnThreads(total, out, progress, steps, framesRun);
  } else {
    RunInOrder(total, out, progress, steps, framesRun);
  }
  const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  HeadlessRunner(options, scenario).AddTiming(total, steps, framesRun, wallSeconds);
  out << total.Format(options.json) << std::flush;
  return total.ExitStatus();
}

RunSummary SeedStudy::RunSeed(unsigned seed, std::ostream& out, std::ostream* progress, StepHistogram& steps,
                              long long& framesRun) const {
  HeadlessOptions seedOptions = options;
  seedOptions.seed = seed;
  if (design == nullptr) {
    HeadlessRunner runner(seedOptions, scenario);
    return runner.RunBattles(out, progress, steps, framesRun);
  }
  HeadlessRunner runner(seedOptions, design->PointAt(design->PointOf(seed)).scenario);
  std::ostringstream lines;
  const RunSummary run = runner.RunBattles(lines, progress, steps, framesRun);
  std::istringstream each(lines.str());
  for (std::string line; std::getline(each, line);) out << design->Line(line, seed, options.json) << "\n";
  out << std::flush;
  return run;
}

void SeedStudy::RunInOrder(RunSummary& total, std::ostream& out, std::ostream* progress, StepHistogram& steps,
                           long long& framesRun) const {
  for (std::optional<unsigned> seed = options.seeds.First(); seed && !total.interrupted;
       seed = options.seeds.After(*seed)) {
    Add(total, RunSeed(*seed, out, progress, steps, framesRun));
  }
}

void SeedStudy::RunOnThreads(RunSummary& total, std::ostream& out, std::ostream* progress, StepHistogram& steps,
                             long long& framesRun) const {
  SeedWorkers workers(options.seeds, options.jobs,
                      [this](unsigned seed, StepHistogram& threadSteps, long long& threadFrames) {
                        std::ostringstream lines;
                        const RunSummary seedRun = RunSeed(seed, lines, nullptr, threadSteps, threadFrames);
                        return SeedWorkers::SeedLines{lines.str(), seedRun};
                      });
  std::uint64_t seedsWritten = 0;
  while (!total.interrupted) {
    const std::optional<SeedWorkers::SeedLines> seed = workers.Next(progress);
    if (!seed) break;
    out << seed->text << std::flush;
    Add(total, seed->summary);
    ++seedsWritten;
  }
  workers.Finish(steps, framesRun);
  if (progress != nullptr) *progress << "\r\033[K" << std::flush;
  // The threads stop taking seeds on an interrupt: a seed never started was interrupted too.
  if (seedsWritten < options.seeds.Count()) total.interrupted = true;
}
