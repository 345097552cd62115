// PNG writing with libpng, at fixed settings.
#include "platform/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace {

int ComponentsOf(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
  }
}

// No time chunk and fixed compression settings: the output depends on the pixels alone.
// Only plain data lives in this frame, as libpng leaves it by long jump on error.
bool Encode(png_structp png, png_infop info, FILE* file, const PngWriterImage& image, png_bytep* rows) {
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  png_init_io(png, file);
  png_set_compression_level(png, 9);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), image.bitDepth,
               image.colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!image.palette.empty()) {
    png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(image.palette.data()),
                 static_cast<int>(image.palette.size() / 3));
  }
  if (!image.paletteAlpha.empty()) {
    png_set_tRNS(png, info, image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()), nullptr);
  }
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

PngWriterImage PngWriter::Image(int width, int height, int colourType, int bitDepth, std::vector<unsigned char> rows) {
  PngWriterImage image;
  image.width = width;
  image.height = height;
  image.colourType = colourType;
  image.bitDepth = bitDepth;
  image.rows = std::move(rows);
  return image;
}

bool PngWriter::Write(const std::string& path, const PngWriterImage& image) {
  const std::size_t rowBytes =
      (static_cast<std::size_t>(image.width) * static_cast<std::size_t>(ComponentsOf(image.colourType)) *
           static_cast<std::size_t>(image.bitDepth) +
       7) /
      8;
  if (image.width <= 0 || image.height <= 0 || image.rows.size() != rowBytes * static_cast<std::size_t>(image.height)) {
    return false;
  }
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (std::size_t row = 0; row < rows.size(); ++row) {
    rows[row] = const_cast<png_bytep>(image.rows.data() + row * rowBytes);
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
