// Reads design files (TOML, with toml++): every key checked, every size bounded, the first fault
// named with its place in the file.
#include "app/setup/DesignFile.h"

#include <toml++/toml.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "app/setup/LatinHypercube.h"

namespace {

namespace fs = std::filesystem;

struct Refusal {
  toml::source_position where;
  std::string what;
};

[[noreturn]] void Refuse(const toml::node& at, std::string what) { throw Refusal{at.source().begin, std::move(what)}; }

constexpr toml::source_position kFileStart{1, 1};
constexpr std::array<std::string_view, 6> kTopKeys{"scenario", "design", "points", "replicates", "seed", "factor"};
constexpr std::array<std::string_view, 6> kFactorKeys{"key", "low", "high", "integer", "count", "levels"};

template <std::size_t N>
void CheckKeys(const toml::table& table, const std::array<std::string_view, N>& known, const std::string& where) {
  for (auto&& [key, node] : table) {
    if (std::find(known.begin(), known.end(), key.str()) != known.end()) continue;
    std::string name(key.str().substr(0, DesignFile::kLongestKey));
    throw Refusal{key.source().begin, "unknown key \"" + name + "\"" + where};
  }
}

long long Whole(const toml::node& node, const std::string& name, long long low, long long high) {
  if (!node.is_integer()) Refuse(node, name + " must be a whole number");
  const long long value = node.as_integer()->get();
  if (value < low || value > high) {
    Refuse(node, name + " is " + std::to_string(value) + "; the allowed range is " + std::to_string(low) + " to " +
                     std::to_string(high));
  }
  return value;
}

double Number(const toml::node& node, const std::string& name) {
  if (!node.is_number()) Refuse(node, name + " must be a number");
  const double value =
      node.is_integer() ? static_cast<double>(node.as_integer()->get()) : node.as_floating_point()->get();
  if (!std::isfinite(value) || std::fabs(value) > 1e9) Refuse(node, name + " must be a finite number within +-1e9");
  return value;
}

std::string Text(const toml::node& node, const std::string& name) {
  if (!node.is_string()) Refuse(node, name + " must be a string");
  return node.as_string()->get();
}

// Levels are written into the scenario as they are: whatever the scenario reader takes.
nlohmann::json Level(const toml::node& node, const std::string& name, int depth) {
  if (node.is_integer()) return node.as_integer()->get();
  if (node.is_floating_point()) return Number(node, name);
  if (node.is_boolean()) return node.as_boolean()->get();
  if (node.is_string()) return node.as_string()->get();
  if (!node.is_array() || depth > 1) {
    Refuse(node, name + " must be a number, a string, a boolean, a list of them or a list of such lists");
  }
  const toml::array& array = *node.as_array();
  if (array.size() > static_cast<std::size_t>(DesignFile::kMostLevels)) Refuse(node, name + " is too long");
  nlohmann::json list = nlohmann::json::array();
  for (std::size_t i = 0; i < array.size(); ++i) list.push_back(Level(array[i], name, depth + 1));
  return list;
}

void ReadRange(const toml::table& table, DesignFactor& factor, const std::string& name) {
  const toml::node* low = table.get("low");
  const toml::node* high = table.get("high");
  if (low == nullptr || high == nullptr) Refuse(low ? *low : *high, name + " needs both low and high");
  factor.ranged = true;
  factor.low = Number(*low, name + ".low");
  factor.high = Number(*high, name + ".high");
  if (!(factor.low < factor.high)) Refuse(*high, name + ".high must be above its low");
  if (const toml::node* integer = table.get("integer")) {
    if (!integer->is_boolean()) Refuse(*integer, name + ".integer must be true or false");
    factor.integer = integer->as_boolean()->get();
  }
  if (factor.integer && (factor.low != std::floor(factor.low) || factor.high != std::floor(factor.high))) {
    Refuse(*low, name + ": an integer factor's low and high must be whole numbers");
  }
  if (const toml::node* count = table.get("count")) {
    factor.count = static_cast<int>(Whole(*count, name + ".count", 2, DesignFile::kMostLevels));
  }
}

void ReadLevels(const toml::node& node, DesignFactor& factor, const std::string& name) {
  if (!node.is_array() || node.as_array()->empty()) Refuse(node, name + ".levels must be a list of at least one level");
  const toml::array& levels = *node.as_array();
  if (levels.size() > static_cast<std::size_t>(DesignFile::kMostLevels)) {
    Refuse(node, name + ".levels has " + std::to_string(levels.size()) + " levels; at most " +
                     std::to_string(DesignFile::kMostLevels) + " are allowed");
  }
  for (std::size_t i = 0; i < levels.size(); ++i) factor.levels.push_back(Level(levels[i], name + ".levels", 0));
}

std::string Place(const std::string& sourceName, const toml::source_position& at) {
  return sourceName + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) + ": ";
}

