// The headless battle runner: the battle's step, as every frame of the window takes it, on a
// hand-driven clock.
#include "app/run/HeadlessRunner.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <utility>

#include "app/run/BattleRecorder.h"
#include "app/CommandLine.h"
#include "app/run/QuietDebugChannel.h"
#include "app/run/StepHistogram.h"
#include "app/run/WinRate.h"
#include "battle/Battle.h"
#include "battle/BattleFingerprint.h"
#include "platform/Interrupt.h"

namespace {
using Clock = std::chrono::steady_clock;

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

void AppendWinRateJson(std::ostream& line, const char* side, const WinRate& rate) {
  line << ",\"" << side << "_win_rate\":";
  if (!rate.known) {
    line << "null,\"" << side << "_win_ci95\":null";
    return;
  }
  line << Fixed(rate.rate, 4) << ",\"" << side << "_win_ci95\":[" << Fixed(rate.low, 4) << ","
       << Fixed(rate.high, 4) << "]";
}

void AppendWinRateText(std::ostream& line, const char* side, const WinRate& rate) {
  if (!rate.known) return;
  line << "; " << side << " win rate " << Fixed(100.0 * rate.rate, 1) << "% (95% interval "
       << Fixed(100.0 * rate.low, 1) << "% to " << Fixed(100.0 * rate.high, 1) << "%)";
}

void AppendIdentityJson(std::ostream& line, const RunSummary& summary) {
  if (summary.seedsMerged >= 0) {
    line << ",\"seeds_merged\":" << summary.seedsMerged;
  } else if (!summary.seedRange.empty()) {
    line << ",\"seeds\":\"" << summary.seedRange << "\"";
    if (!summary.shard.empty()) line << ",\"shard\":\"" << summary.shard << "\"";
  } else {
    line << ",\"seed\":" << summary.seed;
  }
}

void AppendIdentityText(std::ostream& line, const RunSummary& summary) {
  if (summary.seedsMerged >= 0) {
    line << summary.seedsMerged << " seeds merged";
  } else if (!summary.seedRange.empty()) {
    line << "seeds " << summary.seedRange;
    if (!summary.shard.empty()) line << " shard " << summary.shard;
  } else {
    line << "seed " << summary.seed;
  }
}

void AppendWindowJson(std::ostream& line, const WindowRun& window) {
  line << ",\"window\":{\"fixed_steps\":" << (window.fixedSteps ? "true" : "false");
  if (window.changedFromBattle > 0) line << ",\"changed_from_battle\":" << window.changedFromBattle;
  line << "}";
}

void AppendWindowText(std::ostream& line, const WindowRun& window) {
  line << "; window, " << (window.fixedSteps ? "fixed steps" : "one step per frame");
  if (window.changedFromBattle > 0) line << ", battle " << window.changedFromBattle << " on changed by the user";
}
}  // namespace

KillTotals& KillTotals::operator+=(const KillTotals& more) {
  for (std::size_t type = 0; type < byType.size(); ++type) byType[type] += more.byType[type];
  return *this;
}

std::string HeadlessRunner::Usage() { return CommandLine::HeadlessUsage(); }

bool HeadlessRunner::ParseArguments(const std::vector<std::string>& arguments, HeadlessOptions& options,
                                    std::string& error) {
  const CommandLine::Outcome outcome = CommandLine::ParseHeadless(arguments, options, error);
  if (outcome == CommandLine::Outcome::Help) error = "--help asks for the usage, not a run";
  return outcome == CommandLine::Outcome::Run;
}

HeadlessRunner::HeadlessRunner(const HeadlessOptions& runOptions, Scenario battleSetup)
    : options(runOptions), scenario(std::move(battleSetup)) {}

double HeadlessRunner::SimulatedSeconds(long long frames) const {
  return static_cast<double>(frames) * options.frameMs / 1000.0;
}

