// Tests of the texture cache: one load per file, and one name for a file that fails.
#include "render/TextureManager.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <string>

#include "platform/PngWriter.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TempFolder.h"

namespace {

class TextureManagerFiles : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(GlWindow::EnsureCurrent()); }

  std::string WritePng(const std::string& file) {
    PngWriterImage image;
    image.width = 2;
    image.height = 2;
    image.colourType = PNG_COLOR_TYPE_RGBA;
    image.rows.assign(16, 200);
    const std::string path = folder.Path(file);
    EXPECT_TRUE(PngWriter::Write(path, image));
    return path;
  }

  TempFolder folder{"texturemanager-test"};
  TextureManager textures;
};

}  // namespace

// The second request is served without the file, which is gone by then.
TEST_F(TextureManagerFiles, SameFileGivesTheSameTextureAndIsReadOnce) {
  const std::string path = WritePng("unit.png");
  const unsigned first = textures.GetTexture(path);
  std::filesystem::remove(path);
  EXPECT_NE(first, 0u);
  EXPECT_EQ(textures.GetTexture(path), first);
}

TEST_F(TextureManagerFiles, LoadedTextureFiltersLinearly) {
  const unsigned texture = textures.GetTexture(WritePng("unit.png"));
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint filter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  EXPECT_EQ(filter, GL_LINEAR);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
  EXPECT_EQ(filter, GL_LINEAR);
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 2);
}

// Every unit of a type asks for its texture; a missing file must not cost a GL name each time.
TEST_F(TextureManagerFiles, MissingFileKeepsOneNameAndIsLoadedIntoItOnceItAppears) {
  const std::string path = folder.Path("unit.png");
  const unsigned first = textures.GetTexture(path);
  EXPECT_NE(first, 0u);
  EXPECT_EQ(textures.GetTexture(path), first);
  GLint width = -1;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 0);

  WritePng("unit.png");
  EXPECT_EQ(textures.GetTexture(path), first);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 2);
}

TEST_F(TextureManagerFiles, NamesDifferingInCaseAreDifferentEntries) {
  const unsigned lower = textures.GetTexture(WritePng("unit.png"));
  const unsigned upper = textures.GetTexture(WritePng("UNIT.png"));
  EXPECT_NE(lower, upper);
  EXPECT_EQ(textures.GetTexture(folder.Path("unit.png")), lower);
}

TEST_F(TextureManagerFiles, EmptyNameGivesNoTexture) { EXPECT_EQ(textures.GetTexture(""), 0u); }
