// Test helper: writes small PNG files of any colour type, so loader tests make their own inputs.
#pragma once

#include <string>
#include <vector>

struct PngWriterImage {
  int width = 0;
  int height = 0;
  int colourType = 0;  // a PNG_COLOR_TYPE_* value
  int bitDepth = 8;
  std::vector<unsigned char> rows;          // packed sample bytes as stored in the file, 16-bit big-endian
  std::vector<unsigned char> palette;       // RGB triples, palette images only
  std::vector<unsigned char> paletteAlpha;  // tRNS alpha per palette entry; empty means none
};

class PngWriter {
 public:
  // An image without palette, of packed sample rows.
  static PngWriterImage Image(int width, int height, int colourType, int bitDepth, std::vector<unsigned char> rows);
  static bool Write(const std::string& path, const PngWriterImage& image);
  // Writes text (or any bytes) to a file, for inputs that are not PNGs at all.
  static bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
  static std::vector<unsigned char> ReadBytes(const std::string& path);
};
