// Merging a study's shards: the totals of lines from many files, and every way a shard's output
// can be wrong refused with the file, the line and the reason.
#include "app/run/StudyIdentity.h"
#include "app/study/ShardMerge.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {
std::string BattleLine(unsigned seed, int battle, const char* winner, int soldierKills) {
  const std::string who = winner == nullptr ? "null,\"unfinished\":true" : "\"" + std::string(winner) + "\"";
  return "{\"seed\":" + std::to_string(seed) + ",\"battle\":" + std::to_string(battle) + ",\"winner\":" + who +
         ",\"seconds\":1.000,\"frames\":62,\"casualties\":3,\"kills\":{\"soldier\":" + std::to_string(soldierKills) +
         ",\"archer\":1,\"berserker\":0,\"leader\":0,\"general\":1},\"state_changes\":9}\n";
}

const std::string kStudy =
    R"({"scenario":"builtin","height_map":"crc32:0badf00d","frame_ms":16,"battles":2,"max_seconds":1800,)"
    R"("blood":true,"version":"0.11.0"})";

std::string Summary(int finished, int unfinished, int red, int blue, int soldierKills, int archerKills,
                    int generalKills, const std::string& shard = "0/2", const std::string& study = kStudy) {
  return "{\"summary\":true,\"seeds\":\"1-3\",\"shard\":\"" + shard + "\",\"finished\":" + std::to_string(finished) +
         ",\"unfinished\":" + std::to_string(unfinished) + ",\"red_wins\":" + std::to_string(red) +
         ",\"blue_wins\":" + std::to_string(blue) + ",\"kills\":{\"soldier\":" + std::to_string(soldierKills) +
         ",\"archer\":" + std::to_string(archerKills) + ",\"berserker\":0,\"leader\":0,\"general\":" +
         std::to_string(generalKills) +
         "},\"sim_per_wall\":800.0,\"step_us\":{\"median\":14.9,\"p99\":50.0,\"max\":700.0},\"red_win_rate\":0.5000,"
         "\"red_win_ci95\":[0.1,0.9],\"blue_win_rate\":0.5000,\"blue_win_ci95\":[0.1,0.9],\"study\":" +
         study + "}\n";
}

// Seeds 1 and 3: two battles of seed 1 (kills since its start 2 then 5), seed 3 out of time.
const std::string kShardZero =
    BattleLine(1, 1, "red", 2) + BattleLine(1, 2, "blue", 5) + BattleLine(3, 1, nullptr, 4) + Summary(2, 1, 1, 1, 9, 2, 2);
const std::string kShardOne = BattleLine(2, 1, "blue", 7) + BattleLine(2, 2, "blue", 8) + Summary(2, 0, 0, 2, 8, 1, 1, "1/2");

bool Add(ShardMerge& merge, const std::string& text, const std::string& name, std::string& error) {
  std::istringstream lines(text);
  return merge.AddLines(lines, name, error);
}

std::string Refusal(const std::string& text) {
  ShardMerge merge;
  std::string error;
  EXPECT_FALSE(Add(merge, text, "shard.jsonl", error));
  return error;
}

// What merging shard zero and then other says.
std::string Beside(const std::string& other) {
  ShardMerge merge;
  std::string error;
  EXPECT_TRUE(Add(merge, kShardZero, "a", error)) << error;
  if (Add(merge, other, "b", error)) {
    EXPECT_FALSE(merge.Complete(error));
  }
  return error;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}
}  // namespace

TEST(ShardMerge, AddsCountsAndTakesEachSeedsKillsFromItsLastLine) {
  ShardMerge merge;
  std::string error;
  ASSERT_TRUE(Add(merge, kShardZero, "a", error)) << error;
  ASSERT_TRUE(Add(merge, kShardOne, "b", error)) << error;
  ASSERT_TRUE(merge.Complete(error)) << error;
  const RunSummary summary = merge.Summary();
  EXPECT_EQ(summary.seedsMerged, 3);
  EXPECT_EQ(summary.finished, 4);
  EXPECT_EQ(summary.unfinished, 1);
  EXPECT_EQ(summary.redWins, 1);
  EXPECT_EQ(summary.blueWins, 3);
  EXPECT_EQ(summary.kills, (KillTotals{17, 3, 0, 0, 3}));
  EXPECT_EQ(summary.Format(true),
            "{\"summary\":true,\"seeds_merged\":3,\"finished\":4,\"unfinished\":1,\"red_wins\":1,\"blue_wins\":3,"
            "\"kills\":{\"soldier\":17,\"archer\":3,\"berserker\":0,\"leader\":0,\"general\":3},"
            "\"red_win_rate\":0.2500,\"red_win_ci95\":[0.0456,0.6994],\"blue_win_rate\":0.7500,"
            "\"blue_win_ci95\":[0.3006,0.9544],\"study\":" +
                kStudy + "}\n");
}

