// Verifying recorded battles by playing them again.
#include "app/verify/BattleVerifier.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <sstream>
#include <utility>

#include "app/lead/OrderReport.h"
#include "app/run/HeadlessRunner.h"
#include "app/setup/SeedRange.h"
#include "app/study/DesignPlan.h"
#include "app/study/JsonFields.h"
#include "app/study/JsonLine.h"
#include "app/study/SeedWorkers.h"
#include "app/study/ShardMerge.h"
#include "app/tournament/Tournament.h"
#include "app/tournament/TournamentTable.h"
#include "battle/BattleFingerprint.h"

namespace {
using nlohmann::json;

using JsonFields::Refuse;

bool Has(const json& line, const char* key) { return JsonLine::Find(line, key) != nullptr; }

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

bool ScriptChecksum(const std::string& path, std::string& checksum, std::string& error) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    error = path + ": is a directory, not a strategy file";
    return false;
  }
  if (!StudyIdentity::ContentHash(path, checksum)) {
    error = path + ": cannot be read";
    return false;
  }
  return true;
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

BattleVerifier::BattleVerifier()
    : runs(ShardMerge::Use::Verify,
           ShardMerge::Reader{[](const json& line) { CheckFingerprint(line, "battle"); },
                              [this](ShardMerge::RecordedRun&& run) { TakeRun(std::move(run)); }}),
      tournament(
          TournamentMerge::Use::Verify,
          TournamentMerge::Reader{[](const json& line) { CheckFingerprint(line, "game"); },
                                  [this](TournamentMerge::RecordedRun&& run) { TakeTournament(std::move(run)); }}) {}

bool BattleVerifier::AddFile(const std::string& path, std::string& error) {
  const bool tournamentFile = TournamentMerge::HoldsTournament(path);
  if (!KindIs(tournamentFile, path, error)) return false;
  return tournamentFile ? tournament.AddFile(path, error) : runs.AddFile(path, error);
}

bool BattleVerifier::AddLines(std::istream& lines, const std::string& name, std::string& error) {
  return KindIs(false, name, error) && runs.AddLines(lines, name, error);
}

bool BattleVerifier::AddTournamentLines(std::istream& lines, const std::string& name, std::string& error) {
  return KindIs(true, name, error) && tournament.AddLines(lines, name, error);
}

bool BattleVerifier::KindIs(bool tournamentFile, const std::string& name, std::string& error) {
  if (tournamentFile ? readStudy : readTournament) {
    error = name + ": a tournament's output beside a study's: verify each on its own";
    return false;
  }
  (tournamentFile ? readTournament : readStudy) = true;
  return true;
}

void BattleVerifier::CheckFingerprint(const json& line, const char* kind) {
  const json* fingerprint = JsonLine::Find(line, "fingerprint");
  if (fingerprint == nullptr) {
    Refuse("a " + std::string(kind) +
           " line without \"fingerprint\": written by an older battlesim-headless; run it again");
  }
  std::uint64_t ignored = 0;
  if (!fingerprint->is_string() || !BattleFingerprint::FromHex(fingerprint->get<std::string>(), ignored)) {
    Refuse("\"fingerprint\" must be 16 lowercase hex digits");
  }
}

// A seed's lines come together in a run: each seed's battles follow one another.
void BattleVerifier::TakeRun(ShardMerge::RecordedRun&& run) {
  for (ShardMerge::RecordedBattle& battle : run.battles) {
    if (run.changedFromBattle > 0 && battle.record.battle >= run.changedFromBattle) {
      ++changedBattles;
      changedFrom = run.changedFromBattle;
      continue;
    }
    if (seeds.empty() || seeds.back().seed != battle.record.seed || seeds.back().where != run.where) {
      seeds.push_back(Seed{battle.record.seed, run.study, run.where, {}, {}});
    }
    seeds.back().battles.push_back(Recorded{battle.where, battle.record.battle, std::move(battle.line)});
  }
}

