// --verify: a run's, a study's, the window's and a tournament's own output play again to the same
// battles, each with the settings it was run with; an altered line is named by file, line, battle
// and seed; whatever a merge refuses is refused; an interrupted run is played as far as it went
// and not called whole.
#include "app/verify/BattleVerifier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/run/HeadlessRunner.h"
#include "app/run/StudyIdentity.h"
#include "app/run/StepHistogram.h"
#include "app/setup/GeneralChoice.h"
#include "app/setup/ScenarioFile.h"
#include "app/study/SeedStudy.h"
#include "app/tournament/Tournament.h"
#include "app/window/WindowOptions.h"
#include "app/window/WindowReport.h"
#include "battle/Scenario.h"
#include "strategy/StrategyScript.h"
#include "tests/support/TempFolder.h"

namespace {

// The battle the options name, loaded as the program loads it.
Scenario Loaded(const HeadlessOptions& options) {
  Scenario scenario;
  std::string error;
  if (!options.scenarioFile.empty()) {
    EXPECT_TRUE(ScenarioFile::Load(options.scenarioFile, scenario, error)) << error;
  }
  EXPECT_TRUE(GeneralChoice::Apply(options.generals, scenario, error)) << error;
  return scenario;
}

HeadlessOptions Parsed(std::vector<std::string> arguments) {
  // Long steps, unless the test sets its own: the same battles in an eighth of the time.
  if (std::find(arguments.begin(), arguments.end(), "--frame-ms") == arguments.end()) {
    arguments.insert(arguments.begin(), {"--frame-ms", "100"});
  }
  arguments.insert(arguments.begin(), "--json");
  HeadlessOptions options;
  std::string error;
  EXPECT_EQ(CommandLine::ParseHeadless(arguments, options, error), CommandLine::Outcome::Run) << error;
  return options;
}

// What the program writes for a study with these options.
std::string Output(const std::vector<std::string>& arguments) {
  const HeadlessOptions options = Parsed(arguments);
  std::ostringstream out;
  SeedStudy(options, Loaded(options)).Run(out, nullptr);
  return out.str();
}

// What the program writes for a run of one seed with these options, and its exit status.
std::string RunOutput(const std::vector<std::string>& arguments, int* status = nullptr) {
  const HeadlessOptions options = Parsed(arguments);
  std::ostringstream out;
  testing::internal::CaptureStderr();
  const int exit = HeadlessRunner(options, Loaded(options)).Run(out, nullptr);
  testing::internal::GetCapturedStderr();
  if (status != nullptr) *status = exit;
  return out.str();
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line + "\n");
  return lines;
}

class BattleVerifierTest : public testing::Test {
 protected:
  // Seeds 1 and 2, two battles each: four battle lines and the summary.
  static void SetUpTestSuite() { study = Output({"--seeds", "1-2", "--battles", "2"}); }

  // Reads text as the file NAME; false with the refusal in error.
  bool Read(BattleVerifier& verifier, const std::string& text, std::string& error,
            const std::string& name = "study.jsonl") {
    std::istringstream lines(text);
    return verifier.AddLines(lines, name, error);
  }

  // Reads text and plays it again on two threads, with the battle the arguments name.
  BattleVerifier::Outcome Verify(const std::string& text, const std::vector<std::string>& battle = {}) {
    BattleVerifier verifier;
    std::string error;
    EXPECT_TRUE(Read(verifier, text, error)) << error;
    return Replay(verifier, battle);
  }

  BattleVerifier::Outcome Replay(const BattleVerifier& verifier, const std::vector<std::string>& battle = {}) {
    const HeadlessOptions options = Parsed(battle);
    const Scenario scenario = Loaded(options);
    std::string error;
    EXPECT_TRUE(verifier.SameBattle(options.scenarioFile, scenario, error)) << error;
    std::ostringstream out;
    const BattleVerifier::Outcome outcome = verifier.Replay(scenario, 2, out, nullptr);
    said = out.str();
    return outcome;
  }

  std::string Refusal(const std::string& text) {
    BattleVerifier verifier;
    std::string error;
    EXPECT_FALSE(Read(verifier, text, error));
    return error;
  }

  inline static std::string study;
  std::string said;
};

