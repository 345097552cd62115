// Tests of the PNG layer: colour conversions, refusal of broken files, and texture upload.
#include "render/PngLoader.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/GlWindow.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TempFolder.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string TempPath(const std::string& file) {
  static const TempFolder folder("pngloader-test");
  return folder.Path(file);
}

PngWriterImage Image(int width, int height, int colourType, int bitDepth, Bytes rows) {
  PngWriterImage image;
  image.width = width;
  image.height = height;
  image.colourType = colourType;
  image.bitDepth = bitDepth;
  image.rows = std::move(rows);
  return image;
}

PngRaw LoadWritten(const PngWriterImage& image) {
  const std::string path = TempPath("image.png");
  EXPECT_TRUE(PngWriter::Write(path, image));
  PngRaw raw;
  EXPECT_TRUE(PngLoader::LoadRaw(path, raw));
  return raw;
}

void ExpectRaw(const PngRaw& raw, int width, int height, int components, const Bytes& pixels) {
  EXPECT_EQ(raw.width, width);
  EXPECT_EQ(raw.height, height);
  EXPECT_EQ(raw.components, components);
  EXPECT_EQ(raw.pixels, pixels);
}

PngWriterImage PaletteImage(Bytes alpha) {
  PngWriterImage image = Image(3, 1, PNG_COLOR_TYPE_PALETTE, 8, {2, 0, 1});
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
  EXPECT_FALSE(PngLoader::LoadRaw(path, raw));
  ExpectRaw(raw, 7, 5, 3, {1, 2, 3});
}

std::string WriteValidRgba(int width, int height) {
  Bytes rows(static_cast<std::size_t>(width * height * 4));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i] = static_cast<unsigned char>(i * 37 % 251);
  }
  const std::string path = TempPath("valid.png");
  EXPECT_TRUE(PngWriter::Write(path, Image(width, height, PNG_COLOR_TYPE_RGB_ALPHA, 8, rows)));
  return path;
}

}  // namespace

TEST(PngLoader, PaletteWithoutTransparencyBecomesRgb) {
  ExpectRaw(LoadWritten(PaletteImage({})), 3, 1, 3, {70, 80, 90, 10, 20, 30, 40, 50, 60});
}

TEST(PngLoader, PaletteWithTransparencyBecomesRgba) {
  // Entries beyond the tRNS list are opaque.
  ExpectRaw(LoadWritten(PaletteImage({0, 128})), 3, 1, 4, {70, 80, 90, 255, 10, 20, 30, 0, 40, 50, 60, 128});
}

TEST(PngLoader, GreyStaysOneComponent) {
  ExpectRaw(LoadWritten(Image(2, 2, PNG_COLOR_TYPE_GRAY, 8, {0, 9, 200, 255})), 2, 2, 1, {0, 9, 200, 255});
}

TEST(PngLoader, LowDepthGreyWidensToFullRange) {
  // Four 1-bit samples 1,0,1,1 packed into the high bits of one byte.
  ExpectRaw(LoadWritten(Image(4, 1, PNG_COLOR_TYPE_GRAY, 1, {0b10110000})), 4, 1, 1, {255, 0, 255, 255});
}

TEST(PngLoader, GreyAlphaStaysTwoComponents) {
  ExpectRaw(LoadWritten(Image(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {5, 6, 7, 8})), 2, 1, 2, {5, 6, 7, 8});
}

TEST(PngLoader, RgbKeepsRowsInFileOrder) {
  const Bytes pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  ExpectRaw(LoadWritten(Image(2, 2, PNG_COLOR_TYPE_RGB, 8, pixels)), 2, 2, 3, pixels);
}

TEST(PngLoader, RgbaKeepsFourComponents) {
  const Bytes pixels = {1, 2, 3, 4, 250, 251, 252, 0};
  ExpectRaw(LoadWritten(Image(1, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, pixels)), 1, 2, 4, pixels);
}

TEST(PngLoader, SixteenBitChannelsKeepTheHighByte) {
  const Bytes samples = {0xAB, 0xCD, 0x12, 0x34, 0x00, 0xFF, 0xFF, 0x00};
  ExpectRaw(LoadWritten(Image(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, samples)), 1, 1, 4, {0xAB, 0x12, 0x00, 0xFF});
  ExpectRaw(LoadWritten(Image(2, 1, PNG_COLOR_TYPE_GRAY, 16, {0x80, 0xFF, 0x01, 0x00})), 2, 1, 1, {0x80, 0x01});
}

TEST(PngLoader, MissingFileFailsAndLeavesOutputUntouched) { ExpectLoadFailsUntouched(TempPath("does-not-exist.png")); }

TEST(PngLoader, TextFileNamedPngFails) {
  const std::string path = TempPath("text.png");
  const std::string text = "This is not an image, only text with a .png name.\n";
  ASSERT_TRUE(PngWriter::WriteBytes(path, Bytes(text.begin(), text.end())));
  ExpectLoadFailsUntouched(path);
}

