// The bytes of a battle file's fields.
#include "battle/BattleFileWriter.h"

#include <bit>

void BattleFileWriter::Float(const char* /*name*/, float& value) { Put(std::bit_cast<std::uint32_t>(value), 4); }

void BattleFileWriter::Text(const char* name, std::string& value) {
  auto size = static_cast<std::uint32_t>(value.size());
  Count(name, size, 1);
  bytes.append(value);
}

void BattleFileWriter::Refuse(const std::string& reason) {
  if (refusal.empty()) refusal = reason;
}

void BattleFileWriter::Put(std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xffu));
}
