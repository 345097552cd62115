// Where the program's read-only files (the images, the built-in height map) are found: below the
// working folder first, as the project root and the build folder have them, then where an
// installed program keeps them, <its folder>/../share/battlesim.
#pragma once

#include <filesystem>
#include <string>

class DataFiles {
 public:
  // The path to open for a file named relative to the project root ("Textures/Arrow.png"): the
  // name itself when the working folder has it (or it is absolute), else the installed copy when
  // there is one, else the name, so that the user hears of it as named.
  static std::string Find(const std::string& relative);
  static std::string Find(const std::string& relative, const std::filesystem::path& programFolder);
  // <programFolder>/../share/battlesim, normalised; empty when the running program's folder is not
  // known.
  static std::filesystem::path InstalledFolder();
  static std::filesystem::path InstalledFolder(const std::filesystem::path& programFolder);
};
