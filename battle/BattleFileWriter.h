// Writes the fields a battle's walk visits as bytes: integers and float bit patterns least
// significant byte first, flags as one byte, texts and counts with a 32-bit length.
#pragma once

#include <cstdint>
#include <string>

#include "statemachine/StateArchive.h"

class BattleFileWriter final : public StateArchive {
 public:
  explicit BattleFileWriter(std::string& output) : bytes(output) {}

  void Int(const char* /*name*/, int& value) override { Put(static_cast<std::uint32_t>(value), 4); }
  void Word(const char* /*name*/, std::uint32_t& value) override { Put(value, 4); }
  void Wide(const char* /*name*/, std::uint64_t& value) override { Put(value, 8); }
  void Float(const char* name, float& value) override;
  void Flag(const char* /*name*/, bool& value) override { Put(value ? 1u : 0u, 1); }
  void Text(const char* name, std::string& value) override;
  void Count(const char* /*name*/, std::uint32_t& count, std::uint32_t /*smallest*/) override { Put(count, 4); }
  // What cannot be written (a machine of no kind) spoils the whole file.
  void Refuse(const std::string& reason) override;
  bool Good() const override { return refusal.empty(); }
  const std::string& Refusal() const { return refusal; }

 private:
  void Put(std::uint64_t value, int size);

  std::string& bytes;
  std::string refusal;
};
