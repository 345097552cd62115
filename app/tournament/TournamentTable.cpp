// Tallies and formats a tournament's games.
#include "app/tournament/TournamentTable.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>
#include <utility>

#include "app/run/FixedDecimals.h"
#include "battle/BattleFingerprint.h"

namespace {
// Names and forfeit reasons come from users' files: escaped, and bytes that are not UTF-8 replaced.
std::string Quoted(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string RateText(const WinRate& rate) {
  if (!rate.known) return "no finished game";
  return FixedDecimals(100.0 * rate.rate, 1) + "% (95% interval " + FixedDecimals(100.0 * rate.low, 1) + "% to " +
         FixedDecimals(100.0 * rate.high, 1) + "%)";
}

std::string RateJson(const WinRate& rate) {
  if (!rate.known) return ",\"win_rate\":null,\"win_ci95\":null";
  return ",\"win_rate\":" + FixedDecimals(rate.rate, 4) + ",\"win_ci95\":[" + FixedDecimals(rate.low, 4) + "," + FixedDecimals(rate.high, 4) +
         "]";
}

const char* DecisionName(Sprt::Decision decision) {
  switch (decision) {
    case Sprt::Decision::H0: return "H0";
    case Sprt::Decision::H1: return "H1";
    case Sprt::Decision::Undecided: break;
  }
  return "undecided";
}

std::string Column(const std::string& text, int width) {
  return std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(text.size()))), ' ') + text;
}
}  // namespace

TournamentTable::TournamentTable(std::vector<std::string> strategyNames)
    : names(std::move(strategyNames)), tallies(names.size()) {
  const int count = static_cast<int>(names.size());
  for (int first = 0; first < count; ++first) {
    for (int second = first + 1; second < count; ++second) pairs.push_back(PairTally{first, second});
  }
}

std::vector<std::pair<int, int>> TournamentTable::Pairing(int strategies) {
  std::vector<std::pair<int, int>> games;
  for (int first = 0; first < strategies; ++first) {
    for (int second = first + 1; second < strategies; ++second) {
      games.emplace_back(first, second);
      games.emplace_back(second, first);
    }
  }
  return games;
}

int TournamentTable::PairIndex(int first, int second, int strategies) {
  // The pairs before first's own: (n-1) + (n-2) + ... for every strategy before it.
  return first * (2 * strategies - first - 1) / 2 + (second - first - 1);
}

void TournamentTable::Add(const TournamentGame& game) {
  Tally& red = tallies[static_cast<std::size_t>(game.red)];
  Tally& blue = tallies[static_cast<std::size_t>(game.blue)];
  const int first = std::min(game.red, game.blue);
  PairTally& pair =
      pairs[static_cast<std::size_t>(PairIndex(first, std::max(game.red, game.blue), static_cast<int>(names.size())))];
  ++red.games, ++blue.games, ++pair.games;
  if (game.winner == TournamentGame::Winner::None) {
    ++red.unfinished, ++blue.unfinished, ++pair.unfinished;
    return;
  }
  const bool redWon = game.winner == TournamentGame::Winner::Red;
  Tally& winner = redWon ? red : blue;
  Tally& loser = redWon ? blue : red;
  const int winnerIndex = redWon ? game.red : game.blue;
  ++winner.wins, ++loser.losses;
  ++(winnerIndex == first ? pair.firstWins : pair.secondWins);
  if (game.forfeitSide.empty()) return;
  ++loser.forfeits;
  ++(winnerIndex == first ? pair.secondForfeits : pair.firstForfeits);
}

int TournamentTable::Games() const {
  int games = 0;
  for (const PairTally& pair : pairs) games += pair.games;
  return games;
}

int TournamentTable::Unfinished() const {
  int unfinished = 0;
  for (const PairTally& pair : pairs) unfinished += pair.unfinished;
  return unfinished;
}

WinRate TournamentTable::RateOf(int strategy) const {
  const Tally& tally = tallies[static_cast<std::size_t>(strategy)];
  return WinRate::Of(tally.wins, tally.wins + tally.losses);
}

