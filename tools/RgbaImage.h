// The image tool's canvas result: 8-bit RGBA pixels, rows from the top.
#pragma once

#include <vector>

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> bytes;  // 4 per pixel, rows from the top
};