TEST(ShardMerge, RefusesDamagedForeignOrIncompleteShardsNamingFileAndLine) {
  EXPECT_EQ(Refusal(BattleLine(1, 1, "red", 2).substr(0, 40) + "\n"),
            "shard.jsonl:1: not one of our JSON lines (run the shards with --json): column 41: syntax error while "
            "parsing object key - invalid string: missing closing quote");
  EXPECT_EQ(Refusal("{\"battle\":1,\"winner\":\"red\"}\n"),
            "shard.jsonl:1: a battle line without its seed: run the shards with --seeds");
  EXPECT_EQ(Refusal(BattleLine(1, 1, "green", 2)), "shard.jsonl:1: \"winner\" must be \"red\", \"blue\" or null");
  EXPECT_EQ(Refusal(BattleLine(1, 2, "red", 2)), "shard.jsonl:1: battle 2 of seed 1 out of order");
  EXPECT_EQ(Refusal(BattleLine(1, 1, nullptr, 2) + BattleLine(1, 2, "red", 2)),
            "shard.jsonl:2: battle 2 of seed 1 out of order");
  EXPECT_EQ(Refusal(BattleLine(3, 1, nullptr, 4) + BattleLine(1, 1, "red", 2) + BattleLine(1, 2, "blue", 5) +
                    Summary(2, 1, 1, 1, 9, 2, 2)),
            "shard.jsonl:2: seed 1 after seed 3: out of order");
  EXPECT_EQ(Refusal(Replaced(kShardZero, "\"finished\":2", "\"finished\":3")),
            "shard.jsonl:4: the summary disagrees with the battle lines before it");
  EXPECT_EQ(Refusal(BattleLine(1, 1, "red", 2)),
            "shard.jsonl: ends without a summary after its last battle lines; the shard did not finish: run it again");
  EXPECT_EQ(Refusal(""), "shard.jsonl: is empty; the shard did not finish: run it again");
  EXPECT_EQ(Refusal(Replaced(kShardOne, ",\"study\"", ",\"interrupted\":true,\"study\"")),
            "shard.jsonl:3: the shard was interrupted: run it again");
  EXPECT_EQ(Refusal(BattleLine(1, 1, "red", 2) + Summary(1, 0, 1, 0, 2, 1, 1)),
            "shard.jsonl:2: seed 1 ran 1 of its 2 battles: run the shard again");
  EXPECT_EQ(Refusal(Replaced(kShardOne, "1/2", "0/2")), "shard.jsonl:3: seed 2 is not one of shard 0/2 of seeds 1-3");
  EXPECT_EQ(Refusal(Replaced(kShardOne, ",\"study\":" + kStudy, "")),
            "shard.jsonl:3: \"study\" is missing: the run was made by an older battlesim-headless; run it again");
}

TEST(ShardMerge, RefusesASeedThatTwoShardsBothRan) {
  ShardMerge merge;
  std::string error;
  ASSERT_TRUE(Add(merge, kShardZero, "a", error)) << error;
  EXPECT_FALSE(Add(merge, kShardZero, "again", error));
  EXPECT_EQ(error, "again:1: seed 1 appears twice: shards overlap or a file was given twice");
}