DesignFactor ReadFactor(const toml::node& node, std::size_t index, const std::string& sourceName) {
  std::string name = "factor " + std::to_string(index + 1);
  if (!node.is_table()) Refuse(node, name + " must be a table ([[factor]])");
  const toml::table& table = *node.as_table();
  CheckKeys(table, kFactorKeys, " in " + name);
  DesignFactor factor;
  factor.where = Place(sourceName, node.source().begin);
  const toml::node* key = table.get("key");
  if (key == nullptr) Refuse(node, name + " needs a key, the scenario key it varies (\"red.squads\")");
  factor.key = Text(*key, name + ".key");
  if (factor.key.empty() || factor.key.size() > DesignFile::kLongestKey)
    Refuse(*key, name + ".key must be 1 to 100 bytes long");
  name = "factor \"" + factor.key + "\"";
  const toml::node* levels = table.get("levels");
  const bool ranged = table.get("low") != nullptr || table.get("high") != nullptr;
  if (levels != nullptr && ranged) Refuse(*levels, name + " has both levels and low/high: give one");
  if (levels == nullptr && !ranged) Refuse(node, name + " needs low and high, or levels");
  if (levels != nullptr) {
    for (const char* rangeOnly : {"integer", "count"}) {
      if (const toml::node* misplaced = table.get(rangeOnly))
        Refuse(*misplaced, name + ": " + rangeOnly + " goes with low and high");
    }
    ReadLevels(*levels, factor, name);
  } else {
    ReadRange(table, factor, name);
  }
  return factor;
}

Design::Kind ReadKind(const toml::table& root) {
  const toml::node* node = root.get("design");
  if (node == nullptr) return Design::Kind::NearlyOrthogonal;
  const std::string kind = Text(*node, "design");
  if (kind == "factorial") return Design::Kind::Factorial;
  if (kind == "nolh") return Design::Kind::NearlyOrthogonal;
  if (kind == "lhs") return Design::Kind::LatinHypercube;
  Refuse(*node, "design must be \"factorial\", \"nolh\" or \"lhs\"");
}

void ReadFactors(const toml::table& root, Design& design, const std::string& sourceName) {
  const toml::node* node = root.get("factor");
  if (node == nullptr || !node->is_array_of_tables() || node->as_array()->empty()) {
    if (node != nullptr) Refuse(*node, "factor must be tables, each written [[factor]]");
    throw Refusal{kFileStart, "the design has no factors: add a [[factor]] table for each"};
  }
  const toml::array& factors = *node->as_array();
  if (factors.size() > static_cast<std::size_t>(DesignFile::kMostFactors)) {
    Refuse(*node, std::to_string(factors.size()) + " factors; at most " + std::to_string(DesignFile::kMostFactors) +
                      " are allowed");
  }
  for (std::size_t i = 0; i < factors.size(); ++i) {
    DesignFactor factor = ReadFactor(factors[i], i, sourceName);
    for (const DesignFactor& earlier : design.factors) {
      if (earlier.key == factor.key) Refuse(factors[i], "factor \"" + factor.key + "\" is given twice");
    }
    design.factors.push_back(std::move(factor));
  }
}

// The points the kind asks for, checked against the factors it has.
void ReadPoints(const toml::table& root, Design& design) {
  const toml::node* points = root.get("points");
  const auto factors = static_cast<int>(design.factors.size());
  if (design.kind == Design::Kind::Factorial) {
    if (points != nullptr)
      Refuse(*points, "a factorial design's points are its factors' levels combined: leave points out");
    return;
  }
  if (design.kind == Design::Kind::LatinHypercube) {
    if (points == nullptr) throw Refusal{kFileStart, "an lhs design needs points = N"};
    design.points = static_cast<int>(Whole(*points, "points", 2, DesignFile::kMostPoints));
    return;
  }
  if (factors > LatinHypercube::kMostNearlyOrthogonalFactors) {
    Refuse(*root.get("factor"), "a nolh design covers at most 29 factors, not " + std::to_string(factors));
  }
  if (points == nullptr) return;
  const int base = LatinHypercube::NearlyOrthogonalPoints(factors);
  design.points = static_cast<int>(Whole(*points, "points", base, DesignFile::kMostPoints));
  if (design.points % base != 0) {
    Refuse(*points, "points of a nolh design of " + std::to_string(factors) + " factors must be a multiple of " +
                        std::to_string(base) + " (copies of its " + std::to_string(base) + " points), not " +
                        std::to_string(design.points));
  }
}

