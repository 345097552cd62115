// Studies over seed ranges and their shards.
#include "app/SeedStudy.h"

#include <chrono>
#include <iostream>
#include <optional>

#include "app/StepHistogram.h"

SeedStudy::SeedStudy(const HeadlessOptions& studyOptions, const Scenario& battleSetup)
    : options(studyOptions), scenario(battleSetup) {
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
  for (std::optional<unsigned> seed = options.seeds.First(); seed && !total.interrupted;
       seed = options.seeds.After(*seed)) {
    HeadlessOptions seedOptions = options;
    seedOptions.seed = *seed;
    HeadlessRunner runner(seedOptions, scenario);
    Add(total, runner.RunBattles(out, progress, steps, framesRun));
  }
  const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  HeadlessRunner(options, scenario).AddTiming(total, steps, framesRun, wallSeconds);
  out << HeadlessRunner::FormatSummary(total, options.json) << std::flush;
  return HeadlessRunner::ExitStatus(total);
}
