// Whole battles with script Generals, through the headless runner as a study or a tournament runs
// them: only the scenario's ArmySetup::general is set, and only the battle lines are read.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/run/HeadlessRunner.h"
#include "app/setup/ScenarioFile.h"
#include "tests/support/TempFolder.h"

namespace {
std::vector<std::string> BattleLines(unsigned seed, int battles, const Scenario& scenario, bool json = true) {
  HeadlessOptions options;
  options.seed = seed;
  options.seedGiven = true;
  options.battles = battles;
  options.json = json;
  options.maxSeconds = 900.0;
  std::ostringstream out;
  HeadlessRunner(options, scenario).Run(out, nullptr);
  std::vector<std::string> lines;
  std::istringstream stream(out.str());
  for (std::string line; std::getline(stream, line);) {
    if (line.rfind("Summary", 0) != 0 && line.rfind("{\"summary\"", 0) != 0) lines.push_back(line);
  }
  return lines;
}

Scenario WithGenerals(const std::string& red, const std::string& blue) {
  Scenario scenario;
  scenario.armies[0].general = red;
  scenario.armies[1].general = blue;
  return scenario;
}
}  // namespace

// The draws, the goals and the General's duel of the built-in General, made by the script.
TEST(ScriptedBattles, BuiltinLuaFightsTheBuiltInBattlesToTheLastKill) {
  const Scenario scripted = WithGenerals("strategies/builtin.lua", "strategies/builtin.lua");
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    EXPECT_EQ(BattleLines(seed, 2, scripted), BattleLines(seed, 2, Scenario{}));
  }
}

TEST(ScriptedBattles, AFailingScriptForfeitsEachBattleAndTheRunGoesOn) {
  TempFolder folder("forfeit");
  const std::string path = folder.Path("boom.lua");
  std::ofstream(path) << "function on_squad_ready(battle, squad)\n  error('no plan')\nend\n";
  const std::vector<std::string> lines = BattleLines(5, 2, WithGenerals(path, ""), false);
  ASSERT_EQ(lines.size(), 2u);
  for (const std::string& line : lines) {
    EXPECT_NE(line.find(": blue wins after "), std::string::npos) << line;
    EXPECT_NE(line.find("; red forfeits: " + path + ":2: no plan; fingerprint "), std::string::npos) << line;
  }
  const std::vector<std::string> json = BattleLines(5, 1, WithGenerals(path, ""));
  ASSERT_EQ(json.size(), 1u);
  const std::string forfeit = ",\"forfeit\":\"red\",\"forfeit_reason\":\"" + path + ":2: no plan\",\"fingerprint\":";
  EXPECT_NE(json[0].find(forfeit), std::string::npos) << json[0];
}

// A General that fails on its battle's first step forfeits that battle and no other: each battle
// line names its own forfeit and its own squads. Only the first battle's whole army leads with these types
// (later, when its first squads have fallen, another may lead with them).
TEST(ScriptedBattles, AForfeitOnTheFirstStepIsRecordedForItsOwnBattleOnly) {
  TempFolder folder("forfeit");
  const std::string path = folder.Path("once.lua");
  std::ofstream(path) << R"(
function on_squad_ready(battle, squad)
  local enemy = battle.enemy_general
  if enemy then return {x = enemy.x, z = enemy.z} end
end
function general_fights(battle)
  local first, whole = battle.squads()[1], #battle.squads() == 5
  if first and whole and first.type == (battle.side == "red" and "berserker" or "soldier") then error("first battle") end
  local enemy = battle.enemy_general
  return battle.general.squads == 0 and enemy ~= nil and enemy.squads == 0
end
)";
  for (const bool red : {true, false}) {
    SCOPED_TRACE(red ? "red" : "blue");
    const std::vector<std::string> lines = BattleLines(1, 3, red ? WithGenerals(path, "") : WithGenerals("", path), false);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find(std::string("; red squads berserker, archer, soldier, berserker, archer; blue squads soldier, "
                                        "berserker, archer, soldier, berserker; ") +
                            (red ? "red" : "blue") + " forfeits: " + path + ":8: first battle; fingerprint "),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find("; red squads archer, "), std::string::npos) << lines[1];
    for (const std::string& later : {lines[1], lines[2]}) {
      EXPECT_EQ(later.find("forfeit"), std::string::npos) << later;
      EXPECT_EQ(later.find("unfinished"), std::string::npos) << later;
    }
  }
}

// The second battle starts within the step that ends the first, and its script's top level draws
// differently and fails: that battle is forfeited, after one step of its own, and only it.
TEST(ScriptedBattles, AScriptThatFailsToLoadForALaterBattleForfeitsThatBattleOnly) {
  TempFolder folder("forfeit");
  const std::string path = folder.Path("unlucky.lua");
  std::ofstream(path) << "if math.random(1, 3) == 2 then error('drew 2') end\n"
                         "function on_squad_ready(battle, squad)\n"
                         "  local enemy = battle.enemy_general\n"
                         "  if enemy then return {x = enemy.x, z = enemy.z} end\n"
                         "end\n";
  const std::vector<std::string> lines = BattleLines(2, 3, WithGenerals(path, ""), false);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].find("forfeit"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("Battle 2: blue wins after 0.016 s (1 frames)"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("; red forfeits: " + path + ":1: drew 2; fingerprint "), std::string::npos) << lines[1];
  EXPECT_EQ(lines[2].find("forfeit"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[2].find("unfinished"), std::string::npos) << lines[2];
}

// Each shipped strategy finishes its battles against the built-in General, and not as it does.
TEST(ScriptedBattles, ShippedStrategiesFinishTheirBattlesEachItsOwnWay) {
  const std::vector<std::string> builtIn = BattleLines(1, 1, Scenario{});
  for (const char* name : {"hold-the-hill", "concentrate-left", "wait-and-counter"}) {
    SCOPED_TRACE(name);
    const std::vector<std::string> lines = BattleLines(1, 1, WithGenerals(std::string("strategies/") + name + ".lua", ""));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].find("unfinished"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0].find("forfeit"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0], builtIn[0]);
  }
}

TEST(ScriptedBattles, ScenarioGeneralIsBesideTheFileAndItsTyposAreHinted) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ScenarioFile::Parse("[blue]\ngeneral = \"../strategies/x.lua\"\n", "s.toml", "scenarios", scenario, error))
      << error;
  EXPECT_EQ(scenario.armies[1].general, "strategies/x.lua");
  EXPECT_FALSE(ScenarioFile::Parse("[red]\ngenerl = \"x.lua\"\n", "s.toml", "scenarios", scenario, error));
  EXPECT_EQ(error, "s.toml:2:1: unknown key \"generl\" in [red] (did you mean \"general\"?)");
}
