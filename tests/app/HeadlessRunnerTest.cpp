// The headless runner's command line, its report formats and whole battles on a fixed seed.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <csignal>
#include <iostream>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/CommandLine.h"
#include "app/WindowCommandLine.h"
#include "app/run/BattleReport.h"
#include "app/run/HeadlessRunner.h"
#include "app/setup/BattleSetup.h"
#include "app/window/WindowOptions.h"
#include "platform/Interrupt.h"
#include "platform/PngWriter.h"
#include "tests/support/TempFolder.h"

namespace {
bool Parse(const std::vector<std::string>& arguments, HeadlessOptions& options, std::string& error) {
  return CommandLine::ParseHeadless(arguments, options, error) == CommandLine::Outcome::Run;
}

// The options every run reads back, beside its seed.
struct RunSettings {
  bool seedGiven;
  int battles;
  int frameMs;
  double maxSeconds;
  bool blood;
  bool json;
  bool memory;
};

void ExpectSettings(const HeadlessOptions& options, const RunSettings& expected) {
  EXPECT_EQ(options.seedGiven, expected.seedGiven);
  EXPECT_EQ(options.battles, expected.battles);
  EXPECT_EQ(options.frameMs, expected.frameMs);
  EXPECT_DOUBLE_EQ(options.maxSeconds, expected.maxSeconds);
  EXPECT_EQ(options.blood, expected.blood);
  EXPECT_EQ(options.json, expected.json);
  EXPECT_EQ(options.memory, expected.memory);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::string RunBattles(const HeadlessOptions& options, int* status = nullptr) {
  std::ostringstream out;
  HeadlessRunner runner(options);
  const int exitStatus = runner.Run(out, nullptr);
  if (status != nullptr) *status = exitStatus;
  return out.str();
}
}  // namespace

TEST(HeadlessRunner, ParsesEveryOption) {
  HeadlessOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--seed", "7", "--battles", "3", "--frame-ms", "20", "--max-seconds", "90.5", "--no-blood",
                     "--json", "--memory"},
                    options, error))
      << error;
  EXPECT_EQ(options.seed, 7u);
  ExpectSettings(options, {.seedGiven = true, .battles = 3, .frameMs = 20, .maxSeconds = 90.5, .blood = false,
                           .json = true, .memory = true});
}

TEST(HeadlessRunner, DefaultsWithoutArguments) {
  HeadlessOptions options;
  std::string error;
  ASSERT_TRUE(Parse({}, options, error));
  ExpectSettings(options, {.seedGiven = false, .battles = 1, .frameMs = 16, .maxSeconds = 1800.0, .blood = true,
                           .json = false, .memory = false});
}

TEST(HeadlessRunner, AcceptsValuesAfterAnEqualsSign) {
  HeadlessOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--seed=12", "--battles=2"}, options, error)) << error;
  EXPECT_EQ(options.seed, 12u);
  EXPECT_EQ(options.battles, 2);
}

TEST(HeadlessRunner, RefusesBadArgumentsWithAReason) {
  const std::vector<std::vector<std::string>> bad = {{"--seed"},
                                                     {"--seed", "-1"},
                                                     {"--seed", "x"},
                                                     {"--battles", "0"},
                                                     {"--battles", "2x"},
                                                     {"--frame-ms", "0"},
                                                     {"--frame-ms", "1.5"},
                                                     {"--frame-ms", "131"},
                                                     {"--seed", "4294967296"},
                                                     {"--battles", "99999999999"},
                                                     {"--max-seconds", "0"},
                                                     {"--max-seconds", "nan"},
                                                     {"--max-seconds", "inf"},
                                                     {"--max-seconds", "1e18"},
                                                     {"--json=yes"},
                                                     {"--fast"},
                                                     {"battles"}};
  for (const auto& arguments : bad) {
    HeadlessOptions options;
    std::string error;
    EXPECT_FALSE(Parse(arguments, options, error)) << arguments.front();
    EXPECT_FALSE(error.empty()) << arguments.front();
    EXPECT_EQ(error.find('\n'), std::string::npos) << "the reason fits on one line";
  }
}

TEST(HeadlessRunner, FormatsABattleAsJson) {
  BattleReport report;
  report.battle = 2;
  report.finished = true;
  report.redWon = false;
  report.seconds = 104.768;
  report.frames = 6548;
  report.casualties = 447;
  report.kills = {1, 2, 3, 4, 5};
  report.stateChanges = 35198;
  report.redTypes = {2, 1, 0};
  report.blueTypes = {1};
  EXPECT_EQ(FormatBattleLine(report, true),
            "{\"battle\":2,\"winner\":\"blue\",\"seconds\":104.768,\"frames\":6548,\"casualties\":447,"
            "\"kills\":{\"soldier\":1,\"archer\":2,\"berserker\":3,\"leader\":4,\"general\":5},"
            "\"state_changes\":35198,\"red_types\":[\"berserker\",\"archer\",\"soldier\"],\"blue_types\":[\"archer\"]}\n");
  report.residentKb = 30512;
  EXPECT_NE(FormatBattleLine(report, true).find(",\"state_changes\":35198,\"resident_kb\":30512,"),
            std::string::npos);
  EXPECT_NE(FormatBattleLine(report, false)
                .find("; resident memory 30512 KiB; red squads berserker, archer, soldier; blue squads archer\n"),
            std::string::npos);
}

