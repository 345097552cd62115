// The Boost graph peer on the same march requests as the game's path finder benchmarks: the grid
// graph is built once, each iteration is one search that stops at the goal: astar_search, which
// initialises all 65536 vertices, or astar_search_no_init, which resets only those it touched.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/GridAStarPeer.h"
#include "bench/MarchQuery.h"
#include "terrain/Terrain.h"

namespace {

GridAStarPeer* SharedPeer() {
  static const std::unique_ptr<GridAStarPeer> peer =
      ShippedTerrain() != nullptr ? std::make_unique<GridAStarPeer>(*ShippedTerrain()) : nullptr;
  return peer.get();
}

using PeerSearch = GridAStarPeer::Route (GridAStarPeer::*)(int, int, int, int, float);

void MarchQueryOnPeer(benchmark::State& state, const MarchQuery& query, PeerSearch search) {
  GridAStarPeer* peer = SharedPeer();
  if (peer == nullptr) {
    state.SkipWithError("Textures/ASTest.png not found: run from the project root");
    return;
  }
  GridAStarPeer::Route route;
  for (auto _ : state) {
    route = (peer->*search)(query.startX, query.startZ, query.goalX, query.goalZ, kMarchWeight);
    benchmark::DoNotOptimize(route);
  }
  state.counters["found"] = route.found ? 1.0 : 0.0;
  state.counters["route"] = static_cast<double>(route.length);
  state.counters["examined"] = static_cast<double>(route.examined);
}

void RegisterFamily(const std::string& family, PeerSearch search) {
  for (const MarchQuery& query : MarchQueries()) {
    benchmark::RegisterBenchmark((family + "/" + query.name).c_str(), [&query, search](benchmark::State& state) {
      MarchQueryOnPeer(state, query, search);
    })->Unit(benchmark::kMicrosecond);
  }
}

[[maybe_unused]] const bool kPeerQueriesRegistered = [] {
  RegisterFamily("BM_GridAStarPeer", &GridAStarPeer::Search);
  RegisterFamily("BM_GridAStarPeerNoInit", &GridAStarPeer::SearchTouchedOnly);
  return true;
}();

}  // namespace
