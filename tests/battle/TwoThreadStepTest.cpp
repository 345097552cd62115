// A battle stepped on two threads is the battle stepped on one, fingerprint for fingerprint. How
// much the second thread does depends on the processors it gets; that the walks it works out are
// taken, and only from their own start, WalkForesightTest holds.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "battle/Battle.h"
#include "battle/BattleFingerprint.h"
#include "objects/GameObjectManager.h"
#include "tests/support/Battlefield.h"

namespace {

class TwoThreadStepTest : public Battlefield {
 protected:
  // Enough squads for the second thread to be asked, through forming up, the march and the
  // first duels.
  static constexpr int kSquadsPerSide = 30;
  static constexpr int kFrames = 900;
  static constexpr int kEvery = 50;

  std::vector<std::uint64_t> Fingerprints(int threads) {
    Scenario scenario;
    for (ArmySetup& army : scenario.armies) army.squads = kSquadsPerSide;
    Rebuild(scenario);
    battle->SetStepThreads(threads);
    battle->StartBattle();
    std::vector<std::uint64_t> fingerprints;
    for (int frame = 1; frame <= kFrames; ++frame) {
      StepFrame();
      if (frame % kEvery == 0) fingerprints.push_back(BattleFingerprint::Of(*battle));
    }
    return fingerprints;
  }
};

TEST_F(TwoThreadStepTest, TwoThreadsPlayTheBattleOfOne) {
  const std::vector<std::uint64_t> one = Fingerprints(1);
  const std::vector<std::uint64_t> two = Fingerprints(2);
  ASSERT_GE(battle->objects->RegisteredCount(), WalkForesight::kFewestObjects);
  ASSERT_EQ(one.size(), two.size());
  for (std::size_t i = 0; i < one.size(); ++i) EXPECT_EQ(one[i], two[i]) << "after frame " << (i + 1) * kEvery;
}

}  // namespace
