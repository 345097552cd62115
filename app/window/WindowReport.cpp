// The window's report summary.
#include "app/window/WindowReport.h"

#include <algorithm>
#include <string>

#include "app/run/StudyIdentity.h"
#include "app/setup/HeadlessOptions.h"
#include "app/study/RunLimits.h"
#include "app/window/WindowOptions.h"

RunSummary WindowReport::Summary(const WindowOptions& options, const Scenario& scenario, RunSummary counts,
                                 int changedFromBattle) {
  RunSummary summary = counts;
  // The window's steps wait for the screen: their times would only mislead.
  summary.stepsTimed = false;
  summary.window = WindowRun{options.fixedSteps, changedFromBattle};
  // The window never cuts a battle short, and it starts with blood on whatever the user switches.
  HeadlessOptions run;
  run.scenarioFile = options.scenarioFile;
  run.frameMs = options.frameMs;
  run.battles = std::max(1, counts.finished);
  run.maxSeconds = RunLimits::kLongestBattleSeconds;
  StudyIdentity study;
  std::string unreadable;
  if (StudyIdentity::Of(run, scenario, study, unreadable)) summary.study = study;
  return summary;
}
