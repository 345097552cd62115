// Tournaments between strategies on a stand-in battle whose outcome each test decides: the table
// and its intervals, the sequential test's stopping, threads, shards and the refusals.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/CommandLine.h"
#include "app/setup/HeadlessOptions.h"
#include "app/tournament/Sprt.h"
#include "app/tournament/Tournament.h"
#include "app/tournament/TournamentIdentity.h"
#include "app/tournament/TournamentMerge.h"
#include "app/tournament/TournamentTable.h"
#include "strategy/StrategyScript.h"
#include "tests/support/TempFolder.h"

namespace {
BattleReport Won(bool redWon, double seconds = 10.0) {
  BattleReport report;
  report.battle = 1;
  report.finished = true;
  report.redWon = redWon;
  report.seconds = seconds;
  return report;
}

// Strategies 0, 1, 2: 0 always beats 1; between 1 and 2 red wins; 0 against 2 on seed 1 is
// unfinished with 0 red and forfeited by 2 with 2 red; on other seeds whoever leads blue wins.
std::optional<BattleReport> ThreeWay(unsigned seed, int red, int blue) {
  if (red + blue == 1) return Won(red == 0);
  if (red + blue == 3) return Won(true);
  if (seed != 1) return Won(false);
  if (red == 0) {
    BattleReport unfinished = Won(true, 1800.0);
    unfinished.finished = false;
    return unfinished;
  }
  BattleReport forfeit = Won(false, 0.016);
  forfeit.forfeitSide = "red";
  forfeit.forfeitReason = "c.lua:3: attempt to call a nil value";
  return forfeit;
}

// Strategy 0 wins every game.
std::optional<BattleReport> FirstAlwaysWins(unsigned, int red, int) { return Won(red == 0); }
std::optional<BattleReport> SecondAlwaysWins(unsigned, int red, int) { return Won(red == 1); }

HeadlessOptions Parsed(const std::vector<std::string>& arguments) {
  HeadlessOptions options;
  std::string error;
  EXPECT_EQ(CommandLine::ParseHeadless(arguments, options, error), CommandLine::Outcome::Run) << error;
  return options;
}

std::string Played(const std::vector<std::string>& arguments, const Tournament::PlayGame& play, int jobs = 1) {
  HeadlessOptions options = Parsed(arguments);
  options.jobs = jobs;
  TournamentIdentity identity;
  identity.strategies = options.tournament;
  identity.study.version = StudyIdentity::ProgramVersion();
  for (std::size_t i = 0; i < identity.strategies.size(); ++i)
    identity.checksums.push_back("crc32:0000000" + std::to_string(i));
  std::ostringstream out;
  Tournament(options, identity, play).Run(out, nullptr);
  return out.str();
}

std::vector<std::string> Lines(const std::string& text, const std::string& starting) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(starting, 0) == 0) lines.push_back(line);
  }
  return lines;
}

std::string Refusal(const std::vector<std::string>& arguments) {
  HeadlessOptions options;
  std::string error;
  EXPECT_EQ(CommandLine::ParseHeadless(arguments, options, error), CommandLine::Outcome::Error);
  return error;
}
}  // namespace

