// The PNG decoder: reads PNG files, whole or from memory, into 8-bit pixels on libpng alone, so
// that the terrain, the scenario checks and the texture loader share one decode.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct PngRaw {
  int width = 0;
  int height = 0;
  int components = 0;                 // bytes per pixel after conversion: 1 grey, 2 grey+alpha, 3 RGB, 4 RGBA
  std::vector<unsigned char> pixels;  // rows in file order from the first, pixels left to right
};

class PngPixels {
 public:
  // Reads a PNG into memory. Palette files become RGB (RGBA when they carry transparency), 16-bit
  // channels become 8-bit, grey stays 1 component and grey+alpha 2. false on any failure; out untouched then.
  static bool LoadRaw(const std::string& path, PngRaw& out);
  // The same decode on a PNG file's bytes held in memory (size bytes from data).
  static bool LoadRawFromMemory(const unsigned char* data, std::size_t size, PngRaw& out);
  // Reads only the signature and the leading header chunk: a file's size in pixels is known
  // before anything the size asks for is allocated. false when the file does not start like a
  // PNG or states a zero or negative side; width and height untouched then.
  static bool ReadSize(const std::string& path, int& width, int& height);
};
