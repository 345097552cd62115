// Writes 8-bit RGBA images as PNG files with fixed settings, so the same pixels give the same bytes.
#pragma once

#include <string>
#include <vector>

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> bytes;  // 4 per pixel, rows from the top
};

class RgbaPngWriter {
 public:
  // false when the file cannot be written or the image's byte count does not match its size.
  static bool Write(const std::string& path, const RgbaImage& image);
};
