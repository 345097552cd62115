// A run of the headless program inside another process.
#include "app/python/LabRun.h"

#include <iostream>
#include <sstream>

#include "app/CommandLine.h"
#include "app/run/HeadlessRunner.h"
#include "app/run/SavedRun.h"
#include "app/setup/BattleSetup.h"
#include "app/setup/MissingFiles.h"
#include "app/study/DesignPlan.h"
#include "app/study/SeedStudy.h"
#include "app/tournament/Tournament.h"
#include "app/tournament/TournamentIdentity.h"
#include "battle/Battle.h"
#include "strategy/StrategyScript.h"

namespace {
constexpr char kName[] = "battlesim";

// What the program's checks say on standard error, taken as the reason instead.
class ErrorCapture {
 public:
  ErrorCapture() : saved(std::cerr.rdbuf(text.rdbuf())) {}
  ~ErrorCapture() { std::cerr.rdbuf(saved); }
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  std::string FirstLine() const {
    const std::string all = text.str();
    return all.substr(0, all.find('\n'));
  }

 private:
  std::ostringstream text;
  std::streambuf* saved;
};

bool LoadBattle(const HeadlessOptions& options, Scenario& scenario, std::string& error) {
  if (!BattleSetup::Load(options.scenarioFile, options.maxUnits, options.generals, scenario, error)) return false;
  const ErrorCapture capture;
  if (MissingFiles::GroundReadable(scenario.heightMap, kName)) return true;
  error = capture.FirstLine();
  return false;
}

int Play(const HeadlessOptions& options, const Scenario& scenario, std::ostream& out, std::string& error) {
  if (!options.tournament.empty()) {
    TournamentIdentity identity;
    if (!TournamentIdentity::Of(options, scenario, &StrategyScript::Check, identity, error)) return 2;
    Tournament tournament(options, identity, Tournament::Battles(options, scenario));
    return tournament.Run(out, nullptr);
  }
  if (!options.designFile.empty()) {
    HeadlessOptions designOptions = options;
    std::unique_ptr<DesignPlan> design;
    if (!DesignPlan::Prepare(designOptions, design, error)) return 2;
    return SeedStudy(designOptions, design->BaseScenario(), design.get()).Run(out, nullptr);
  }
  if (options.study) return SeedStudy(options, scenario).Run(out, nullptr);
  HeadlessRunner runner(options, scenario);
  return runner.Run(out, nullptr);
}

// The battle of a file played on, as battlesim-headless --load plays it.
LabRun::Outcome PlayOn(HeadlessOptions options) {
  LabRun::Outcome outcome;
  std::uint32_t elapsedMs = 0;
  std::unique_ptr<Battle> battle = SavedRun::Open(options, elapsedMs, outcome.error);
  if (battle == nullptr) {
    outcome.status = 2;
    return outcome;
  }
  std::ostringstream lines;
  HeadlessRunner runner(options, battle->scenario);
  runner.PlayOn(std::move(battle), elapsedMs);
  const ErrorCapture capture;
  outcome.status = runner.Run(lines, nullptr);
  if (outcome.status == 2) outcome.error = capture.FirstLine();
  outcome.lines = lines.str();
  return outcome;
}
}  // namespace

bool LabRun::Prepare(const std::vector<std::string>& arguments, HeadlessOptions& options, Scenario& scenario,
                     std::string& error) {
  if (CommandLine::ParseHeadless(arguments, options, error) != CommandLine::Outcome::Run) return false;
  return LoadBattle(options, scenario, error);
}

LabRun::Outcome LabRun::Run(const std::vector<std::string>& arguments,
                            const std::array<std::shared_ptr<const CommanderSource>, 2>& commanders) {
  Outcome outcome;
  std::vector<std::string> command = arguments;
  command.emplace_back("--json");
  HeadlessOptions options;
  Scenario scenario;
  if (CommandLine::ParseHeadless(command, options, outcome.error) == CommandLine::Outcome::Run &&
      !options.loadFile.empty()) {
    return PlayOn(options);
  }
  if (!Prepare(command, options, scenario, outcome.error)) {
    outcome.status = 2;
    return outcome;
  }
  for (std::size_t side = 0; side < commanders.size(); ++side) {
    if (commanders[side] != nullptr) scenario.armies[side].commander = commanders[side];
  }
  std::ostringstream lines;
  const ErrorCapture capture;
  outcome.status = Play(options, scenario, lines, outcome.error);
  if (outcome.status == 2 && outcome.error.empty()) outcome.error = capture.FirstLine();
  outcome.lines = lines.str();
  return outcome;
}
