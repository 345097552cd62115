// The summary that ends a run's output, a study's, a merge's and the window's --report, and the
// exit status it stands for.
#pragma once

#include <optional>
#include <string>

#include "app/run/KillTotals.h"
#include "app/run/StudyIdentity.h"
#include "app/run/WindowRun.h"

struct RunSummary {
  // The status of a run the user interrupted, as a shell reports a program ended by SIGINT.
  static constexpr int kInterruptedStatus = 130;

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

  // One line, text or JSON, ending in a newline.
  std::string Format(bool json) const;
  // 0 when every battle finished, 1 when one ran out of time, kInterruptedStatus when interrupted.
  int ExitStatus() const;
};