void BattleVerifier::TakeTournament(TournamentMerge::RecordedRun&& run) {
  if (strategies.empty()) {
    strategies = run.identity.strategies;
    checksums = run.identity.checksums;
    tournamentWhere = run.where;
  }
  for (TournamentMerge::RecordedGame& game : run.games) {
    if (seeds.empty() || seeds.back().seed != game.record.seed || seeds.back().where != run.where) {
      seeds.push_back(Seed{game.record.seed, run.identity.study, run.where, {}, {}});
    }
    seeds.back().battles.push_back(Recorded{game.where, game.record.number, std::move(game.line)});
    seeds.back().players.emplace_back(game.record.red, game.record.blue);
  }
}

bool BattleVerifier::TakeScripts(const std::vector<std::string>& paths, std::string& error) {
  if (!readTournament) {
    if (paths.empty()) return true;
    error = paths.front() + ": not one of our JSON lines; strategy files go with a tournament's --json output";
    return false;
  }
  scripts.assign(strategies.size(), "");
  for (const std::string& path : paths) {
    std::string checksum;
    if (!ScriptChecksum(path, checksum, error)) return false;
    const auto found = std::find(checksums.begin(), checksums.end(), checksum);
    if (found != checksums.end()) {
      scripts[static_cast<std::size_t>(found - checksums.begin())] = path;
      continue;
    }
    error = path + ": " + checksum + " is none of the tournament's strategies";
    for (std::size_t i = 0; i < strategies.size(); ++i) {
      if (FileName(strategies[i]) != FileName(path)) continue;
      error = path +
              (path == strategies[i] ? ": edited since the tournament played it"
                                     : ": not the " + strategies[i] + " the tournament played") +
              ": " + checksum + " now, " + checksums[i] + " in " + tournamentWhere;
    }
    return false;
  }
  for (std::size_t i = 0; i < strategies.size(); ++i) {
    if (!scripts[i].empty()) continue;
    error = tournamentWhere + ": the tournament's strategy " + strategies[i] + " (" + checksums[i] +
            ") was not given: give its file after the tournament's output";
    return false;
  }
  return true;
}

bool BattleVerifier::SameDesign(const std::string& designFile, std::string& error) const {
  std::string here;
  if (!designFile.empty() && !StudyIdentity::ContentHash(designFile, here)) {
    error = designFile + ": cannot be read again";
    return false;
  }
  for (const Seed& seed : seeds) {
    if (seed.study.design != here) {
      error = seed.where + ": " +
              (seed.study.design.empty() ? "the battles are no designed study's, but --design was given"
               : here.empty()            ? "the battles ran the design " + seed.study.design +
                                    ": give its file with --design FILE"
                                         : "the battles ran the design " + seed.study.design + ", but " + designFile +
                                    " is " + here);
      return false;
    }
    if (design != nullptr && !design->Holds(seed.seed)) {
      error = seed.where + ": seed " + std::to_string(seed.seed) + " is none of the design's battles";
      return false;
    }
  }
  return true;
}

