// Designed studies: the nearly orthogonal hypercubes, design files refused naming the factor, and
// a design's battles numbered, sharded, run alone and verified as a seed study's are.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/setup/HeadlessOptions.h"
#include "app/setup/LatinHypercube.h"
#include "app/study/DesignPlan.h"
#include "app/study/SeedStudy.h"
#include "app/verify/BattleVerifier.h"
#include "units/PlacedSquad.h"

namespace {
namespace fs = std::filesystem;

// A design file in a folder of its own whose base battle is the shipped default.toml.
std::string DesignFileOf(const std::string& name, const std::string& body) {
  const fs::path folder = fs::temp_directory_path() / "battlesim-design-test";
  fs::create_directories(folder);
  const fs::path path = folder / name;
  std::ofstream(path) << "scenario = \"" << fs::absolute("scenarios/default.toml").string() << "\"\n" << body;
  return path.string();
}

std::string Refusal(const std::string& body) {
  std::unique_ptr<DesignPlan> plan;
  std::string error;
  EXPECT_FALSE(DesignPlan::Load(DesignFileOf("refused.toml", body), 200000, {}, plan, error));
  return error.substr(error.find("refused.toml:") + 13);
}

// The output of battlesim-headless with these arguments.
std::string Output(const std::vector<std::string>& arguments) {
  HeadlessOptions options;
  std::string error;
  EXPECT_EQ(CommandLine::ParseHeadless(arguments, options, error), CommandLine::Outcome::Run) << error;
  std::unique_ptr<DesignPlan> plan;
  EXPECT_TRUE(DesignPlan::Prepare(options, plan, error)) << error;
  std::ostringstream out;
  SeedStudy(options, plan->BaseScenario(), plan.get()).Run(out, nullptr);
  return out.str();
}

// Its battle lines, without the summary.
std::vector<std::string> Lines(const std::vector<std::string>& arguments) {
  std::vector<std::string> lines;
  std::istringstream each(Output(arguments));
  for (std::string line; std::getline(each, line);) {
    if (line.find("\"summary\"") == std::string::npos) lines.push_back(line);
  }
  return lines;
}

constexpr char kSmallBattles[] = R"(design = "nolh"
seed = 40
[[factor]]
key = "red.followers"
low = 4
high = 9
integer = true
[[factor]]
key = "blue.types"
levels = [["soldier"], ["archer"]]
[[factor]]
key = "red.squads"
levels = [1]
[[factor]]
key = "blue.squads"
levels = [1]
)";
}  // namespace

TEST(LatinHypercube, EveryOfferedSizeIsNearlyOrthogonalAndAsSpreadAsREADMESays) {
  const std::map<int, double> maximin{{17, 0.65}, {33, 0.79}, {65, 0.94}, {129, 1.12}, {257, 1.35}};
  for (const LatinHypercube::Size& size : LatinHypercube::NearlyOrthogonalSizes()) {
    const LatinHypercube::Matrix design = LatinHypercube::NearlyOrthogonalBase(size.points);
    ASSERT_EQ(design.size(), static_cast<std::size_t>(size.points));
    for (std::size_t j = 0; j < static_cast<std::size_t>(size.mostFactors); ++j) {
      std::vector<int> column;
      for (const std::vector<int>& point : design) column.push_back(point.at(j));
      std::sort(column.begin(), column.end());
      EXPECT_TRUE(column.front() == 0 && column.back() == size.points - 1 &&
                  std::adjacent_find(column.begin(), column.end()) == column.end())
          << "column " << j << " of " << size.points << " points is no permutation";
    }
    EXPECT_LE(LatinHypercube::LargestCorrelation(design), LatinHypercube::kCorrelationBound) << size.points;
    EXPECT_GE(LatinHypercube::MaximinDistance(design), maximin.at(size.points)) << size.points;
  }
  for (int factors = 1; factors <= LatinHypercube::kMostNearlyOrthogonalFactors; ++factors) {
    const LatinHypercube::Matrix stacked = LatinHypercube::NearlyOrthogonal(factors, 3);
    EXPECT_EQ(stacked.size(), 3u * static_cast<std::size_t>(LatinHypercube::NearlyOrthogonalPoints(factors)));
    EXPECT_LE(LatinHypercube::LargestCorrelation(stacked), LatinHypercube::kCorrelationBound) << factors;
  }
}