int HeadlessRunner::Run(std::ostream& out, std::ostream* progress) {
  std::string error;
  if (!OpenOutputs(out, error)) {
    std::cerr << "battlesim-headless: " << error << "\n";
    return 2;
  }
  StepHistogram steps;
  long long framesRun = 0;
  const Clock::time_point runStart = Clock::now();
  RunSummary summary = RunBattles(out, progress, steps, framesRun);
  // What --verify needs to play the run again; a file that cannot be read again leaves it out.
  StudyIdentity study;
  if (StudyIdentity::Of(options, scenario, study, error)) summary.study = study;
  AddTiming(summary, steps, framesRun, std::chrono::duration<double>(Clock::now() - runStart).count());
  out << FormatSummary(summary, options.json) << std::flush;
  if (trace) std::cerr << trace->UnmatchedLine();
  return ExitStatus(summary);
}

bool HeadlessRunner::ShowState(const Battle& battle, long long step, std::ostream& out) const {
  if (options.fingerprintEvery > 0 && step % options.fingerprintEvery == 0) {
    out << "step " << step << " fingerprint " << BattleFingerprint::Hex(BattleFingerprint::Of(battle)) << "\n";
  }
  if (step != options.stateAtStep) return false;
  for (const std::string& field : BattleFingerprint::Fields(battle)) out << "step " << step << " " << field << "\n";
  return true;
}

RunSummary HeadlessRunner::RunBattles(std::ostream& out, std::ostream* progress, StepHistogram& steps,
                                      long long& framesRun) {
  const QuietDebugChannel quiet;
  // A battlefield of its own: a seed's battles never depend on the runs made before it in the
  // same process (the seeds before it in a shard).
  Battle battle(scenario, options.seed);
  battle.bloodEnabled = options.blood;
  battle.paintFootsteps = false;
  if (trace) {
    battle.traceLog->Watch(trace.get());
    trace->Follow(&battle);
  }
  battle.StartBattle();

  const auto framesAllowed = static_cast<long long>(std::ceil(options.maxSeconds * 1000.0 / options.frameMs));
  RunSummary summary;
  summary.seed = options.seed;
  BattleRecorder recorder(options.memory);
  Clock::time_point lastProgress = Clock::now();
  std::uint32_t elapsedMs = 0;
  const std::optional<unsigned> lineSeed = options.seedInLines ? std::optional<unsigned>(options.seed) : std::nullopt;

  long long stepsRun = 0;
  while (recorder.Finished() < options.battles) {
    if (Interrupt::Requested()) {
      summary.interrupted = true;
      break;
    }
    elapsedMs += static_cast<std::uint32_t>(options.frameMs);
    const Clock::time_point stepStart = Clock::now();
    battle.timer.TickTo(elapsedMs);
    const float dt = battle.RunSimulationStep();
    if (timeline) timeline->AfterStep(battle, dt);
    steps.Add(std::chrono::duration<double, std::micro>(Clock::now() - stepStart).count());
    ++framesRun;
    if (ShowState(battle, ++stepsRun, out)) break;

    if (recorder.AfterStep(battle, options.frameMs)) {
      out << FormatBattleLine(recorder.LastFinished(), options.json, lineSeed) << std::flush;
    } else if (recorder.Running().frames >= framesAllowed) {
      out << FormatBattleLine(recorder.CloseUnfinished(battle), options.json, lineSeed) << std::flush;
      ++summary.unfinished;
      break;
    }

    if (progress != nullptr && Clock::now() - lastProgress > std::chrono::milliseconds(250)) {
      lastProgress = Clock::now();
      *progress << "\rbattle " << recorder.BattleNumber() << " of " << options.battles << ": "
                << Fixed(SimulatedSeconds(recorder.Running().frames), 1) << " s simulated" << std::flush;
    }
  }
  if (progress != nullptr) *progress << "\r\033[K" << std::flush;
  if (trace) trace->Follow(nullptr);
  if (timeline) timeline->Finish();

  summary.finished = recorder.Finished();
  summary.redWins = recorder.RedWins();
  summary.blueWins = recorder.BlueWins();
  for (std::size_t type = 0; type < battle.kills.size(); ++type) summary.kills.byType[type] = battle.kills[type];
  return summary;
}

