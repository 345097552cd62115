// Reads a scenario file (TOML, with toml++) into a Scenario: every key optional, every value
// checked, the height map's header read before anything is decoded, the armies' fit checked.
#include "app/setup/ScenarioFile.h"

#include <toml++/toml.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "objects/UnitType.h"
#include "platform/FileDiagnosis.h"
#include "platform/PngPixels.h"
#include "units/ArmyLayout.h"

namespace {

namespace fs = std::filesystem;

// Thrown from deep inside the checks and caught once in Parse: the first fault found is the one
// reported.
struct Refusal {
  toml::source_position where;
  std::string what;
};

[[noreturn]] void Refuse(const toml::source_region& at, std::string what) { throw Refusal{at.begin, std::move(what)}; }

constexpr toml::source_position kFileStart{1, 1};
constexpr std::array<std::string_view, 5> kTopKeys{"name", "terrain", "red", "blue", "duel"};
constexpr std::array<std::string_view, 3> kTerrainKeys{"height_map", "low", "high"};
constexpr std::array<std::string_view, 7> kArmyKeys{"squads", "followers", "types",    "general",
                                                    "squad",  "general_x", "general_z"};
constexpr std::array<std::string_view, 5> kSquadKeys{"x", "z", "type", "followers", "formation"};
constexpr std::array<std::string_view, 4> kFormationNames{"", "block", "wedge", "vee"};
// Farther than any map reaches: the map's own edges are checked once its size is known.
constexpr double kFarthestPlace = 100000.0;
constexpr std::array<std::string_view, 2> kDuelKeys{"type_advantage", "formation_advantage"};
constexpr std::array<std::string_view, 2> kArmyNames{"red", "blue"};  // by team code
constexpr std::size_t kLongestQuote = 40;

// User text as it may appear inside an error: quoted, on one line, and short however long it is.
std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size() && i < kLongestQuote; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    quoted += c < 0x20 || c == 0x7f ? '?' : text[i];
  }
  return quoted + (text.size() > kLongestQuote ? "...\"" : "\"");
}

std::string OneLine(std::string text) {
  std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return text;
}