bool BattleVerifier::SameBattle(const std::string& scenarioFile, const Scenario& scenario, std::string& error,
                                const std::string& designFile) const {
  if (!SameDesign(designFile, error)) return false;
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

std::string BattleVerifier::OtherBattles() const {
  for (const Seed& seed : seeds) {
    const std::string note = StudyIdentity::OtherBattlesNote(seed.study.version);
    if (!note.empty()) return seed.where + ": " + note;
  }
  return "";
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
  outcome.games = readTournament;
  outcome.cutShort = (readTournament ? tournament.Interrupted() : runs.Interrupted()) ? NotWhole() : "";
  outcome.partial = Partial();
  if (seeds.empty()) return outcome;
  SeedRange positions;
  positions.last = static_cast<unsigned>(seeds.size() - 1);
  const int threads = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(jobs), seeds.size()));
  SeedWorkers workers(
      positions, threads, [this, &scenario](unsigned position, StepHistogram& steps, long long& frames) {
        const Seed& seed = seeds[position];
        return seed.players.empty() ? PlayAgain(seed, scenario, stepThreads, design, steps, frames)
                                    : PlayGames(seed, scenario);
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

std::string BattleVerifier::NotWhole() const { return readTournament ? tournament.NotWhole() : runs.NotWhole(); }

// Shards not given, when the run is otherwise whole, and the battles the window's user changed.
std::string BattleVerifier::Partial() const {
  std::string partial = (readTournament ? tournament.Interrupted() : runs.Interrupted()) ? "" : NotWhole();
  if (changedBattles == 0) return partial;
  return partial + (partial.empty() ? "" : "; ") + "not played: " + Plural(changedBattles, "battle") + " from battle " +
         std::to_string(changedFrom) + " on, which the window's user changed by a reset or the blood switch";
}

// As the recorded run played the seed, up to its last recorded battle.
SeedWorkers::SeedLines BattleVerifier::PlayAgain(const Seed& seed, const Scenario& scenario, int threads,
                                                 const DesignPlan* design, StepHistogram& steps, long long& frames) {
  HeadlessOptions options;
  options.threads = threads;
  options.seed = seed.seed;
  options.seedGiven = true;
  for (const Recorded& recorded : seed.battles) options.battles = std::max(options.battles, recorded.battle);
  options.frameMs = seed.study.frameMs;
  options.maxSeconds = seed.study.maxSeconds;
  options.blood = seed.study.blood;
  options.json = true;
  // A design's lines name their point after the seed.
  options.seedInLines = design != nullptr;
  const Scenario& battle = design != nullptr ? design->PointAt(design->PointOf(seed.seed)).scenario : scenario;
  // A side led by hand is led again by its recorded orders.
  Scenario led = battle;
  OrderReport orders;
  std::string error;
  for (const Recorded& recorded : seed.battles) {
    if (!orders.TakeBattleLine(recorded.line, error)) {
      return SeedWorkers::SeedLines{recorded.where + ": " + error + "\n", RunSummary{}};
    }
  }
  orders.LeadIn(led);
  std::ostringstream played;
  const RunSummary run = HeadlessRunner(options, led).RunBattles(played, nullptr, steps, frames);
  const std::array<std::string, 2> scripts = {battle.armies[0].general, battle.armies[1].general};
  std::string lines = played.str();
  if (design != nullptr) {
    std::ostringstream again;
    std::istringstream each(lines);
    for (std::string line; std::getline(each, line);) again << design->Line(line, seed.seed, true) << "\n";
    lines = again.str();
  }
  return SeedWorkers::SeedLines{run.interrupted ? "" : Compare(seed, lines, scripts), run};
}

// Each recorded game of the seed, its strategies' files in their places.
SeedWorkers::SeedLines BattleVerifier::PlayGames(const Seed& seed, const Scenario& scenario) const {
  HeadlessOptions options;
  options.threads = stepThreads;
  options.tournament = scripts;
  options.frameMs = seed.study.frameMs;
  options.maxSeconds = seed.study.maxSeconds;
  options.blood = seed.study.blood;
  const Tournament::PlayGame play = Tournament::Battles(options, scenario);
  const TournamentTable table(strategies);
  std::string played;
  for (std::size_t i = 0; i < seed.battles.size(); ++i) {
    const auto [red, blue] = seed.players[i];
    const std::optional<BattleReport> report = play(seed.seed, red, blue);
    if (!report) {
      SeedWorkers::SeedLines interrupted;
      interrupted.summary.interrupted = true;
      return interrupted;
    }
    TournamentGame game = Tournament::GameOf(seed.seed, seed.battles[i].battle, red, blue, *report);
    game.forfeitReason = AsRecorded(game.forfeitReason);
    played += table.FormatGame(game, true);
  }
  return SeedWorkers::SeedLines{Compare(seed, played, {}), RunSummary{}};
}

// A forfeit's reason names the script by the path it was given here, which the tournament may have
// named otherwise (another folder, another machine).
std::string BattleVerifier::AsRecorded(const std::string& reason) const {
  for (std::size_t i = 0; i < scripts.size(); ++i) {
    if (reason.rfind(scripts[i] + ":", 0) == 0) return strategies[i] + reason.substr(scripts[i].size());
  }
  return reason;
}

std::string BattleVerifier::Compare(const Seed& seed, const std::string& played,
                                    const std::array<std::string, 2>& scripts) {
  std::map<int, json> now;
  std::istringstream lines(played);
  for (std::string text; std::getline(lines, text);) {
    json line;
    std::string reason;
    const char* number = seed.players.empty() ? "battle" : "game";
    if (JsonLine::Parse(text, line, reason) && Has(line, number)) now[line[number].get<int>()] = line;
  }
  std::string report;
  for (const Recorded& recorded : seed.battles) {
    const std::string which = recorded.where + (seed.players.empty() ? ": battle " : ": game ") +
                              std::to_string(recorded.battle) + " of seed " + std::to_string(seed.seed) + ": ";
    const auto found = now.find(recorded.battle);
    if (found == now.end()) {
      report += which + "recorded, but played again the seed ended after " + Plural(static_cast<long long>(now.size()), "battle") + "\n";
      continue;
    }
    SameScriptNamed(recorded.line, found->second, scripts);
    const std::string differences = Differences(recorded.line, found->second);
    if (!differences.empty()) report += which + differences + "\n";
  }
  return report;
}

// A forfeit's reason names the script by the path it was given: the run may have named the same
// script by another path, which the reason played here then takes.
void BattleVerifier::SameScriptNamed(const json& recorded, json& now, const std::array<std::string, 2>& scripts) {
  const json* before = Member(recorded, "forfeit_reason");
  json* after = now.contains("forfeit_reason") ? &now["forfeit_reason"] : nullptr;
  if (before == nullptr || after == nullptr || !before->is_string() || !after->is_string()) return;
  const std::string reason = after->get<std::string>();
  for (const std::string& script : scripts) {
    if (script.empty() || reason.rfind(script + ":", 0) != 0) continue;
    if (before->get<std::string>().ends_with(reason.substr(script.size()))) *after = *before;
  }
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

// Nothing played matches nothing: a report of no finished battle is not called a match.
std::string BattleVerifier::NothingPlayedLine(const Outcome& outcome) {
  std::string line = std::string("verified no ") + (outcome.games ? "game" : "battle") +
                     ": the files hold none to play again";
  if (!outcome.partial.empty()) line += " (" + outcome.partial + ")";
  if (!outcome.cutShort.empty()) line += "; " + outcome.cutShort;
  return line + "\n";
}

std::string BattleVerifier::ResultLine(const Outcome& outcome) {
  if (outcome.battles == 0 && !outcome.interrupted) return NothingPlayedLine(outcome);
  const char* noun = outcome.games ? "game" : "battle";
  std::string line = "verified " + Plural(outcome.battles, noun) + " of " + Plural(outcome.seeds, "seed");
  if (!outcome.partial.empty()) line += " (" + outcome.partial + ")";
  const std::string differ = outcome.differing == 0 ? "" : std::to_string(outcome.differing) + " differ";
  if (outcome.cutShort.empty()) {
    line += ": " + (differ.empty() ? std::string("all match") : differ);
  } else {
    line += " as far as the run went: " + (differ.empty() ? std::string("none differ") : differ) + ", but " +
            outcome.cutShort + " and is not whole";
  }
  return line + (outcome.interrupted ? "; interrupted" : "") + "\n";
}

int BattleVerifier::ExitStatus(const Outcome& outcome) {
  if (outcome.interrupted) return RunSummary::kInterruptedStatus;
  if (outcome.differing > 0) return 1;
  return outcome.cutShort.empty() && outcome.battles > 0 ? 0 : kNotWholeStatus;
}
