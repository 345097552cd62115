// The program's runtime images: their file names and the painter of each.
#pragma once

#include <string>
#include <vector>

#include "tools/RgbaPngWriter.h"

class TextureSet {
 public:
  struct Entry {
    std::string fileName;  // below the Textures folder
    RgbaImage (*paint)();
  };

  static const std::vector<Entry>& Entries();
  // Paints every image and writes it into folder (created when missing). false on the first
  // image that cannot be written.
  static bool WriteAll(const std::string& folder);
};