TEST(ShardMerge, RefusesShardsOfAnotherStudyAndAShardTwiceOrMissingNamingTheField) {
  EXPECT_EQ(Beside(Replaced(kShardOne, "\"frame_ms\":16", "\"frame_ms\":20")),
            "b:3: \"study.frame_ms\" is 20 here but 16 in a:4: shards of different studies do not merge");
  EXPECT_EQ(Beside(Replaced(kShardOne, "1-3", "1-4")),
            "b:3: \"seeds\" is 1-4 here but 1-3 in a:4: shards of different studies do not merge");
  EXPECT_EQ(Beside(Replaced(kShardOne, "1/2", "1/3")),
            "b:3: \"shard\" 1/3 is one of 3 shards here but of 2 in a:4: shards of different studies do not merge");
  EXPECT_EQ(Beside(Summary(0, 0, 0, 0, 0, 0, 0, "0/2")), "b:1: \"shard\" 0/2 was given already, in a:4");
  EXPECT_EQ(Beside(Summary(0, 0, 0, 0, 0, 0, 0, "2/3")),
            "b:1: \"shard\" 2/3 is one of 3 shards here but of 2 in a:4: shards of different studies do not merge");
}

TEST(ShardMerge, RefusesASetWithAShardMissingAndTakesAShardWithNoSeeds) {
  ShardMerge merge;
  std::string error;
  ASSERT_TRUE(Add(merge, Replaced(kShardOne, "1/2", "1/4"), "b", error)) << error;
  EXPECT_FALSE(merge.Complete(error));
  EXPECT_EQ(error, "b:3: \"shard\" 0/4 of seeds 1-3 is missing: merge the output of --shard 0/4 too");
  // Shard 3/4 of three seeds runs none; its summary still counts as the shard.
  ASSERT_TRUE(Add(merge, Summary(0, 0, 0, 0, 0, 0, 0, "3/4"), "d", error)) << error;
  ASSERT_TRUE(Add(merge, BattleLine(3, 1, "red", 1) + BattleLine(3, 2, "red", 1) + Summary(2, 0, 2, 0, 1, 1, 1, "2/4"), "c",
                  error)) << error;
  EXPECT_FALSE(merge.Complete(error));
  ASSERT_TRUE(Add(merge, BattleLine(1, 1, "red", 1) + BattleLine(1, 2, "red", 1) + Summary(2, 0, 2, 0, 1, 1, 1, "0/4"), "a",
                  error)) << error;
  EXPECT_TRUE(merge.Complete(error)) << error;
}

// Every field of what a study is, each on its own: shards that differ in any one do not merge.
TEST(ShardMerge, RefusesShardsThatDifferInAnyOneFieldOfTheStudy) {
  const std::vector<std::pair<std::string, std::string>> fields = {
      {"\"scenario\":\"builtin\"", "\"scenario\":\"crc32:00000002\""},
      {"\"height_map\":\"crc32:0badf00d\"", "\"height_map\":\"crc32:0badf00e\""},
      {"\"frame_ms\":16", "\"frame_ms\":17"},
      {"\"battles\":2", "\"battles\":3"},
      {"\"max_seconds\":1800", "\"max_seconds\":1800.5"},
      {"\"blood\":true", "\"blood\":false"},
      {"\"version\":\"0.11.0\"", "\"version\":\"0.11.1\""},
      {"\"version\"", "\"red_general\":\"crc32:00000003\",\"version\""},
      {"\"version\"", "\"blue_general\":\"crc32:00000004\",\"version\""}};
  for (const auto& [from, to] : fields) {
    const std::string name = to.substr(1, to.find('"', 1) - 1);
    EXPECT_EQ(Beside(Replaced(kShardOne, from, to)).rfind("b:3: \"study." + name + "\" is ", 0), 0u) << name;
  }
}

// Output of a version whose seeds play other battles is named as such, not as a differing study.
TEST(ShardMerge, RefusesShardsOfAVersionThatPlaysOtherBattlesBesideThisOnes) {
  const std::string error = Beside(Replaced(kShardOne, "\"version\":\"0.11.0\"", "\"version\":\"0.9.0\""));
  EXPECT_NE(error.find("recorded by battlesim 0.9.0, which plays battles differently"), std::string::npos) << error;
  EXPECT_TRUE(StudyIdentity::OtherBattlesNote("0.9.9").size() > 0);
  EXPECT_NE(StudyIdentity::OtherBattlesNote("0.10.0").find("whose fingerprints"), std::string::npos);
  EXPECT_EQ(StudyIdentity::OtherBattlesNote("0.11.0"), "");
  EXPECT_EQ(StudyIdentity::OtherBattlesNote("1.2.0"), "");
}
