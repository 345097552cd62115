// Tests of the PNG decoder: colour conversions, refusal of broken files and the header-only size.
#include "platform/PngPixels.h"

#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/PngWriter.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string TempPath(const std::string& file) {
  static const TempFolder folder("pngpixels-test");
  return folder.Path(file);
}

PngRaw LoadWritten(const PngWriterImage& image) {
  const std::string path = TempPath("image.png");
  EXPECT_TRUE(PngWriter::Write(path, image));
  PngRaw raw;
  EXPECT_TRUE(PngPixels::LoadRaw(path, raw));
  return raw;
}

void ExpectRaw(const PngRaw& raw, int width, int height, int components, const Bytes& pixels) {
  EXPECT_EQ(raw.width, width);
  EXPECT_EQ(raw.height, height);
  EXPECT_EQ(raw.components, components);
  EXPECT_EQ(raw.pixels, pixels);
}

PngWriterImage PaletteImage(Bytes alpha) {
  PngWriterImage image = PngWriter::Image(3, 1, PNG_COLOR_TYPE_PALETTE, 8, {2, 0, 1});
  image.palette = {10, 20, 30, 40, 50, 60, 70, 80, 90};
  image.paletteAlpha = std::move(alpha);
  return image;
}

// A sentinel that a failed load must leave as it was.
PngRaw Untouched() {
  PngRaw raw;
  raw.width = 7;
  raw.height = 5;
  raw.components = 3;
  raw.pixels = {1, 2, 3};
  return raw;
}

void ExpectLoadFailsUntouched(const std::string& path) {
  PngRaw raw = Untouched();
  EXPECT_FALSE(PngPixels::LoadRaw(path, raw));
  ExpectRaw(raw, 7, 5, 3, {1, 2, 3});
}

std::string WriteValidRgba(int width, int height) {
  Bytes rows(static_cast<std::size_t>(width * height * 4));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i] = static_cast<unsigned char>(i * 37 % 251);
  }
  const std::string path = TempPath("valid.png");
  EXPECT_TRUE(PngWriter::Write(path, PngWriter::Image(width, height, PNG_COLOR_TYPE_RGB_ALPHA, 8, rows)));
  return path;
}

}  // namespace

TEST(PngPixels, PaletteWithoutTransparencyBecomesRgb) {
  ExpectRaw(LoadWritten(PaletteImage({})), 3, 1, 3, {70, 80, 90, 10, 20, 30, 40, 50, 60});
}

TEST(PngPixels, PaletteWithTransparencyBecomesRgba) {
  // Entries beyond the tRNS list are opaque.
  ExpectRaw(LoadWritten(PaletteImage({0, 128})), 3, 1, 4, {70, 80, 90, 255, 10, 20, 30, 0, 40, 50, 60, 128});
}

TEST(PngPixels, GreyStaysOneComponent) {
  ExpectRaw(LoadWritten(PngWriter::Image(2, 2, PNG_COLOR_TYPE_GRAY, 8, {0, 9, 200, 255})), 2, 2, 1, {0, 9, 200, 255});
}

TEST(PngPixels, LowDepthGreyWidensToFullRange) {
  // Four 1-bit samples 1,0,1,1 packed into the high bits of one byte.
  ExpectRaw(LoadWritten(PngWriter::Image(4, 1, PNG_COLOR_TYPE_GRAY, 1, {0b10110000})), 4, 1, 1, {255, 0, 255, 255});
}

TEST(PngPixels, GreyAlphaStaysTwoComponents) {
  ExpectRaw(LoadWritten(PngWriter::Image(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {5, 6, 7, 8})), 2, 1, 2, {5, 6, 7, 8});
}

TEST(PngPixels, RgbKeepsRowsInFileOrder) {
  const Bytes pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  ExpectRaw(LoadWritten(PngWriter::Image(2, 2, PNG_COLOR_TYPE_RGB, 8, pixels)), 2, 2, 3, pixels);
}

TEST(PngPixels, RgbaKeepsFourComponents) {
  const Bytes pixels = {1, 2, 3, 4, 250, 251, 252, 0};
  ExpectRaw(LoadWritten(PngWriter::Image(1, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, pixels)), 1, 2, 4, pixels);
}

