// Merging a study's shards, and checking the runs a verifier plays again.
#include "app/study/ShardMerge.h"

#include <limits>
#include <utility>

#include "app/run/BattleReport.h"
#include "app/study/JsonFields.h"
#include "app/study/JsonLine.h"
#include "app/study/RunLimits.h"

#include <nlohmann/json.hpp>

namespace {
using nlohmann::json;

using JsonFields::Count;
using JsonFields::Member;
using JsonFields::Refusal;
using JsonFields::Refuse;
using JsonFields::Text;
using JsonFields::Whole;

bool Flag(const json& line, const std::string& key) {
  const json* value = JsonLine::Find(line, key);
  return value != nullptr && value->is_boolean() && value->get<bool>();
}

KillTotals Kills(const json& line) {
  constexpr long long kMost = 1LL << 52;
  KillTotals kills;
  for (std::size_t type = 0; type < kills.byType.size(); ++type) {
    kills.byType[type] = Whole(line, std::string("kills.") + kKillKeys[type], kMost);
  }
  return kills;
}

StudyIdentity StudyOf(const json& line) {
  if (JsonLine::Find(line, "study") == nullptr) {
    Refuse("\"study\" is missing: the run was made by an older battlesim-headless; run it again");
  }
  StudyIdentity study;
  study.scenario = Text(line, "study.scenario");
  study.heightMap = Text(line, "study.height_map");
  study.frameMs = static_cast<int>(Whole(line, "study.frame_ms", RunLimits::kLongestFrameMs));
  study.battles = static_cast<int>(Whole(line, "study.battles", RunLimits::kMostBattles));
  const json& seconds = Member(line, "study.max_seconds");
  if (!seconds.is_number() || !(seconds.get<double>() > 0.0) ||
      seconds.get<double>() > RunLimits::kLongestBattleSeconds) {
    Refuse("\"study.max_seconds\" must be a number above 0 and at most " +
           std::to_string(static_cast<long long>(RunLimits::kLongestBattleSeconds)));
  }
  study.maxSeconds = seconds.get<double>();
  const json& blood = Member(line, "study.blood");
  if (!blood.is_boolean()) Refuse("\"study.blood\" must be true or false");
  study.blood = blood.get<bool>();
  study.version = Text(line, "study.version");
  if (!StudyIdentity::WellFormedVersion(study.version)) {
    // Cut short, the text may end inside a character: replaced, not thrown over.
    const std::string shown = json(study.version.substr(0, 40)).dump(-1, ' ', false, json::error_handler_t::replace);
    Refuse("\"study.version\" is " + shown + ", which no battlesim writes: the file is damaged");
  }
  if (JsonLine::Find(line, "study.red_general") != nullptr) study.generals[0] = Text(line, "study.red_general");
  if (JsonLine::Find(line, "study.blue_general") != nullptr) study.generals[1] = Text(line, "study.blue_general");
  if (JsonLine::Find(line, "study.design") != nullptr) study.design = Text(line, "study.design");
  if (study.frameMs < 1 || study.battles < 1) Refuse("\"study.frame_ms\" and \"study.battles\" must be at least 1");
  return study;
}

// As the user ran it: a run of one seed is no shard.
std::string RunNamed(const SeedRange& seeds, bool oneSeed) {
  if (oneSeed) return "the run of seed " + std::to_string(seeds.first);
  return "seeds " + seeds.RangeText() + (seeds.shards > 1 ? " (shard " + seeds.ShardText() + ")" : "");
}

void AddCounts(RunSummary& to, const RunSummary& from) {
  to.finished += from.finished;
  to.unfinished += from.unfinished;
  to.redWins += from.redWins;
  to.blueWins += from.blueWins;
  to.kills += from.kills;
}

// The window's report: its steps fixed or not, and the first battle its user changed.
int WindowChange(const json& line) {
  if (!Member(line, "window.fixed_steps").is_boolean()) Refuse("\"window.fixed_steps\" must be true or false");
  if (!Flag(line, "window.fixed_steps")) {
    Refuse(
        "the window ran one step per frame (without --seed, --battle, --at or --frame-ms): its battles hang "
        "on the frame rate and cannot be played again");
  }
  if (JsonLine::Find(line, "window.changed_from_battle") == nullptr) return 0;
  return static_cast<int>(Whole(line, "window.changed_from_battle", RunLimits::kMostBattles));
}
}  // namespace