TEST(DesignFile, RefusesAFactorThatIsNoKeyOrLeavesItsKeysRangeNamingTheFactor) {
  const std::vector<std::pair<std::string, std::string>> refused{
      {"[[factor]]\nkey = \"red.squads\"\nlow = 2\nhigh = 6000\ninteger = true\n",
       "2:1: factor \"red.squads\" (high 6000): red.squads is 6000; the allowed range is 0 to 5000"},
      {"[[factor]]\nkey = \"red.squadz\"\nlow = 2\nhigh = 6\ninteger = true\n",
       "2:1: factor \"red.squadz\" (low 2): unknown key \"squadz\" in [red] (did you mean \"squads\"?)"},
      {"[[factor]]\nkey = \"duel.type_advantage[0][1]\"\nlow = -0.5\nhigh = 1.5\n",
       "2:1: factor \"duel.type_advantage[0][1]\" (high 1.5): duel.type_advantage[0][1] is 1.5; the allowed range is "
       "-1 to 1"},
      {"[[factor]]\nkey = \"blue.types\"\nlevels = [[\"archer\"], [\"dragon\"]]\n",
       "2:1: factor \"blue.types\" (level 2 [\"dragon\"]): blue.types[0] is \"dragon\"; it must be one of \"soldier\", "
       "\"archer\", \"berserker\""},
      {"[[factor]]\nkey = \"red.squad[0].formation\"\nlevels = [\"wedge\"]\n",
       "2:1: factor \"red.squad[0].formation\" (level 1 \"wedge\"): the base scenario has no [[red.squad]] tables, so "
       "no red.squad[0]"},
      {"design = \"lhs\"\n[[factor]]\nkey = \"red.squads\"\nlow = 2\nhigh = 6\n",
       "1:1: an lhs design needs points = N"},
  };
  for (const auto& [body, reason] : refused) EXPECT_EQ(Refusal(body), reason) << body;
  std::string thirty;
  for (int i = 0; i < 30; ++i) thirty += "[[factor]]\nkey = \"k" + std::to_string(i) + "\"\nlow = 0\nhigh = 1\n";
  EXPECT_EQ(Refusal(thirty), "2:1: a nolh design covers at most 29 factors, not 30");
}

namespace {
// A design over a base battle whose red squads are placed by hand, two of them, and whose blue
// army is drawn.
std::string PlacedSquadsDesign(const std::string& factors) {
  const fs::path folder = fs::temp_directory_path() / "battlesim-design-test";
  fs::create_directories(folder);
  std::ofstream(folder / "placed.toml") << R"([[red.squad]]
x = -10
z = 30
type = "soldier"
formation = "block"
[[red.squad]]
x = 10
z = 30
type = "archer"
[blue]
squads = 2
)";
  const fs::path path = folder / "placed-design.toml";
  std::ofstream(path) << "scenario = \"placed.toml\"\ndesign = \"factorial\"\n" << factors;
  return path.string();
}
}  // namespace

TEST(DesignFile, APlacedSquadsFormationIsAFactorOnlyWhereTheBasePlacesThatSquad) {
  std::unique_ptr<DesignPlan> plan;
  std::string error;
  ASSERT_TRUE(DesignPlan::Load(
      PlacedSquadsDesign("[[factor]]\nkey = \"red.squad[1].formation\"\nlevels = [\"block\", \"wedge\", \"vee\"]\n"),
      200000, {}, plan, error))
      << error;
  ASSERT_EQ(plan->Points(), 3);
  for (int point = 1; point <= 3; ++point) {
    const std::vector<PlacedSquad>& placed = plan->PointAt(point).scenario.armies[0].placed;
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[1].formation, point);
    EXPECT_EQ(placed[1].type, 1);
    EXPECT_EQ(placed[0].formation, 1);
  }
  const std::string past = PlacedSquadsDesign("[[factor]]\nkey = \"red.squad[2].formation\"\nlevels = [\"wedge\"]\n");
  EXPECT_FALSE(DesignPlan::Load(past, 200000, {}, plan, error));
  EXPECT_EQ(error, past + ":3:1: factor \"red.squad[2].formation\" (level 1 \"wedge\"): the base scenario has 2 "
                          "[[red.squad]] tables, red.squad[0] to red.squad[1]; there is no red.squad[2]");
}

