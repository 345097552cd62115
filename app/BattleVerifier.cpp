// Verifying recorded battles by playing them again.
#include "app/BattleVerifier.h"

#include <algorithm>
#include <limits>
#include <map>
#include <sstream>
#include <utility>

#include "app/CommandLine.h"
#include "app/HeadlessRunner.h"
#include "app/JsonFields.h"
#include "app/JsonLine.h"
#include "app/SeedRange.h"
#include "app/SeedWorkers.h"
#include "app/ShardMerge.h"
#include "battle/BattleFingerprint.h"

namespace {
using nlohmann::json;

using JsonFields::Refusal;
using JsonFields::Refuse;

bool Has(const json& line, const char* key) { return JsonLine::Find(line, key) != nullptr; }

long long Whole(const json& line, const char* key, long long least, long long most) {
  const json* value = JsonLine::Find(line, key);
  if (value == nullptr) Refuse("\"" + std::string(key) + "\" is missing");
  if (!value->is_number_integer() || value->get<long long>() < least || value->get<long long>() > most) {
    Refuse("\"" + std::string(key) + "\" must be a whole number from " + std::to_string(least) + " to " +
           std::to_string(most));
  }
  return value->get<long long>();
}

unsigned SeedOf(const json& line) {
  return static_cast<unsigned>(Whole(line, "seed", 0, std::numeric_limits<unsigned>::max()));
}

// A member by its own name, which may hold a dot.
const json* Member(const json& line, const std::string& key) {
  const auto found = line.find(key);
  return found != line.end() ? &*found : nullptr;
}

// Strings as they read, without their quotes, as the fingerprint is best compared by eye.
std::string Shown(const json* value) {
  if (value == nullptr) return "none";
  return value->is_string() ? value->get<std::string>() : value->dump();
}

// Measured, not computed: a battle's resident memory differs from machine to machine. The seed is
// the run's, compared by finding the battle at all.
bool Compared(const std::string& key) { return key != "seed" && key != "resident_kb"; }

std::string GeneralNamed(std::size_t team, const std::string& general) {
  const std::string side = team == 0 ? "red" : "blue";
  return general == StudyIdentity::kBuiltIn ? "the built-in " + side + " General" : side + "'s script " + general;
}

std::string Named(const std::string& scenario) {
  return scenario == StudyIdentity::kBuiltIn ? "the built-in battle" : "the scenario " + scenario;
}

std::string Plural(long long count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}
}  // namespace

bool BattleVerifier::AddFile(const std::string& path, std::string& error) {
  return JsonFields::ReadFile(path, error, [&](std::istream& file) { return AddLines(file, path, error); });
}

bool BattleVerifier::AddLines(std::istream& lines, const std::string& name, std::string& error) {
  std::vector<Pending> block;
  int number = 0;
  const auto add = [this, &block](const nlohmann::json& line, const std::string& where) { AddLine(line, block, where); };
  if (!JsonFields::ReadLines(lines, name, "verify --json output", add, number, error)) return false;
  return JsonFields::EndsWithSummary(name, number, !block.empty(), "battle",
                                     "the run did not finish, and only its summary says how its battles were run", error);
}

void BattleVerifier::AddLine(const json& line, std::vector<Pending>& block, const std::string& where) {
  if (Has(line, "summary")) {
    CloseBlock(line, block, where);
    block.clear();
  } else {
    block.push_back(ReadBattle(line, where));
  }
}

BattleVerifier::Pending BattleVerifier::ReadBattle(const json& line, const std::string& where) {
  Pending pending;
  pending.battle.where = where;
  pending.battle.battle = static_cast<int>(Whole(line, "battle", 1, CommandLine::kMostBattles));
  pending.hasSeed = Has(line, "seed");
  if (pending.hasSeed) pending.seed = SeedOf(line);
  const json* fingerprint = JsonLine::Find(line, "fingerprint");
  if (fingerprint == nullptr) {
    Refuse("a battle line without \"fingerprint\": written by an older battlesim-headless; run it again");
  }
  std::uint64_t ignored = 0;
  if (!fingerprint->is_string() || !BattleFingerprint::FromHex(fingerprint->get<std::string>(), ignored)) {
    Refuse("\"fingerprint\" must be 16 lowercase hex digits");
  }
  pending.battle.line = line;
  return pending;
}

