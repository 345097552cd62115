// The standings of a tournament between strategies: per strategy its games, wins, losses,
// forfeits and unfinished games with its win rate, ranked; per pair how their games went; and the
// game lines they come from, as text or JSON.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/run/WinRate.h"
#include "app/tournament/Sprt.h"

// One game of a tournament: battle 1 of a seed from a fresh start, one strategy's General
// leading red and the other's blue.
struct TournamentGame {
  enum class Winner { Red, Blue, None };  // None: the battle ran out of time

  unsigned seed = 0;
  int number = 1;  // of the games of its seed, from 1, in the order TournamentTable::Pairing gives
  int red = 0;     // strategies by their place on the command line
  int blue = 1;
  Winner winner = Winner::None;
  std::string forfeitSide;  // "red", "blue" or empty, as the battle report says
  std::string forfeitReason;
  double seconds = 0.0;
  // The battle's whole state at its end, so that the game can be verified; none from older lines.
  std::optional<std::uint64_t> fingerprint;
};

class TournamentTable {
 public:
  struct Tally {
    int games = 0;
    int wins = 0;
    int losses = 0;  // forfeits among them
    int forfeits = 0;
    int unfinished = 0;
  };
  // The games between strategies first and second (first < second), and each one's wins.
  struct PairTally {
    int first = 0;
    int second = 1;
    int games = 0;
    int firstWins = 0;
    int secondWins = 0;
    int firstForfeits = 0;
    int secondForfeits = 0;
    int unfinished = 0;
  };

  explicit TournamentTable(std::vector<std::string> strategyNames);

  // The games of every seed, in order: each pair of the command line's order, the first of the
  // pair leading red and then blue. Game number n of a seed is Pairing()[n - 1].
  static std::vector<std::pair<int, int>> Pairing(int strategies);
  static int GamesPerSeed(int strategies) { return strategies * (strategies - 1); }
  // The pair's place among PairTallies() (first < second).
  static int PairIndex(int first, int second, int strategies);

  void Add(const TournamentGame& game);

  const std::vector<std::string>& Names() const { return names; }
  const std::vector<Tally>& Tallies() const { return tallies; }
  const std::vector<PairTally>& PairTallies() const { return pairs; }
  int Games() const;
  int Unfinished() const;
  // Wins over the games that finished: an unfinished game counts for neither side.
  WinRate RateOf(int strategy) const;
  // Strategies by win rate, highest first, with their ranks: equal rates share the rank (and keep
  // the command line's order); strategies with no finished game come last.
  std::vector<std::pair<int, int>> Ranking() const;

  std::string FormatGame(const TournamentGame& game, bool json) const;
  // The standings; then the pairs, with their tests' decisions when tests is not null (one per pair).
  std::string Format(bool json, const std::vector<Sprt>* tests = nullptr) const;

 private:
  std::string FormatStandingsText() const;
  std::string FormatStandingsJson() const;
  std::string FormatPairText(const PairTally& pair, const Sprt* test) const;
  std::string FormatPairJson(const PairTally& pair, const Sprt* test) const;

  std::vector<std::string> names;
  std::vector<Tally> tallies;
  std::vector<PairTally> pairs;
};
