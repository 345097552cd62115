// The program's runtime images and the shipped scenarios' height maps: their file names and the
// painter of each.
#pragma once

#include <string>
#include <vector>

#include "tools/RgbaImage.h"

class TextureSet {
 public:
  struct Entry {
    std::string fileName;  // below the Textures folder
    RgbaImage (*paint)();
  };

  static const std::vector<Entry>& Entries();
  // Below the scenarios folder.
  static const std::vector<Entry>& ScenarioEntries();
  // Paints every runtime image and writes it into folder (created when missing). false on the
  // first image that cannot be written.
  static bool WriteAll(const std::string& folder);
  // The same for the scenarios' images.
  static bool WriteScenarioImages(const std::string& folder);

 private:
  static bool Write(const std::string& folder, const std::vector<Entry>& entries);
};
