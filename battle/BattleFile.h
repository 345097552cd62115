// A battle written whole to a file and read back to play on: the battle that never stopped. The
// file is untrusted input: it is checked for its magic word, version, size and checksum before
// anything is read, and every count in it before anything is sized from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class Battle;

class BattleFile {
 public:
  static constexpr std::string_view kMagic{"BSIMBATL", 8};
  static constexpr std::uint32_t kVersion = 1;
  // Larger files are refused before they are read.
  static constexpr std::uint64_t kLargest = 1ull << 32;

  // The battle as it stands between steps, with the caller's own settings kept beside it as they
  // are; false, with a one-line reason, for a battle led by a strategy (whose own state would be
  // lost) or holding a machine that cannot be saved.
  static bool Write(const Battle& battle, const std::string& settings, std::string& bytes, std::string& error);
  static bool Save(const Battle& battle, const std::string& settings, const std::string& path, std::string& error);
  // The battle the bytes hold, on its scenario's ground, and the settings saved with it; null,
  // with a one-line reason, for anything but an intact battle file of this version.
  static std::unique_ptr<Battle> Read(std::string_view bytes, std::string& settings, std::string& error);
  static std::unique_ptr<Battle> Load(const std::string& path, std::string& settings, std::string& error);
};
