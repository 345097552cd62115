// Writes PNG files of any colour type and depth with fixed settings, so the same pixels always
// give the same bytes: the image tool's committed images, and the tests' own inputs. Neither program
// writes images, so it is a library of its own beside the reader, outside the simulation.
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
  // false when the file cannot be written, the image is empty or its rows do not fill it.
  static bool Write(const std::string& path, const PngWriterImage& image);
};
