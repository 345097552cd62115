// Harness bodies: decode, load as terrain, query and search, read scenario files and raise their
// armies, checking what callers rely on.
#include "tests/fuzz/FuzzTargets.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <list>
#include <sstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

#include "app/setup/DesignFile.h"
#include "app/setup/ScenarioFile.h"
#include "app/setup/UnitCount.h"
#include "app/study/DesignPlan.h"
#include "app/study/ShardMerge.h"
#include "app/tournament/TournamentMerge.h"
#include "app/verify/BattleVerifier.h"
#include "battle/Battle.h"
#include "battle/BattleFile.h"
#include "battle/BattleFingerprint.h"
#include "battle/Scenario.h"
#include "math/Vector3.h"
#include "objects/GameObject.h"
#include "objects/UnitType.h"
#include "platform/DebugChannel.h"
#include "platform/PngPixels.h"
#include "strategy/StrategyScript.h"
#include "terrain/PathFinder.h"
#include "terrain/Terrain.h"

namespace {

// Larger images are only decoded: building a terrain of millions of points per input would
// starve the fuzzer without reaching any code that smaller maps miss.
constexpr long long kMaxTerrainPoints = 1LL << 20;
// Route searches visit every cell in the worst case; small maps keep each input quick.
constexpr long long kMaxSearchedPoints = 48 * 48;
constexpr float kLow = 0.0f;
constexpr float kHigh = 10.0f;
constexpr float kOffGridHeight = 5.0f;
// Blends of heights may round a hair past the range ends.
constexpr float kBlendSlack = 1.0e-4f;
constexpr float kPathWeight = 1.1f;
constexpr int kMaxRoutePoints = 300;

void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
  }
}

void DropText(std::string_view /*text*/) {}

long long Points(int width, int height) { return static_cast<long long>(width) * height; }