TEST(HeadlessRunner, ABattleOfAFixedSeedEndsWithOneWinnerAndTalliesThatAddUp) {
  HeadlessOptions options;
  options.seed = 1;
  options.json = true;
  int status = -1;
  const std::vector<std::string> lines = Lines(RunBattles(options, &status));
  EXPECT_EQ(status, 0);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("\"battle\":1,\"winner\":\""), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("\"summary\":true,\"seed\":1,\"finished\":1,\"unfinished\":0"), std::string::npos)
      << lines[1];
  const bool redWon = lines[1].find("\"red_wins\":1,\"blue_wins\":0") != std::string::npos;
  const bool blueWon = lines[1].find("\"red_wins\":0,\"blue_wins\":1") != std::string::npos;
  EXPECT_NE(redWon, blueWon) << lines[1];
  EXPECT_NE(lines[0].find(redWon ? "\"winner\":\"red\"" : "\"winner\":\"blue\""), std::string::npos) << lines[0];
}

// A run from a seed must not depend on the runs made before it in the same process.
TEST(HeadlessRunner, ARunFromASeedIsTheSameWhateverRanBeforeItInTheProcess) {
  HeadlessOptions options;
  options.seed = 1;
  options.json = true;
  const std::string first = Lines(RunBattles(options)).front();
  options.seed = 2;
  RunBattles(options);
  options.seed = 1;
  EXPECT_EQ(Lines(RunBattles(options)).front(), first);
}

// On a map wider than deep the units stand and march on its hills, not beside them on the flat.
TEST(HeadlessRunner, TheHillsOfAMapWiderThanDeepChangeTheBattle) {
  const TempFolder folder("battlesim-wide-map");
  const auto battleOn = [&folder](const std::string& file, double hills) {
    PngWriterImage image{256, 120, PNG_COLOR_TYPE_GRAY, 8, {}, {}, {}};
    for (int row = 0; row < image.height; ++row) {
      for (int col = 0; col < image.width; ++col) {
        image.rows.push_back(static_cast<unsigned char>(128.0 + hills * std::sin(col / 14.0) * std::sin(row / 14.0)));
      }
    }
    Scenario scenario;
    scenario.heightMap = folder.Path(file);
    EXPECT_TRUE(PngWriter::Write(scenario.heightMap, image));
    HeadlessOptions options;
    options.seed = 1;
    std::ostringstream out;
    HeadlessRunner(options, scenario).Run(out, nullptr);
    return out.str().substr(0, out.str().find(" frames)"));
  };
  const std::string flat = battleOn("flat.png", 0.0);
  EXPECT_EQ(flat.rfind("Battle 1: ", 0), 0u) << flat;
  EXPECT_NE(battleOn("hills.png", 100.0), flat);
}

TEST(HeadlessRunner, ABattleThatRunsOutOfTimeIsReportedUnfinishedAndStopsTheRun) {
  HeadlessOptions options;
  options.seed = 1;
  options.battles = 3;
  options.maxSeconds = 2.0;
  int status = -1;
  const std::vector<std::string> lines = Lines(RunBattles(options, &status));
  EXPECT_EQ(status, 1);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("Battle 1: unfinished after 2.000 s (125 frames)", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("Summary: 0 finished, 1 unfinished; red wins 0, blue wins 0; seed 1;", 0), 0u) << lines[1];
}

TEST(HeadlessRunner, SummaryGivesEachSidesWinRateWithItsWilsonInterval) {
  RunSummary summary;
  summary.finished = 10;
  summary.redWins = 7;
  summary.blueWins = 3;
  const std::string json = summary.Format(true);
  EXPECT_NE(json.find("\"red_win_rate\":0.7000,\"red_win_ci95\":[0.3968,0.8922]"), std::string::npos) << json;
  EXPECT_NE(json.find("\"blue_win_rate\":0.3000,\"blue_win_ci95\":[0.1078,0.6032]"), std::string::npos) << json;
  summary = RunSummary{};
  EXPECT_NE(summary.Format(true).find("\"red_win_rate\":null,\"red_win_ci95\":null"),
            std::string::npos);
  summary.finished = 4;
  summary.redWins = 4;
  EXPECT_NE(summary.Format(false).find("; red win rate 100.0% (95% interval 51.0% to 100.0%)"),
            std::string::npos);
}