TEST_F(BattleVerifierTest, AStudysOwnOutputMatches) {
  const BattleVerifier::Outcome outcome = Verify(study);
  EXPECT_EQ(said, "");
  EXPECT_EQ(BattleVerifier::ResultLine(outcome), "verified 4 battles of 2 seeds: all match\n");
  EXPECT_EQ(BattleVerifier::ExitStatus(outcome), 0);
}

TEST_F(BattleVerifierTest, NamesTheBattleWhoseFingerprintWasAltered) {
  const std::size_t at = study.rfind("\"fingerprint\":\"") + 15;
  const std::string recorded = study.substr(at, 16);
  const std::string written = recorded.substr(0, 15) + (recorded[15] == '0' ? "1" : "0");
  const BattleVerifier::Outcome outcome = Verify(Replace(study, recorded, written));
  EXPECT_EQ(said, "study.jsonl:4: battle 2 of seed 2: fingerprint " + written + " recorded, " + recorded + " now\n");
  EXPECT_EQ(BattleVerifier::ExitStatus(outcome), 1);
}

// Lines deleted, doubled or swapped, a tally or the seed range edited, a file given twice: what a
// merge refuses is never verified as "all match".
TEST_F(BattleVerifierTest, RefusesWhatAMergeRefuses) {
  const std::vector<std::string> l = Lines(study);
  const std::size_t wins = l[4].find("\"red_wins\":") + 11;
  const std::string moreWins = std::string(l[4]).replace(wins, 1, std::string(1, static_cast<char>(l[4][wins] + 1)));
  EXPECT_EQ(Refusal(l[0] + l[1] + l[3] + l[4]), "study.jsonl:3: battle 2 of seed 2 out of order");
  EXPECT_EQ(Refusal(l[0] + l[1] + l[2] + l[2] + l[3] + l[4]), "study.jsonl:4: battle 1 of seed 2 out of order");
  EXPECT_EQ(Refusal(l[0] + l[2] + l[1] + l[3] + l[4]),
            "study.jsonl:3: the lines of seed 1 are not together: out of order");
  EXPECT_EQ(Refusal(l[0] + l[1] + l[2] + l[3] + moreWins),
            "study.jsonl:5: the summary disagrees with the battle lines before it");
  EXPECT_EQ(Refusal(Replace(study, "\"seeds\":\"1-2\"", "\"seeds\":\"1-3\"")),
            "study.jsonl:5: the shard ran 2 of its 3 seeds: run it again");
  BattleVerifier verifier;
  std::string error;
  ASSERT_TRUE(Read(verifier, study, error)) << error;
  EXPECT_FALSE(Read(verifier, study, error, "again.jsonl"));
  EXPECT_EQ(error, "again.jsonl:1: seed 1 appears twice: shards overlap or a file was given twice");
  EXPECT_FALSE(verifier.AddFile("scenarios", error));
  EXPECT_EQ(error, "scenarios: is a directory; give the files of JSON lines in it");
}

// Seeds 1-3 read 1, 3, 2: each seed after a later one is out of order, not only the second's.
TEST_F(BattleVerifierTest, RefusesThreeSeedsOutOfOrder) {
  const std::vector<std::string> l = Lines(Output({"--seeds", "1-3"}));
  ASSERT_EQ(l.size(), 4u);
  EXPECT_EQ(Refusal(l[0] + l[2] + l[1] + l[3]), "study.jsonl:3: seed 2 after seed 3: out of order");
}

// An interrupt cuts a run's last seed short, never one before it.
TEST_F(BattleVerifierTest, RefusesAnInterruptedRunWhoseSeedBeforeTheLastIsShort) {
  const std::vector<std::string> l = Lines(study);
  const std::string cut = Replace(l[4], ",\"study\"", ",\"interrupted\":true,\"study\"");
  EXPECT_EQ(Refusal(l[0] + l[2] + l[3] + cut), "study.jsonl:4: seed 1 ran 1 of its 2 battles: run the shard again");
}