// A copy whose complete chunks carry correct checksums. Mutated bytes almost never do, and the
// decode refuses a bad checksum on the first header it meets: mending them lets the fuzzer reach
// the header values, the colour conversions and the image data behind them.
std::vector<std::uint8_t> WithChecksumsMended(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kSignature = 8;
  constexpr std::size_t kFraming = 12;  // length, type and checksum
  std::vector<std::uint8_t> bytes(data, data + size);
  std::size_t offset = kSignature;
  while (size >= offset + kFraming) {
    const std::size_t length = (std::size_t{bytes[offset]} << 24) | (std::size_t{bytes[offset + 1]} << 16) |
                               (std::size_t{bytes[offset + 2]} << 8) | bytes[offset + 3];
    if (length > size - offset - kFraming) {
      break;
    }
    const auto crc = static_cast<std::uint32_t>(crc32(0, &bytes[offset + 4], static_cast<uInt>(length + 4)));
    for (int i = 0; i < 4; ++i) {
      bytes[offset + 8 + length + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    }
    offset += length + kFraming;
  }
  return bytes;
}

void CheckDecoded(const PngRaw& raw) {
  Require(raw.width > 0 && raw.height > 0, "decoded image has a size");
  Require(raw.components >= 1 && raw.components <= 4, "1 to 4 bytes per pixel");
  Require(static_cast<long long>(raw.pixels.size()) == Points(raw.width, raw.height) * raw.components,
          "pixel bytes match the size");
}

// World coordinates of grid point (col, row), by the inverse of the terrain's query formula.
int WorldX(const Terrain& terrain, int col) { return col - terrain.width / 2; }
int WorldZ(const Terrain& terrain, int row) { return terrain.depth - terrain.depth / 2 - row; }

void CheckEmptyTerrain(Terrain& terrain) {
  Require(terrain.width == 0 && terrain.depth == 0 && terrain.Heights().empty(), "refused map leaves terrain empty");
  Require(terrain.Scale(kLow, kHigh) == -1, "empty terrain refuses to scale");
  Require(terrain.HeightAt(0, 0) == 0.0f, "empty terrain is at height 0");
  Require(terrain.ClimbCost(0, 0, 1, 1) == 0.0f, "empty terrain costs nothing");
  Require(terrain.GridPoint(3, -2).y == 0.0f, "empty terrain grid point at height 0");
  terrain.SetColour(0, 0, 1.0f, 0.0f, 0.0f);
  terrain.ComputeNormals();
  Require(terrain.colours.empty() && terrain.normals.empty(), "empty terrain stays empty");
  PathFinder finder(terrain);
  finder.FindPath(0, 0, 1, 1, kPathWeight);
  Require(finder.Status() == PathFinder::kNoRoute, "no route over an empty terrain");
}

void CheckScaledHeights(const Terrain& terrain) {
  float lowest = std::numeric_limits<float>::max();
  float highest = std::numeric_limits<float>::lowest();
  for (float height : terrain.Heights()) {
    Require(height >= kLow && height <= kHigh, "scaled heights within the range");
    lowest = std::fmin(lowest, height);
    highest = std::fmax(highest, height);
  }
  Require(lowest == kLow, "lowest point at the low end");
  Require(highest == kHigh || highest == kLow, "highest point at the high end unless flat");
}

void CheckNormals(const Terrain& terrain) {
  Require(terrain.normals.size() == terrain.Heights().size() * 3, "one normal per point");
  for (std::size_t i = 0; i < terrain.normals.size(); i += 3) {
    const Vector3 normal(terrain.normals[i], terrain.normals[i + 1], terrain.normals[i + 2]);
    Require(std::isfinite(normal.x) && std::isfinite(normal.y) && std::isfinite(normal.z), "finite normals");
    Require(normal.y > 0.0f, "normals face up");
    Require(std::fabs(normal.Length() - 1.0f) < 1e-3f, "unit normals");
  }
}

void CheckGridPointQueries(const Terrain& terrain, int col, int row) {
  const int x = WorldX(terrain, col);
  const int z = WorldZ(terrain, row);
  const float height = terrain.Heights()[static_cast<std::size_t>(row) * terrain.width + col];
  Require(terrain.HeightAt(x, z) == height, "grid point height read back");
  const Vector3 point = terrain.GridPoint(x, z);
  Require(point.x == static_cast<float>(x) && point.y == height && point.z == static_cast<float>(z), "grid point");
  const float off = terrain.HeightAt(x + terrain.width, z);
  Require(off == kOffGridHeight, "off the grid to the right");
  const float rise = height - terrain.HeightAt(x + 1, z - 1);
  Require(terrain.ClimbCost(x + 1, z - 1, x, z) == (rise < 0.0f ? 0.0f : 5.0f * rise), "climb cost");
  const float smooth = terrain.InterpolatedHeight(static_cast<float>(x) + 0.25f, static_cast<float>(z) - 0.5f);
  Require(smooth >= kLow - kBlendSlack && smooth <= kHigh + kBlendSlack, "interpolated height within the range");
}

void CheckQueries(Terrain& terrain) {
  const int lastCol = terrain.width - 1;
  const int lastRow = terrain.depth - 1;
  const int corners[5][2] = {{0, 0}, {lastCol, 0}, {0, lastRow}, {lastCol, lastRow}, {lastCol / 2, lastRow / 2}};
  for (const auto& corner : corners) {
    CheckGridPointQueries(terrain, corner[0], corner[1]);
  }
  constexpr int kExtreme = std::numeric_limits<int>::max();
  const int extremes[4][2] = {{kExtreme, 0}, {-kExtreme - 1, 0}, {0, kExtreme}, {0, -kExtreme - 1}};
  for (const auto& point : extremes) {
    Require(terrain.HeightAt(point[0], point[1]) == kOffGridHeight, "far points are off the grid");
    terrain.SetColour(point[0], point[1], 1.0f, 1.0f, 1.0f);
  }
  const float inputs[] = {1.0e12f, -1.0e12f, std::numeric_limits<float>::infinity(), 0.5f};
  for (float value : inputs) {
    const float height = terrain.InterpolatedHeight(value, -value);
    Require(!(height < kLow - kBlendSlack) && !(height > kHigh + kBlendSlack), "interpolated height stays in range");
  }
}

void CheckRoute(const std::list<Vector3>& route, int startX, int startZ, int goalX, int goalZ) {
  if (route.empty()) {
    return;  // longer than the route limit
  }
  Require(route.size() <= static_cast<std::size_t>(kMaxRoutePoints) + 1, "route within its limit");
  Require(route.front().x == static_cast<float>(startX) && route.front().z == static_cast<float>(startZ),
          "route starts at the start");
  Require(route.back().x == static_cast<float>(goalX) && route.back().z == static_cast<float>(goalZ),
          "route ends at the goal");
  const Vector3* previous = nullptr;
  for (const Vector3& point : route) {
    if (previous != nullptr) {
      const float dx = std::fabs(point.x - previous->x);
      const float dz = std::fabs(point.z - previous->z);
      Require(dx <= 1.0f && dz <= 1.0f && dx + dz > 0.0f, "route moves one cell at a time");
    }
    previous = &point;
  }
}

void Search(PathFinder& finder, int startX, int startZ, int goalX, int goalZ) {
  finder.FindPath(startX, startZ, goalX, goalZ, kPathWeight);
  std::list<Vector3> route;
  finder.BuildPath(route);
  Require(finder.Status() != PathFinder::kSearching, "the search ends");
  if (finder.Status() == PathFinder::kNoRoute) {
    Require(route.empty(), "no route leaves the list alone");
    return;
  }
  CheckRoute(route, startX, startZ, goalX, goalZ);
}

// Start and goal come from the input itself, so the fuzzer steers them along with the map.
unsigned Mix(const std::uint8_t* data, std::size_t size) {
  unsigned hash = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) {
    hash = (hash ^ data[i]) * 16777619u;
  }
  return hash;
}

