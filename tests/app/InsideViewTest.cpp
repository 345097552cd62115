// The headless views from inside a battle: the trace of named units and the per-second timeline,
// checked against the battle line of the same seeded run.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/run/HeadlessRunner.h"
#include "app/run/UnitTrace.h"
#include "tests/support/TempFolder.h"

namespace {
constexpr int kArmy = 201;  // a General and five squads of a leader and 39 followers

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::string FileText(const std::string& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string FirstBattleLine(HeadlessOptions options) {
  options.seed = 1;
  options.json = true;
  std::ostringstream out;
  HeadlessRunner(options).Run(out, nullptr);
  return LinesOf(out.str()).front();
}

int JsonNumber(const std::string& line, const std::string& key) {
  const auto at = line.find("\"" + key + "\":");
  return at == std::string::npos ? -1 : std::stoi(line.substr(at + key.size() + 3));
}
}  // namespace

TEST(HeadlessTrace, ParsesRepeatedNamesAndTheOutputFiles) {
  HeadlessOptions options;
  std::string error;
  ASSERT_EQ(CommandLine::ParseHeadless(
                {"--trace", "Archer 3", "--trace", "General ", "--trace-file", "t.txt", "--timeline", "t.csv"}, options,
                error),
            CommandLine::Outcome::Run)
      << error;
  EXPECT_EQ(options.traceNames.size(), 2u);
  EXPECT_EQ(options.traceFile, "t.txt");
  EXPECT_EQ(options.timelineFile, "t.csv");
}

TEST(HeadlessTrace, ANameEndingInABlankIsAPrefixAnyOtherAWholeName) {
  EXPECT_TRUE(UnitTrace::Matches("Archer ", "Archer 31"));
  EXPECT_TRUE(UnitTrace::Matches("Archer 3", "Archer 3"));
  EXPECT_FALSE(UnitTrace::Matches("Archer 3", "Archer 31"));
  EXPECT_FALSE(UnitTrace::Matches("Archer ", "SquadLeader 1"));
}

TEST(HeadlessTrace, WritesTheNamedUnitsRecordsOnlyEachWithItsBattleAndLeavesTheBattleAlone) {
  TempFolder folder("battlesim-trace");
  HeadlessOptions options;
  // The step that ends the one battle already raises battle 2's Generals: none of theirs is written.
  options.traceNames = {"Archer 3", "General ", "Archer 3 "};
  options.traceFile = folder.Root() / "trace.txt";
  // The recorded battle of seed 1 at 16 ms, which tracing must not change by one draw.
  const std::string golden = LinesOf(FileText("tests/app/golden/battles.jsonl")).front();
  testing::internal::CaptureStderr();
  const std::string traced = FirstBattleLine(options);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "battlesim-headless: --trace matched no unit in this run: \"Archer 3 \" (names are like \"Archer 12\"; "
            "one ending in a blank, \"Archer \", traces every unit it starts)\n");
  EXPECT_EQ("{\"seed\":1,\"frame_ms\":16,\"blood\":true," + traced.substr(1), golden);

  const std::vector<std::string> lines = LinesOf(FileText(options.traceFile));
  ASSERT_GT(lines.size(), 100u);
  const std::regex ownLine(R"(battle 1 \d+\.\d{3}-(Archer 3|General \d+) \S*:\S+ .*)");
  for (const std::string& line : lines) ASSERT_TRUE(std::regex_match(line, ownLine)) << line;
  EXPECT_NE(FileText(options.traceFile).find("-Archer 3 1:STATE_CHANGE \n"), std::string::npos);
}

TEST(BattleTimeline, AliveCountsAgreeWithTheBattleLinesCasualties) {
  TempFolder folder("battlesim-timeline");
  HeadlessOptions options;
  options.timelineFile = folder.Root() / "timeline.csv";
  const std::string battle = FirstBattleLine(options);
  const std::vector<std::string> rows = LinesOf(FileText(options.timelineFile));
  ASSERT_GT(rows.size(), 3u);
  EXPECT_EQ(rows[0], "battle,second,red_alive,blue_alive,duels");
  EXPECT_EQ(rows[1], "1,0.000,201,201,0");
  EXPECT_EQ(rows[2], "1,1.000,201,201,0");

  const std::string& last = rows.back();
  int red = 0;
  int blue = 0;
  char seconds[32] = {};
  ASSERT_EQ(std::sscanf(last.c_str(), "1,%31[0-9.],%d,%d", seconds, &red, &blue), 3) << last;
  EXPECT_NE(battle.find(std::string("\"seconds\":") + seconds), std::string::npos) << last << "\n" << battle;
  EXPECT_EQ(2 * kArmy - red - blue, JsonNumber(battle, "casualties")) << last << "\n" << battle;
}
