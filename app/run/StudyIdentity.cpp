// A study's identity: the battle's files hashed, the settings and the version, as text and JSON.
#include "app/run/StudyIdentity.h"

#include <zlib.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <regex>

#include "app/setup/HeadlessOptions.h"
#include "battle/Scenario.h"

namespace {
// The shortest text that reads back as the same number.
std::string Shortest(double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
}  // namespace

bool StudyIdentity::ContentHash(const std::string& path, std::string& hash) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  uLong crc = crc32(0L, Z_NULL, 0);
  char buffer[65536];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer), static_cast<uInt>(file.gcount()));
  }
  if (file.bad()) return false;
  char text[32];
  std::snprintf(text, sizeof text, "crc32:%08lx", crc);
  hash = text;
  return true;
}

bool StudyIdentity::Of(const HeadlessOptions& options, const Scenario& battle, StudyIdentity& out,
                       std::string& error) {
  StudyIdentity study;
  if (!options.scenarioFile.empty() && !ContentHash(options.scenarioFile, study.scenario)) {
    error = options.scenarioFile + ": cannot be read again to record it in the summary";
    return false;
  }
  if (!ContentHash(battle.heightMap, study.heightMap)) {
    error = battle.heightMap + ": cannot be read again to record it in the summary";
    return false;
  }
  for (std::size_t team = 0; team < study.generals.size(); ++team) {
    const std::string& script = battle.armies[team].general;
    if (!script.empty() && !ContentHash(script, study.generals[team])) {
      error = script + ": cannot be read again to record it in the summary";
      return false;
    }
  }
  if (!options.designFile.empty() && !ContentHash(options.designFile, study.design)) {
    error = options.designFile + ": cannot be read again to record it in the summary";
    return false;
  }
  study.frameMs = options.frameMs;
  study.battles = options.battles;
  study.maxSeconds = options.maxSeconds;
  study.blood = options.blood;
  study.version = ProgramVersion();
  out = study;
  return true;
}

std::string StudyIdentity::ProgramVersion() { return BATTLESIM_VERSION; }

namespace {
// The first version whose battles every later one plays alike, and the first whose fingerprints
// every later one reckons alike.
constexpr int kSameBattlesSince[] = {0, 10};
constexpr int kSameFingerprintsSince[] = {0, 11};

bool AtLeast(const std::string& version, const int (&since)[2]) {
  int major = 0;
  int minor = 0;
  if (std::sscanf(version.c_str(), "%d.%d", &major, &minor) != 2) return false;
  return major > since[0] || (major == since[0] && minor >= since[1]);
}
}  // namespace

bool StudyIdentity::PlaysBattlesAsThisVersion(const std::string& version) { return AtLeast(version, kSameBattlesSince); }

bool StudyIdentity::FingerprintsAsThisVersion(const std::string& version) {
  return AtLeast(version, kSameFingerprintsSince);
}

bool StudyIdentity::WellFormedVersion(const std::string& version) {
  static const std::regex pattern("[0-9]{1,9}\\.[0-9]{1,9}\\.[0-9]{1,9}");
  return std::regex_match(version, pattern);
}

std::string StudyIdentity::OtherBattlesNote(const std::string& version) {
  if (!PlaysBattlesAsThisVersion(version)) {
    return "recorded by battlesim " + version + ", which plays battles differently from battlesim " + ProgramVersion() +
           " (the same seeds give other battles): run the seeds again with this version";
  }
  if (FingerprintsAsThisVersion(version)) return "";
  return "recorded by battlesim " + version + ", whose fingerprints leave part of a battle out (the same battles " +
         "fingerprint otherwise in battlesim " + ProgramVersion() + "): run the seeds again with this version";
}

std::vector<std::pair<std::string, std::string>> StudyIdentity::Fields() const {
  return {{"scenario", Quoted(scenario)},
          {"height_map", Quoted(heightMap)},
          {"frame_ms", std::to_string(frameMs)},
          {"battles", std::to_string(battles)},
          {"max_seconds", Shortest(maxSeconds)},
          {"blood", blood ? "true" : "false"},
          {"version", Quoted(version)},
          {"red_general", Quoted(generals[0])},
          {"blue_general", Quoted(generals[1])},
          {"design", Quoted(design)}};
}

bool StudyIdentity::Shown(const std::string& name, const std::string& value) {
  return !(name.ends_with("_general") && value == Quoted(kBuiltIn)) && !(name == "design" && value == Quoted(""));
}

std::string StudyIdentity::Json() const {
  std::string json = ",\"study\":{";
  for (const auto& [name, value] : Fields()) {
    if (Shown(name, value)) json += (json.back() == '{' ? "\"" : ",\"") + name + "\":" + value;
  }
  return json + "}";
}

std::string StudyIdentity::Text() const {
  return "; study: scenario " + scenario + ", height map " + heightMap + ", frame " + std::to_string(frameMs) +
         " ms, " + std::to_string(battles) +
         (battles == 1 ? " battle" : " battles") + " per seed, at most " + Shortest(maxSeconds) +
         " s each, blood " + (blood ? "on" : "off") + ", battlesim " + version +
         (generals[0] == kBuiltIn ? "" : ", red General " + generals[0]) +
         (generals[1] == kBuiltIn ? "" : ", blue General " + generals[1]) + (design.empty() ? "" : ", design " + design);
}