// One shard of two: what was given is played and said to be part; the status is a match's.
TEST_F(BattleVerifierTest, AShardWithoutItsPartnerMatchesAsAPart) {
  const BattleVerifier::Outcome outcome = Verify(Output({"--seeds", "1-2", "--shard", "0/2"}));
  EXPECT_EQ(BattleVerifier::ResultLine(outcome),
            "verified 1 battle of 1 seed (only 1 of the 2 shards of seeds 1-2 given): all match\n");
  EXPECT_EQ(BattleVerifier::ExitStatus(outcome), 0);
}

// A run of one --seed is named as the user ran it, not as a shard, and a version no battlesim
// writes is damage, not another program's battles.
TEST_F(BattleVerifierTest, ARunOfOneSeedIsNamedAsARun) {
  const std::vector<std::string> run = Lines(RunOutput({"--seed", "2", "--battles", "2"}));
  ASSERT_EQ(run.size(), 3u);
  EXPECT_EQ(Refusal(run[2]), "study.jsonl:1: the run of seed 2 has no battle line before its summary: run it again");
  EXPECT_EQ(Refusal(run[0] + run[1]),
            "study.jsonl: ends without a summary after its last battle lines; the run was cut off before its summary, "
            "which alone says how its battles were run: run it again");
  EXPECT_EQ(Refusal(Replace(run[0] + run[1] + run[2], "\"version\":\"", "\"version\":\"banana")),
            "study.jsonl:3: \"study.version\" is \"banana" + StudyIdentity::ProgramVersion() +
                "\", which no battlesim writes: the file is damaged");
  const auto second = [&](const std::string& first, const std::string& firstName, const std::string& then,
                          const std::string& thenName) {
    BattleVerifier verifier;
    std::string error;
    EXPECT_TRUE(Read(verifier, first, error, firstName)) << error;
    EXPECT_FALSE(Read(verifier, then, error, thenName));
    return error;
  };
  const std::string whole = run[0] + run[1] + run[2];
  EXPECT_EQ(second(whole, "run.jsonl", whole, "again.jsonl"),
            "again.jsonl:3: the run of seed 2 was given already, in run.jsonl:3");
  EXPECT_EQ(second(whole, "run.jsonl", study, "study.jsonl"),
            "study.jsonl:3: seed 2 appears twice: here and in the run of seed 2 (run.jsonl:3)");
  EXPECT_EQ(second(study, "study.jsonl", whole, "run.jsonl"),
            "run.jsonl:3: the run of seed 2 here but seeds 1-2 in study.jsonl:5: runs of different studies: verify "
            "each on its own");
}

// The --json step lines of --fingerprint-every are JSON, and the run verifies; a step the run never
// reaches is said, not passed over; each coordinate has its own label.
TEST_F(BattleVerifierTest, AStepViewsOutputStaysVerifiableAndAStepNeverReachedFails) {
  const std::string printed = RunOutput({"--seed", "1", "--fingerprint-every", "400"});
  const std::vector<std::string> lines = Lines(printed);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].rfind("{\"step\":400,\"fingerprint\":\"", 0), 0u) << lines[0];
  EXPECT_EQ(BattleVerifier::ResultLine(Verify(printed)), "verified 1 battle of 1 seed: all match\n") << said;
  int status = 0;
  RunOutput({"--seed", "1", "--state-at-step", "100000"}, &status);
  EXPECT_EQ(status, HeadlessRunner::kStepNotReachedStatus);
  HeadlessOptions text = Parsed({"--seed", "1", "--state-at-step", "1"});
  text.json = false;
  std::ostringstream fields;
  EXPECT_EQ(HeadlessRunner(text, Scenario{}).Run(fields, nullptr), 0);
  for (const char* label : {"sprite.position.x = ", "sprite.position.z = ", "sprite.target.y = "}) {
    EXPECT_NE(fields.str().find(label), std::string::npos) << label;
  }
}

