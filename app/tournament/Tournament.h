// A tournament between strategies: on every seed of a range (or of its shard) every pair of
// strategies plays two games, each leading red once, so that the side's advantage cancels; each
// game is battle 1 of the seed from a fresh start. Writes every game's line in seed order, then
// the standings, the pairs and a summary. Under --until-decided each pair stops at the first seed
// after which its sequential test accepts a hypothesis.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <ostream>
#include <vector>

#include "app/run/BattleReport.h"
#include "app/run/RunSummary.h"
#include "app/setup/HeadlessOptions.h"
#include "app/tournament/Sprt.h"
#include "app/tournament/TournamentIdentity.h"
#include "app/tournament/TournamentTable.h"
#include "battle/Scenario.h"

class Tournament {
 public:
  // Plays one game: battle 1 of seed from a fresh start, strategy red (by its place on the command
  // line) leading red and strategy blue leading blue; nullopt when interrupted. Called from the
  // study's threads at once under --jobs.
  using PlayGame = std::function<std::optional<BattleReport>(unsigned seed, int red, int blue)>;

  // Games of the battle in scenario with the strategies' Generals, on the options' frame length,
  // time limit and blood.
  static PlayGame Battles(const HeadlessOptions& options, const Scenario& scenario);

  // The game that report ends: a forfeit is a loss whatever the battle did after it.
  static TournamentGame GameOf(unsigned seed, int number, int red, int blue, const BattleReport& report);

  Tournament(const HeadlessOptions& tournamentOptions, TournamentIdentity tournamentIdentity, PlayGame playGame);

  // Returns the exit status as HeadlessRunner::Run does: 0 when every game finished, 1 when one
  // ran out of time, RunSummary::kInterruptedStatus when interrupted. Whatever options.jobs,
  // it writes the same.
  int Run(std::ostream& out, std::ostream* progress);

 private:
  struct SeedGames {
    std::vector<TournamentGame> games;
    bool interrupted = false;
  };

  // The seed's games of every pair not yet decided.
  SeedGames PlaySeed(unsigned seed, std::ostream* progress) const;
  // Writes the seed's lines and counts its games; under --until-decided the seed ends for every
  // pair it played, which may decide them.
  void Take(const SeedGames& seedGames, std::ostream& out);
  bool AllDecided() const;
  void RunInOrder(std::ostream& out, std::ostream* progress);
  void RunOnThreads(std::ostream& out, std::ostream* progress);

  HeadlessOptions options;
  TournamentIdentity identity;
  PlayGame play;
  std::vector<std::pair<int, int>> pairing;
  TournamentTable table;
  std::vector<Sprt> tests;  // one per pair, under --until-decided
  // Set in seed order as tests decide; threads skip a decided pair's games on later seeds.
  std::vector<std::atomic<bool>> decided;
  bool interrupted = false;
  // Seeds played on the threads, until taken in seed order.
  std::mutex playedMutex;
  std::map<unsigned, SeedGames> played;
};
