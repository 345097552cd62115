// Entry point of battlesim-headless: battles without a window, reported on standard output; or
// the merge of a study's shards, or the check of recorded battles against a replay.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app/CommandLine.h"
#include "app/lead/OrderReport.h"
#include "app/run/HeadlessRunner.h"
#include "app/run/SavedRun.h"
#include "app/run/StudyIdentity.h"
#include "app/setup/BattleSetup.h"
#include "app/setup/MissingFiles.h"
#include "app/study/DesignPlan.h"
#include "app/study/SeedStudy.h"
#include "app/study/ShardMerge.h"
#include "app/tournament/Tournament.h"
#include "app/tournament/TournamentIdentity.h"
#include "app/tournament/TournamentMerge.h"
#include "app/verify/BattleVerifier.h"
#include "battle/Battle.h"
#include "platform/Interrupt.h"
#include "strategy/StrategyScript.h"

namespace {
constexpr char kName[] = "battlesim-headless";

bool Refused(const std::string& error) {
  std::cerr << kName << ": " << error << "\n";
  return false;
}

// Every file read by the reader; false, the reason given, at the first it refuses.
template <class Reader>
bool ReadAll(Reader& reader, const std::vector<std::string>& files) {
  std::string error;
  for (const std::string& file : files) {
    if (!reader.AddFile(file, error)) return Refused(error);
  }
  return true;
}

// The shards read and found to make up the whole study or tournament.
template <class Merging>
bool MergedAll(Merging& merge, const std::vector<std::string>& files) {
  if (!ReadAll(merge, files)) return false;
  std::string error;
  return merge.Complete(error) || Refused(error);
}

int MergeTournament(const HeadlessOptions& options) {
  TournamentMerge merge;
  if (!MergedAll(merge, options.mergeFiles)) return 2;
  std::cout << merge.Format(options.json);
  return merge.ExitStatus();
}

int Merge(const HeadlessOptions& options) {
  if (TournamentMerge::HoldsTournament(options.mergeFiles.front())) return MergeTournament(options);
  ShardMerge merge;
  if (!MergedAll(merge, options.mergeFiles)) return 2;
  const RunSummary summary = merge.Summary();
  const std::string note = summary.study ? StudyIdentity::OtherBattlesNote(summary.study->version) : "";
  if (!note.empty()) std::cerr << kName << ": the shards were " << note << "\n";
  std::cout << summary.Format(options.json);
  return summary.ExitStatus();
}

// Everything a run is refused for comes before anything of the battle is created.
bool LoadBattle(const HeadlessOptions& options, Scenario& scenario) {
  std::string error;
  if (!BattleSetup::Load(options.scenarioFile, options.maxUnits, options.generals, scenario, error)) {
    return Refused(error);
  }
  // On an empty field no path is ever found and no battle ends: refuse rather than simulate
  // half an hour of nothing.
  return MissingFiles::GroundReadable(scenario.heightMap, kName);
}

void NoteCrowdedThreads(const HeadlessOptions& options) {
  const std::string note = CommandLine::CrowdedThreadsNote(options, std::thread::hardware_concurrency());
  if (!note.empty()) std::cerr << kName << ": " << note << "\n";
}

// A file that starts as our JSON lines do is a record to verify; any other a tournament's strategy.
bool IsRecord(const std::string& path) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return true;
  std::ifstream file(path);
  char first = 0;
  return !(file >> first) || first == '{';
}

// Every file is read, and the battle they ran checked, before any battle is played again.
int Verify(HeadlessOptions options) {
  std::vector<std::string> records;
  std::vector<std::string> scripts;
  for (const std::string& file : options.verifyFiles) (IsRecord(file) ? records : scripts).push_back(file);
  BattleVerifier verifier;
  std::string error;
  if (records.empty()) {
    Refused(scripts.front() + ": not one of our JSON lines: give the --json output to verify");
    return 2;
  }
  if (!ReadAll(verifier, records) || !verifier.TakeScripts(scripts, error)) {
    if (!error.empty()) Refused(error);
    return 2;
  }
  std::unique_ptr<DesignPlan> design;
  if (!options.designFile.empty() && !DesignPlan::Prepare(options, design, error)) {
    Refused(error);
    return 2;
  }
  Scenario scenario;
  if (design) {
    scenario = design->BaseScenario();
    if (!MissingFiles::GroundReadable(scenario.heightMap, kName)) return 2;
  } else if (!LoadBattle(options, scenario)) {
    return 2;
  }
  verifier.design = design.get();
  if (!verifier.SameBattle(options.scenarioFile, scenario, error, options.designFile)) {
    Refused(error);
    return 2;
  }
  const std::string otherBattles = verifier.OtherBattles();
  if (!otherBattles.empty()) {
    Refused(otherBattles);
    return 2;
  }
  const std::string otherVersion = verifier.OtherVersion();
  if (!otherVersion.empty()) std::cerr << kName << ": " << otherVersion << "\n";
  Interrupt::Watch();
  verifier.stepThreads = options.threads;
  const BattleVerifier::Outcome outcome =
      verifier.Replay(scenario, options.jobs, std::cout, isatty(STDERR_FILENO) ? &std::cerr : nullptr);
  std::cout << BattleVerifier::ResultLine(outcome) << std::flush;
  return BattleVerifier::ExitStatus(outcome);
}