ShardMerge::ShardMerge(Use shardUse, Reader read) : use(shardUse), reader(std::move(read)) {}

bool ShardMerge::AddFile(const std::string& path, std::string& error) {
  return JsonFields::ReadFile(path, error, [&](std::istream& file) { return AddLines(file, path, error); });
}

bool ShardMerge::AddLines(std::istream& lines, const std::string& name, std::string& error) {
  Block block;
  const auto add = [this, &block](const nlohmann::json& line, const std::string& where) { AddLine(line, block, where); };
  const auto open = [&block] { return block.lines > 0 || !block.seedless.empty(); };
  return JsonFields::ReadRecords(lines, name, use == Use::Merge, add, open, "battle",
                                 "the run was cut off before its summary, which alone says how its battles were run: run it again",
                                 error);
}

void ShardMerge::AddLine(const json& line, Block& block, const std::string& where) {
  for (const char* key : {"game", "tournament", "rank", "pair"}) {
    if (JsonLine::Find(line, key) != nullptr) {
      Refuse("a tournament's line: a study's shards and a tournament's do not merge together");
    }
  }
  if (JsonLine::Find(line, "summary") != nullptr) {
    CloseBlock(line, block, where);
    AddCounts(total, block.counts);
    block = Block{};
    return;
  }
  // --fingerprint-every's and --state-at-step's lines say where two builds part: no battle to play.
  if (JsonLine::Find(line, "step") != nullptr && JsonLine::Find(line, "battle") == nullptr) {
    Count(line, "step");
    return;
  }
  if (reader.record) reader.record(line);
  if (JsonLine::Find(line, "seed") != nullptr) {
    if (!block.seedless.empty()) Refuse("a battle line with its seed after lines without: not one run's lines");
    AddBattle(line, static_cast<unsigned>(Whole(line, "seed", std::numeric_limits<unsigned>::max())), block, where);
    return;
  }
  if (use == Use::Merge) Refuse("a battle line without its seed: run the shards with --seeds");
  if (block.lines > 0) Refuse("a battle line without its seed after lines with: not one run's lines");
  Count(line, "battle");
  block.seedless.push_back(RecordedBattle{where, {}, line});
}

// A run writes each seed's lines together and its seeds in their order, whatever its threads; and
// no seed belongs to two runs.
void ShardMerge::CheckSeedPlace(unsigned seed, const Block& block) const {
  const std::string named = "seed " + std::to_string(seed);
  const bool inBlock = block.seeds.count(seed) > 0;
  if (inBlock && lastSeed != seed) Refuse("the lines of " + named + " are not together: out of order");
  if (!inBlock && seeds.count(seed) > 0) {
    const auto run = oneSeedRuns.find(seed);
    if (run != oneSeedRuns.end()) {
      Refuse(named + " appears twice: here and in the run of " + named + " (" + run->second + ")");
    }
    Refuse(named + " appears twice: shards overlap or a file was given twice");
  }
  if (!inBlock && !block.seeds.empty() && seed < *block.seeds.rbegin()) {
    Refuse(named + " after seed " + std::to_string(*block.seeds.rbegin()) + ": out of order");
  }
}

