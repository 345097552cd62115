// Seeded battles held to the last kill: the battle lines of the headless runner for fixed seeds,
// frame lengths and blood settings, compared with the lines recorded in golden/battles.jsonl.
//
// When a change to the rules is meant to change the battles, rewrite the file and commit it with
// a message that says why the battles changed:
//   BATTLESIM_UPDATE_GOLDEN=1 build/tests/app_tests --gtest_filter='*GoldenBattles*'
// (from the project root, which holds Textures/ and tests/).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/run/HeadlessRunner.h"
#include "app/setup/ScenarioFile.h"
#include "objects/UnitType.h"

namespace {

constexpr char kGoldenFile[] = "tests/app/golden/battles.jsonl";

struct GoldenRun {
  unsigned seed;
  int battles;
  int frameMs;
  bool blood;
};

// Each recorded line is the runner's battle line with the run's settings spliced in front, so
// that one file holds every run and a difference names the run it belongs to.
std::string Prefix(const GoldenRun& run) {
  std::ostringstream prefix;
  prefix << "{\"seed\":" << run.seed << ",\"frame_ms\":" << run.frameMs << ",\"blood\":" << (run.blood ? "true" : "false")
         << ",";
  return prefix.str();
}

// Names the run in failure messages instead of dumping its bytes.
void PrintTo(const GoldenRun& run, std::ostream* out) { *out << Prefix(run); }

std::vector<std::string> BattleLines(const GoldenRun& run, const Scenario& scenario = Scenario{}) {
  HeadlessOptions options;
  options.seed = run.seed;
  options.seedGiven = true;
  options.battles = run.battles;
  options.frameMs = run.frameMs;
  options.blood = run.blood;
  options.json = true;
  std::ostringstream out;
  HeadlessRunner(options, scenario).Run(out, nullptr);
  std::vector<std::string> lines;
  std::istringstream stream(out.str());
  for (std::string line; std::getline(stream, line);) {
    // The summary holds wall-clock timings; only the battles are deterministic.
    if (line.rfind("{\"battle\":", 0) == 0) lines.push_back(Prefix(run) + line.substr(1));
  }
  return lines;
}

std::vector<std::string> ReadLines(const char* path) {
  std::vector<std::string> lines;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> LinesOf(const std::vector<std::string>& lines, const GoldenRun& run) {
  std::vector<std::string> selected;
  for (const std::string& line : lines) {
    if (line.rfind(Prefix(run), 0) == 0) selected.push_back(line);
  }
  return selected;
}

const GoldenRun kRuns[] = {
    {1, 3, 16, true}, {2, 3, 16, true}, {7, 3, 16, true}, {1, 3, 33, true},
    {2, 3, 33, true}, {7, 3, 33, true}, {3, 2, 16, false},
};

// Rewrites this run's lines in place, keeping the file in the order of kRuns.
void UpdateGolden(const GoldenRun& run, const std::vector<std::string>& lines) {
  const std::vector<std::string> old = ReadLines(kGoldenFile);
  std::ofstream file(kGoldenFile, std::ios::trunc);
  for (const GoldenRun& each : kRuns) {
    const bool same = each.seed == run.seed && each.frameMs == run.frameMs && each.blood == run.blood;
    for (const std::string& line : same ? lines : LinesOf(old, each)) file << line << '\n';
  }
}

class GoldenBattles : public ::testing::TestWithParam<GoldenRun> {};

TEST_P(GoldenBattles, EveryBattleEndsAsRecorded) {
  const GoldenRun& run = GetParam();
  const std::vector<std::string> actual = BattleLines(run);
  ASSERT_EQ(actual.size(), static_cast<std::size_t>(run.battles));
  const char* update = std::getenv("BATTLESIM_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    UpdateGolden(run, actual);
    GTEST_SKIP() << "rewrote the lines of this run in " << kGoldenFile;
  }
  const std::vector<std::string> expected = LinesOf(ReadLines(kGoldenFile), run);
  ASSERT_FALSE(expected.empty()) << "no recorded lines for " << Prefix(run) << " in " << kGoldenFile;
  EXPECT_EQ(actual, expected);
}

INSTANTIATE_TEST_SUITE_P(SeedsAndFrames, GoldenBattles, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<GoldenRun>& param) {
                           return "Seed" + std::to_string(param.param.seed) + "Frame" +
                                  std::to_string(param.param.frameMs) + "ms" + (param.param.blood ? "" : "NoBlood");
                         });

// The shipped default scenario spells out the built-in battle: the same battles, to the last kill.
TEST(GoldenBattles, DefaultScenarioFilePlaysTheBuiltInBattles) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ScenarioFile::Load("scenarios/default.toml", scenario, error)) << error;
  const GoldenRun run = kRuns[0];
  EXPECT_EQ(BattleLines(run, scenario), LinesOf(ReadLines(kGoldenFile), run));
}

// Battles hold no state in common: two seeds' battles run on two threads at the same time end as
// recorded, as a study's threads run them.
TEST(GoldenBattles, TwoSeedsOnTwoThreadsAtOnceEndAsRecorded) {
  const GoldenRun first = kRuns[6];
  const GoldenRun second = kRuns[1];
  std::vector<std::string> firstLines;
  std::vector<std::string> secondLines;
  {
    const std::jthread other([&] { secondLines = BattleLines(second); });
    firstLines = BattleLines(first);
  }
  const std::vector<std::string> recorded = ReadLines(kGoldenFile);
  EXPECT_EQ(firstLines, LinesOf(recorded, first));
  EXPECT_EQ(secondLines, LinesOf(recorded, second));
}

}  // namespace