TEST_F(BattleVerifierTest, AnInterruptedRunIsPlayedAsFarAsItWentAndNotCalledWhole) {
  // Seeds 1-2 stopped after seed 1: seed 1's lines and counts, the summary marked interrupted.
  const std::string firstSeed = Output({"--seeds", "1-1", "--battles", "2"});
  const std::string cut = Replace(Replace(firstSeed, "\"seeds\":\"1-1\"", "\"seeds\":\"1-2\""), ",\"study\"",
                                  ",\"interrupted\":true,\"study\"");
  const BattleVerifier::Outcome outcome = Verify(cut);
  EXPECT_EQ(BattleVerifier::ResultLine(outcome),
            "verified 2 battles of 1 seed as far as the run went: none differ, but the run was interrupted "
            "(study.jsonl:3) and is not whole\n");
  EXPECT_EQ(BattleVerifier::ExitStatus(outcome), BattleVerifier::kNotWholeStatus);
}

TEST_F(BattleVerifierTest, RefusesALineWithoutAFingerprint) {
  const std::size_t at = study.find(",\"fingerprint\":");
  EXPECT_EQ(
      Refusal(std::string(study).erase(at, 33)),
      "study.jsonl:1: a battle line without \"fingerprint\": written by an older battlesim-headless; run it again");
}

// A General's script is part of what the battles were: a study that names one is not verified
// without it, nor with another script.
TEST_F(BattleVerifierTest, RefusesAStudyWhoseGeneralsScriptIsNotTheOneGiven) {
  BattleVerifier verifier;
  std::string error;
  ASSERT_TRUE(Read(verifier, Replace(study, "\"version\":", "\"red_general\":\"crc32:00000001\",\"version\":"), error));
  EXPECT_FALSE(verifier.SameBattle("", Scenario{}, error));
  EXPECT_EQ(error,
            "study.jsonl:5: the battles ran red's script crc32:00000001, but no --red-general was given: "
            "give its script with --red-general FILE");
}

// Each setting a summary records changes the battles, and the battles play again with it.
TEST_F(BattleVerifierTest, PlaysEachRecordedSettingAgain) {
  const std::string plain = Output({"--seeds", "1-1"});
  const std::vector<std::vector<std::string>> settings = {{"--no-blood"},
                                                          {"--frame-ms", "120"},
                                                          {"--max-seconds", "30"},
                                                          {"--scenario", "scenarios/lopsided.toml"},
                                                          {"--red-general", "strategies/hold-the-hill.lua"}};
  for (const std::vector<std::string>& setting : settings) {
    std::vector<std::string> arguments = {"--seeds", "1-1"};
    arguments.insert(arguments.end(), setting.begin(), setting.end());
    const std::string recorded = Output(arguments);
    const std::size_t at = recorded.find("\"fingerprint\"");
    EXPECT_NE(recorded.substr(at, 32), plain.substr(plain.find("\"fingerprint\""), 32)) << setting[0];
    const bool file = setting[0] == "--scenario" || setting[0] == "--red-general";
    const BattleVerifier::Outcome outcome = Verify(recorded, file ? setting : std::vector<std::string>{});
    EXPECT_EQ(BattleVerifier::ResultLine(outcome), "verified 1 battle of 1 seed: all match\n") << setting[0] << said;
  }
}

// The window's report: the battle lines of a seed's run and the window's summary.
TEST_F(BattleVerifierTest, TheWindowsReportVerifiesUpToTheBattleItsUserChanged) {
  HeadlessOptions run = Parsed({"--seed", "1", "--battles", "2"});
  std::ostringstream lines;
  StepHistogram steps;
  long long frames = 0;
  const RunSummary counts = HeadlessRunner(run, Scenario{}).RunBattles(lines, nullptr, steps, frames);
  WindowOptions window;
  window.fixedSteps = true;
  window.frameMs = 100;
  const auto report = [&](int changedFrom) {
    return lines.str() +
           WindowReport::Summary(window, Scenario{}, counts, changedFrom).Format(true);
  };
  EXPECT_EQ(BattleVerifier::ResultLine(Verify(report(0))), "verified 2 battles of 1 seed: all match\n");
  const BattleVerifier::Outcome reset = Verify(report(2));
  EXPECT_EQ(BattleVerifier::ResultLine(reset),
            "verified 1 battle of 1 seed (not played: 1 battle from battle 2 on, which the window's user changed by a "
            "reset or the blood switch): all match\n");
  EXPECT_EQ(BattleVerifier::ExitStatus(reset), 0);
  window.fixedSteps = false;
  EXPECT_EQ(Refusal(report(0)),
            "study.jsonl:3: the window ran one step per frame (without --seed, --battle, --at or --frame-ms): its "
            "battles hang on the frame rate and cannot be played again");
}

