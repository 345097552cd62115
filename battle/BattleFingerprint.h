// One 64-bit number for the whole state of a battle: two machines that computed the same battle
// to the last bit give the same fingerprint, and a battle that went otherwise anywhere, however
// slightly, almost surely another.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Battle;
class GameObject;
class StateMachine;
struct Duel;
struct Message;

// FNV-1a over a byte sequence defined here, field by field: integers and float bit patterns
// least significant byte first, strings by length then bytes. Nothing depends on the compiler,
// the standard library or the machine's byte order, so equal battles hash alike everywhere.
class BattleFingerprint {
 public:
  // The battle as it stands. Must not be called while its objects update: the battle ends, and
  // is fingerprinted, while the router delivers, and otherwise between steps.
  static std::uint64_t Of(const Battle& battle);
  // Every field the fingerprint hashes, one line each ("object Soldier 12: sprite.position.x =
  // 0x41200000 (10)"), in hashing order: where two builds' battles part, the first line that
  // differs names the object and the field.
  static std::vector<std::string> Fields(const Battle& battle);
  // 16 lowercase hex digits.
  static std::string Hex(std::uint64_t fingerprint);
  // The number those digits give; false for anything but 16 lowercase hex digits.
  static bool FromHex(std::string_view text, std::uint64_t& fingerprint);

 private:
  void AddBattle(const Battle& battle);
  void AddCounters(const Battle& battle);
  // Names what the next values are, for Fields.
  void Field(const char* name) { field = name; }
  void Record(const std::string& value);
  void AddObject(const GameObject& object);
  void AddSprite(const GameObject& object);
  void AddMachine(const StateMachine& machine);
  void AddDuel(const Duel& duel);
  void AddMessage(const Message& message);

  void Add(std::uint64_t value, int bytes);
  void Add(std::uint32_t value) { Add(value, 4); }
  void Add(int value) { Add(static_cast<std::uint32_t>(value), 4); }
  void AddFlag(bool value) { Add(value ? 1u : 0u, 1); }
  void Add(float value);
  void AddText(std::string_view text);

  std::uint64_t hash = 14695981039346656037ull;
  std::vector<std::string>* fields = nullptr;
  std::string where = "battle";
  const char* field = "";
};