void SearchSmallMap(Terrain& terrain, unsigned seed) {
  if (Points(terrain.width, terrain.depth) > kMaxSearchedPoints) {
    return;
  }
  // The finder's cells are centred: col = x + W/2, row = z + H/2.
  const int halfW = terrain.width / 2;
  const int halfH = terrain.depth / 2;
  const int startX = static_cast<int>(seed % static_cast<unsigned>(terrain.width)) - halfW;
  const int startZ = static_cast<int>((seed >> 8) % static_cast<unsigned>(terrain.depth)) - halfH;
  const int goalX = static_cast<int>((seed >> 16) % static_cast<unsigned>(terrain.width)) - halfW;
  const int goalZ = static_cast<int>((seed >> 24) % static_cast<unsigned>(terrain.depth)) - halfH;
  PathFinder finder(terrain);
  Search(finder, startX, startZ, goalX, goalZ);
  Search(finder, 1 - halfW, 1 - halfH, halfW - 2, halfH - 2);
  Search(finder, -halfW - 3, 0, goalX, goalZ);
}

}  // namespace

namespace {

FuzzOutcome DecodeChecked(const std::uint8_t* data, std::size_t size) {
  PngRaw raw;
  FuzzOutcome outcome;
  outcome.loaded = PngPixels::LoadRawFromMemory(data, size, raw);
  if (outcome.loaded) {
    CheckDecoded(raw);
  } else {
    Require(raw.width == 0 && raw.height == 0 && raw.pixels.empty(), "a refused image leaves the output alone");
  }
  outcome.width = raw.width;
  outcome.height = raw.height;
  outcome.components = raw.components;
  return outcome;
}

}  // namespace

FuzzOutcome DecodePngBytes(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> mended = WithChecksumsMended(data, size);
  DecodeChecked(mended.data(), mended.size());
  return DecodeChecked(data, size);
}

FuzzOutcome LoadHeightMapBytes(const std::uint8_t* data, std::size_t size) {
  DebugChannel::SetSink(DropText);
  const std::vector<std::uint8_t> mended = WithChecksumsMended(data, size);
  PngRaw image;
  Terrain terrain;
  FuzzOutcome outcome;
  if (!PngPixels::LoadRawFromMemory(mended.data(), mended.size(), image)) {
    CheckEmptyTerrain(terrain);
    return outcome;
  }
  outcome.components = image.components;
  if (Points(image.width, image.height) > kMaxTerrainPoints) {
    return outcome;
  }
  Require(terrain.LoadPixels(image, true) == 0, "a decoded image loads as terrain");
  Require(terrain.width == image.width && terrain.depth == image.height, "terrain takes the image size");
  Require(terrain.Scale(kLow, kHigh) == 0, "a loaded terrain scales");
  CheckScaledHeights(terrain);
  CheckNormals(terrain);
  CheckQueries(terrain);
  SearchSmallMap(terrain, Mix(data, size));
  outcome.loaded = true;
  outcome.width = terrain.width;
  outcome.height = terrain.depth;
  return outcome;
}