TEST(HeadlessRunner, AnInterruptStopsTheRunWithTheSummaryOfWhatFinished) {
  Interrupt::Watch();
  std::raise(SIGINT);
  HeadlessOptions options;
  options.seed = 1;
  options.battles = 3;
  int status = -1;
  const std::vector<std::string> lines = Lines(RunBattles(options, &status));
  Interrupt::Clear();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  EXPECT_EQ(status, RunSummary::kInterruptedStatus);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("Summary: 0 finished, 0 unfinished;", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("; interrupted"), std::string::npos) << lines[0];
}

TEST(WindowCommandLine, FixedStepsComeWithASeedABattleOrAFrameLength) {
  struct Case {
    std::vector<std::string> arguments;
    bool fixedSteps;
  };
  const Case cases[] = {{{}, false},
                        {{"--speed", "4", "--report"}, false},
                        {{"--seed", "3"}, true},
                        {{"--battle", "2"}, true},
                        {{"--frame-ms", "20"}, true}};
  for (const Case& each : cases) {
    WindowOptions options;
    std::string error;
    ASSERT_EQ(WindowCommandLine::Parse(each.arguments, options, error), WindowCommandLine::Outcome::Run) << error;
    EXPECT_EQ(options.fixedSteps, each.fixedSteps) << testing::PrintToString(each.arguments);
  }
}

TEST(WindowCommandLine, RefusesWhatItDoesNotKnowAndSpeedsOffTheLadder) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--speed", "3"}, {"--speed", "32"}, {"--battle", "0"}, {"--frame-ms", "500"}, {"-display"}, {"--fast"}}) {
    WindowOptions options;
    std::string error;
    EXPECT_EQ(WindowCommandLine::Parse(arguments, options, error), WindowCommandLine::Outcome::Error)
        << testing::PrintToString(arguments);
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
  WindowOptions options;
  std::string error;
  EXPECT_EQ(WindowCommandLine::Parse({"--help"}, options, error), WindowCommandLine::Outcome::Help);
}

// What a user who typed a mistake reads: the reason from parsing, or from opening the outputs.
TEST(CommandLineWords, EachMistakeIsNamedWithItsReason) {
  const std::vector<std::tuple<bool, std::vector<std::string>, std::string>> cases = {
      {false, {"--trace-file", "t.txt"}, "--trace-file requires --trace"},
      {false, {"--seed", "-1"}, "--seed: needs a whole number from 0 to 4294967295, not '-1'"},
      {false, {"--battles", "1.5"}, "--battles: needs a whole number from 1 to 1000000, not '1.5'"},
      {false, {"--threads", "two"}, "--threads: needs a whole number from 1 to 2, not 'two'"},
      {false, {"--threads", "2.0"}, "--threads: needs a whole number from 1 to 2, not '2.0'"},
      {false, {"--threads", "0"}, "--threads: needs a whole number from 1 to 2, not '0'"},
      {false, {"--threads", "3"}, "--threads: needs a whole number from 1 to 2, not '3'"},
      {true, {"--threads", "3"}, "--threads: needs a whole number from 1 to 2, not '3'"},
      {false, {"--timeline", "/no-such/t.csv"}, "timeline file /no-such/t.csv (No such file or directory)"},
      {false, {"--trace", "A", "--trace-file", "/no/t.txt"}, "trace file /no/t.txt (No such file or directory)"},
      {true, {"--json"}, "--json requires --report"},
      {true, {"--scenario", ""}, "--scenario: needs a file name, not ''"},
  };
  for (const auto& [window, arguments, said] : cases) {
    std::string error;
    WindowOptions windowOptions;
    HeadlessOptions options;
    if (window) {
      EXPECT_EQ(WindowCommandLine::Parse(arguments, windowOptions, error), WindowCommandLine::Outcome::Error);
    } else if (Parse(arguments, options, error)) {
      testing::internal::CaptureStderr();
      EXPECT_EQ(HeadlessRunner(options).Run(std::cout, nullptr), 2);
      error = testing::internal::GetCapturedStderr();
    }
    EXPECT_NE(error.find(said), std::string::npos) << error;
  }
}