// A seed's lines come one battle after another from 1, and end at its first unfinished one.
void ShardMerge::AddBattle(const json& line, unsigned seed, Block& block, const std::string& where) {
  const int battle = Count(line, "battle");
  const json& winner = Member(line, "winner");
  const bool finished = winner.is_string();
  const std::string side = finished ? winner.get<std::string>() : "";
  if (finished && side != "red" && side != "blue") Refuse("\"winner\" must be \"red\", \"blue\" or null");
  if (!finished && (!winner.is_null() || !Flag(line, "unfinished"))) {
    Refuse("\"winner\" must be \"red\", \"blue\" or null with \"unfinished\":true");
  }
  CheckSeedPlace(seed, block);
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
  block.counts.redWins += side == "red" ? 1 : 0;
  block.counts.blueWins += side == "blue" ? 1 : 0;
  if (reader.run) block.battles.push_back(RecordedBattle{where, {seed, battle}, line});
}

void ShardMerge::CloseBlock(const json& line, Block& block, const std::string& where) {
  if (JsonLine::Find(line, "seeds_merged") != nullptr) Refuse("a merged summary: give the shards' own output");
  const SeedRange shard = RunSeeds(line);
  const bool oneSeed = JsonLine::Find(line, "seeds") == nullptr;
  const bool window = use == Use::Verify && JsonLine::Find(line, "window") != nullptr;
  const int changedFrom = window ? WindowChange(line) : 0;
  // The window's report ends whenever its user stops it: every battle it finished is there.
  const bool interrupted = Flag(line, "interrupted");
  if (interrupted && use == Use::Merge) Refuse("the shard was interrupted: run it again");
  JoinStudy(line, shard, oneSeed, where);
  // A run over one seed names it here: its lines are checked now, each naming its own line.
  for (const RecordedBattle& seedless : block.seedless) {
    try {
      AddBattle(seedless.line, shard.first, block, seedless.where);
    } catch (const Refusal& refusal) {
      Refuse(refusal.what + " (at " + seedless.where + ")");
    }
  }
  CheckSeeds(block, shard, oneSeed, interrupted || window);
  if (oneSeed) oneSeedRuns.emplace(shard.first, where);
  for (const unsigned seed : block.seeds) block.counts.kills += seeds.at(seed).kills;
  CheckCounts(line, block.counts);
  if (interrupted) interruptedAt = where;
  if (reader.run) reader.run(RecordedRun{where, study->identity, std::move(block.battles), changedFrom});
}

SeedRange ShardMerge::RunSeeds(const json& line) const {
  if (JsonLine::Find(line, "seeds") != nullptr) return JsonFields::Shard(line);
  if (use == Use::Merge || JsonLine::Find(line, "seed") == nullptr) {
    Refuse("the summary of a run over one seed: run the shards with --seeds");
  }
  SeedRange one;
  one.first = one.last = static_cast<unsigned>(Whole(line, "seed", std::numeric_limits<unsigned>::max()));
  return one;
}

// Only a study's summary gives its kills; a run's counts are checked without them.
void ShardMerge::CheckCounts(const json& line, const RunSummary& counts) {
  const bool killsGiven = JsonLine::Find(line, "seeds") != nullptr || JsonLine::Find(line, "kills") != nullptr;
  if (Count(line, "finished") != counts.finished || Count(line, "unfinished") != counts.unfinished ||
      Count(line, "red_wins") != counts.redWins || Count(line, "blue_wins") != counts.blueWins ||
      (killsGiven && !(Kills(line) == counts.kills))) {
    Refuse("the summary disagrees with the battle lines before it");
  }
}

