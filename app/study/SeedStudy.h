// A study over a range of seeds: each seed of the range (or of one shard of it) runs its battles
// from a fresh start, as a run with that seed alone would, and one summary covers them all.
// Shards of one range run anywhere and merge into the unsharded study's summary.
#pragma once

#include <ostream>

#include "app/run/RunSummary.h"
#include "app/setup/HeadlessOptions.h"
#include "app/study/SeedWorkers.h"
#include "battle/Scenario.h"

class DesignPlan;
class StepHistogram;

class SeedStudy {
 public:
  // With a design, each seed plays its point's battle and its lines name the point (DesignPlan).
  SeedStudy(const HeadlessOptions& studyOptions, const Scenario& battleSetup, const DesignPlan* studyDesign = nullptr);

  // Writes every seed's battle lines, each carrying its seed, then the summary; returns the exit
  // status as HeadlessRunner::Run does. A seed whose battle runs out of time ends only that seed.
  // With options.jobs above 1 the seeds run on that many threads, and what is written is the same,
  // in the same order; only the summary's timings differ.
  int Run(std::ostream& out, std::ostream* progress);

 private:
  static void Add(RunSummary& total, const RunSummary& seedRun);
  RunSummary RunSeed(unsigned seed, std::ostream& out, std::ostream* progress, StepHistogram& steps,
                     long long& framesRun) const;
  // The seeds one after another, each writing its lines as its battles end.
  void RunInOrder(RunSummary& total, std::ostream& out, std::ostream* progress, StepHistogram& steps,
                  long long& framesRun) const;
  // The seeds on options.jobs threads, each seed's lines written once it and every seed before it are done.
  void RunOnThreads(RunSummary& total, std::ostream& out, std::ostream* progress, StepHistogram& steps,
                    long long& framesRun) const;

  HeadlessOptions options;
  Scenario scenario;
  const DesignPlan* design;
};
