// Turns image file names into GL texture names, loading each file at most once.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

class TextureManager {
 public:
  // 0 for an empty name. A file that fails to load still gets a fresh, empty texture name, and is
  // tried again on the next request. Must be called with a current GL context.
  unsigned GetTexture(const std::string& fileName);

 private:
  // Names compare exactly, letter case included; only loaded files are entered.
  std::unordered_map<std::string, unsigned> cache;
  // Files already reported as unreadable: the user hears of each once, not every frame.
  std::unordered_set<std::string> reported;
};