std::vector<std::pair<int, int>> TournamentTable::Ranking() const {
  std::vector<int> order(names.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  // Rates compared as fractions, so that 1 of 2 and 2 of 4 tie exactly.
  const auto above = [this](int a, int b) {
    const Tally& x = tallies[static_cast<std::size_t>(a)];
    const Tally& y = tallies[static_cast<std::size_t>(b)];
    const long long xFinished = x.wins + x.losses;
    const long long yFinished = y.wins + y.losses;
    if (xFinished == 0 || yFinished == 0) return xFinished > 0 && yFinished == 0;
    return static_cast<long long>(x.wins) * yFinished > static_cast<long long>(y.wins) * xFinished;
  };
  std::stable_sort(order.begin(), order.end(), above);
  std::vector<std::pair<int, int>> ranking;
  for (std::size_t place = 0; place < order.size(); ++place) {
    const bool tied = place > 0 && !above(order[place - 1], order[place]);
    ranking.emplace_back(order[place], tied ? ranking.back().second : static_cast<int>(place) + 1);
  }
  return ranking;
}

std::string TournamentTable::FormatGame(const TournamentGame& game, bool json) const {
  const std::string& red = names[static_cast<std::size_t>(game.red)];
  const std::string& blue = names[static_cast<std::size_t>(game.blue)];
  const bool finished = game.winner != TournamentGame::Winner::None;
  const char* winner = game.winner == TournamentGame::Winner::Red ? "red" : "blue";
  std::ostringstream line;
  if (json) {
    line << "{\"seed\":" << game.seed << ",\"game\":" << game.number << ",\"red\":" << Quoted(red)
         << ",\"blue\":" << Quoted(blue) << ",\"winner\":";
    line << (finished ? std::string("\"") + winner + "\"" : std::string("null,\"unfinished\":true"));
    line << ",\"seconds\":" << FixedDecimals(game.seconds, 3);
    if (!game.forfeitSide.empty()) {
      line << ",\"forfeit\":" << Quoted(game.forfeitSide) << ",\"forfeit_reason\":" << Quoted(game.forfeitReason);
    }
    if (game.fingerprint) line << ",\"fingerprint\":\"" << BattleFingerprint::Hex(*game.fingerprint) << '"';
    line << "}\n";
    return line.str();
  }
  line << "Seed " << game.seed << " game " << game.number << ": red " << red << " vs blue " << blue << ": "
       << (finished ? std::string(winner) + " wins" : std::string("unfinished")) << " after " << FixedDecimals(game.seconds, 3)
       << " s";
  if (!game.forfeitSide.empty()) line << "; " << game.forfeitSide << " forfeits: " << game.forfeitReason;
  if (game.fingerprint) line << "; fingerprint " << BattleFingerprint::Hex(*game.fingerprint);
  line << "\n";
  return line.str();
}

std::string TournamentTable::Format(bool json, const std::vector<Sprt>* tests) const {
  std::string text = json ? FormatStandingsJson() : FormatStandingsText();
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const Sprt* test = tests != nullptr ? &(*tests)[i] : nullptr;
    text += json ? FormatPairJson(pairs[i], test) : FormatPairText(pairs[i], test);
  }
  return text;
}

std::string TournamentTable::FormatStandingsText() const {
  std::string text = "Rank  Win rate  95% interval    Games   Wins Losses Forfeits Unfinished  Strategy\n";
  for (const auto& [strategy, rank] : Ranking()) {
    const Tally& tally = tallies[static_cast<std::size_t>(strategy)];
    const WinRate rate = RateOf(strategy);
    const std::string interval =
        rate.known ? FixedDecimals(100.0 * rate.low, 1) + "% to " + FixedDecimals(100.0 * rate.high, 1) + "%" : "-";
    text += Column(std::to_string(rank), 4) + Column(rate.known ? FixedDecimals(100.0 * rate.rate, 1) + "%" : "-", 10) + "  " +
            interval + std::string(interval.size() < 14 ? 14 - interval.size() : 0, ' ') +
            Column(std::to_string(tally.games), 7) + Column(std::to_string(tally.wins), 7) +
            Column(std::to_string(tally.losses), 7) + Column(std::to_string(tally.forfeits), 9) +
            Column(std::to_string(tally.unfinished), 11) + "  " + names[static_cast<std::size_t>(strategy)] + "\n";
  }
  return text;
}