namespace {

// Raising more is what the battle benchmarks do; here it would only slow every input down.
constexpr long long kMostRaisedUnits = 3000;
constexpr std::uint32_t kFramesRun = 3;
constexpr std::uint32_t kFrameMs = 16;
constexpr const char* kScenarioName = "fuzz.toml";

void CheckRefusal(const std::string& error, const Scenario& untouched) {
  Require(error.rfind(std::string(kScenarioName) + ":", 0) == 0, "a refusal names the file first");
  Require(error.find('\n') == std::string::npos && error.find('\r') == std::string::npos, "a refusal is one line");
  Require(untouched.name == "untouched" && untouched.armies[0].squads == 5, "a refused file leaves the scenario alone");
}

bool InRange(float value, double bound) { return std::isfinite(value) && value >= -bound && value <= bound; }

void CheckAccepted(const Scenario& scenario) {
  for (const ArmySetup& army : scenario.armies) {
    Require(army.squads >= 0 && army.squads <= ArmySetup::kMostSquads, "squads within their range");
    Require(army.followers >= 1 && army.followers <= ArmySetup::kMostFollowers, "followers within their range");
    for (int type : army.memberTypes) Require(type >= 0 && type <= 2, "follower types are fighting types");
  }
  Require(InRange(scenario.low, ScenarioFile::kHeightBound) && InRange(scenario.high, ScenarioFile::kHeightBound) &&
              scenario.low <= scenario.high,
          "heights within their range");
  for (const auto& row : scenario.duel.typeAdvantage) {
    for (float value : row) Require(InRange(value, ScenarioFile::kAdvantageBound), "type advantages within range");
  }
  for (const auto& row : scenario.duel.formationAdvantage) {
    for (float value : row) Require(InRange(value, ScenarioFile::kAdvantageBound), "formation advantages within range");
  }
}

long long UnitsRaised(const Scenario& scenario) {
  long long units = 0;
  for (const ArmySetup& army : scenario.armies) {
    units += 1 + static_cast<long long>(army.squads) * (army.followers + 1);
  }
  return units;
}

void RaiseArmies(const Scenario& scenario, FuzzOutcome& outcome) {
  Battle battle(scenario);
  Require(battle.terrain.width > 0 && battle.terrain.depth > 0, "an accepted height map loads");
  battle.StartBattle();
  const std::size_t units = battle.objects->RegisteredCount() + battle.objects->PendingCount();
  Require(static_cast<long long>(units) == UnitsRaised(scenario), "every unit the scenario asks for is raised");
  for (std::uint32_t frame = 1; frame <= kFramesRun; ++frame) {
    battle.timer.TickTo(frame * kFrameMs);
    battle.RunSimulationStep();
  }
  outcome.width = battle.terrain.width;
  outcome.height = battle.terrain.depth;
}

}  // namespace

FuzzOutcome LoadScenarioBytes(const std::uint8_t* data, std::size_t size) {
  DebugChannel::SetSink(DropText);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Scenario scenario;
  scenario.name = "untouched";
  std::string error;
  FuzzOutcome outcome;
  // The shipped scenarios' folder, so that their maps resolve; the tests and fuzz.sh run from the
  // project root.
  if (!ScenarioFile::Parse(text, kScenarioName, "scenarios", scenario, error)) {
    CheckRefusal(error, scenario);
    return outcome;
  }
  CheckAccepted(scenario);
  outcome.loaded = true;
  if (UnitsRaised(scenario) <= kMostRaisedUnits) {
    RaiseArmies(scenario, outcome);
  }
  return outcome;
}

