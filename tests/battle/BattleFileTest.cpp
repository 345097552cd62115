// A battle written to a file and read back plays on as the battle that was never stopped, the
// same fingerprint at every step; a file cut short, changed or foreign is refused with a reason.
// Every field the battle's walk visits counts in the fingerprint.
#include "battle/BattleFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "battle/BattleFingerprint.h"
#include "tests/support/Battlefield.h"

namespace {

constexpr std::uint32_t kStepMs = 16;

class BattleFileTest : public Battlefield {
 protected:
  std::unique_ptr<Battle> ReadBack(std::string* settings = nullptr) {
    std::string bytes;
    std::string error;
    EXPECT_TRUE(BattleFile::Write(*battle, "run settings", bytes, error)) << error;
    std::string readSettings;
    std::unique_ptr<Battle> loaded = BattleFile::Read(bytes, readSettings, error);
    EXPECT_NE(loaded, nullptr) << error;
    if (settings != nullptr) *settings = readSettings;
    return loaded;
  }

  void ExpectTwins(Battle& loaded, int steps) {
    std::uint32_t loadedMs = elapsedMs;
    for (int i = 0; i < steps; ++i) {
      StepFrame(kStepMs);
      loadedMs += kStepMs;
      loaded.timer.TickTo(loadedMs);
      loaded.RunSimulationStep();
      ASSERT_EQ(BattleFingerprint::Of(loaded), BattleFingerprint::Of(*battle)) << "step " << i;
    }
  }

  std::string Refusal(const std::string& bytes) {
    std::string settings;
    std::string error;
    EXPECT_EQ(BattleFile::Read(bytes, settings, error), nullptr);
    return error;
  }
};

// Seed 1's first battle ends near its 8,447th frame; the file is taken in its middle and again as
// the second battle's army is raised, and played on across the battle's end.
TEST_F(BattleFileTest, ALoadedBattlePlaysOnAsTheBattleNeverStopped) {
  Rebuild(Scenario{}, 1);
  battle->StartBattle();
  StepFrames(4000, kStepMs);
  std::string settings;
  std::unique_ptr<Battle> loaded = ReadBack(&settings);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(settings, "run settings");
  EXPECT_EQ(BattleFingerprint::Of(*loaded), BattleFingerprint::Of(*battle));
  ExpectTwins(*loaded, 4600);
  EXPECT_EQ(battle->BattlesStarted(), 2);

  loaded = ReadBack();
  ASSERT_NE(loaded, nullptr);
  ExpectTwins(*loaded, 300);
}

TEST_F(BattleFileTest, ACutChangedOrForeignFileIsRefused) {
  battle->StartBattle();
  StepFrames(300, kStepMs);
  std::string bytes;
  std::string error;
  ASSERT_TRUE(BattleFile::Write(*battle, "", bytes, error)) << error;

  EXPECT_NE(Refusal(bytes.substr(0, bytes.size() - 1)).find("cut short"), std::string::npos);
  std::string edited = bytes;
  edited[edited.size() / 2] ^= 0x10;
  EXPECT_NE(Refusal(edited).find("checksum"), std::string::npos);
  EXPECT_NE(Refusal("{\"seed\":1}").find("not a battle file"), std::string::npos);
  std::string later = bytes;
  later[8] = 9;
  EXPECT_NE(Refusal(later).find("version 9"), std::string::npos);
}

TEST_F(BattleFileTest, AScriptedBattleIsNotSaved) {
  Scenario scripted;
  scripted.armies[0].general = "strategies/builtin.lua";
  Rebuild(scripted);
  battle->StartBattle();
  std::string bytes;
  std::string error;
  EXPECT_FALSE(BattleFile::Write(*battle, "", bytes, error));
  EXPECT_NE(error.find("strategy"), std::string::npos);
}

// Changes one field, chosen by its number in the walk, to another value.
class Nudge final : public StateArchive {
 public:
  explicit Nudge(long long chosen) : target(chosen) {}
  void Int(const char* name, int& value) override { Visit(name, value, value + 1); }
  void Word(const char* name, std::uint32_t& value) override { Visit(name, value, value + 1); }
  void Wide(const char* name, std::uint64_t& value) override { Visit(name, value, value + 1); }
  void Float(const char* name, float& value) override { Visit(name, value, value + 1.0f); }
  void Flag(const char* name, bool& value) override { Visit(name, value, !value); }
  void Text(const char* name, std::string& value) override { Visit(name, value, value + "x"); }
  // A list's length and a machine's kind say what follows: changed alone they would only
  // unbalance the walk. The count is hashed like any field.
  void Count(const char* /*name*/, std::uint32_t& /*count*/, std::uint32_t /*smallest*/) override {}
  void Kind(const char* /*name*/, std::string& /*kind*/) override {}
  // A report's words stay out of the hash on purpose.
  void Words(const char* /*name*/, std::string& /*words*/) override {}

  long long visited = 0;
  std::string nudged;

 private:
  template <class Value>
  void Visit(const char* name, Value& value, const Value& other) {
    if (visited++ != target) return;
    value = other;
    nudged = name;
  }

  long long target;
};

// A small battle with every kind of state in it: squads marching and fighting, duels, queued
// messages. A field the walk visits and the hash left out would fail here; a field the walk
// misses fails the battle file's play-on above.
TEST_F(BattleFileTest, ChangingAnyWalkedFieldChangesTheFingerprint) {
  Scenario small;
  for (ArmySetup& army : small.armies) {
    army.squads = 2;
    army.followers = 3;
  }
  Rebuild(small, 1);
  battle->StartBattle();
  for (int frame = 0; frame < 20000 && (battle->Duels().empty() || battle->Casualties() == 0); ++frame) {
    StepFrame(kStepMs);
  }
  ASSERT_FALSE(battle->Duels().empty());
  const std::uint64_t before = BattleFingerprint::Of(*battle);
  Nudge count(-1);
  battle->Walk(count);
  ASSERT_GT(count.visited, 1000);
  for (long long field = 0; field < count.visited; ++field) {
    std::unique_ptr<Battle> changed = battle->Copy();
    ASSERT_NE(changed, nullptr);
    Nudge nudge(field);
    changed->Walk(nudge);
    ASSERT_NE(BattleFingerprint::Of(*changed), before) << "field " << field << ", " << nudge.nudged;
  }
}

}  // namespace
