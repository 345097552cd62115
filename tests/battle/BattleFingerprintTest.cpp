// A battle's fingerprint: the same battle gives the same one, and the least change of its state
// (a unit one float step aside, one more random draw) another. The recorded battles of
// GoldenBattleTest hold its values.
#include "battle/BattleFingerprint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "tests/support/Battlefield.h"

namespace {

constexpr int kFrames = 300;

class BattleFingerprintTest : public Battlefield {
 protected:
  // The battle of the seed after kFrames frames, armies marching, messages queued.
  std::uint64_t FingerprintAfterFrames(unsigned seed) {
    Rebuild(Scenario{}, seed);
    battle->StartBattle();
    StepFrames(kFrames);
    return BattleFingerprint::Of(*battle);
  }
};

TEST_F(BattleFingerprintTest, SameSeedTwiceGivesTheSameFingerprint) {
  const std::uint64_t first = FingerprintAfterFrames(5);
  EXPECT_EQ(FingerprintAfterFrames(5), first);
  EXPECT_NE(FingerprintAfterFrames(6), first);
}

TEST_F(BattleFingerprintTest, OneUnitOneFloatStepAsideChangesIt) {
  const std::uint64_t before = FingerprintAfterFrames(5);
  GameObject* archer = battle->Find("Archer 7");
  ASSERT_NE(archer, nullptr);
  Vector3& position = archer->GetSprite()->position;
  position.x = std::nextafter(position.x, 1e9f);
  EXPECT_NE(BattleFingerprint::Of(*battle), before);
}

TEST_F(BattleFingerprintTest, ADifferentRandomStateChangesIt) {
  const std::uint64_t before = FingerprintAfterFrames(5);
  battle->random.Rand();
  EXPECT_NE(BattleFingerprint::Of(*battle), before);
}

TEST(BattleFingerprintHex, SixteenLowercaseDigitsReadBack) {
  const std::uint64_t value = 0x0123456789abcdefull;
  EXPECT_EQ(BattleFingerprint::Hex(value), "0123456789abcdef");
  std::uint64_t read = 0;
  EXPECT_TRUE(BattleFingerprint::FromHex("0123456789abcdef", read));
  EXPECT_EQ(read, value);
  EXPECT_FALSE(BattleFingerprint::FromHex("0123456789ABCDEF", read));
  EXPECT_FALSE(BattleFingerprint::FromHex("0123456789abcde", read));
}

}  // namespace