namespace {
// Refused with one line that starts with the file's name.
template <class Reader>
bool ReadAs(Reader& reader, const std::string& text, const std::string& name) {
  std::istringstream lines(text);
  std::string error;
  const bool accepted = reader.AddLines(lines, name, error);
  Require(accepted || (error.rfind(name + ":", 0) == 0 && error.find('\n') == std::string::npos),
          "a refusal of our JSON output is one line naming its file");
  return accepted;
}

bool MergedAsStudy(const std::string& text) {
  ShardMerge merge;
  if (!ReadAs(merge, text, "a.jsonl")) return false;
  const RunSummary summary = merge.Summary();
  Require(summary.finished >= 0 && summary.unfinished >= 0 && summary.redWins + summary.blueWins == summary.finished,
          "a merged summary's counts add up");
  Require(!ReadAs(merge, text, "b.jsonl"), "a shard given twice is refused");
  return true;
}

bool MergedAsTournament(const std::string& text) {
  TournamentMerge merge;
  if (!ReadAs(merge, text, "a.jsonl")) return false;
  Require(!ReadAs(merge, text, "b.jsonl"), "a tournament shard given twice is refused");
  return true;
}
}  // namespace

FuzzOutcome MergeShardBytes(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  FuzzOutcome outcome;
  outcome.loaded = MergedAsStudy(text);
  if (MergedAsTournament(text)) outcome.loaded = true;
  // What --verify reads before it plays anything again.
  BattleVerifier verifier;
  if (ReadAs(verifier, text, "a.jsonl")) verifier.OtherVersion();
  BattleVerifier games;
  std::istringstream lines(text);
  std::string error;
  if (games.AddTournamentLines(lines, "a.jsonl", error)) games.OtherVersion();
  return outcome;
}

namespace {
// One squad of three a side on the built-in map, raised once: every input's script commands the
// same red General and squad.
struct TinyBattle {
  std::unique_ptr<Battle> battle;
  GameObject* general = nullptr;
  GameObject* leader = nullptr;
};

TinyBattle MakeTinyBattle() {
  Scenario scenario;
  for (ArmySetup& army : scenario.armies) {
    army.squads = 1;
    army.followers = 3;
  }
  TinyBattle tiny;
  tiny.battle = std::make_unique<Battle>(scenario, 1);
  tiny.battle->StartBattle();
  tiny.battle->timer.TickTo(16);
  tiny.battle->RunSimulationStep();
  for (GameObject* unit : tiny.battle->objects->Registered()) {
    if (unit->team != Team::Red) continue;
    if (unit->unitType == UnitType::General) tiny.general = unit;
    if (unit->unitType == UnitType::SquadLeader) tiny.leader = unit;
  }
  Require(tiny.general != nullptr && tiny.leader != nullptr, "the tiny battle has a red General and squad");
  return tiny;
}

bool OneLine(const std::string& text) {
  return !text.empty() && text.size() <= 400 && text.find_first_of("\r\n") == std::string::npos;
}

void CheckOrder(const SquadOrder& order, const StrategyScript& script, const Terrain& terrain) {
  if (order.kind == SquadOrder::Kind::Failed) {
    Require(script.Failed() && OneLine(script.Failure()), "a failed call leaves one line saying why");
    return;
  }
  Require(!script.Failed(), "a script that answered has not failed");
  if (order.kind != SquadOrder::Kind::March) return;
  Require(std::isfinite(order.x) && std::isfinite(order.z), "a march goal is finite");
  Require(std::fabs(order.x) <= static_cast<float>(terrain.width) && std::fabs(order.z) <= static_cast<float>(terrain.depth),
          "a march goal is on the terrain");
  Require(order.formation >= 0 && order.formation <= 3, "a formation is a shape or none");
}
}  // namespace