// Hand-worked: a wins 6 of its 7 finished games, c 3 of 7 (one lost by forfeit), b 2 of 8; the
// Wilson intervals are the textbook ones for 6/7, 3/7, 2/8, 4/4, 2/3 and 2/4.
TEST(TournamentTable, RanksByWinRateOverFinishedGamesWithWilsonIntervals) {
  const std::string out = Played({"--tournament", "a.lua", "b.lua", "c.lua", "--seeds", "1-2", "--json"}, &ThreeWay);
  EXPECT_EQ(
      Lines(out, "{\"rank\""),
      (std::vector<std::string>{
          R"({"rank":1,"strategy":"a.lua","games":8,"wins":6,"losses":1,"forfeits":0,"unfinished":1,"win_rate":0.8571,"win_ci95":[0.4869,0.9743]})",
          R"({"rank":2,"strategy":"c.lua","games":8,"wins":3,"losses":4,"forfeits":1,"unfinished":1,"win_rate":0.4286,"win_ci95":[0.1582,0.7495]})",
          R"({"rank":3,"strategy":"b.lua","games":8,"wins":2,"losses":6,"forfeits":0,"unfinished":0,"win_rate":0.2500,"win_ci95":[0.0715,0.5907]})"}));
  EXPECT_EQ(
      Lines(out, "{\"pair\""),
      (std::vector<std::string>{
          R"({"pair":["a.lua","b.lua"],"games":4,"wins":[4,0],"forfeits":[0,0],"unfinished":0,"win_rate":1.0000,"win_ci95":[0.5101,1.0000]})",
          R"({"pair":["a.lua","c.lua"],"games":4,"wins":[2,1],"forfeits":[0,1],"unfinished":1,"win_rate":0.6667,"win_ci95":[0.2077,0.9385]})",
          R"({"pair":["b.lua","c.lua"],"games":4,"wins":[2,2],"forfeits":[0,0],"unfinished":0,"win_rate":0.5000,"win_ci95":[0.1500,0.8500]})"}));
  const std::vector<std::string> seedOne = Lines(out, "{\"seed\":1,");
  ASSERT_EQ(seedOne.size(), 6u);
  EXPECT_EQ(
      seedOne[3],
      R"({"seed":1,"game":4,"red":"c.lua","blue":"a.lua","winner":"blue","seconds":0.016,"forfeit":"red","forfeit_reason":"c.lua:3: attempt to call a nil value"})");
  EXPECT_EQ(Lines(out, "{\"tournament\"")
                .at(0)
                .rfind(R"({"tournament":true,"seeds":"1-2","games":12,"finished":11,"unfinished":1,)", 0),
            0u);
}

TEST(TournamentTable, EqualRatesShareARankInCommandLineOrder) {
  TournamentTable table({"a", "b", "c"});
  TournamentGame game;
  game.red = 2, game.blue = 0, game.winner = TournamentGame::Winner::Red;  // c beats a
  table.Add(game);
  game.red = 1, game.blue = 0;  // b beats a
  table.Add(game);
  EXPECT_EQ(table.Ranking(), (std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {0, 3}}));
}

// log(2 p1) = 0.05591 a win: 54 straight wins (27 seeds) pass log 19 = 2.944, 52 do not;
// log(2 (1 - p1)) = -0.05922 a loss: 50 straight losses do.
TEST(Sprt, StopsAPairAtTheFirstSeedWhoseGamesCrossABound) {
  const std::vector<std::string> args = {"--tournament", "a.lua",           "b.lua", "--seeds",
                                         "1-40",         "--until-decided", "--json"};
  const std::string decided = Played(args, &FirstAlwaysWins);
  EXPECT_EQ(Lines(decided, "{\"seed\"").size(), 54u);
  EXPECT_NE(decided.find(R"("sprt":{"decision":"H1","games":54,"seeds":27,"llr":3.0191})"), std::string::npos)
      << decided;
  const std::string early =
      Played({"--tournament", "a.lua", "b.lua", "--seeds", "1-26", "--until-decided"}, &FirstAlwaysWins);
  EXPECT_NE(
      early.find("SPRT undecided when the seeds ran out, after 52 games on 26 seeds, LLR 2.907 (bounds -2.944, 2.944)"),
      std::string::npos)
      << early;
  const std::string lost =
      Played({"--tournament", "a.lua", "b.lua", "--seeds", "1-40", "--until-decided"}, &SecondAlwaysWins);
  EXPECT_NE(lost.find("SPRT H0 accepted, a.lua no better than b.lua, after 50 games on 25 seeds, LLR -2.961"),
            std::string::npos)
      << lost;
}

