// What a run of battlesim-headless is asked to do: the battles, their settings and what is
// written about them; filled by the command line (or the Python module) and read by every runner.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/setup/SeedRange.h"
#include "app/setup/UnitCount.h"

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
  // Threads that step each battle; the battles are the same whatever their number.
  int threads = 1;
  // Merge the JSON lines of these files (a study's shards) instead of running battles.
  std::vector<std::string> mergeFiles;
  // Play again the battles these files (JSON output of runs, studies or shards) record and compare.
  std::vector<std::string> verifyFiles;
  // The window's --report of a battle led by hand: its orders played again, on its seed, frame
  // length and battles unless given here.
  std::string ordersFile;
  bool battlesGiven = false;
  bool frameMsGiven = false;
  // A tournament between these strategy scripts over the study's seeds; each pair stops at its
  // test's decision when untilDecided.
  std::vector<std::string> tournament;
  bool untilDecided = false;
  // A designed study (--design): its file, and one point (from 1) or one replicate of it alone (0: all).
  std::string designFile;
  int designPoint = 0;
  int designReplicate = 0;
  // --save, --load: a battle file written when the run stops, and one played on.
  std::string saveFile;
  std::string loadFile;
  // --red-general, --blue-general by team code: strategy scripts over the scenario's.
  std::array<std::string, 2> generals;
};