template <typename Number>
std::string Text(Number value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

std::string TypeName(const toml::node& node) {
  switch (node.type()) {
    case toml::node_type::table: return "a table";
    case toml::node_type::array: return "an array";
    case toml::node_type::string: return "a string";
    case toml::node_type::integer: return "an integer";
    case toml::node_type::floating_point: return "a floating-point number";
    case toml::node_type::boolean: return "a boolean";
    default: return "a date or time";
  }
}

[[noreturn]] void RefuseType(const toml::node& node, const std::string& name, std::string_view expected) {
  Refuse(node.source(), name + " must be " + std::string(expected) + ", not " + TypeName(node));
}

std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

template <std::size_t N>
std::string Suggestion(std::string_view key, const std::array<std::string_view, N>& known) {
  constexpr std::size_t kLikelyTypo = 2;
  for (std::string_view candidate : known) {
    if (key.size() < 64 && EditDistance(key, candidate) <= kLikelyTypo) {
      return " (did you mean " + Quote(candidate) + "?)";
    }
  }
  return "";
}

// A typo must never pass silently, so any key the reader does not know is refused.
template <std::size_t N>
void CheckKeys(const toml::table& table, const std::array<std::string_view, N>& known, std::string_view tableName) {
  for (auto&& [key, node] : table) {
    if (std::find(known.begin(), known.end(), key.str()) != known.end()) continue;
    const std::string where = tableName.empty() ? "" : " in [" + std::string(tableName) + "]";
    const std::string what = tableName.empty() && node.is_table() ? "unknown table " : "unknown key ";
    Refuse(key.source(), what + Quote(key.str()) + where + Suggestion(key.str(), known));
  }
}

const toml::table& AsTable(const toml::node& node, const std::string& name) {
  if (!node.is_table()) RefuseType(node, name, "a table");
  return *node.as_table();
}

const toml::array& AsArray(const toml::node& node, const std::string& name) {
  if (!node.is_array()) RefuseType(node, name, "an array");
  return *node.as_array();
}

std::string ReadString(const toml::node& node, const std::string& name) {
  if (!node.is_string()) RefuseType(node, name, "a string");
  return node.as_string()->get();
}

int ReadInteger(const toml::node& node, const std::string& name, int low, int high) {
  if (!node.is_integer()) RefuseType(node, name, "an integer");
  const std::int64_t value = node.as_integer()->get();
  if (value < low || value > high) {
    Refuse(node.source(), name + " is " + Text(value) + "; the allowed range is " + Text(low) + " to " + Text(high));
  }
  return static_cast<int>(value);
}

// Integers are taken as numbers too: "high = 10" means 10.0.
double ReadNumber(const toml::node& node, const std::string& name, double bound) {
  if (!node.is_number()) RefuseType(node, name, "a number");
  const double value = node.is_integer() ? static_cast<double>(node.as_integer()->get()) : node.as_floating_point()->get();
  if (!std::isfinite(value) || value < -bound || value > bound) {
    Refuse(node.source(), name + " is " + Text(value) + "; the allowed range is " + Text(-bound) + " to " + Text(bound));
  }
  return value;
}

int ReadTypeName(const toml::node& node, const std::string& name) {
  const std::string text = ReadString(node, name);
  const auto found = std::find(ArmySetup::kFollowerTypeNames.begin(), ArmySetup::kFollowerTypeNames.end(), text);
  if (found == ArmySetup::kFollowerTypeNames.end()) {
    Refuse(node.source(), name + " is " + Quote(text) + "; it must be one of \"soldier\", \"archer\", \"berserker\"");
  }
  return static_cast<int>(found - ArmySetup::kFollowerTypeNames.begin());
}

std::vector<int> ReadTypes(const toml::node& node, const std::string& name) {
  const toml::array& array = AsArray(node, name);
  if (array.empty()) Refuse(node.source(), name + " must name at least one type");
  // More names than squads could never be used.
  if (array.size() > static_cast<std::size_t>(ArmySetup::kMostSquads)) {
    Refuse(node.source(), name + " has " + Text(array.size()) + " names; at most " + Text(ArmySetup::kMostSquads) +
                              " are allowed");
  }
  std::vector<int> types;
  for (std::size_t i = 0; i < array.size(); ++i) {
    types.push_back(ReadTypeName(array[i], name + "[" + Text(i) + "]"));
  }
  return types;
}

const toml::array& SizedArray(const toml::node& node, const std::string& name, std::size_t size, const char* what) {
  const toml::array& array = AsArray(node, name);
  if (array.size() != size) {
    Refuse(node.source(), name + " must have " + Text(size) + " " + what + ", not " + Text(array.size()));
  }
  return array;
}

template <std::size_t N>
void ReadGrid(const toml::node& node, const std::string& name, std::array<std::array<float, N>, N>& grid) {
  const toml::array& rows = SizedArray(node, name, N, "rows");
  for (std::size_t r = 0; r < N; ++r) {
    const std::string rowName = name + "[" + Text(r) + "]";
    const toml::array& row = SizedArray(rows[r], rowName, N, "numbers");
    for (std::size_t c = 0; c < N; ++c) {
      const double value = ReadNumber(row[c], rowName + "[" + Text(c) + "]", ScenarioFile::kAdvantageBound);
      grid[r][c] = static_cast<float>(value);
    }
  }
}

// Where the values the later checks refer to stand in the file; start of file when left out.
struct Places {
  toml::source_region heightMap{kFileStart, kFileStart, {}};
  bool heightMapGiven = false;
  std::array<toml::source_region, 2> squads{{{kFileStart, kFileStart, {}}, {kFileStart, kFileStart, {}}}};
  // Each placed squad's table, by side, in order; and each General's place when given.
  std::array<std::vector<toml::source_region>, 2> placed;
  std::array<toml::source_region, 2> generals{{{kFileStart, kFileStart, {}}, {kFileStart, kFileStart, {}}}};
};

void ReadName(const toml::table& root, Scenario& scenario) {
  const toml::node* node = root.get("name");
  if (node == nullptr) return;
  scenario.name = ReadString(*node, "name");
  if (scenario.name.size() > ScenarioFile::kLongestName) {
    Refuse(node->source(), "name is " + Text(scenario.name.size()) + " bytes long; at most " +
                               Text(ScenarioFile::kLongestName) + " are allowed");
  }
}

void ReadHeights(const toml::table& terrain, Scenario& scenario) {
  const toml::node* low = terrain.get("low");
  const toml::node* high = terrain.get("high");
  const double lowValue = low ? ReadNumber(*low, "terrain.low", ScenarioFile::kHeightBound) : scenario.low;
  const double highValue = high ? ReadNumber(*high, "terrain.high", ScenarioFile::kHeightBound) : scenario.high;
  if (lowValue > highValue) {
    Refuse((high ? high : low)->source(),
           "terrain.low (" + Text(lowValue) + ") must not be above terrain.high (" + Text(highValue) + ")");
  }
  scenario.low = static_cast<float>(lowValue);
  scenario.high = static_cast<float>(highValue);
}

void ReadTerrain(const toml::table& root, const fs::path& folder, Scenario& scenario, Places& places) {
  const toml::node* node = root.get("terrain");
  if (node == nullptr) return;
  const toml::table& terrain = AsTable(*node, "[terrain]");
  CheckKeys(terrain, kTerrainKeys, "terrain");
  if (const toml::node* map = terrain.get("height_map")) {
    const std::string given = ReadString(*map, "terrain.height_map");
    if (given.empty()) Refuse(map->source(), "terrain.height_map must name a file");
    const fs::path path(given);
    scenario.heightMap = (path.is_absolute() ? path : (folder / path).lexically_normal()).string();
    places.heightMap = map->source();
    places.heightMapGiven = true;
  }
  ReadHeights(terrain, scenario);
}

// Beside the scenario file, as the height map is; the script itself is checked before the battle.
std::string ReadGeneral(const toml::node& node, const std::string& name, const fs::path& folder) {
  const std::string given = ReadString(node, name);
  if (given.empty()) Refuse(node.source(), name + " must name a strategy script (leave it out for the built-in General)");
  const fs::path path(given);
  return (path.is_absolute() ? path : (folder / path).lexically_normal()).string();
}

int ReadFormation(const toml::node& node, const std::string& name) {
  const std::string given = ReadString(node, name);
  for (std::size_t shape = 1; shape < kFormationNames.size(); ++shape) {
    if (given == kFormationNames[shape]) return static_cast<int>(shape);
  }
  Refuse(node.source(), name + " is " + Quote(given) + "; block, wedge or vee are known");
}

PlacedSquad ReadSquad(const toml::node& node, const std::string& name) {
  const toml::table& table = AsTable(node, "[[" + name + "]]");
  CheckKeys(table, kSquadKeys, name);
  PlacedSquad squad;
  for (const char* key : {"x", "z", "type"}) {
    if (table.get(key) == nullptr) Refuse(node.source(), "[[" + name + "]] needs " + key);
  }
  squad.x = static_cast<float>(ReadNumber(*table.get("x"), name + ".x", kFarthestPlace));
  squad.z = static_cast<float>(ReadNumber(*table.get("z"), name + ".z", kFarthestPlace));
  squad.type = ReadTypeName(*table.get("type"), name + ".type");
  if (const toml::node* followers = table.get("followers")) {
    squad.followers = ReadInteger(*followers, name + ".followers", 1, ArmySetup::kMostFollowers);
  }
  if (const toml::node* formation = table.get("formation"))
    squad.formation = ReadFormation(*formation, name + ".formation");
  return squad;
}

// Placed squads stand for squads, types and followers: the file may give one or the other.
void ReadPlacedSquads(const toml::table& table, const std::string& name, ArmySetup& army,
                      std::vector<toml::source_region>& places) {
  const toml::node* node = table.get("squad");
  if (node == nullptr) return;
  for (const char* key : {"squads", "types", "followers"}) {
    if (const toml::node* other = table.get(key)) {
      Refuse(other->source(),
             name + "." + key + " cannot stand beside [[" + name + ".squad]] tables, which place every squad");
    }
  }
  const toml::array& squads = AsArray(*node, name + ".squad");
  if (squads.size() > static_cast<std::size_t>(ArmySetup::kMostSquads)) {
    Refuse(node->source(),
           name + " places " + Text(squads.size()) + " squads; at most " + Text(ArmySetup::kMostSquads));
  }
  for (const toml::node& squad : squads) {
    army.placed.push_back(ReadSquad(squad, name + ".squad"));
    army.memberTypes.push_back(army.placed.back().type);
    places.push_back(squad.source());
  }
  army.squads = static_cast<int>(army.placed.size());
}

void ReadGeneralPlace(const toml::table& table, const std::string& name, ArmySetup& army, toml::source_region& at) {
  const toml::node* x = table.get("general_x");
  const toml::node* z = table.get("general_z");
  if (x == nullptr && z == nullptr) return;
  if (x == nullptr || z == nullptr) Refuse((x ? x : z)->source(), name + ".general_x and general_z go together");
  army.generalX = static_cast<float>(ReadNumber(*x, name + ".general_x", kFarthestPlace));
  army.generalZ = static_cast<float>(ReadNumber(*z, name + ".general_z", kFarthestPlace));
  army.generalPlaced = true;
  at = x->source();
}

void ReadArmy(const toml::table& root, int team, const fs::path& folder, Scenario& scenario, Places& places) {
  const std::string name(kArmyNames[static_cast<std::size_t>(team)]);
  const toml::node* node = root.get(name);
  if (node == nullptr) return;
  const toml::table& table = AsTable(*node, "[" + name + "]");
  CheckKeys(table, kArmyKeys, name);
  ArmySetup& army = scenario.armies[static_cast<std::size_t>(team)];
  if (const toml::node* squads = table.get("squads")) {
    army.squads = ReadInteger(*squads, name + ".squads", 0, ArmySetup::kMostSquads);
    places.squads[static_cast<std::size_t>(team)] = squads->source();
  }
  if (const toml::node* followers = table.get("followers")) {
    army.followers = ReadInteger(*followers, name + ".followers", 1, ArmySetup::kMostFollowers);
  }
  if (const toml::node* types = table.get("types")) {
    army.memberTypes = ReadTypes(*types, name + ".types");
  }
  if (const toml::node* general = table.get("general")) army.general = ReadGeneral(*general, name + ".general", folder);
  ReadPlacedSquads(table, name, army, places.placed[static_cast<std::size_t>(team)]);
  if (!places.placed[static_cast<std::size_t>(team)].empty()) {
    places.squads[static_cast<std::size_t>(team)] = places.placed[static_cast<std::size_t>(team)].front();
  }
  ReadGeneralPlace(table, name, army, places.generals[static_cast<std::size_t>(team)]);
}

void ReadDuel(const toml::table& root, Scenario& scenario) {
  const toml::node* node = root.get("duel");
  if (node == nullptr) return;
  const toml::table& duel = AsTable(*node, "[duel]");
  CheckKeys(duel, kDuelKeys, "duel");
  if (const toml::node* types = duel.get("type_advantage")) {
    ReadGrid(*types, "duel.type_advantage", scenario.duel.typeAdvantage);
  }
  if (const toml::node* formations = duel.get("formation_advantage")) {
    ReadGrid(*formations, "duel.formation_advantage", scenario.duel.formationAdvantage);
  }
}

// The smallest side in one direction on which an army's first row stands, the other side ample.
int SmallestSide(bool width) {
  constexpr int kAmple = ScenarioFile::kLargestMapSide;
  int side = 1;
  while (side < kAmple && ArmyLayout::SquadsThatFit(width ? side : kAmple, width ? kAmple : side) == 0) ++side;
  return side;
}

std::string SizeText(int width, int depth) { return Text(width) + " x " + Text(depth); }

// Only the header is read until the size is known to be sane; then a full decode proves the file
// whole, so that the battle never starts on a map that cannot load.
std::pair<int, int> CheckHeightMap(const std::string& path, const toml::source_region& at) {
  const std::string name = "terrain.height_map: " + path;
  std::error_code code;
  if (!fs::is_regular_file(path, code)) {
    Refuse(at, name + (fs::exists(path, code) ? " cannot be read (not a file)" : " cannot be read (no such file)"));
  }
  int width = 0;
  int depth = 0;
  if (!PngPixels::ReadSize(path, width, depth)) Refuse(at, name + " is not a PNG image");
  constexpr int kMost = ScenarioFile::kLargestMapSide;
  if (width > kMost || depth > kMost) {
    Refuse(at, name + " is " + SizeText(width, depth) + " pixels; at most " + SizeText(kMost, kMost) + " are allowed");
  }
  const auto bytes = fs::file_size(path, code);
  if (code || bytes > static_cast<std::uintmax_t>(ScenarioFile::kLargestMapBytes)) {
    Refuse(at, name + " is larger than " + Text(ScenarioFile::kLargestMapBytes) + " bytes, the most allowed");
  }
  PngRaw image;
  if (!PngPixels::LoadRaw(path, image)) Refuse(at, name + " is a damaged PNG image");
  return {width, depth};
}

// A file without terrain.height_map takes the built-in map, which a run from another folder may
// not find: the user is told where it was looked for, not about a key the file does not have.
void CheckBuiltInMap(const std::string& path) {
  std::error_code code;
  if (fs::is_regular_file(path, code)) return;
  Refuse({kFileStart, kFileStart, {}},
         "no terrain.height_map is given and the built-in map " + FileDiagnosis::DescribeUnreadableImage(path) +
             " cannot be read: start from the project root, install battlesim or give terrain.height_map");
}

// Only an army with squads needs room for them: Generals alone stand anywhere on the ground.
void CheckFit(const Scenario& scenario, std::pair<int, int> size, const Places& places) {
  const int fit = ArmyLayout::SquadsThatFit(size.first, size.second);
  const bool anySquads = scenario.armies[0].squads > 0 || scenario.armies[1].squads > 0;
  if (fit == 0 && anySquads) {
    Refuse(places.heightMap, "terrain.height_map: " + scenario.heightMap + " is " + SizeText(size.first, size.second) +
                                 " pixels, too small for an army's first row (at least " +
                                 SizeText(SmallestSide(true), SmallestSide(false)) +
                                 ") unless both armies have squads = 0");
  }
  for (std::size_t team = 0; team < kArmyNames.size(); ++team) {
    const int squads = scenario.armies[team].squads;
    if (squads > fit) {
      Refuse(places.squads[team], std::string(kArmyNames[team]) + ": " + Text(squads) +
                                      " squads do not fit on this terrain's half (" +
                                      SizeText(size.first, size.second) + "): at most " + Text(fit) + " fit");
    }
  }
}

// Each army keeps to its own half: red stands at positive z, blue at negative, and the line
// between belongs to neither.
void CheckPlace(float x, float z, int team, std::pair<int, int> size, const toml::source_region& at,
                const std::string& what) {
  const float minX = static_cast<float>(-(size.first / 2));
  const float maxX = minX + static_cast<float>(size.first - 1);
  const float maxZ = static_cast<float>(size.second - size.second / 2);
  const float minZ = maxZ - static_cast<float>(size.second - 1);
  const std::string where = "(" + Text(x) + ", " + Text(z) + ")";
  if (x < minX || x > maxX || z < minZ || z > maxZ) {
    Refuse(at, what + " at " + where + " is off the map, which runs from x " + Text(minX) + " to " + Text(maxX) +
                   " and z " + Text(minZ) + " to " + Text(maxZ));
  }
  const bool ownHalf = team == Team::Red ? z > 0.0f : z < 0.0f;
  if (!ownHalf)
    Refuse(at, what + " at " + where + " stands outside its army's half (" +
                   (team == Team::Red ? "z above 0" : "z below 0") + ")");
}

void CheckPlaces(const Scenario& scenario, std::pair<int, int> size, const Places& places) {
  for (std::size_t team = 0; team < kArmyNames.size(); ++team) {
    const ArmySetup& army = scenario.armies[team];
    const std::string side(kArmyNames[team]);
    for (std::size_t i = 0; i < army.placed.size(); ++i) {
      CheckPlace(army.placed[i].x, army.placed[i].z, static_cast<int>(team), size, places.placed[team][i],
                 side + " squad " + Text(i + 1));
    }
    if (army.generalPlaced) {
      CheckPlace(army.generalX, army.generalZ, static_cast<int>(team), size, places.generals[team],
                 side + "'s General");
    }
  }
}

Scenario ReadScenario(std::string_view text, const std::string& sourceName, const fs::path& folder) {
  const toml::table root = toml::parse(text, sourceName);
  CheckKeys(root, kTopKeys, "");
  Scenario scenario;
  Places places;
  ReadName(root, scenario);
  ReadTerrain(root, folder, scenario, places);
  ReadArmy(root, Team::Red, folder, scenario, places);
  ReadArmy(root, Team::Blue, folder, scenario, places);
  ReadDuel(root, scenario);
  if (!places.heightMapGiven) CheckBuiltInMap(scenario.heightMap);
  const std::pair<int, int> size = CheckHeightMap(scenario.heightMap, places.heightMap);
  CheckFit(scenario, size, places);
  CheckPlaces(scenario, size, places);
  return scenario;
}

std::string At(const std::string& sourceName, const toml::source_position& where) {
  return sourceName + ":" + Text(where.line) + ":" + Text(where.column) + ": ";
}

std::string TooLarge(const std::string& sourceName) {
  return sourceName + ": the scenario file is larger than " + Text(ScenarioFile::kLargestFileBytes) +
         " bytes, the most allowed";
}

// The whole file, or an error naming it; never more than one byte past the allowed size is read.
std::optional<std::string> ReadFile(const std::string& path, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = path + ": cannot read the scenario file (" + std::strerror(errno) + ")";
    return std::nullopt;
  }
  std::string text;
  char chunk[4096];
  std::size_t count = 0;
  while (text.size() <= static_cast<std::size_t>(ScenarioFile::kLargestFileBytes) &&
         (count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    text.append(chunk, count);
  }
  const int failure = std::ferror(file) != 0 ? errno : 0;
  std::fclose(file);
  if (failure != 0) {
    error = path + ": cannot read the scenario file (" + std::strerror(failure) + ")";
    return std::nullopt;
  }
  return text;
}

}  // namespace

bool ScenarioFile::Load(const std::string& path, Scenario& out, std::string& error) {
  std::string readError;
  const std::optional<std::string> text = ReadFile(path, readError);
  if (!text) {
    error = OneLine(readError);
    return false;
  }
  return Parse(*text, path, fs::path(path).parent_path(), out, error);
}

bool ScenarioFile::Parse(std::string_view text, const std::string& sourceName, const fs::path& folder, Scenario& out,
                         std::string& error) {
  if (text.size() > static_cast<std::size_t>(kLargestFileBytes)) {
    error = OneLine(TooLarge(sourceName));
    return false;
  }
  try {
    out = ReadScenario(text, sourceName, folder);
    return true;
  } catch (const toml::parse_error& failure) {
    error = OneLine(At(sourceName, failure.source().begin) + std::string(failure.description()));
  } catch (const Refusal& refusal) {
    error = OneLine(At(sourceName, refusal.where) + refusal.what);
  }
  return false;
}
