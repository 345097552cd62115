// Merging a tournament's shards, and checking the games a verifier plays again.
#include "app/tournament/TournamentMerge.h"

#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <utility>

#include "app/study/JsonFields.h"
#include "app/study/JsonLine.h"
#include "app/study/ShardMerge.h"

namespace {
using nlohmann::json;

using JsonFields::Count;
using JsonFields::Member;
using JsonFields::Refuse;
using JsonFields::Text;
using JsonFields::Whole;

// More strategies than anyone plays against each other; beyond that a damaged line.
constexpr std::size_t kMostStrategies = 1000;

std::vector<std::string> Texts(const json& line, const std::string& key) {
  const json& value = Member(line, key);
  if (!value.is_array() || value.size() > kMostStrategies) Refuse("\"" + key + "\" must be a list of names");
  std::vector<std::string> texts;
  for (const json& item : value) {
    if (!item.is_string()) Refuse("\"" + key + "\" must be a list of names");
    texts.push_back(item.get<std::string>());
  }
  return texts;
}

bool Has(const json& line, const char* key) { return JsonLine::Find(line, key) != nullptr; }

StudyIdentity ReadStudy(const json& line) {
  StudyIdentity study;
  std::string error;
  if (!ShardMerge::ReadStudy(line, study, error)) Refuse(error);
  return study;
}

TournamentIdentity ReadIdentity(const json& line) {
  TournamentIdentity identity;
  identity.strategies = Texts(line, "strategies");
  identity.checksums = Texts(line, "checksums");
  if (identity.strategies.size() < 2 || identity.checksums.size() != identity.strategies.size()) {
    Refuse("\"strategies\" and \"checksums\" must name the same two strategies or more");
  }
  identity.study = ReadStudy(line);
  return identity;
}

TournamentGame::Winner ReadWinner(const json& line) {
  const json& winner = Member(line, "winner");
  if (winner.is_null() && Has(line, "unfinished")) return TournamentGame::Winner::None;
  if (winner == "red") return TournamentGame::Winner::Red;
  if (winner == "blue") return TournamentGame::Winner::Blue;
  Refuse("\"winner\" must be \"red\", \"blue\" or null with \"unfinished\":true");
}
}  // namespace

TournamentMerge::TournamentMerge(Use mergeUse, Reader read) : use(mergeUse), reader(std::move(read)) {}

bool TournamentMerge::HoldsTournament(const std::string& path) {
  std::ifstream file(path);
  JsonLine lines(file);
  std::string text;
  json line;
  std::string ignored;
  if (lines.Next(text) != JsonLine::Read::Line || !JsonLine::Parse(text, line, ignored)) return false;
  return Has(line, "game") || Has(line, "tournament");
}

bool TournamentMerge::AddFile(const std::string& path, std::string& error) {
  return JsonFields::ReadFile(path, error, [&](std::istream& file) { return AddLines(file, path, error); });
}

bool TournamentMerge::AddLines(std::istream& lines, const std::string& name, std::string& error) {
  Block block;
  const auto add = [this, &block](const nlohmann::json& line, const std::string& where) { AddLine(line, block, where); };
  const auto open = [&block] { return !block.lines.empty(); };
  return JsonFields::ReadRecords(lines, name, use == Use::Merge, add, open, "game",
                                 "the tournament was cut off before its summary, which alone says how its games were played: run it again",
                                 error);
}

// The standings and pairs of a shard are its own; the merge counts them again from the games.
void TournamentMerge::AddLine(const json& line, Block& block, const std::string& where) {
  if (Has(line, "summary") || Has(line, "battle")) {
    Refuse("a study's line: a tournament's shards and a study's do not merge together");
  }
  if (Has(line, "rank") || Has(line, "pair")) return;
  if (Has(line, "game")) {
    if (reader.record) reader.record(line);
    AddGame(line, block, where);
    return;
  }
  if (!Has(line, "tournament")) Refuse("neither a game line nor a tournament's summary");
  CloseBlock(line, block, where);
  block = Block{};
}

// A seed's games come together, in the order they are played.
void TournamentMerge::AddGame(const json& line, Block& block, const std::string& where) const {
  GameLine read;
  read.where = where;
  if (reader.run) read.line = line;
  read.game.seed = static_cast<unsigned>(Whole(line, "seed", std::numeric_limits<unsigned>::max()));
  read.game.number = Count(line, "game");
  read.red = Text(line, "red");
  read.blue = Text(line, "blue");
  read.game.winner = ReadWinner(line);
  const json& seconds = Member(line, "seconds");
  if (!seconds.is_number()) Refuse("\"seconds\" must be a number");
  read.game.seconds = seconds.get<double>();
  if (Has(line, "forfeit")) {
    read.game.forfeitSide = Text(line, "forfeit");
    read.game.forfeitReason = Text(line, "forfeit_reason");
  }
  const std::string seed = std::to_string(read.game.seed);
  const bool continues = !block.lines.empty() && block.lines.back().game.seed == read.game.seed;
  if (seeds.count(read.game.seed) > 0 || (!continues && block.seeds.count(read.game.seed) > 0)) {
    Refuse("seed " + seed + " appears twice: shards overlap or a file was given twice");
  }
  if (continues && read.game.number <= block.lines.back().game.number) {
    Refuse("game " + std::to_string(read.game.number) + " of seed " + seed + " out of order");
  }
  block.seeds.insert(read.game.seed);
  block.lines.push_back(std::move(read));
}

