// Turns image file names into GL texture names, loading each file at most once.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

class TextureManager {
 public:
  // 0 for an empty name. A file that fails to load still gets a texture name, without an image,
  // and is tried again on every later request, into the same name. Must be called with a current
  // GL context.
  unsigned GetTexture(const std::string& fileName);
  // Whether GetTexture would answer each of these (an empty name too) from what is loaded, without
  // a GL call; safe beside a thread that only asks for loaded files.
  bool HoldsAll(const std::vector<std::string>& fileNames) const;

 private:
  // Names compare exactly, letter case included; only loaded files are entered.
  std::unordered_map<std::string, unsigned> cache;
  // Files that could not be read, with the name they got. The user hears of each once, when it
  // first fails, not every frame.
  std::unordered_map<std::string, unsigned> unreadable;
};
