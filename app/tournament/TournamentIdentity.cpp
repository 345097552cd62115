// A tournament's identity and its summary line.
#include "app/tournament/TournamentIdentity.h"

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/setup/HeadlessOptions.h"
#include "app/tournament/TournamentTable.h"

namespace {
std::string Quoted(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonList(const std::vector<std::string>& items) {
  std::string list = "[";
  for (const std::string& item : items) list += (list.size() > 1 ? "," : "") + Quoted(item);
  return list + "]";
}

bool ReadStrategy(const std::string& path, std::string& checksum, std::string& error) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    error = path + ": is a directory, not a strategy script (a Lua file)";
    return false;
  }
  if (!std::filesystem::is_regular_file(path, ignored) || !StudyIdentity::ContentHash(path, checksum)) {
    error = path + ": cannot be read (a strategy is a Lua file)";
    return false;
  }
  return true;
}
}  // namespace

bool TournamentIdentity::Of(const HeadlessOptions& options, const Scenario& battle, const SyntaxCheck& check,
                            TournamentIdentity& out, std::string& error) {
  TournamentIdentity identity;
  if (options.tournament.size() < 2) {
    error = "--tournament needs two strategy files or more";
    return false;
  }
  for (const std::string& path : options.tournament) {
    std::string checksum;
    if (!ReadStrategy(path, checksum, error) || !check(path, error)) return false;
    for (std::size_t before = 0; before < identity.checksums.size(); ++before) {
      if (identity.checksums[before] == checksum) {
        error = path +
                (path == identity.strategies[before]
                     ? ": named twice"
                     : ": the same strategy as " + identity.strategies[before] + " (same content)") +
                "; a tournament needs different strategies";
        return false;
      }
    }
    identity.strategies.push_back(path);
    identity.checksums.push_back(checksum);
  }
  if (!StudyIdentity::Of(options, battle, identity.study, error)) return false;
  out = identity;
  return true;
}

std::string TournamentIdentity::Summary(const TournamentTable& table, const TournamentSummary& run, bool json) const {
  const int games = table.Games();
  const int unfinished = table.Unfinished();
  std::ostringstream line;
  if (json) {
    line << "{\"tournament\":true";
    if (run.seedsMerged >= 0) line << ",\"seeds_merged\":" << run.seedsMerged;
    if (run.seedsMerged < 0) line << ",\"seeds\":\"" << run.seeds << "\"";
    if (!run.shard.empty()) line << ",\"shard\":\"" << run.shard << "\"";
    line << ",\"games\":" << games << ",\"finished\":" << games - unfinished << ",\"unfinished\":" << unfinished;
    if (run.untilDecided) line << ",\"until_decided\":true";
    if (run.interrupted) line << ",\"interrupted\":true";
    line << ",\"strategies\":" << JsonList(strategies) << ",\"checksums\":" << JsonList(checksums) << study.Json()
         << "}\n";
    return line.str();
  }
  line << "Tournament: " << games << " games, " << games - unfinished << " finished, " << unfinished << " unfinished; ";
  if (run.seedsMerged >= 0) line << run.seedsMerged << " seeds merged";
  if (run.seedsMerged < 0) line << "seeds " << run.seeds;
  if (!run.shard.empty()) line << " shard " << run.shard;
  if (run.untilDecided) line << ", each pair until decided";
  if (run.interrupted) line << "; interrupted";
  line << "; strategies";
  for (std::size_t i = 0; i < strategies.size(); ++i) {
    line << (i == 0 ? " " : ", ") << strategies[i] << " " << checksums[i];
  }
  line << study.Text() << "\n";
  return line.str();
}

bool TournamentIdentity::operator==(const TournamentIdentity& other) const {
  return strategies == other.strategies && checksums == other.checksums && study.Fields() == other.study.Fields();
}
