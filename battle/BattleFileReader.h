// Reads back what BattleFileWriter wrote, trusting nothing: every value is checked against what is
// left of the input, and a count is refused before anything is sized from it when its elements
// could not fit in what is left.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "statemachine/StateArchive.h"

class BattleFileReader final : public StateArchive {
 public:
  explicit BattleFileReader(std::string_view input) : rest(input) {}

  bool Reading() const override { return true; }
  void Int(const char* name, int& value) override;
  void Word(const char* name, std::uint32_t& value) override;
  void Wide(const char* name, std::uint64_t& value) override;
  void Float(const char* name, float& value) override;
  void Flag(const char* name, bool& value) override;
  void Text(const char* name, std::string& value) override;
  void Count(const char* name, std::uint32_t& count, std::uint32_t smallest) override;
  bool Good() const override { return refusal.empty(); }
  void Refuse(const std::string& reason) override;

  // Why the input was refused, naming the field; empty while it is good.
  const std::string& Refusal() const { return refusal; }
  bool AtEnd() const { return rest.empty(); }

 private:
  // The next size bytes as a number; false, refusing, when fewer are left.
  bool Take(const char* name, int size, std::uint64_t& value);

  std::string_view rest;
  std::string refusal;
};
