// Reads a scenario file (TOML) into a Scenario, refusing anything it cannot stand behind with one
// line naming the file, the place in it and what is wrong. Scenario files are shared like maps,
// so every value is checked before the battle would use or allocate anything for it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "battle/Scenario.h"

class ScenarioFile {
 public:
  // Larger files are refused before they are read; a full scenario spelled out is under 2 KiB.
  static constexpr long long kLargestFileBytes = 1 << 20;
  // A side of 4096 is already 64 MiB of pixels once decoded; larger maps are refused from their
  // header alone.
  static constexpr int kLargestMapSide = 4096;
  // Twice the largest map's 16-bit RGBA pixels: more than any PNG of that size needs, and the
  // file is read whole before it is decoded.
  static constexpr long long kLargestMapBytes = 1LL << 28;
  static constexpr double kHeightBound = 1000.0;
  // The duel threshold is 0.5 plus two table terms and the height term: entries of magnitude one
  // already let a matchup always or never win.
  static constexpr double kAdvantageBound = 1.0;
  static constexpr std::size_t kLongestName = 100;

  // Reads and checks the file at path; the height map is looked for relative to the file's folder.
  // On failure error is one line "FILE:LINE:COLUMN: what is wrong" (or "FILE: what is wrong"
  // when the file itself cannot be read), FILE as path spells it, and out is untouched.
  static bool Load(const std::string& path, Scenario& out, std::string& error);
  // The same on a file's text; sourceName stands for the file in errors and folder is where its
  // relative paths start from.
  static bool Parse(std::string_view text, const std::string& sourceName, const std::filesystem::path& folder,
                    Scenario& out, std::string& error);
};