void ShardMerge::JoinStudy(const json& line, const SeedRange& shard, bool oneSeed, const std::string& where) {
  const StudyIdentity identity = StudyOf(line);
  if (!study) study = Study{{where, shard, {}}, identity, oneSeed};
  const std::string other = " in " + study->where +
                            (use == Use::Merge ? ": shards of different studies do not merge"
                                               : ": runs of different studies: verify each on its own");
  const std::string note = StudyIdentity::OtherBattlesNote(identity.version);
  const std::string studyNote = StudyIdentity::OtherBattlesNote(study->identity.version);
  if (note.empty() != studyNote.empty()) {
    Refuse("this file was " + (note.empty() ? studyNote + " (" + study->where + ")" : note));
  }
  if (oneSeed || study->oneSeed) {
    if (oneSeed != study->oneSeed || shard.first != study->seeds.first) {
      Refuse(RunNamed(shard, oneSeed) + " here but " + RunNamed(study->seeds, study->oneSeed) + other);
    }
    if (!study->shards.empty()) Refuse(RunNamed(shard, oneSeed) + " was given already, in " + study->where);
  }
  if (shard.RangeText() != study->seeds.RangeText()) {
    Refuse("\"seeds\" is " + shard.RangeText() + " here but " + study->seeds.RangeText() + other);
  }
  if (shard.shards != study->seeds.shards) {
    Refuse("\"shard\" " + shard.ShardText() + " is one of " + std::to_string(shard.shards) + " shards here but of " +
           std::to_string(study->seeds.shards) + other);
  }
  const auto theirs = study->identity.Fields();
  const auto ours = identity.Fields();
  for (std::size_t i = 0; i < ours.size(); ++i) {
    if (ours[i].second != theirs[i].second) {
      Refuse("\"study." + ours[i].first + "\" is " + ours[i].second + " here but " + theirs[i].second + other);
    }
  }
  study->Add(shard, where);
}

// A shard that was not interrupted ran each of its seeds up to the study's battles or to the
// first one out of time; an interrupted one ran its first seeds, the last of them perhaps cut short.
void ShardMerge::CheckSeeds(const Block& block, const SeedRange& shard, bool oneSeed, bool cutShort) const {
  const int battles = study->identity.battles;
  std::optional<unsigned> expected = shard.First();
  std::size_t place = 0;
  for (const unsigned seed : block.seeds) {
    const SeedTally& tally = seeds.at(seed);
    if (!shard.Holds(seed)) Refuse("seed " + std::to_string(seed) + " is not one of shard " + shard.ShardText() + " of seeds " + shard.RangeText());
    if (cutShort && expected && *expected != seed) {
      Refuse("seed " + std::to_string(*expected) + " of the interrupted run is missing before seed " +
             std::to_string(seed));
    }
    expected = shard.After(seed);
    const bool mayBeCut = cutShort && ++place == block.seeds.size();
    if (!tally.ended && tally.lastBattle != battles && !mayBeCut) {
      Refuse("seed " + std::to_string(seed) + " ran " + std::to_string(tally.lastBattle) + " of its " +
             std::to_string(battles) + " battles: run " + (oneSeed ? "it" : "the shard") + " again");
    }
  }
  if (oneSeed && block.seeds.empty() && !cutShort) {
    Refuse(RunNamed(shard, oneSeed) + " has no battle line before its summary: run it again");
  }
  if (!cutShort && block.seeds.size() != shard.Count()) {
    Refuse("the shard ran " + std::to_string(block.seeds.size()) + " of its " + std::to_string(shard.Count()) +
           " seeds: run it again");
  }
}

bool ShardMerge::Complete(std::string& error) const { return !study || study->Complete(error); }

std::string ShardMerge::NotWhole() const {
  if (!interruptedAt.empty()) return "the run was interrupted (" + interruptedAt + ")";
  return study ? study->NotGiven() : "";
}

bool ShardMerge::ReadStudy(const json& summary, StudyIdentity& study, std::string& error) {
  try {
    study = StudyOf(summary);
  } catch (const Refusal& refusal) {
    error = refusal.what;
    return false;
  }
  return true;
}

RunSummary ShardMerge::Summary() const {
  RunSummary summary = total;
  summary.seedsMerged = static_cast<long long>(seeds.size());
  if (study) summary.study = study->identity;
  return summary;
}
