// Writes 8-bit RGBA images as PNG files with fixed settings, so the same pixels give the same bytes.
#include "tools/RgbaPngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace {

// No time chunk and fixed compression settings: the output depends on the pixels alone.
// Only plain data lives in this frame, as libpng leaves it by long jump on error.
bool Encode(png_structp png, png_infop info, FILE* file, const RgbaImage& image, png_bytep* rows) {
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  png_init_io(png, file);
  png_set_compression_level(png, 9);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool RgbaPngWriter::Write(const std::string& path, const RgbaImage& image) {
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
  if (image.width <= 0 || image.height <= 0 ||
      image.bytes.size() != rowBytes * static_cast<std::size_t>(image.height)) {
    return false;
  }
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (std::size_t row = 0; row < rows.size(); ++row) {
    rows[row] = const_cast<png_bytep>(image.bytes.data() + row * rowBytes);
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  const bool written = info != nullptr && Encode(png, info, file, image, rows.data());
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && written;
}