// A game that ran out of time counts as played but says nothing about which strategy is stronger.
TEST(Sprt, UnfinishedGamesCountAsPlayedButMoveNothing) {
  Sprt test;
  for (int seed = 0; seed < 100; ++seed) {
    test.AddUnfinished();
    test.AddUnfinished();
    test.EndSeed();
  }
  EXPECT_EQ(test.Result(), Sprt::Decision::Undecided);
  EXPECT_EQ(test.Llr(), 0.0);
  EXPECT_EQ(test.Games(), 200);
}

// Seed 1's first game keeps one thread while the other plays the later seeds: their games of a
// pair that seed 27 decides must not be written. (The pause orders the threads; nothing is timed.)
TEST(Tournament, TwoThreadsWriteWhatOneWritesEvenWhenPairsStopEarly) {
  const auto slowStart = [](unsigned seed, int red, int blue) {
    if (seed == 1 && red == 0 && blue == 1) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return ThreeWay(seed, red, blue);
  };
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--tournament", "a.lua", "b.lua", "c.lua", "--seeds", "1-9", "--json"},
        {"--tournament", "a.lua", "b.lua", "c.lua", "--seeds", "1-40", "--until-decided"}}) {
    EXPECT_EQ(Played(args, slowStart, 2), Played(args, &ThreeWay, 1));
  }
}

TEST(TournamentMerge, ShardsMergeToTheUnshardedTableAndStrangersAreRefused) {
  const std::vector<std::string> args = {"--tournament", "a.lua", "b.lua", "c.lua", "--seeds", "1-5", "--json"};
  const std::string whole = Played(args, &ThreeWay);
  TournamentMerge merge;
  std::string error;
  for (const char* shard : {"1/2", "0/2"}) {
    std::vector<std::string> shardArgs = args;
    shardArgs.insert(shardArgs.end(), {"--shard", shard});
    std::istringstream lines(Played(shardArgs, &ThreeWay));
    ASSERT_TRUE(merge.AddLines(lines, shard, error)) << error;
    if (std::string(shard) != "1/2") continue;
    // Alone, a shard is no tournament: the one missing is named.
    EXPECT_FALSE(merge.Complete(error));
    EXPECT_NE(error.find(": \"shard\" 0/2 of seeds 1-5 is missing: merge the output of --shard 0/2 too"),
              std::string::npos)
        << error;
  }
  ASSERT_TRUE(merge.Complete(error)) << error;
  std::string wholeTable;
  for (const std::string& line : Lines(whole, "{\"r")) wholeTable += line + "\n";
  for (const std::string& line : Lines(whole, "{\"p")) wholeTable += line + "\n";
  std::string wholeSummary = Lines(whole, "{\"tournament\"").at(0) + "\n";
  wholeSummary.replace(wholeSummary.find(R"("seeds":"1-5")"), 13, R"("seeds_merged":5)");
  EXPECT_EQ(merge.Format(true), wholeTable + wholeSummary);

  const auto refusal = [](const std::string& first, const std::string& second) {
    TournamentMerge strangers;
    std::string why;
    std::istringstream one(first);
    std::istringstream two(second);
    EXPECT_TRUE(strangers.AddLines(one, "one", why)) << why;
    EXPECT_FALSE(strangers.AddLines(two, "two", why));
    return why;
  };
  const std::string shardZero =
      Played({"--tournament", "a.lua", "b.lua", "--seeds", "1-2", "--shard", "0/2", "--json"}, &ThreeWay);
  const std::string otherShardOne =
      Played({"--tournament", "a.lua", "c.lua", "--seeds", "1-2", "--shard", "1/2", "--json"}, &ThreeWay);
  EXPECT_EQ(refusal(shardZero, otherShardOne),
            "two:6: other strategies or settings here than in one:6: shards of different tournaments do not merge");
  // The same names, but b.lua was edited between the shards.
  std::string editedShardOne =
      Played({"--tournament", "a.lua", "b.lua", "--seeds", "1-2", "--shard", "1/2", "--json"}, &ThreeWay);
  editedShardOne.replace(editedShardOne.find("crc32:00000001"), 14, "crc32:0000000e");
  EXPECT_EQ(refusal(shardZero, editedShardOne),
            "two:6: other strategies or settings here than in one:6: shards of different tournaments do not merge");
  EXPECT_EQ(refusal(shardZero, R"({"seed":1,"battle":1,"winner":"red"})"),
            "two:1: a study's line: a tournament's shards and a study's do not merge together");
}