// The summary says how the battles before it were run; a run with --seed names its seed only there.
void BattleVerifier::CloseBlock(const json& summary, std::vector<Pending>& block, const std::string& where) {
  if (Has(summary, "seeds_merged")) Refuse("a merged summary holds no battles: verify the shards' own output");
  if (!Has(summary, "study")) {
    Refuse("the summary does not say how its battles were run: written by an older battlesim-headless; run it again");
  }
  StudyIdentity study;
  std::string error;
  if (!ShardMerge::ReadStudy(summary, study, error)) Refuse(error);
  const bool runSeed = Has(summary, "seed");
  const unsigned seed = runSeed ? SeedOf(summary) : 0;
  std::map<unsigned, std::size_t> seedAt;
  for (Pending& pending : block) {
    if (!pending.hasSeed && !runSeed) Refuse("neither the battle line at " + pending.battle.where + " nor its summary names a seed");
    const unsigned battleSeed = pending.hasSeed ? pending.seed : seed;
    if (pending.battle.battle > study.battles) {
      Refuse("battle " + std::to_string(pending.battle.battle) + " at " + pending.battle.where + " is beyond the " +
             Plural(study.battles, "battle") + " the summary says each seed ran");
    }
    const auto [at, added] = seedAt.emplace(battleSeed, seeds.size());
    if (added) seeds.push_back(Seed{battleSeed, study, where, {}});
    seeds[at->second].battles.push_back(std::move(pending.battle));
  }
}

bool BattleVerifier::SameBattle(const std::string& scenarioFile, const Scenario& scenario, std::string& error) const {
  HeadlessOptions options;
  options.scenarioFile = scenarioFile;
  StudyIdentity here;
  if (!StudyIdentity::Of(options, scenario, here, error)) return false;
  for (const Seed& seed : seeds) {
    const StudyIdentity& there = seed.study;
    if (there.scenario != here.scenario) {
      error = seed.where + ": the battles ran " + Named(there.scenario) + ", but " +
              (scenarioFile.empty() ? "no --scenario was given: give its file with --scenario FILE"
                                    : scenarioFile + " is " + here.scenario);
      return false;
    }
    for (std::size_t team = 0; team < here.generals.size(); ++team) {
      if (there.generals[team] == here.generals[team]) continue;
      const std::string option = team == 0 ? "--red-general" : "--blue-general";
      error = seed.where + ": the battles ran " + GeneralNamed(team, there.generals[team]) + ", but " +
              (here.generals[team] == StudyIdentity::kBuiltIn
                   ? "no " + option + " was given: give its script with " + option + " FILE"
                   : scenario.armies[team].general + " is " + here.generals[team]);
      return false;
    }
    if (there.heightMap != here.heightMap) {
      error = seed.where + ": the battles ran on the height map " + there.heightMap + ", but " + scenario.heightMap +
              " is " + here.heightMap;
      return false;
    }
  }
  return true;
}

std::string BattleVerifier::OtherVersion() const {
  for (const Seed& seed : seeds) {
    if (seed.study.version != StudyIdentity::ProgramVersion()) {
      return seed.where + ": recorded by battlesim " + seed.study.version + ", played again by battlesim " +
             StudyIdentity::ProgramVersion() + ": battles may differ for that alone";
    }
  }
  return "";
}