TEST(PngPixels, SixteenBitChannelsKeepTheHighByte) {
  const Bytes samples = {0xAB, 0xCD, 0x12, 0x34, 0x00, 0xFF, 0xFF, 0x00};
  ExpectRaw(LoadWritten(PngWriter::Image(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, samples)), 1, 1, 4,
            {0xAB, 0x12, 0x00, 0xFF});
  ExpectRaw(LoadWritten(PngWriter::Image(2, 1, PNG_COLOR_TYPE_GRAY, 16, {0x80, 0xFF, 0x01, 0x00})), 2, 1, 1,
            {0x80, 0x01});
}

TEST(PngPixels, MissingFileFailsAndLeavesOutputUntouched) { ExpectLoadFailsUntouched(TempPath("does-not-exist.png")); }

TEST(PngPixels, TextFileNamedPngFails) {
  const std::string path = TempPath("text.png");
  const std::string text = "This is not an image, only text with a .png name.\n";
  ASSERT_TRUE(FileBytes::Write(path, Bytes(text.begin(), text.end())));
  ExpectLoadFailsUntouched(path);
}

TEST(PngPixels, TruncatedFileFails) {
  const std::string valid = WriteValidRgba(32, 32);
  Bytes bytes = FileBytes::Read(valid);
  ASSERT_GT(bytes.size(), 100u);
  bytes.resize(bytes.size() / 2);
  const std::string path = TempPath("half.png");
  ASSERT_TRUE(FileBytes::Write(path, bytes));
  ExpectLoadFailsUntouched(path);
}

TEST(PngPixels, CorruptImageDataFails) {
  Bytes bytes = FileBytes::Read(WriteValidRgba(16, 16));
  ASSERT_GT(bytes.size(), 80u);
  for (std::size_t i = 60; i < bytes.size() - 20; ++i) {
    bytes[i] = static_cast<unsigned char>(bytes[i] ^ 0x5A);
  }
  const std::string path = TempPath("corrupt.png");
  ASSERT_TRUE(FileBytes::Write(path, bytes));
  ExpectLoadFailsUntouched(path);
}

TEST(PngPixels, EmptyFileFails) {
  const std::string path = TempPath("empty.png");
  ASSERT_TRUE(FileBytes::Write(path, {}));
  ExpectLoadFailsUntouched(path);
}

TEST(PngPixels, ReadSizeTakesTheSidesFromTheHeaderAlone) {
  Bytes bytes = FileBytes::Read(WriteValidRgba(16, 9));
  // Only the header is read: a file cut right after it still tells its size.
  bytes.resize(24);
  bytes[16] = 0x7f;  // width 0x7f000010
  const std::string path = TempPath("header-only.png");
  ASSERT_TRUE(FileBytes::Write(path, bytes));
  int width = 0;
  int height = 0;
  ASSERT_TRUE(PngPixels::ReadSize(path, width, height));
  EXPECT_EQ(width, 0x7f000010);
  EXPECT_EQ(height, 9);
}

TEST(PngPixels, ReadSizeRefusesWhatIsNotAPngHeader) {
  const Bytes valid = FileBytes::Read(WriteValidRgba(4, 4));
  const std::vector<std::pair<const char*, Bytes>> cases{
      {"cut inside the header", Bytes(valid.begin(), valid.begin() + 20)},
      {"zero width",
       [&] {
         Bytes b = valid;
         b[16] = b[17] = b[18] = b[19] = 0;
         return b;
       }()},
      {"side beyond the format",
       [&] {
         Bytes b = valid;
         b[20] = 0x80;
         return b;
       }()},
      {"other first chunk",
       [&] {
         Bytes b = valid;
         b[12] = 'I';
         b[13] = 'D';
         b[14] = 'A';
         b[15] = 'T';
         return b;
       }()},
  };
  for (const auto& [what, bytes] : cases) {
    const std::string path = TempPath("bad-header.png");
    ASSERT_TRUE(FileBytes::Write(path, bytes));
    int width = -1;
    int height = -1;
    EXPECT_FALSE(PngPixels::ReadSize(path, width, height)) << what;
    EXPECT_EQ(width + height, -2) << what;
  }
  int width = -1;
  int height = -1;
  EXPECT_FALSE(PngPixels::ReadSize(TempPath("no-such.png"), width, height));
}