TEST(DesignStudy, BattlesArePointsTimesReplicatesWithTheSeedCountedOnFromTheStudys) {
  std::unique_ptr<DesignPlan> plan;
  std::string error;
  const std::string file = DesignFileOf("factorial.toml", R"(design = "factorial"
replicates = 3
seed = 100
[[factor]]
key = "red.squads"
low = 2
high = 4
integer = true
[[factor]]
key = "blue.types"
levels = [["archer"], ["soldier"]]
)");
  ASSERT_TRUE(DesignPlan::Load(file, 200000, {}, plan, error)) << error;
  ASSERT_EQ(plan->Points(), 4);
  EXPECT_EQ(plan->Seeds().RangeText(), "100-111");
  EXPECT_EQ(plan->Seeds(2, 3).RangeText(), "105-105");
  EXPECT_EQ(plan->PointOf(105), 2);
  EXPECT_EQ(plan->ReplicateOf(105), 3);
  EXPECT_EQ(plan->PointAt(3).scenario.armies[0].squads, 4);
  EXPECT_EQ(plan->PointAt(3).scenario.armies[1].memberTypes, std::vector<int>{1});
  EXPECT_EQ(plan->Line("{\"seed\":105,\"battle\":1}", 105, true),
            "{\"seed\":105,\"point\":2,\"replicate\":3,\"factors\":{\"red.squads\":2,\"blue.types\":[\"soldier\"]},"
            "\"battle\":1}");
}

TEST(DesignStudy, ShardsAndOneLineRunAloneGiveTheWholeStudysLinesAndVerifyThem) {
  const std::string file = DesignFileOf("small.toml", kSmallBattles);
  const std::string output = Output({"--design", file, "--json", "--jobs", "2"});
  std::vector<std::string> whole;
  std::istringstream each(output);
  for (std::string line; std::getline(each, line) && line.find("\"summary\"") == std::string::npos;)
    whole.push_back(line);
  ASSERT_EQ(whole.size(), 17u);
  std::vector<std::string> sharded = Lines({"--design", file, "--json", "--shard", "0/2"});
  for (const std::string& line : Lines({"--design", file, "--json", "--shard", "1/2"})) sharded.push_back(line);
  std::sort(sharded.begin(), sharded.end());
  std::vector<std::string> sorted = whole;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sharded, sorted);
  EXPECT_EQ(Lines({"--design", file, "--json", "--point", "5", "--replicate", "1"}),
            std::vector<std::string>{whole[4]});

  std::unique_ptr<DesignPlan> plan;
  std::string error;
  ASSERT_TRUE(DesignPlan::Load(file, 200000, {}, plan, error)) << error;
  // One point's recorded factors changed: that line, and only it, differs when played again.
  std::string edited = output;
  const std::string factor = "\"red.followers\":" + plan->PointAt(9).factors["red.followers"].dump();
  edited.replace(edited.find(factor, edited.find("\"point\":9,")), factor.size(), "\"red.followers\":99");
  for (const std::string& text : {output, edited}) {
    BattleVerifier verifier;
    std::istringstream lines(text);
    ASSERT_TRUE(verifier.AddLines(lines, "design.jsonl", error)) << error;
    verifier.design = plan.get();
    ASSERT_TRUE(verifier.SameBattle(plan->Settings().scenarioFile, plan->BaseScenario(), error, file)) << error;
    std::ostringstream report;
    EXPECT_EQ(verifier.Replay(plan->BaseScenario(), 2, report, nullptr).differing, text == edited ? 1 : 0)
        << report.str();
  }
}
