// --verify: a study's own output plays again to the same battles, and a line whose fingerprint or
// winner was altered is named by file, line, battle and seed; a line without a fingerprint is
// refused.
#include "app/BattleVerifier.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/SeedStudy.h"
#include "battle/Scenario.h"

namespace {

class BattleVerifierTest : public testing::Test {
 protected:
  // Seeds 1 and 2, one battle each: two battle lines and the summary.
  static void SetUpTestSuite() {
    HeadlessOptions options;
    options.study = true;
    options.seeds.first = 1;
    options.seeds.last = 2;
    options.json = true;
    std::ostringstream out;
    SeedStudy(options, Scenario{}).Run(out, nullptr);
    study = out.str();
  }

  static std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  }

  // Reads text as the file study.jsonl and plays it again on two threads; what it wrote goes to said.
  BattleVerifier::Outcome Verify(const std::string& text) {
    BattleVerifier verifier;
    std::istringstream lines(text);
    std::string error;
    EXPECT_TRUE(verifier.AddLines(lines, "study.jsonl", error)) << error;
    EXPECT_TRUE(verifier.SameBattle("", Scenario{}, error)) << error;
    std::ostringstream out;
    const BattleVerifier::Outcome outcome = verifier.Replay(Scenario{}, 2, out, nullptr);
    said = out.str();
    return outcome;
  }

  inline static std::string study;
  std::string said;
};

TEST_F(BattleVerifierTest, AStudysOwnOutputMatches) {
  const BattleVerifier::Outcome outcome = Verify(study);
  EXPECT_EQ(said, "");
  EXPECT_EQ(BattleVerifier::ResultLine(outcome), "verified 2 battles of 2 seeds: all match\n");
}

TEST_F(BattleVerifierTest, NamesTheBattlesWhoseFingerprintOrWinnerWasAltered) {
  const std::size_t secondLine = study.find('\n') + 1;
  const std::size_t fingerprint = study.find("\"fingerprint\":\"", secondLine) + 15;
  const std::string recorded = study.substr(fingerprint, 16);
  std::string altered = study;
  altered[fingerprint + 15] = recorded[15] == '0' ? '1' : '0';
  const std::string written = altered.substr(fingerprint, 16);
  const bool redWon = study.substr(0, secondLine).find("\"winner\":\"red\"") != std::string::npos;
  altered = Replace(altered, redWon ? "\"winner\":\"red\"" : "\"winner\":\"blue\"",
                    redWon ? "\"winner\":\"blue\"" : "\"winner\":\"red\"");
  const BattleVerifier::Outcome outcome = Verify(altered);
  EXPECT_EQ(outcome.differing, 2);
  const std::string winners = redWon ? "winner blue recorded, red now" : "winner red recorded, blue now";
  EXPECT_NE(said.find("study.jsonl:1: battle 1 of seed 1: " + winners), std::string::npos) << said;
  EXPECT_NE(said.find("study.jsonl:2: battle 1 of seed 2: fingerprint " + written +
                      " recorded, " + recorded + " now\n"),
            std::string::npos)
      << said;
}

TEST_F(BattleVerifierTest, RefusesALineWithoutAFingerprint) {
  const std::size_t at = study.find(",\"fingerprint\":");
  const std::string older = std::string(study).erase(at, 33);
  BattleVerifier verifier;
  std::istringstream lines(older);
  std::string error;
  EXPECT_FALSE(verifier.AddLines(lines, "old.jsonl", error));
  EXPECT_EQ(error, "old.jsonl:1: a battle line without \"fingerprint\": written by an older battlesim-headless; run it again");
}

// A General's script is part of what the battles were: a study that names one is not verified
// without it, nor with another script.
TEST_F(BattleVerifierTest, RefusesAStudyWhoseGeneralsScriptIsNotTheOneGiven) {
  const std::string scripted =
      Replace(study, "\"version\":", "\"red_general\":\"crc32:00000001\",\"version\":");
  BattleVerifier verifier;
  std::istringstream lines(scripted);
  std::string error;
  ASSERT_TRUE(verifier.AddLines(lines, "study.jsonl", error)) << error;
  EXPECT_FALSE(verifier.SameBattle("", Scenario{}, error));
  EXPECT_EQ(error, "study.jsonl:3: the battles ran red's script crc32:00000001, but no --red-general was given: "
                   "give its script with --red-general FILE");
}

}  // namespace
