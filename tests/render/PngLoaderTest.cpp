// Tests of the texture loader: what a PNG file uploads into the bound GL texture.
#include "render/PngLoader.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/PngWriter.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TempFolder.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string TempPath(const std::string& file) {
  static const TempFolder folder("pngloader-test");
  return folder.Path(file);
}

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
  ASSERT_TRUE(PngWriter::Write(path, PngWriter::Image(2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, pixels)));
  GLuint texture = FreshTexture();
  ASSERT_TRUE(PngLoader::LoadTexture(path));
  EXPECT_EQ(ReadBoundTexture(2, 2), pixels);
  glDeleteTextures(1, &texture);
}

TEST(PngLoaderTexture, FilesWithoutAlphaUploadOpaque) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  const std::string path = TempPath("grey.png");
  ASSERT_TRUE(PngWriter::Write(path, PngWriter::Image(2, 1, PNG_COLOR_TYPE_GRAY, 8, {7, 200})));
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