FuzzOutcome RunStrategyBytes(const std::uint8_t* data, std::size_t size) {
  static TinyBattle tiny = MakeTinyBattle();
  FuzzOutcome outcome;
  StrategyScript script(*tiny.battle, Team::Red);
  std::string error;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!script.LoadSource(text, "fuzz.lua", error)) {
    Require(script.Failed() && OneLine(error), "a refused script says why on one line");
    return outcome;
  }
  outcome.loaded = true;
  for (int call = 0; call < 3; ++call) {
    CheckOrder(script.OnSquadReady(*tiny.general, *tiny.leader), script, tiny.battle->terrain);
    bool fights = false;
    if (script.DecidesWhenToFight() && !script.GeneralFights(*tiny.general, fights)) {
      Require(script.Failed() && OneLine(script.Failure()), "a failed fight call leaves one line saying why");
    }
  }
  outcome.failed = script.Failed();
  return outcome;
}

namespace {
constexpr const char* kDesignName = "fuzz-design.toml";
// Each point's battle is read through the scenario reader, its height map decoded: more points
// would starve the fuzzer without reaching other code.
constexpr long long kMostMadePoints = 40;
}  // namespace

FuzzOutcome LoadDesignBytes(const std::uint8_t* data, std::size_t size) {
  DebugChannel::SetSink(DropText);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Design design;
  std::string error;
  FuzzOutcome outcome;
  if (!DesignFile::Parse(text, kDesignName, "scenarios", design, error)) {
    Require(error.rfind(std::string(kDesignName) + ":", 0) == 0, "a refused design names the file first");
    Require(error.find('\n') == std::string::npos, "a refused design is one line");
    return outcome;
  }
  const long long points = DesignFile::PointCount(design);
  Require(!design.factors.empty() && design.factors.size() <= static_cast<std::size_t>(DesignFile::kMostFactors),
          "an accepted design has 1 to 64 factors");
  Require(points >= 1 && points * design.replicates <= DesignFile::kMostBattles, "an accepted design is bounded");
  if (points > kMostMadePoints) return outcome;
  std::unique_ptr<DesignPlan> plan;
  const std::size_t factors = design.factors.size();
  if (!DesignPlan::Make(std::move(design), UnitCount::kDefaultMost, {}, plan, error)) {
    Require(error.find('\n') == std::string::npos && !error.empty(), "a refused point is one line");
    return outcome;
  }
  Require(plan->Points() == points, "every point is made");
  for (int point = 1; point <= plan->Points(); ++point) {
    Require(plan->PointAt(point).factors.size() == factors, "every point names every factor");
    Require(UnitCount::Of(plan->PointAt(point).scenario) <= UnitCount::kDefaultMost, "no point raises too many units");
  }
  outcome.loaded = true;
  outcome.width = plan->Points();
  return outcome;
}

namespace {
// The header's checksum of the payload, as BattleFile writes it, so that mutations reach the
// fields behind it instead of stopping at the checksum.
void MendBattleChecksum(std::string& bytes) {
  constexpr std::size_t kChecksumAt = 20;
  constexpr std::size_t kHeader = 28;
  if (bytes.size() < kHeader) return;
  std::uint64_t hash = 14695981039346656037ull;
  for (std::size_t i = kHeader; i < bytes.size(); ++i) {
    hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 1099511628211ull;
  }
  for (std::size_t i = 0; i < 8; ++i) bytes[kChecksumAt + i] = static_cast<char>((hash >> (8 * i)) & 0xffu);
}
}  // namespace

FuzzOutcome ReadBattleBytes(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  MendBattleChecksum(bytes);
  std::string settings;
  std::string error;
  FuzzOutcome outcome;
  std::unique_ptr<Battle> battle = BattleFile::Read(bytes, settings, error);
  if (battle == nullptr) {
    Require(!error.empty() && error.find('\n') == std::string::npos, "a refused battle file says why in one line");
    return outcome;
  }
  std::string again;
  Require(BattleFile::Write(*battle, settings, again, error), "a battle read from a file can be written again");
  std::unique_ptr<Battle> twin = BattleFile::Read(again, settings, error);
  Require(twin != nullptr, "a battle written again reads back");
  Require(BattleFingerprint::Of(*twin) == BattleFingerprint::Of(*battle), "a battle read back fingerprints alike");
  outcome.loaded = true;
  outcome.width = battle->terrain.width;
  outcome.height = battle->terrain.depth;
  return outcome;
}