// Ended by Ctrl-C, the window's report is as whole as a headless run ended so; with no battle
// finished it has nothing to match.
TEST_F(BattleVerifierTest, AWindowReportInterruptedOrWithoutABattleIsNotCalledAMatch) {
  HeadlessOptions run = Parsed({"--seed", "1"});
  std::ostringstream lines;
  StepHistogram steps;
  long long frames = 0;
  RunSummary counts = HeadlessRunner(run, Scenario{}).RunBattles(lines, nullptr, steps, frames);
  counts.interrupted = true;
  WindowOptions window;
  window.fixedSteps = true;
  window.frameMs = 100;
  const BattleVerifier::Outcome interrupted =
      Verify(lines.str() + WindowReport::Summary(window, Scenario{}, counts, 0).Format(true));
  EXPECT_EQ(BattleVerifier::ResultLine(interrupted),
            "verified 1 battle of 1 seed as far as the run went: none differ, but the run was interrupted "
            "(study.jsonl:2) and is not whole\n");
  EXPECT_EQ(BattleVerifier::ExitStatus(interrupted), BattleVerifier::kNotWholeStatus);
  RunSummary none;
  none.seed = 1;
  const BattleVerifier::Outcome empty = Verify(WindowReport::Summary(window, Scenario{}, none, 0).Format(true));
  EXPECT_EQ(BattleVerifier::ResultLine(empty), "verified no battle: the files hold none to play again\n");
  EXPECT_EQ(BattleVerifier::ExitStatus(empty), BattleVerifier::kNotWholeStatus);
}

TEST_F(BattleVerifierTest, ATournamentsGamesVerifyGivenTheirScriptsMatchedByChecksum) {
  const TempFolder folder("verify-tournament");
  const std::string holds = folder.Path("holds.lua");
  const std::string fails = folder.Path("fails.lua");
  std::ofstream(holds) << "function on_squad_ready(battle, squad) return nil end\n";
  std::ofstream(fails) << "function on_squad_ready(battle, squad)\n  error('no plan')\nend\n";
  const HeadlessOptions options = Parsed({"--tournament", holds, fails, "--seeds", "7-7"});
  TournamentIdentity identity;
  std::string error;
  ASSERT_TRUE(TournamentIdentity::Of(options, Scenario{}, &StrategyScript::Check, identity, error)) << error;
  std::ostringstream out;
  Tournament(options, identity, Tournament::Battles(options, Scenario{})).Run(out, nullptr);
  const auto verified = [&](const std::vector<std::string>& scripts, std::string& refusal) {
    BattleVerifier verifier;
    std::istringstream lines(out.str());
    if (!verifier.AddTournamentLines(lines, "table.jsonl", refusal) || !verifier.TakeScripts(scripts, refusal))
      return std::string();
    return BattleVerifier::ResultLine(Replay(verifier));
  };
  EXPECT_EQ(verified({fails, holds}, error), "verified 2 games of 1 seed: all match\n") << error;
  // The same files elsewhere: the forfeit's reason names the script as the tournament did.
  const TempFolder moved("verify-tournament-moved");
  std::filesystem::copy_file(holds, moved.Path("holds.lua"));
  std::filesystem::copy_file(fails, moved.Path("fails.lua"));
  EXPECT_EQ(verified({moved.Path("fails.lua"), moved.Path("holds.lua")}, error),
            "verified 2 games of 1 seed: all match\n")
      << error;
  EXPECT_EQ(verified({holds}, error), "");
  EXPECT_EQ(error, "table.jsonl:6: the tournament's strategy " + fails + " (" + identity.checksums[1] +
                       ") was not given: give its file after the tournament's output");
  std::ofstream(fails, std::ios::app) << "-- edited\n";
  EXPECT_EQ(verified({holds, fails}, error), "");
  EXPECT_EQ(error.rfind(fails + ": edited since the tournament played it: crc32:", 0), 0u) << error;
  EXPECT_NE(error.find(" now, " + identity.checksums[1] + " in table.jsonl:6"), std::string::npos) << error;
}

}  // namespace