// The report's seed, frame length and battles, where the command line gave none.
bool TakeOrders(HeadlessOptions& options, Scenario& scenario) {
  OrderReport report;
  std::string error;
  if (!report.Read(options.ordersFile, error)) return Refused(error);
  report.LeadIn(scenario);
  if (!options.seedGiven && report.seed) {
    options.seed = *report.seed;
    options.seedGiven = true;
  }
  if (!options.frameMsGiven && report.frameMs) options.frameMs = *report.frameMs;
  if (!options.battlesGiven) options.battles = std::max(1, report.battles);
  return true;
}

int RunStudy(const HeadlessOptions& options, const Scenario& scenario) {
  std::cerr << kName << ": seeds " << options.seeds.RangeText();
  if (options.seeds.shards > 1) std::cerr << " shard " << options.seeds.ShardText();
  std::cerr << "\n";
  Interrupt::Watch();
  SeedStudy study(options, scenario);
  return study.Run(std::cout, isatty(STDERR_FILENO) ? &std::cerr : nullptr);
}

// Every point's battle is made and checked before the first is played.
int RunDesign(HeadlessOptions options) {
  std::unique_ptr<DesignPlan> design;
  std::string error;
  if (!DesignPlan::Prepare(options, design, error)) {
    Refused(error);
    return 2;
  }
  if (!MissingFiles::GroundReadable(design->BaseScenario().heightMap, kName)) return 2;
  std::cerr << kName << ": design " << options.designFile << ", " << design->Points() << " points x "
            << design->Settings().replicates << " replicates, seeds " << options.seeds.RangeText();
  if (options.seeds.shards > 1) std::cerr << " shard " << options.seeds.ShardText();
  std::cerr << "\n";
  Interrupt::Watch();
  SeedStudy study(options, design->BaseScenario(), design.get());
  return study.Run(std::cout, isatty(STDERR_FILENO) ? &std::cerr : nullptr);
}

int RunTournament(const HeadlessOptions& options, const Scenario& scenario) {
  TournamentIdentity identity;
  std::string error;
  if (!TournamentIdentity::Of(options, scenario, &StrategyScript::Check, identity, error)) {
    std::cerr << kName << ": " << error << "\n";
    return 2;
  }
  std::cerr << kName << ": tournament of " << options.tournament.size() << " strategies on seeds "
            << options.seeds.RangeText();
  if (options.seeds.shards > 1) std::cerr << " shard " << options.seeds.ShardText();
  std::cerr << "\n";
  Interrupt::Watch();
  Tournament tournament(options, identity, Tournament::Battles(options, scenario));
  return tournament.Run(std::cout, isatty(STDERR_FILENO) ? &std::cerr : nullptr);
}
// The battle of the file, played on with the seed, frame length and blood it was saved with.
int PlayOn(HeadlessOptions options) {
  std::uint32_t elapsedMs = 0;
  std::string error;
  std::unique_ptr<Battle> battle = SavedRun::Open(options, elapsedMs, error);
  if (battle == nullptr) return Refused(error), 2;
  std::cerr << kName << ": seed " << options.seed << ", played on from " << options.loadFile << "\n";
  Interrupt::Watch();
  HeadlessRunner runner(options, battle->scenario);
  runner.PlayOn(std::move(battle), elapsedMs);
  return runner.Run(std::cout, isatty(STDERR_FILENO) ? &std::cerr : nullptr);
}
}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  HeadlessOptions options;
  std::string error;
  const CommandLine::Outcome outcome = CommandLine::ParseHeadless(arguments, options, error);
  if (outcome != CommandLine::Outcome::Run) {
    return CommandLineParts::Stopped(outcome, kName, error, CommandLine::HeadlessUsage());
  }
  if (!options.mergeFiles.empty()) return Merge(options);
  NoteCrowdedThreads(options);
  if (!options.verifyFiles.empty()) return Verify(options);
  if (!options.designFile.empty()) return RunDesign(options);
  if (!options.loadFile.empty()) return PlayOn(options);
  Scenario scenario;
  if (!LoadBattle(options, scenario)) return 2;
  if (!options.tournament.empty()) return RunTournament(options, scenario);
  if (options.study) return RunStudy(options, scenario);
  if (!options.ordersFile.empty() && !TakeOrders(options, scenario)) return 2;
  options.seed = BattleSetup::SeedOrClock(options.seedGiven, options.seed);
  // Said first, so that an interrupted or crashed run can still be repeated.
  std::cerr << kName << ": seed " << options.seed << "\n";
  Interrupt::Watch();
  HeadlessRunner runner(options, scenario);
  return runner.Run(std::cout, isatty(STDERR_FILENO) ? &std::cerr : nullptr);
}