std::string TournamentTable::FormatStandingsJson() const {
  std::string text;
  for (const auto& [strategy, rank] : Ranking()) {
    const Tally& tally = tallies[static_cast<std::size_t>(strategy)];
    text += "{\"rank\":" + std::to_string(rank) + ",\"strategy\":" + Quoted(names[static_cast<std::size_t>(strategy)]) +
            ",\"games\":" + std::to_string(tally.games) + ",\"wins\":" + std::to_string(tally.wins) +
            ",\"losses\":" + std::to_string(tally.losses) + ",\"forfeits\":" + std::to_string(tally.forfeits) +
            ",\"unfinished\":" + std::to_string(tally.unfinished) + RateJson(RateOf(strategy)) + "}\n";
  }
  return text;
}

std::string TournamentTable::FormatPairText(const PairTally& pair, const Sprt* test) const {
  const std::string& first = names[static_cast<std::size_t>(pair.first)];
  const std::string& second = names[static_cast<std::size_t>(pair.second)];
  std::string text = "Pair " + first + " vs " + second + ": " + std::to_string(pair.games) + " games, " + first +
                     " won " + std::to_string(pair.firstWins) + ", " + second + " won " +
                     std::to_string(pair.secondWins) + ", " + std::to_string(pair.unfinished) +
                     " unfinished; forfeits: " + first + " " + std::to_string(pair.firstForfeits) + ", " + second +
                     " " + std::to_string(pair.secondForfeits) + "; " + first + "'s win rate " +
                     RateText(WinRate::Of(pair.firstWins, pair.firstWins + pair.secondWins));
  if (test != nullptr) {
    const std::string played = " after " + std::to_string(test->Games()) + " games on " +
                               std::to_string(test->Seeds()) + " seeds, LLR " + FixedDecimals(test->Llr(), 3) + " (bounds " +
                               FixedDecimals(Sprt::LowerBound(), 3) + ", " + FixedDecimals(Sprt::UpperBound(), 3) + ")";
    switch (test->Result()) {
      case Sprt::Decision::H1: text += "; SPRT H1 accepted, " + first + " stronger by 20 Elo," + played; break;
      case Sprt::Decision::H0:
        text += "; SPRT H0 accepted, " + first + " no better than " + second + "," + played;
        break;
      case Sprt::Decision::Undecided: text += "; SPRT undecided when the seeds ran out," + played; break;
    }
  }
  return text + "\n";
}

std::string TournamentTable::FormatPairJson(const PairTally& pair, const Sprt* test) const {
  std::string text = "{\"pair\":[" + Quoted(names[static_cast<std::size_t>(pair.first)]) + "," +
                     Quoted(names[static_cast<std::size_t>(pair.second)]) +
                     "],\"games\":" + std::to_string(pair.games) + ",\"wins\":[" + std::to_string(pair.firstWins) +
                     "," + std::to_string(pair.secondWins) + "],\"forfeits\":[" + std::to_string(pair.firstForfeits) +
                     "," + std::to_string(pair.secondForfeits) + "],\"unfinished\":" + std::to_string(pair.unfinished) +
                     RateJson(WinRate::Of(pair.firstWins, pair.firstWins + pair.secondWins));
  if (test != nullptr) {
    text += ",\"sprt\":{\"decision\":\"" + std::string(DecisionName(test->Result())) +
            "\",\"games\":" + std::to_string(test->Games()) + ",\"seeds\":" + std::to_string(test->Seeds()) +
            ",\"llr\":" + FixedDecimals(test->Llr(), 4) + "}";
  }
  return text + "}\n";
}
