// A study over a range of seeds: each seed of the range (or of one shard of it) runs its battles
// from a fresh start, as a run with that seed alone would, and one summary covers them all.
// Shards of one range run anywhere and merge into the unsharded study's summary.
#pragma once

#include <ostream>

#include "app/HeadlessRunner.h"
#include "battle/Scenario.h"

class SeedStudy {
 public:
  SeedStudy(const HeadlessOptions& studyOptions, const Scenario& battleSetup);

  // Writes every seed's battle lines, each carrying its seed, then the summary; returns the exit
  // status as HeadlessRunner::Run does. A seed whose battle runs out of time ends only that seed.
  int Run(std::ostream& out, std::ostream* progress);

 private:
  static void Add(RunSummary& total, const RunSummary& seedRun);

  HeadlessOptions options;
  Scenario scenario;
};
