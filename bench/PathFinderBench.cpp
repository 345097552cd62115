// Path finder speed: the typical march requests of a battle on the shipped height map, each one
// FindPath with weight 1.1 and then BuildPath as the movement machine calls them, plus a search
// that must exhaust a whole rolling 256 x 256 map because its goal lies on the outer ring.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <list>
#include <string>

#include "bench/MarchQuery.h"
#include "bench/PaintedCells.h"
#include "platform/DebugChannel.h"
#include "platform/PngPixels.h"
#include "terrain/PathFinder.h"
#include "terrain/Terrain.h"

namespace {

// Gentle repeating slopes (rises of at most 0.23 per step): every inner cell is reachable.
Terrain RollingTerrain(int side) {
  PngRaw image;
  image.width = side;
  image.height = side;
  image.components = 4;
  for (int row = 0; row < side; ++row) {
    for (int col = 0; col < side; ++col) {
      image.pixels.insert(image.pixels.end(), {90, 140, 60, static_cast<unsigned char>((row * 7 + col * 3) % 32)});
    }
  }
  Terrain terrain;
  terrain.LoadPixels(image, true);
  terrain.Scale(0.0f, 1.0f);
  return terrain;
}

void SilenceDebugChannel() {
  DebugChannel::SetSink([](std::string_view) {});
}

void BM_UnreachableGoalOn256Map(benchmark::State& state) {
  SilenceDebugChannel();
  Terrain terrain = RollingTerrain(256);
  PathFinder finder(terrain);
  for (auto _ : state) {
    finder.FindPath(0, 0, 127, 0, 1.1f);
    benchmark::DoNotOptimize(finder.Status());
  }
}
BENCHMARK(BM_UnreachableGoalOn256Map)->Unit(benchmark::kMillisecond);

void BM_RouteAcrossShippedHeightMap(benchmark::State& state) {
  const char* path = "Textures/ASTest.png";
  if (!std::filesystem::exists(path)) {
    state.SkipWithError("Textures/ASTest.png not present");
    return;
  }
  SilenceDebugChannel();
  Terrain terrain;
  terrain.Load(path, true);
  terrain.Scale(0.0f, 10.0f);
  PathFinder finder(terrain);
  const int reach = terrain.width / 2 - 10;
  for (auto _ : state) {
    std::list<Vector3> route;
    finder.FindPath(-reach, -reach, reach, reach, 1.1f);
    finder.BuildPath(route);
    benchmark::DoNotOptimize(route);
  }
}
BENCHMARK(BM_RouteAcrossShippedHeightMap)->Unit(benchmark::kMillisecond);

// Cells the search examines, from one untimed run on a terrain with its paint cleared.
double ExaminedCells(const Terrain& shipped, const MarchQuery& query) {
  Terrain terrain = shipped;
  ClearPaint(terrain);
  PathFinder finder(terrain);
  finder.FindPath(query.startX, query.startZ, query.goalX, query.goalZ, kMarchWeight);
  return static_cast<double>(CountExamined(terrain));
}

void MarchQueryOnShippedMap(benchmark::State& state, const MarchQuery& query) {
  const Terrain* shipped = ShippedTerrain();
  if (shipped == nullptr) {
    state.SkipWithError("Textures/ASTest.png not found: run from the project root");
    return;
  }
  Terrain terrain = *shipped;
  PathFinder finder(terrain);
  std::size_t routeLength = 0;
  for (auto _ : state) {
    std::list<Vector3> route;
    finder.FindPath(query.startX, query.startZ, query.goalX, query.goalZ, kMarchWeight);
    finder.BuildPath(route);
    routeLength = route.size();
    benchmark::DoNotOptimize(route);
  }
  state.counters["found"] = finder.Status() == PathFinder::kGoalReached ? 1.0 : 0.0;
  state.counters["route"] = static_cast<double>(routeLength);
  state.counters["examined"] = ExaminedCells(*shipped, query);
}

[[maybe_unused]] const bool kMarchQueriesRegistered = [] {
  for (const MarchQuery& query : MarchQueries()) {
    benchmark::RegisterBenchmark(("BM_PathFinder/" + query.name).c_str(), [&query](benchmark::State& state) {
      MarchQueryOnShippedMap(state, query);
    })->Unit(benchmark::kMicrosecond);
  }
  return true;
}();

}  // namespace
