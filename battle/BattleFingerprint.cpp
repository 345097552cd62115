// The battle's fingerprint: the hash and the field dump of the battle's walk.
#include "battle/BattleFingerprint.h"

#include <bit>
#include <cstdio>
#include <iterator>

#include "battle/Battle.h"

namespace {
constexpr std::uint64_t kPrime = 1099511628211ull;
}  // namespace

std::uint64_t BattleFingerprint::Of(const Battle& battle) {
  BattleFingerprint print;
  print.WalkBattle(battle);
  return print.hash;
}

std::vector<std::string> BattleFingerprint::Fields(const Battle& battle) {
  std::vector<std::string> lines;
  BattleFingerprint print;
  print.fields = &lines;
  print.WalkBattle(battle);
  return lines;
}

void BattleFingerprint::WalkBattle(const Battle& battle) { const_cast<Battle&>(battle).Walk(*this); }

std::string BattleFingerprint::Hex(std::uint64_t fingerprint) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(fingerprint));
  return text;
}

bool BattleFingerprint::FromHex(std::string_view text, std::uint64_t& fingerprint) {
  if (text.size() != 16) return false;
  std::uint64_t value = 0;
  for (const char digit : text) {
    const bool decimal = digit >= '0' && digit <= '9';
    if (!decimal && !(digit >= 'a' && digit <= 'f')) return false;
    value = value << 4 | static_cast<std::uint64_t>(decimal ? digit - '0' : digit - 'a' + 10);
  }
  fingerprint = value;
  return true;
}

// Only the dump needs the place spelled out; the hash would build the text for nothing.
void BattleFingerprint::Place(std::string_view kind, std::string_view name) {
  if (fields == nullptr) return;
  where = kind;
  if (!name.empty()) where.append(" ").append(name);
}

void BattleFingerprint::Record(const char* name, const std::string& value) {
  fields->push_back(where + ": " + name + " = " + value);
}

void BattleFingerprint::Mix(std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) hash = (hash ^ ((value >> (8 * i)) & 0xffu)) * kPrime;
}

void BattleFingerprint::Add(const char* name, std::uint64_t value, int bytes) {
  if (fields != nullptr) Record(name, std::to_string(value));
  Mix(value, bytes);
}

void BattleFingerprint::Float(const char* name, float& value) {
  if (fields != nullptr) {
    char text[48];
    std::snprintf(text, sizeof text, "%a (%.9g)", static_cast<double>(value), static_cast<double>(value));
    Record(name, text);
  }
  Mix(std::bit_cast<std::uint32_t>(value), 4);
}

void BattleFingerprint::Point(const char* name, Vector3& point) {
  if (fields == nullptr) {
    StateArchive::Point(name, point);
    return;
  }
  const std::string base(name);
  Float((base + ".x").c_str(), point.x);
  Float((base + ".y").c_str(), point.y);
  Float((base + ".z").c_str(), point.z);
}

// The same battle played from another folder names its scripts otherwise: the dump shows the words,
// the hash leaves them out.
void BattleFingerprint::Words(const char* name, std::string& words) {
  if (fields != nullptr) Record(name, "\"" + words + "\"");
}

void BattleFingerprint::Text(const char* name, std::string& value) {
  if (fields != nullptr) Record(name, "\"" + value + "\"");
  Mix(value.size(), 8);
  for (const char byte : value) hash = (hash ^ static_cast<unsigned char>(byte)) * kPrime;
}
