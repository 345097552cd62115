// Test helper: a file's bytes read whole and written whole, for inputs cut, corrupted or not images
// at all.
#pragma once

#include <string>
#include <vector>

class FileBytes {
 public:
  // Empty when the file cannot be read.
  static std::vector<unsigned char> Read(const std::string& path);
  static bool Write(const std::string& path, const std::vector<unsigned char>& bytes);
};
