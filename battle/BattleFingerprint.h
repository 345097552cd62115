// One 64-bit number for the whole state of a battle: two machines that computed the same battle
// to the last bit give the same fingerprint, and a battle that went otherwise anywhere, however
// slightly, almost surely another.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "statemachine/StateArchive.h"

class Battle;

// FNV-1a over every field the battle's walk visits, in its order: integers and float bit patterns
// least significant byte first, flags as one byte, texts by length then bytes. Nothing depends on
// the compiler, the standard library or the machine's byte order, so equal battles hash alike
// everywhere.
class BattleFingerprint final : public StateArchive {
 public:
  // The battle as it stands. Must not be called while its objects update: the battle ends, and
  // is fingerprinted, while the router delivers, and otherwise between steps.
  static std::uint64_t Of(const Battle& battle);
  // Every field the fingerprint hashes, one line each ("object Soldier 12: sprite.position =
  // 0x1.4p+3 (10)"), in hashing order: where two builds' battles part, the first line that
  // differs names the object and the field.
  static std::vector<std::string> Fields(const Battle& battle);
  // 16 lowercase hex digits.
  static std::string Hex(std::uint64_t fingerprint);
  // The number those digits give; false for anything but 16 lowercase hex digits.
  static bool FromHex(std::string_view text, std::uint64_t& fingerprint);

  void Place(std::string_view kind, std::string_view name) override;
  void Int(const char* name, int& value) override { Add(name, static_cast<std::uint32_t>(value), 4); }
  void Word(const char* name, std::uint32_t& value) override { Add(name, value, 4); }
  void Wide(const char* name, std::uint64_t& value) override { Add(name, value, 8); }
  void Float(const char* name, float& value) override;
  void Flag(const char* name, bool& value) override { Add(name, value ? 1u : 0u, 1); }
  void Text(const char* name, std::string& value) override;
  void Point(const char* name, Vector3& point) override;
  void Words(const char* name, std::string& words) override;
  void Count(const char* name, std::uint32_t& count, std::uint32_t /*smallest*/) override { Add(name, count, 4); }

 private:
  BattleFingerprint() = default;
  // The battle's walk changes nothing of what an archive that only looks is given.
  void WalkBattle(const Battle& battle);
  void Record(const char* name, const std::string& value);
  void Mix(std::uint64_t value, int bytes);
  void Add(const char* name, std::uint64_t value, int bytes);

  std::uint64_t hash = 14695981039346656037ull;
  std::vector<std::string>* fields = nullptr;
  std::string where = "battle";
};
