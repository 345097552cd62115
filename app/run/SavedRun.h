// A run played on from a battle file: the battle, and the seed, frame length, blood and clock it
// was saved with, for every front end that plays one on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/setup/HeadlessOptions.h"

class Battle;

class SavedRun {
 public:
  // The battle of options.loadFile, with the options' seed, frame length and blood set to the
  // file's and its clock in elapsedMs; null, with a one-line reason, for options that would
  // choose another battle or for a file no run of battlesim-headless saved.
  static std::unique_ptr<Battle> Open(HeadlessOptions& options, std::uint32_t& elapsedMs, std::string& error);
};