void TournamentMerge::CloseBlock(const json& line, Block& block, const std::string& where) {
  if (Has(line, "seeds_merged")) Refuse("a merged summary: merge the shards' own output");
  const bool untilDecided = Has(line, "until_decided");
  if (untilDecided && use == Use::Merge) {
    Refuse("a tournament run --until-decided: its pairs stopped early, it has no shards to merge");
  }
  const bool interrupted = Has(line, "interrupted");
  if (interrupted && use == Use::Merge) Refuse("the shard was interrupted: run it again");
  const SeedRange shard = JoinStudy(line, where);
  CheckGames(block, shard, !untilDecided && !interrupted);
  int unfinished = 0;
  for (const GameLine& read : block.lines) unfinished += read.game.winner == TournamentGame::Winner::None ? 1 : 0;
  const int played = static_cast<int>(block.lines.size());
  if (Count(line, "games") != played || Count(line, "finished") != played - unfinished ||
      Count(line, "unfinished") != unfinished) {
    Refuse("the summary disagrees with the game lines before it");
  }
  for (const GameLine& read : block.lines) {
    seeds.insert(read.game.seed);
    games.push_back(read.game);
  }
  if (interrupted) interruptedAt = where;
  if (!reader.run) return;
  RecordedRun run{where, study->identity, {}};
  for (GameLine& game : block.lines) run.games.push_back(RecordedGame{game.where, game.game, std::move(game.line)});
  reader.run(std::move(run));
}

SeedRange TournamentMerge::JoinStudy(const json& line, const std::string& where) {
  const SeedRange shard = JsonFields::Shard(line);
  const TournamentIdentity identity = ReadIdentity(line);
  if (!study) study = Study{{where, shard, {}}, identity};
  const std::string other = " in " + study->where +
                            (use == Use::Merge ? ": shards of different tournaments do not merge"
                                               : ": runs of different tournaments: verify each on its own");
  if (shard.RangeText() != study->seeds.RangeText() || shard.shards != study->seeds.shards) {
    Refuse("seeds " + shard.RangeText() + " shard " + shard.ShardText() + " here but seeds " +
           study->seeds.RangeText() + " in " + std::to_string(study->seeds.shards) + " shards" + other);
  }
  if (!(identity == study->identity)) Refuse("other strategies or settings here than" + other);
  study->Add(shard, where);
  return shard;
}

// Every seed of the shard, each with every game of the pairing, the strategies in their places.
void TournamentMerge::CheckGames(Block& block, const SeedRange& shard, bool allPlayed) const {
  const std::vector<std::string>& names = study->identity.strategies;
  const auto pairing = TournamentTable::Pairing(static_cast<int>(names.size()));
  for (GameLine& read : block.lines) {
    const std::string seed = std::to_string(read.game.seed);
    if (!shard.Holds(read.game.seed))
      Refuse("seed " + seed + " is not one of shard " + shard.ShardText() + " of seeds " + shard.RangeText());
    const auto number = static_cast<std::size_t>(read.game.number);
    if (number < 1 || number > pairing.size() ||
        names[static_cast<std::size_t>(pairing[number - 1].first)] != read.red ||
        names[static_cast<std::size_t>(pairing[number - 1].second)] != read.blue) {
      Refuse("game " + std::to_string(read.game.number) + " of seed " + seed + " is not the game of that number");
    }
    read.game.red = pairing[number - 1].first;
    read.game.blue = pairing[number - 1].second;
  }
  if (allPlayed && (block.lines.size() != block.seeds.size() * pairing.size() || block.seeds.size() != shard.Count())) {
    Refuse("the shard played " + std::to_string(block.lines.size()) + " of its " +
           std::to_string(shard.Count() * pairing.size()) + " games: run it again");
  }
}

std::string TournamentMerge::NotWhole() const {
  if (!interruptedAt.empty()) {
    return "the tournament was interrupted (" + interruptedAt + ")";
  }
  return study ? study->NotGiven() : "";
}

bool TournamentMerge::Complete(std::string& error) const { return !study || study->Complete(error); }

std::string TournamentMerge::Format(bool json) const {
  if (!study) return {};
  TournamentTable table(study->identity.strategies);
  for (const TournamentGame& game : games) table.Add(game);
  TournamentSummary summary;
  summary.seedsMerged = static_cast<long long>(seeds.size());
  return table.Format(json) + study->identity.Summary(table, summary, json);
}

int TournamentMerge::ExitStatus() const {
  for (const TournamentGame& game : games) {
    if (game.winner == TournamentGame::Winner::None) return 1;
  }
  return 0;
}