// The real battle: a strategy whose script fails forfeits every game it plays, on either side.
TEST(Tournament, AFailingScriptForfeitsEveryGameOfARealBattle) {
  const TempFolder folder("tournament");
  const std::string holds = folder.Path("holds.lua");
  const std::string fails = folder.Path("fails.lua");
  std::ofstream(holds) << "function on_squad_ready(battle, squad) return nil end\n";
  // It fails on the first step of each game, before any squad has reported ready.
  std::ofstream(fails) << "function on_squad_ready() end\nfunction general_fights(battle)\n  error('no plan')\nend\n";
  const HeadlessOptions options = Parsed({"--tournament", holds, fails, "--seeds", "7-7", "--json"});
  TournamentIdentity identity;
  std::string error;
  ASSERT_TRUE(TournamentIdentity::Of(options, Scenario{}, &StrategyScript::Check, identity, error)) << error;
  std::ostringstream out;
  EXPECT_EQ(Tournament(options, identity, Tournament::Battles(options, Scenario{})).Run(out, nullptr), 0);
  EXPECT_NE(out.str().find(R"({"rank":2,"strategy":")" + fails + R"(","games":2,"wins":0,"losses":2,"forfeits":2,)"),
            std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find(R"("forfeit":"blue","forfeit_reason":")" + fails + ":3: no plan\","), std::string::npos);
}

TEST(Tournament, RefusesWhatCannotBeATournament) {
  EXPECT_EQ(Refusal({"--tournament", "a.lua", "--seeds", "1-2"}),
            "--tournament needs two strategy files or more, not one");
  EXPECT_NE(Refusal({"--tournament", "a.lua", "b.lua", "--seeds", "1-2", "--seed", "3"}).find("excludes"),
            std::string::npos);
  EXPECT_NE(Refusal({"--tournament", "a.lua", "b.lua"}).find("requires --seeds"), std::string::npos);
  EXPECT_NE(Refusal({"--tournament", "a.lua", "b.lua", "--seeds", "1-4", "--shard", "0/2", "--until-decided"})
                .find("excludes"),
            std::string::npos);
  EXPECT_NE(Refusal({"--seeds", "1-4", "--until-decided"}).find("requires --tournament"), std::string::npos);

  const TempFolder folder("tournament");
  const std::string a = folder.Path("a.lua");
  const std::string copy = folder.Path("copy.lua");
  std::ofstream(a) << "-- a\n";
  std::ofstream(copy) << "-- a\n";
  const auto refusal = [](const std::vector<std::string>& arguments, bool syntaxFine = true) {
    TournamentIdentity identity;
    std::string error;
    const auto check = [syntaxFine](const std::string& path, std::string& why) {
      why = path + ":1: unexpected symbol";
      return syntaxFine;
    };
    EXPECT_FALSE(TournamentIdentity::Of(Parsed(arguments), Scenario{}, check, identity, error));
    return error;
  };
  EXPECT_EQ(refusal({"--tournament", a, folder.Path("none.lua"), "--seeds", "1-2"}),
            folder.Path("none.lua") + ": cannot be read (a strategy is a Lua file)");
  EXPECT_EQ(refusal({"--tournament", a, folder.Path(""), "--seeds", "1-2"}),
            folder.Path("") + ": is a directory, not a strategy script (a Lua file)");
  EXPECT_EQ(refusal({"--tournament", a, copy, "--seeds", "1-2"}),
            copy + ": the same strategy as " + a + " (same content); a tournament needs different strategies");
  EXPECT_EQ(refusal({"--tournament", a, copy, "--seeds", "1-2"}, false), a + ":1: unexpected symbol");
}