void CheckSize(const Design& design) {
  const long long points = DesignFile::PointCount(design);
  if (points > DesignFile::kMostPoints) {
    throw Refusal{kFileStart, "the design has " + std::to_string(points) + " points; at most " +
                                  std::to_string(DesignFile::kMostPoints) + " are allowed"};
  }
  const long long battles = points * design.replicates;
  if (battles > DesignFile::kMostBattles) {
    throw Refusal{kFileStart, "the design runs " + std::to_string(battles) + " battles; at most " +
                                  std::to_string(DesignFile::kMostBattles) + " are allowed"};
  }
  // Every battle's seed is the study's seed counted on, and must stay a seed.
  if (design.seed + static_cast<unsigned long long>(battles) - 1 > std::numeric_limits<unsigned>::max()) {
    throw Refusal{kFileStart, "seed " + std::to_string(design.seed) + " with " + std::to_string(battles) +
                                  " battles runs past the last seed, 4294967295: choose a smaller seed"};
  }
}

Design ReadDesign(std::string_view text, const std::string& sourceName, const std::string& folder) {
  const toml::table root = toml::parse(text, sourceName);
  CheckKeys(root, kTopKeys, "");
  Design design;
  design.file = sourceName;
  if (const toml::node* scenario = root.get("scenario")) {
    const fs::path given(Text(*scenario, "scenario"));
    if (given.empty()) Refuse(*scenario, "scenario must name a file (leave it out for the built-in battle)");
    design.scenarioFile = (given.is_absolute() ? given : (fs::path(folder) / given).lexically_normal()).string();
  }
  design.kind = ReadKind(root);
  if (const toml::node* replicates = root.get("replicates")) {
    design.replicates = static_cast<int>(Whole(*replicates, "replicates", 1, DesignFile::kMostReplicates));
  }
  if (const toml::node* seed = root.get("seed")) {
    design.seed = static_cast<unsigned>(Whole(*seed, "seed", 0, std::numeric_limits<unsigned>::max()));
  }
  ReadFactors(root, design, sourceName);
  ReadPoints(root, design);
  CheckSize(design);
  return design;
}

std::string OneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return text;
}
}  // namespace

long long DesignFile::PointCount(const Design& design) {
  if (design.kind != Design::Kind::Factorial) {
    if (design.points > 0) return design.points;
    return LatinHypercube::NearlyOrthogonalPoints(static_cast<int>(design.factors.size()));
  }
  long long points = 1;
  for (const DesignFactor& factor : design.factors) {
    points *= factor.ranged ? factor.count : static_cast<long long>(factor.levels.size());
    if (points > kMostPoints) return points;
  }
  return points;
}

bool DesignFile::Load(const std::string& path, Design& out, std::string& error) {
  std::error_code code;
  if (!fs::is_regular_file(path, code)) {
    error = path + (fs::exists(path, code) ? ": cannot read the design file (not a file)"
                                           : ": cannot read the design file (no such file)");
    return false;
  }
  if (fs::file_size(path, code) > static_cast<std::uintmax_t>(kLargestFileBytes)) {
    error = path + ": the design file is larger than " + std::to_string(kLargestFileBytes) + " bytes, the most allowed";
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  if (!file && !file.eof()) {
    error = path + ": cannot read the design file";
    return false;
  }
  return Parse(text.str(), path, fs::path(path).parent_path().string(), out, error);
}

bool DesignFile::Parse(std::string_view text, const std::string& sourceName, const std::string& folder, Design& out,
                       std::string& error) {
  if (text.size() > static_cast<std::size_t>(kLargestFileBytes)) {
    error = sourceName + ": the design file is larger than " + std::to_string(kLargestFileBytes) +
            " bytes, the most allowed";
    return false;
  }
  try {
    out = ReadDesign(text, sourceName, folder);
    return true;
  } catch (const toml::parse_error& failure) {
    error = OneLine(Place(sourceName, failure.source().begin) + std::string(failure.description()));
  } catch (const Refusal& refusal) {
    error = OneLine(Place(sourceName, refusal.where) + refusal.what);
  }
  return false;
}
