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
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <utility>

#include "app/run/BattleRecorder.h"
#include "app/run/BattleReport.h"
#include "app/run/FixedDecimals.h"
#include "app/run/QuietDebugChannel.h"
#include "app/run/StepHistogram.h"
#include "battle/Battle.h"
#include "battle/BattleFile.h"
#include "battle/BattleFingerprint.h"
#include "platform/Interrupt.h"

namespace {
using Clock = std::chrono::steady_clock;
}  // namespace

HeadlessRunner::HeadlessRunner(const HeadlessOptions& runOptions, Scenario battleSetup)
    : options(runOptions), scenario(std::move(battleSetup)) {}

void HeadlessRunner::PlayOn(std::unique_ptr<Battle> loaded, std::uint32_t elapsedMs) {
  loadedBattle = std::move(loaded);
  loadedMs = elapsedMs;
}

std::string HeadlessRunner::SavedSettings(const HeadlessOptions& options, std::uint32_t elapsedMs) {
  return "seed " + std::to_string(options.seed) + " frame_ms " + std::to_string(options.frameMs) + " blood " +
         (options.blood ? "1" : "0") + " elapsed_ms " + std::to_string(elapsedMs);
}

bool HeadlessRunner::ReadSettings(const std::string& text, HeadlessOptions& options, std::uint32_t& elapsedMs) {
  unsigned seed = 0;
  int frameMs = 0;
  int blood = 0;
  unsigned elapsed = 0;
  int used = 0;
  const int read =
      std::sscanf(text.c_str(), "seed %u frame_ms %d blood %d elapsed_ms %u%n", &seed, &frameMs, &blood, &elapsed, &used);
  if (read != 4 || static_cast<std::size_t>(used) != text.size() || frameMs < 1 || frameMs > 1000 || blood < 0 ||
      blood > 1) {
    return false;
  }
  options.seed = seed;
  options.frameMs = frameMs;
  options.blood = blood == 1;
  elapsedMs = elapsed;
  return true;
}

bool HeadlessRunner::Save(const Battle& battle, std::uint32_t elapsedMs) const {
  std::string error;
  if (BattleFile::Save(battle, SavedSettings(options, elapsedMs), options.saveFile, error)) return true;
  std::cerr << "battlesim-headless: " << error << "\n";
  return false;
}

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
  out << summary.Format(options.json) << std::flush;
  if (trace) std::cerr << trace->UnmatchedLine();
  if (saveFailed) return 2;
  if (!summary.interrupted && options.stateAtStep > stepsRun) {
    std::cerr << "battlesim-headless: --state-at-step " << options.stateAtStep << " was never reached: the run ended "
              << "after step " << stepsRun << "; ask for an earlier step or more --battles\n";
    return kStepNotReachedStatus;
  }
  return summary.ExitStatus();
}

// As JSON lines beside JSON battle lines, so that the output stays one JSON object per line.
bool HeadlessRunner::ShowState(const Battle& battle, long long step, std::ostream& out) const {
  if (options.fingerprintEvery > 0 && step % options.fingerprintEvery == 0) {
    const std::string hex = BattleFingerprint::Hex(BattleFingerprint::Of(battle));
    if (options.json) {
      out << nlohmann::ordered_json{{"step", step}, {"fingerprint", hex}}.dump() << "\n";
    } else {
      out << "step " << step << " fingerprint " << hex << "\n";
    }
  }
  if (step != options.stateAtStep) return false;
  for (const std::string& field : BattleFingerprint::Fields(battle)) {
    if (options.json) {
      out << nlohmann::ordered_json{{"step", step}, {"state", field}}.dump() << "\n";
    } else {
      out << "step " << step << " " << field << "\n";
    }
  }
  return true;
}

RunSummary HeadlessRunner::RunBattles(std::ostream& out, std::ostream* progress, StepHistogram& steps,
                                      long long& framesRun) {
  const QuietDebugChannel quiet;
  // A battlefield of its own: a seed's battles never depend on the runs made before it in the
  // same process (the seeds before it in a shard).
  std::unique_ptr<Battle> owned =
      loadedBattle != nullptr ? std::move(loadedBattle) : std::make_unique<Battle>(scenario, options.seed);
  const bool fresh = owned->BattlesStarted() == 0;
  Battle& battle = *owned;
  battle.bloodEnabled = options.blood;
  battle.paintFootsteps = false;
  battle.SetStepThreads(options.threads);
  if (trace) {
    battle.traceLog->Watch(trace.get());
    trace->Follow(&battle);
  }
  if (fresh) battle.StartBattle();

  const auto framesAllowed = static_cast<long long>(std::ceil(options.maxSeconds * 1000.0 / options.frameMs));
  RunSummary summary;
  summary.seed = options.seed;
  BattleRecorder recorder(options.memory);
  Clock::time_point lastProgress = Clock::now();
  std::uint32_t elapsedMs = loadedMs;
  const std::optional<unsigned> lineSeed = options.seedInLines ? std::optional<unsigned>(options.seed) : std::nullopt;

  stepsRun = 0;
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
                << FixedDecimals(SimulatedSeconds(recorder.Running().frames), 1) << " s simulated" << std::flush;
    }
  }
  if (progress != nullptr) *progress << "\r\033[K" << std::flush;
  if (!options.saveFile.empty() && !Save(battle, elapsedMs)) saveFailed = true;
  if (trace) trace->Follow(nullptr);
  if (timeline) timeline->Finish();

  summary.finished = recorder.Finished();
  summary.redWins = recorder.RedWins();
  summary.blueWins = recorder.BlueWins();
  for (std::size_t type = 0; type < battle.KillsByType().size(); ++type) summary.kills.byType[type] = battle.KillsByType()[type];
  return summary;
}

void HeadlessRunner::AddTiming(RunSummary& summary, const StepHistogram& steps, long long framesRun,
                               double wallSeconds) const {
  summary.simPerWall = wallSeconds > 0.0 ? SimulatedSeconds(framesRun) / wallSeconds : 0.0;
  summary.stepMedianUs = steps.Percentile(0.5);
  summary.stepP99Us = steps.Percentile(0.99);
  summary.stepMaxUs = steps.Max();
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