// The recorded seeds go to the study's threads as the seeds 0 to N-1 of a range, each standing
// for the recorded seed at that position, so that they are handed out and written back in order.
BattleVerifier::Outcome BattleVerifier::Replay(const Scenario& scenario, int jobs, std::ostream& out,
                                               std::ostream* progress) const {
  Outcome outcome;
  if (seeds.empty()) return outcome;
  SeedRange positions;
  positions.last = static_cast<unsigned>(seeds.size() - 1);
  const int threads = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(jobs), seeds.size()));
  SeedWorkers workers(positions, threads, [this, &scenario](unsigned position, StepHistogram& steps, long long& frames) {
    return PlayAgain(seeds[position], scenario, steps, frames);
  });
  for (std::size_t done = 0; !outcome.interrupted; ++done) {
    const std::optional<SeedWorkers::SeedLines> seed = workers.Next(progress);
    if (!seed) {
      outcome.interrupted = done < seeds.size();
      break;
    }
    outcome.interrupted = seed->summary.interrupted;
    if (outcome.interrupted) break;
    out << seed->text << std::flush;
    outcome.differing += std::count(seed->text.begin(), seed->text.end(), '\n');
    outcome.battles += static_cast<long long>(seeds[done].battles.size());
    ++outcome.seeds;
  }
  StepHistogram steps;
  long long frames = 0;
  workers.Finish(steps, frames);
  if (progress != nullptr) *progress << "\r\033[K" << std::flush;
  return outcome;
}

// As the recorded run played the seed, up to its last recorded battle.
SeedWorkers::SeedLines BattleVerifier::PlayAgain(const Seed& seed, const Scenario& scenario, StepHistogram& steps,
                                                 long long& frames) {
  HeadlessOptions options;
  options.seed = seed.seed;
  options.seedGiven = true;
  for (const Recorded& recorded : seed.battles) options.battles = std::max(options.battles, recorded.battle);
  options.frameMs = seed.study.frameMs;
  options.maxSeconds = seed.study.maxSeconds;
  options.blood = seed.study.blood;
  options.json = true;
  std::ostringstream played;
  const RunSummary run = HeadlessRunner(options, scenario).RunBattles(played, nullptr, steps, frames);
  return SeedWorkers::SeedLines{run.interrupted ? "" : Compare(seed, played.str()), run};
}

std::string BattleVerifier::Compare(const Seed& seed, const std::string& played) {
  std::map<int, json> now;
  std::istringstream lines(played);
  for (std::string text; std::getline(lines, text);) {
    json line;
    std::string reason;
    if (JsonLine::Parse(text, line, reason) && Has(line, "battle")) now[line["battle"].get<int>()] = line;
  }
  std::string report;
  for (const Recorded& recorded : seed.battles) {
    const std::string which =
        recorded.where + ": battle " + std::to_string(recorded.battle) + " of seed " + std::to_string(seed.seed) + ": ";
    const auto found = now.find(recorded.battle);
    if (found == now.end()) {
      report += which + "recorded, but played again the seed ended after " + Plural(static_cast<long long>(now.size()), "battle") + "\n";
      continue;
    }
    const std::string differences = Differences(recorded.line, found->second);
    if (!differences.empty()) report += which + differences + "\n";
  }
  return report;
}

// The fingerprint first, as it differs whenever anything does; then every other field that differs.
std::string BattleVerifier::Differences(const json& recorded, const json& now) {
  std::vector<std::string> keys = {"fingerprint"};
  for (const json* line : {&recorded, &now}) {
    for (const auto& [key, value] : line->items()) {
      if (Compared(key) && std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
    }
  }
  std::string text;
  for (const std::string& key : keys) {
    const json* before = Member(recorded, key);
    const json* after = Member(now, key);
    if (before != nullptr && after != nullptr && *before == *after) continue;
    text += (text.empty() ? "" : "; ") + key + " " + Shown(before) + " recorded, " + Shown(after) + " now";
  }
  return text;
}

std::string BattleVerifier::ResultLine(const Outcome& outcome) {
  std::string line = "verified " + Plural(outcome.battles, "battle") + " of " + Plural(outcome.seeds, "seed") + ": " +
                     (outcome.differing == 0 ? "all match" : std::to_string(outcome.differing) + " differ");
  return line + (outcome.interrupted ? "; interrupted" : "") + "\n";
}