TEST(PngLoader, TruncatedFileFails) {
  const std::string valid = WriteValidRgba(32, 32);
  Bytes bytes = PngWriter::ReadBytes(valid);
  ASSERT_GT(bytes.size(), 100u);
  bytes.resize(bytes.size() / 2);
  const std::string path = TempPath("half.png");
  ASSERT_TRUE(PngWriter::WriteBytes(path, bytes));
  ExpectLoadFailsUntouched(path);
}

TEST(PngLoader, CorruptImageDataFails) {
  Bytes bytes = PngWriter::ReadBytes(WriteValidRgba(16, 16));
  ASSERT_GT(bytes.size(), 80u);
  for (std::size_t i = 60; i < bytes.size() - 20; ++i) {
    bytes[i] = static_cast<unsigned char>(bytes[i] ^ 0x5A);
  }
  const std::string path = TempPath("corrupt.png");
  ASSERT_TRUE(PngWriter::WriteBytes(path, bytes));
  ExpectLoadFailsUntouched(path);
}

TEST(PngLoader, EmptyFileFails) {
  const std::string path = TempPath("empty.png");
  ASSERT_TRUE(PngWriter::WriteBytes(path, {}));
  ExpectLoadFailsUntouched(path);
}

TEST(PngLoader, ReadSizeTakesTheSidesFromTheHeaderAlone) {
  Bytes bytes = PngWriter::ReadBytes(WriteValidRgba(16, 9));
  // Only the header is read: a file cut right after it still tells its size.
  bytes.resize(24);
  bytes[16] = 0x7f;  // width 0x7f000010
  const std::string path = TempPath("header-only.png");
  ASSERT_TRUE(PngWriter::WriteBytes(path, bytes));
  int width = 0;
  int height = 0;
  ASSERT_TRUE(PngLoader::ReadSize(path, width, height));
  EXPECT_EQ(width, 0x7f000010);
  EXPECT_EQ(height, 9);
}

TEST(PngLoader, ReadSizeRefusesWhatIsNotAPngHeader) {
  const Bytes valid = PngWriter::ReadBytes(WriteValidRgba(4, 4));
  const std::vector<std::pair<const char*, Bytes>> cases{
      {"cut inside the header", Bytes(valid.begin(), valid.begin() + 20)},
      {"zero width", [&] { Bytes b = valid; b[16] = b[17] = b[18] = b[19] = 0; return b; }()},
      {"side beyond the format", [&] { Bytes b = valid; b[20] = 0x80; return b; }()},
      {"other first chunk", [&] { Bytes b = valid; b[12] = 'I'; b[13] = 'D'; b[14] = 'A'; b[15] = 'T'; return b; }()},
  };
  for (const auto& [what, bytes] : cases) {
    const std::string path = TempPath("bad-header.png");
    ASSERT_TRUE(PngWriter::WriteBytes(path, bytes));
    int width = -1;
    int height = -1;
    EXPECT_FALSE(PngLoader::ReadSize(path, width, height)) << what;
    EXPECT_EQ(width + height, -2) << what;
  }
  int width = -1;
  int height = -1;
  EXPECT_FALSE(PngLoader::ReadSize(TempPath("no-such.png"), width, height));
}

namespace {

GLuint FreshTexture() {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  return texture;
}

Bytes ReadBoundTexture(int width, int height) {
  Bytes pixels(static_cast<std::size_t>(width * height * 4), 0);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

GLint BoundTextureWidth() {
  GLint width = -1;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  return width;
}

}  // namespace

TEST(PngLoaderTexture, UploadsRgbaWithItsOwnAlpha) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  const Bytes pixels = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 10, 20, 30, 40};
  const std::string path = TempPath("quad.png");
  ASSERT_TRUE(PngWriter::Write(path, Image(2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, pixels)));
  GLuint texture = FreshTexture();
  ASSERT_TRUE(PngLoader::LoadTexture(path));
  EXPECT_EQ(ReadBoundTexture(2, 2), pixels);
  glDeleteTextures(1, &texture);
}

TEST(PngLoaderTexture, FilesWithoutAlphaUploadOpaque) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  const std::string path = TempPath("grey.png");
  ASSERT_TRUE(PngWriter::Write(path, Image(2, 1, PNG_COLOR_TYPE_GRAY, 8, {7, 200})));
  GLuint texture = FreshTexture();
  ASSERT_TRUE(PngLoader::LoadTexture(path));
  EXPECT_EQ(ReadBoundTexture(2, 1), (Bytes{7, 7, 7, 255, 200, 200, 200, 255}));
  glDeleteTextures(1, &texture);
}

TEST(PngLoaderTexture, MissingFileUploadsNothing) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  GLuint texture = FreshTexture();
  EXPECT_FALSE(PngLoader::LoadTexture(TempPath("does-not-exist.png")));
  EXPECT_EQ(BoundTextureWidth(), 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  glDeleteTextures(1, &texture);
}
