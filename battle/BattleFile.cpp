// The battle file: a header (magic word, version, payload size, payload checksum), then the
// caller's settings, the scenario, a checksum of the ground and the battle's walk.
#include "battle/BattleFile.h"

#include <bit>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "battle/Battle.h"
#include "battle/BattleFileReader.h"
#include "battle/BattleFileWriter.h"

namespace {
constexpr std::size_t kHeaderSize = 8 + 4 + 8 + 8;

std::uint64_t Checksum(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char byte : bytes) hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
  return hash;
}

// The heights as loaded and scaled: a battle read back on other ground would play otherwise.
std::uint64_t GroundChecksum(const Battle& battle) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const float height : battle.terrain.Heights()) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(height);
    for (int i = 0; i < 4; ++i) hash = (hash ^ ((bits >> (8 * i)) & 0xffu)) * 1099511628211ull;
  }
  return hash;
}

void WalkPlaced(StateArchive& archive, PlacedSquad& squad) {
  archive.Float("placed.x", squad.x);
  archive.Float("placed.z", squad.z);
  archive.Index("placed.type", squad.type, 0, 2);
  archive.Index("placed.followers", squad.followers, 0, ArmySetup::kMostFollowers);
  archive.Index("placed.formation", squad.formation, 0, 3);
}

void WalkArmy(StateArchive& archive, ArmySetup& army) {
  archive.Index("squads", army.squads, 0, ArmySetup::kMostSquads);
  archive.Index("followers", army.followers, 0, ArmySetup::kMostFollowers);
  archive.Size("memberTypes", army.memberTypes, 4);
  for (int& type : army.memberTypes) archive.Index("memberType", type, 0, 2);
  archive.Text("general", army.general);
  // Squads and a General placed by hand stand where the next battle raises them.
  archive.Size("placed", army.placed, 20);
  for (PlacedSquad& squad : army.placed) WalkPlaced(archive, squad);
  archive.Flag("generalPlaced", army.generalPlaced);
  archive.Float("generalX", army.generalX);
  archive.Float("generalZ", army.generalZ);
}

void WalkScenario(StateArchive& archive, Scenario& scenario) {
  archive.Text("scenario.name", scenario.name);
  archive.Text("scenario.heightMap", scenario.heightMap);
  archive.Float("scenario.low", scenario.low);
  archive.Float("scenario.high", scenario.high);
  for (ArmySetup& army : scenario.armies) WalkArmy(archive, army);
  for (auto& row : scenario.duel.typeAdvantage) {
    for (float& value : row) archive.Float("scenario.typeAdvantage", value);
  }
  for (auto& row : scenario.duel.formationAdvantage) {
    for (float& value : row) archive.Float("scenario.formationAdvantage", value);
  }
}

void PutNumber(std::string& bytes, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xffu));
}

std::uint64_t NumberAt(std::string_view bytes, std::size_t at, int size) {
  std::uint64_t value = 0;
  for (int i = 0; i < size; ++i) value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

bool Refused(std::string& error, const std::string& reason) {
  error = reason;
  return false;
}

// The payload of an intact file of this version; false, with the reason, for any other bytes.
bool Payload(std::string_view bytes, std::string_view& payload, std::string& error) {
  if (bytes.size() < kHeaderSize || bytes.substr(0, 8) != BattleFile::kMagic) {
    return Refused(error, "not a battle file (it does not start with " + std::string(BattleFile::kMagic) + ")");
  }
  const auto version = static_cast<std::uint32_t>(NumberAt(bytes, 8, 4));
  if (version != BattleFile::kVersion) {
    return Refused(error, "a battle file of version " + std::to_string(version) + "; this program reads version " +
                              std::to_string(BattleFile::kVersion));
  }
  const std::uint64_t size = NumberAt(bytes, 12, 8);
  if (size != bytes.size() - kHeaderSize) {
    return Refused(error, "a battle file cut short or grown (" + std::to_string(bytes.size() - kHeaderSize) +
                              " bytes of battle where its header says " + std::to_string(size) + ")");
  }
  payload = bytes.substr(kHeaderSize);
  if (Checksum(payload) != NumberAt(bytes, 20, 8)) return Refused(error, "a battle file whose checksum does not match: it was changed");
  return true;
}
}  // namespace

bool BattleFile::Write(const Battle& battle, const std::string& settings, std::string& bytes, std::string& error) {
  if (battle.LeaderKeepsState()) {
    return Refused(error, "a battle led by a strategy script or a program's General cannot be saved: the strategy's own "
                          "state would be lost, and the battle would not play on as it would have");
  }
  std::string payload;
  BattleFileWriter writer(payload);
  std::string kept = settings;
  writer.Text("settings", kept);
  Scenario scenario = battle.scenario;
  WalkScenario(writer, scenario);
  std::uint64_t ground = GroundChecksum(battle);
  writer.Wide("ground", ground);
  const_cast<Battle&>(battle).Walk(writer);
  if (!writer.Good()) return Refused(error, "the battle cannot be saved: it holds " + writer.Refusal());
  bytes.assign(kMagic);
  PutNumber(bytes, kVersion, 4);
  PutNumber(bytes, payload.size(), 8);
  PutNumber(bytes, Checksum(payload), 8);
  bytes.append(payload);
  return true;
}

bool BattleFile::Save(const Battle& battle, const std::string& settings, const std::string& path, std::string& error) {
  std::string bytes;
  if (!Write(battle, settings, bytes, error)) return false;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file.flush()) return Refused(error, "cannot write the battle file " + path);
  return true;
}

std::unique_ptr<Battle> BattleFile::Read(std::string_view bytes, std::string& settings, std::string& error) {
  std::string_view payload;
  if (!Payload(bytes, payload, error)) return nullptr;
  BattleFileReader reader(payload);
  reader.Text("settings", settings);
  Scenario scenario;
  WalkScenario(reader, scenario);
  std::uint64_t ground = 0;
  reader.Wide("ground", ground);
  if (!reader.Good()) {
    error = "a damaged battle file: " + reader.Refusal();
    return nullptr;
  }
  auto battle = std::make_unique<Battle>(scenario);
  if (GroundChecksum(*battle) != ground) {
    error = "the ground " + scenario.heightMap + " is not the one the battle was saved on";
    return nullptr;
  }
  battle->Walk(reader);
  if (reader.Good() && !reader.AtEnd()) reader.Refuse("bytes after the battle");
  if (!reader.Good()) {
    error = "a damaged battle file: " + reader.Refusal();
    return nullptr;
  }
  return battle;
}

std::unique_ptr<Battle> BattleFile::Load(const std::string& path, std::string& settings, std::string& error) {
  std::error_code failed;
  const std::uintmax_t size = std::filesystem::file_size(path, failed);
  if (failed) {
    error = path + ": cannot read the battle file (" + failed.message() + ")";
    return nullptr;
  }
  if (size > kLargest) {
    error = path + ": not a battle file (" + std::to_string(size) + " bytes is larger than any battle)";
    return nullptr;
  }
  std::ifstream file(path, std::ios::binary);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!file.read(bytes.data(), static_cast<std::streamsize>(size))) {
    error = path + ": cannot read the battle file";
    return nullptr;
  }
  std::unique_ptr<Battle> battle = Read(bytes, settings, error);
  if (battle == nullptr) error = path + ": " + error;
  return battle;
}
