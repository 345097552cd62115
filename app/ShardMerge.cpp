// Merging a study's shards.
#include "app/ShardMerge.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <utility>

#include "app/JsonLine.h"

namespace {
struct Refusal {
  std::string what;
};

[[noreturn]] void Refuse(std::string what) { throw Refusal{std::move(what)}; }

const JsonLine::Value& Member(const JsonLine& line, const std::string& key, JsonLine::Value::Kind kind,
                              const char* kindName) {
  const JsonLine::Value* value = line.Find(key);
  if (value == nullptr) Refuse("\"" + key + "\" is missing");
  if (value->kind != kind) Refuse("\"" + key + "\" must be " + kindName);
  return *value;
}

long long Whole(const JsonLine& line, const std::string& key, long long most) {
  const double number = Member(line, key, JsonLine::Value::Kind::Number, "a number").number;
  if (number != std::floor(number) || number < 0.0 || number > static_cast<double>(most)) {
    Refuse("\"" + key + "\" must be a whole number from 0 to " + std::to_string(most));
  }
  return static_cast<long long>(number);
}

bool Flag(const JsonLine& line, const std::string& key) {
  const JsonLine::Value* value = line.Find(key);
  return value != nullptr && value->kind == JsonLine::Value::Kind::Boolean && value->flag;
}

KillTotals Kills(const JsonLine& line) {
  constexpr long long kMost = 1LL << 52;  // exact in the double the reader holds
  return KillTotals{Whole(line, "kills.soldier", kMost), Whole(line, "kills.archer", kMost),
                    Whole(line, "kills.berserker", kMost), Whole(line, "kills.leader", kMost),
                    Whole(line, "kills.general", kMost)};
}

int Count(const JsonLine& line, const std::string& key) {
  return static_cast<int>(Whole(line, key, std::numeric_limits<int>::max()));
}

void AddCounts(RunSummary& to, const RunSummary& from) {
  to.finished += from.finished;
  to.unfinished += from.unfinished;
  to.redWins += from.redWins;
  to.blueWins += from.blueWins;
  to.kills += from.kills;
}
}  // namespace

bool ShardMerge::AddFile(const std::string& path, std::string& error) {
  std::ifstream file(path);
  if (!file) {
    error = path + ": cannot be read";
    return false;
  }
  return AddLines(file, path, error);
}

bool ShardMerge::AddLines(std::istream& lines, const std::string& name, std::string& error) {
  Block block;
  int number = 0;
  std::string text;
  try {
    while (std::getline(lines, text)) {
      ++number;
      JsonLine line;
      std::string reason;
      if (!JsonLine::Parse(text, line, reason)) Refuse("not one of our JSON lines (run the shards with --json): " + reason);
      AddLine(line, block);
    }
  } catch (const Refusal& refusal) {
    error = name + ":" + std::to_string(number) + ": " + refusal.what;
    return false;
  }
  if (number == 0 || block.lines > 0) {
    error = name + ": " + (number == 0 ? "is empty" : "ends without a summary after its last battle lines") +
            "; the shard did not finish: run it again";
    return false;
  }
  return true;
}

void ShardMerge::AddLine(const JsonLine& line, Block& block) {
  if (line.Find("summary") == nullptr) {
    AddBattle(line, block);
    return;
  }
  CloseBlock(line, block);
  AddCounts(total, block.counts);
  block = Block{};
}

// A seed's lines come together, battle after battle from 1, and end at its first unfinished one.
void ShardMerge::AddBattle(const JsonLine& line, Block& block) {
  if (line.Find("seed") == nullptr) Refuse("a battle line without its seed: run the shards with --seeds");
  const auto seed = static_cast<unsigned>(Whole(line, "seed", std::numeric_limits<unsigned>::max()));
  const int battle = Count(line, "battle");
  const JsonLine::Value* winner = line.Find("winner");
  if (winner == nullptr) Refuse("\"winner\" is missing");
  const bool finished = winner->kind == JsonLine::Value::Kind::String;
  if (finished && winner->text != "red" && winner->text != "blue") Refuse("\"winner\" must be \"red\", \"blue\" or null");
  if (!finished && (winner->kind != JsonLine::Value::Kind::Null || !Flag(line, "unfinished"))) {
    Refuse("\"winner\" must be \"red\", \"blue\" or null with \"unfinished\":true");
  }
  const auto known = seeds.find(seed);
  const bool continues = known != seeds.end() && block.seeds.count(seed) > 0 && lastSeed == seed;
  if (known != seeds.end() && !continues) Refuse("seed " + std::to_string(seed) + " appears twice: shards overlap or a file was given twice");
  SeedTally& tally = seeds[seed];
  if (tally.ended || battle != tally.lastBattle + 1) {
    Refuse("battle " + std::to_string(battle) + " of seed " + std::to_string(seed) + " out of order");
  }
  tally = SeedTally{battle, !finished, Kills(line)};
  lastSeed = seed;
  block.seeds.insert(seed);
  ++block.lines;
  block.counts.finished += finished ? 1 : 0;
  block.counts.unfinished += finished ? 0 : 1;
  block.counts.redWins += finished && winner->text == "red" ? 1 : 0;
  block.counts.blueWins += finished && winner->text == "blue" ? 1 : 0;
}

void ShardMerge::CloseBlock(const JsonLine& line, Block& block) {
  if (line.Find("seeds_merged") != nullptr) Refuse("a merged summary: merge the shards' own output");
  if (line.Find("seeds") == nullptr) Refuse("the summary of a run over one seed: run the shards with --seeds");
  if (Flag(line, "interrupted")) Refuse("the shard was interrupted: run it again");
  for (const unsigned seed : block.seeds) block.counts.kills += seeds[seed].kills;
  const RunSummary& counts = block.counts;
  if (Count(line, "finished") != counts.finished || Count(line, "unfinished") != counts.unfinished ||
      Count(line, "red_wins") != counts.redWins || Count(line, "blue_wins") != counts.blueWins ||
      !(Kills(line) == counts.kills)) {
    Refuse("the summary disagrees with the battle lines before it");
  }
}

RunSummary ShardMerge::Summary() const {
  RunSummary summary = total;
  summary.seedsMerged = static_cast<long long>(seeds.size());
  return summary;
}
