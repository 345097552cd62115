// Checked reading of a battle file's fields.
#include "battle/BattleFileReader.h"

#include <bit>

void BattleFileReader::Refuse(const std::string& reason) {
  if (refusal.empty()) refusal = reason;
}

bool BattleFileReader::Take(const char* name, int size, std::uint64_t& value) {
  if (!Good()) return false;
  if (rest.size() < static_cast<std::size_t>(size)) {
    Refuse(std::string("it ends inside ") + name);
    return false;
  }
  value = 0;
  for (int i = 0; i < size; ++i) value |= static_cast<std::uint64_t>(static_cast<unsigned char>(rest[i])) << (8 * i);
  rest.remove_prefix(static_cast<std::size_t>(size));
  return true;
}

void BattleFileReader::Int(const char* name, int& value) {
  std::uint64_t read = 0;
  if (Take(name, 4, read)) value = static_cast<int>(static_cast<std::uint32_t>(read));
}

void BattleFileReader::Word(const char* name, std::uint32_t& value) {
  std::uint64_t read = 0;
  if (Take(name, 4, read)) value = static_cast<std::uint32_t>(read);
}

void BattleFileReader::Wide(const char* name, std::uint64_t& value) {
  std::uint64_t read = 0;
  if (Take(name, 8, read)) value = read;
}

void BattleFileReader::Float(const char* name, float& value) {
  std::uint64_t read = 0;
  if (Take(name, 4, read)) value = std::bit_cast<float>(static_cast<std::uint32_t>(read));
}

void BattleFileReader::Flag(const char* name, bool& value) {
  std::uint64_t read = 0;
  if (!Take(name, 1, read)) return;
  if (read > 1) Refuse(std::string(name) + " is neither 0 nor 1");
  value = read == 1;
}

void BattleFileReader::Text(const char* name, std::string& value) {
  std::uint32_t size = 0;
  Count(name, size, 1);
  if (!Good()) return;
  value.assign(rest.substr(0, size));
  rest.remove_prefix(size);
}

void BattleFileReader::Count(const char* name, std::uint32_t& count, std::uint32_t smallest) {
  std::uint64_t read = 0;
  if (!Take(name, 4, read)) return;
  const std::uint64_t least = read * (smallest > 0 ? smallest : 1);
  if (least > rest.size()) {
    Refuse(std::string(name) + " counts " + std::to_string(read) + ", more than the file holds");
    return;
  }
  count = static_cast<std::uint32_t>(read);
}