TEST(HeadlessRunner, ParsesAStudyItsShardTheMergeAndTheUnitCeiling) {
  HeadlessOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--seeds", "3-9", "--shard", "1/4", "--max-units", "5000"}, options, error)) << error;
  EXPECT_TRUE(options.study);
  EXPECT_EQ(options.seeds.RangeText(), "3-9");
  EXPECT_EQ(options.seeds.ShardText(), "1/4");
  EXPECT_EQ(options.maxUnits, 5000);
  EXPECT_EQ(options.jobs, 1);
  // More threads than seeds, or a single seed, is nothing to refuse.
  ASSERT_TRUE(Parse({"--seed", "5", "--jobs", "8"}, options, error)) << error;
  EXPECT_EQ(options.jobs, 8);
  HeadlessOptions merge;
  ASSERT_TRUE(Parse({"--merge", "a.jsonl", "b.jsonl", "--json"}, merge, error)) << error;
  EXPECT_EQ(merge.mergeFiles, (std::vector<std::string>{"a.jsonl", "b.jsonl"}));
  EXPECT_EQ(HeadlessOptions{}.maxUnits, 200000);
}

// Seed 0 is a seed like any other, not "no seed": the clock must not replace it.
TEST(HeadlessRunner, SeedZeroIsPlayedAsGiven) {
  HeadlessOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--seed", "0"}, options, error)) << error;
  EXPECT_TRUE(options.seedGiven);
  EXPECT_EQ(BattleSetup::SeedOrClock(options.seedGiven, options.seed), 0u);
}

TEST(HeadlessRunner, TheUnitCeilingsRefusalNamesTheScenarioFile) {
  Scenario scenario;
  std::string error;
  EXPECT_FALSE(BattleSetup::Load("scenarios/default.toml", 100, {}, scenario, error));
  EXPECT_EQ(error.rfind("scenarios/default.toml: the battle would raise ", 0), 0u) << error;
  EXPECT_NE(error.find("more than the 100 allowed by --max-units"), std::string::npos) << error;
}

// The battles stay the same on crowded processors, only slower: said once, and only when so.
TEST(CommandLineWords, ThreadsBeyondTheProcessorsAreNoted) {
  HeadlessOptions options;
  options.threads = 2;
  options.jobs = 2;
  EXPECT_EQ(CommandLine::CrowdedThreadsNote(options, 3),
            "--jobs 2 with --threads 2 asks for 4 threads on 3 processors; for many seeds, --jobs 3 alone gets "
            "through them sooner");
  EXPECT_EQ(CommandLine::CrowdedThreadsNote(options, 4), "");
  EXPECT_EQ(CommandLine::CrowdedThreadsNote(options, 0), "");
  options.threads = 1;
  options.jobs = 8;
  EXPECT_EQ(CommandLine::CrowdedThreadsNote(options, 2), "");
}

// A study runs each seed afresh and a merge runs nothing: options that need one run, or that
// pick the seeds another way, are refused, each with the line naming the two.
TEST(HeadlessRunner, RefusesStudyOptionsThatCannotGoTogetherNamingThem) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused{
      {{"--seed", "1", "--seeds", "1-6"}, "--seed excludes --seeds"},
      {{"--shard", "0/2"}, "--shard requires --seeds or --design"},
      {{"--merge", "a", "--seeds", "1-2"}, "--seeds excludes --merge"},
      {{"--merge", "a", "--seed", "1"}, "--seed excludes --merge"},
      {{"--seeds", "1-2", "--timeline", "t.csv"}, "--seeds excludes --timeline"},
      {{"--seeds", "1-2", "--trace", "General "}, "--seeds excludes --trace"},
      {{"--seeds", "1-2", "--trace-file", "t.txt"}, "--seeds excludes --trace-file"},
      {{"--merge", "a", "--timeline", "t.csv"}, "--merge excludes --timeline"},
      {{"--seeds", "6-1"}, "--seeds: needs A-B with A <= B and both 0 to 4294967295, not '6-1'"},
      {{"--max-units", "0"}, "--max-units: needs a whole number from 1 to 1000000000, not '0'"},
      {{"--seeds", "1-4", "--jobs", "0"}, "--jobs: needs a whole number from 1 to 1024, not '0'"},
      {{"--seeds", "1-4", "--jobs", "two"}, "--jobs: needs a whole number from 1 to 1024, not 'two'"},
      {{"--merge", "a", "--jobs", "2"}, "--merge excludes --jobs"},
  };
  for (const auto& [arguments, reason] : refused) {
    HeadlessOptions options;
    std::string error;
    EXPECT_FALSE(Parse(arguments, options, error)) << arguments.back();
    EXPECT_EQ(error, reason) << arguments.back();
  }
}

TEST(HeadlessRunner, AStudysLinesCarryTheirSeedAndOnlyThem) {
  BattleReport report;
  report.battle = 1;
  report.finished = true;
  EXPECT_EQ(FormatBattleLine(report, true, 42u).rfind("{\"seed\":42,\"battle\":1,\"winner\":\"blue\"", 0), 0u);
  EXPECT_EQ(FormatBattleLine(report, false, 42u).rfind("Battle 1 of seed 42: blue wins", 0), 0u);
  EXPECT_EQ(FormatBattleLine(report, true).rfind("{\"battle\":1,", 0), 0u);
}
