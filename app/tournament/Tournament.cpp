// Tournaments between strategies, on one thread or several.
#include "app/tournament/Tournament.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <utility>

#include "app/run/BattleRecorder.h"
#include "app/run/QuietDebugChannel.h"
#include "app/study/SeedWorkers.h"
#include "battle/Battle.h"
#include "objects/UnitType.h"
#include "platform/Interrupt.h"

Tournament::PlayGame Tournament::Battles(const HeadlessOptions& options, const Scenario& scenario) {
  return [options, scenario](unsigned seed, int red, int blue) -> std::optional<BattleReport> {
    const QuietDebugChannel quiet;
    Scenario setup = scenario;
    setup.armies[Team::Red].general = options.tournament[static_cast<std::size_t>(red)];
    setup.armies[Team::Blue].general = options.tournament[static_cast<std::size_t>(blue)];
    Battle battle(setup, seed);
    battle.bloodEnabled = options.blood;
    battle.paintFootsteps = false;
    battle.SetStepThreads(options.threads);
    battle.StartBattle();
    const auto framesAllowed = static_cast<long long>(std::ceil(options.maxSeconds * 1000.0 / options.frameMs));
    BattleRecorder recorder;
    std::uint32_t elapsedMs = 0;
    while (!Interrupt::Requested()) {
      elapsedMs += static_cast<std::uint32_t>(options.frameMs);
      battle.timer.TickTo(elapsedMs);
      battle.RunSimulationStep();
      if (recorder.AfterStep(battle, options.frameMs)) return recorder.LastFinished();
      if (recorder.Running().frames >= framesAllowed) return recorder.CloseUnfinished(battle);
    }
    return std::nullopt;
  };
}

Tournament::Tournament(const HeadlessOptions& tournamentOptions, TournamentIdentity tournamentIdentity,
                       PlayGame playGame)
    : options(tournamentOptions),
      identity(std::move(tournamentIdentity)),
      play(std::move(playGame)),
      pairing(TournamentTable::Pairing(static_cast<int>(identity.strategies.size()))),
      table(identity.strategies),
      tests(options.untilDecided ? table.PairTallies().size() : 0),
      decided(table.PairTallies().size()) {}

int Tournament::Run(std::ostream& out, std::ostream* progress) {
  if (options.jobs > 1) {
    RunOnThreads(out, progress);
  } else {
    RunInOrder(out, progress);
  }
  if (progress != nullptr) *progress << "\r\033[K" << std::flush;
  TournamentSummary summary{options.seeds.RangeText(), options.seeds.shards > 1 ? options.seeds.ShardText() : "", -1,
                            options.untilDecided, interrupted};
  out << table.Format(options.json, options.untilDecided ? &tests : nullptr)
      << identity.Summary(table, summary, options.json) << std::flush;
  if (interrupted) return RunSummary::kInterruptedStatus;
  return table.Unfinished() == 0 ? 0 : 1;
}

TournamentGame Tournament::GameOf(unsigned seed, int number, int red, int blue, const BattleReport& report) {
  TournamentGame game;
  game.seed = seed;
  game.number = number;
  game.red = red;
  game.blue = blue;
  if (report.finished) game.winner = report.redWon ? TournamentGame::Winner::Red : TournamentGame::Winner::Blue;
  if (!report.forfeitSide.empty()) {
    game.winner = report.forfeitSide == "red" ? TournamentGame::Winner::Blue : TournamentGame::Winner::Red;
  }
  game.forfeitSide = report.forfeitSide;
  game.forfeitReason = report.forfeitReason;
  game.seconds = report.seconds;
  game.fingerprint = report.fingerprint;
  return game;
}

Tournament::SeedGames Tournament::PlaySeed(unsigned seed, std::ostream* progress) const {
  SeedGames seedGames;
  const int strategies = static_cast<int>(identity.strategies.size());
  for (std::size_t i = 0; i < pairing.size(); ++i) {
    const auto [red, blue] = pairing[i];
    if (decided[static_cast<std::size_t>(
            TournamentTable::PairIndex(std::min(red, blue), std::max(red, blue), strategies))]) {
      continue;
    }
    if (progress != nullptr) {
      *progress << "\rseed " << seed << ": game " << i + 1 << " of " << pairing.size() << std::flush;
    }
    const std::optional<BattleReport> report = play(seed, red, blue);
    if (!report) {
      seedGames.interrupted = true;
      break;
    }
    seedGames.games.push_back(GameOf(seed, static_cast<int>(i) + 1, red, blue, *report));
  }
  return seedGames;
}

void Tournament::Take(const SeedGames& seedGames, std::ostream& out) {
  const int strategies = static_cast<int>(identity.strategies.size());
  std::vector<bool> playedPair(table.PairTallies().size(), false);
  for (const TournamentGame& game : seedGames.games) {
    const auto pair = static_cast<std::size_t>(
        TournamentTable::PairIndex(std::min(game.red, game.blue), std::max(game.red, game.blue), strategies));
    // A thread may have played the seed before an earlier seed decided the pair.
    if (decided[pair]) continue;
    out << table.FormatGame(game, options.json);
    table.Add(game);
    playedPair[pair] = true;
    if (!options.untilDecided) continue;
    const bool firstIsRed = game.red < game.blue;
    switch (game.winner) {
      case TournamentGame::Winner::None: tests[pair].AddUnfinished(); break;
      case TournamentGame::Winner::Red: firstIsRed ? tests[pair].AddWin() : tests[pair].AddLoss(); break;
      case TournamentGame::Winner::Blue: firstIsRed ? tests[pair].AddLoss() : tests[pair].AddWin(); break;
    }
  }
  out << std::flush;
  if (seedGames.interrupted) interrupted = true;
  // An interrupted seed is cut short: its pairs' tests stay where the seed before left them.
  if (!options.untilDecided || interrupted) return;
  for (std::size_t pair = 0; pair < tests.size(); ++pair) {
    if (!playedPair[pair]) continue;
    tests[pair].EndSeed();
    if (tests[pair].Result() != Sprt::Decision::Undecided) decided[pair] = true;
  }
}

bool Tournament::AllDecided() const {
  if (!options.untilDecided) return false;
  for (const std::atomic<bool>& pair : decided) {
    if (!pair) return false;
  }
  return true;
}

void Tournament::RunInOrder(std::ostream& out, std::ostream* progress) {
  for (std::optional<unsigned> seed = options.seeds.First(); seed && !interrupted && !AllDecided();
       seed = options.seeds.After(*seed)) {
    Take(PlaySeed(*seed, progress), out);
  }
}

void Tournament::RunOnThreads(std::ostream& out, std::ostream* progress) {
  SeedWorkers workers(options.seeds, options.jobs, [this](unsigned seed, StepHistogram&, long long&) {
    SeedGames seedGames = PlaySeed(seed, nullptr);
    const std::lock_guard lock(playedMutex);
    played.emplace(seed, std::move(seedGames));
    return SeedWorkers::SeedLines{};
  });
  std::uint64_t position = 0;
  while (!interrupted && !AllDecided() && workers.Next(progress)) {
    const unsigned seed = *options.seeds.At(position++);
    SeedGames seedGames;
    {
      const std::lock_guard lock(playedMutex);
      seedGames = std::move(played.at(seed));
      played.erase(seed);
    }
    Take(seedGames, out);
  }
  StepHistogram steps;
  long long frames = 0;
  workers.Finish(steps, frames);
  // The threads stop taking seeds on an interrupt: a seed never started was interrupted too.
  if (position < options.seeds.Count() && !AllDecided()) interrupted = true;
}