void HeadlessRunner::AddTiming(RunSummary& summary, const StepHistogram& steps, long long framesRun,
                               double wallSeconds) const {
  summary.simPerWall = wallSeconds > 0.0 ? SimulatedSeconds(framesRun) / wallSeconds : 0.0;
  summary.stepMedianUs = steps.Percentile(0.5);
  summary.stepP99Us = steps.Percentile(0.99);
  summary.stepMaxUs = steps.Max();
}

int HeadlessRunner::ExitStatus(const RunSummary& summary) {
  if (summary.interrupted) return kInterruptedStatus;
  return summary.unfinished == 0 ? 0 : 1;
}

bool HeadlessRunner::OpenOutputs(std::ostream& out, std::string& error) {
  std::ostream* traceOut = &out;
  if (!options.traceFile.empty()) {
    traceFileStream.open(options.traceFile);
    if (!traceFileStream) {
      error = "cannot write the trace file " + options.traceFile + " (" + std::strerror(errno) + ")";
      return false;
    }
    traceOut = &traceFileStream;
  }
  if (!options.traceNames.empty()) trace = std::make_unique<UnitTrace>(options.traceNames, *traceOut, options.battles);
  if (options.timelineFile.empty()) return true;
  timelineStream.open(options.timelineFile);
  if (!timelineStream) {
    error = "cannot write the timeline file " + options.timelineFile + " (" + std::strerror(errno) + ")";
    return false;
  }
  timeline = std::make_unique<BattleTimeline>();
  timeline->WriteRowsTo(&timelineStream);
  return true;
}

std::string HeadlessRunner::FormatBattle(const BattleReport& report, bool json) {
  return FormatBattleLine(report, json);
}

std::string HeadlessRunner::FormatSummary(const RunSummary& summary, bool json) {
  std::ostringstream line;
  if (json) {
    line << "{\"summary\":true";
    AppendIdentityJson(line, summary);
    line << ",\"finished\":" << summary.finished << ",\"unfinished\":" << summary.unfinished
         << ",\"red_wins\":" << summary.redWins << ",\"blue_wins\":" << summary.blueWins;
    if (summary.IsStudy()) {
      line << ",\"kills\":";
      AppendKillsJson(line, summary.kills.byType);
    }
    if (summary.Timed()) {
      line << ",\"sim_per_wall\":" << Fixed(summary.simPerWall, 1) << ",\"step_us\":{\"median\":"
           << Fixed(summary.stepMedianUs, 1) << ",\"p99\":" << Fixed(summary.stepP99Us, 1)
           << ",\"max\":" << Fixed(summary.stepMaxUs, 1) << "}";
    }
    AppendWinRateJson(line, "red", WinRate::Of(summary.redWins, summary.finished));
    AppendWinRateJson(line, "blue", WinRate::Of(summary.blueWins, summary.finished));
    if (summary.interrupted) line << ",\"interrupted\":true";
    if (summary.window) AppendWindowJson(line, *summary.window);
    if (summary.study) line << summary.study->Json();
    line << "}\n";
    return line.str();
  }
  line << "Summary: " << summary.finished << " finished, " << summary.unfinished << " unfinished; red wins "
       << summary.redWins << ", blue wins " << summary.blueWins << "; ";
  AppendIdentityText(line, summary);
  if (summary.IsStudy()) {
    line << "; kills: ";
    AppendKillsText(line, summary.kills.byType);
  }
  if (summary.Timed()) {
    line << "; " << Fixed(summary.simPerWall, 1) << " simulated seconds per wall second; step per frame: median "
         << Fixed(summary.stepMedianUs, 1) << " us, 99th percentile " << Fixed(summary.stepP99Us, 1)
         << " us, max " << Fixed(summary.stepMaxUs, 1) << " us";
  }
  AppendWinRateText(line, "red", WinRate::Of(summary.redWins, summary.finished));
  AppendWinRateText(line, "blue", WinRate::Of(summary.blueWins, summary.finished));
  if (summary.interrupted) line << "; interrupted";
  if (summary.window) AppendWindowText(line, *summary.window);
  if (summary.study) line << summary.study->Text();
  line << "\n";
  return line.str();
}
