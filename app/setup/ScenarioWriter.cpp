// Placed squads into a scenario file, through toml++.
#include "app/setup/ScenarioWriter.h"

#include <toml++/toml.h>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
constexpr std::array<const char*, 2> kSides{"red", "blue"};
constexpr std::array<const char*, 4> kFormationNames{"", "block", "wedge", "vee"};

// Whole numbers stay integers in the file, so that it reads as a user would write it.
void PutNumber(toml::table& table, const char* key, float value) {
  const auto whole = static_cast<long long>(value);
  if (static_cast<float>(whole) == value) {
    table.insert_or_assign(key, whole);
  } else {
    table.insert_or_assign(key, static_cast<double>(value));
  }
}

toml::table SquadTable(const PlacedSquad& squad) {
  toml::table table;
  PutNumber(table, "x", squad.x);
  PutNumber(table, "z", squad.z);
  table.insert_or_assign("type", std::string(ArmySetup::kFollowerTypeNames[static_cast<std::size_t>(squad.type)]));
  table.insert_or_assign("followers", squad.followers);
  if (squad.formation > 0 && squad.formation < static_cast<int>(kFormationNames.size())) {
    table.insert_or_assign("formation", std::string(kFormationNames[static_cast<std::size_t>(squad.formation)]));
  }
  return table;
}

void PutArmy(toml::table& root, const char* side, const ArmySetup& army) {
  if (!root.contains(side) || !root[side].is_table()) root.insert_or_assign(side, toml::table{});
  toml::table& table = *root[side].as_table();
  for (const char* key : {"squads", "types", "followers", "squad", "general_x", "general_z"}) table.erase(key);
  if (army.generalPlaced) {
    PutNumber(table, "general_x", army.generalX);
    PutNumber(table, "general_z", army.generalZ);
  }
  if (army.placed.empty()) {
    table.insert_or_assign("squads", 0);
    return;
  }
  toml::array squads;
  for (const PlacedSquad& squad : army.placed) squads.push_back(SquadTable(squad));
  table.insert_or_assign("squad", std::move(squads));
}
}  // namespace

bool ScenarioWriter::Save(const std::string& path, const Scenario& scenario, std::string& error) {
  toml::table root;
  std::error_code code;
  if (std::filesystem::exists(path, code)) {
    try {
      root = toml::parse_file(path);
    } catch (const toml::parse_error& failure) {
      error = path + ": not saved, the file holds no scenario to keep (" + std::string(failure.description()) + ")";
      return false;
    }
  }
  for (std::size_t side = 0; side < kSides.size(); ++side) PutArmy(root, kSides[side], scenario.armies[side]);
  std::ostringstream text;
  text << root << "\n";
  std::ofstream file(path, std::ios::trunc);
  if (!(file << text.str()) || !file.flush()) {
    error = path + ": cannot be written";
    return false;
  }
  return true;
}
