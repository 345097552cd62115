// Terrain::Load on real files: a written height map, and missing, corrupt or truncated files.
#include "terrain/Terrain.h"

#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <vector>

#include "platform/PngWriter.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace {

std::string TempPath(const std::string& file) {
  static const TempFolder folder("terrain-test");
  return folder.Path(file);
}

// 2 x 2 RGBA height map; heights (alpha) 0, 51, 102, 255 in file order.
std::string WriteHeightMap() {
  PngWriterImage image;
  image.width = 2;
  image.height = 2;
  image.colourType = PNG_COLOR_TYPE_RGBA;
  image.rows = {255, 0, 0, 0, 0, 255, 0, 51, 0, 0, 255, 102, 10, 20, 30, 255};
  const std::string path = TempPath("map.png");
  EXPECT_TRUE(PngWriter::Write(path, image));
  return path;
}

void ExpectSafelyEmpty(Terrain& terrain) {
  EXPECT_EQ(0, terrain.width);
  EXPECT_EQ(0, terrain.depth);
  EXPECT_TRUE(terrain.Heights().empty());
  EXPECT_EQ(-1, terrain.Scale(0.0f, 10.0f));
  EXPECT_EQ(0.0f, terrain.HeightAt(0, 0));
  EXPECT_EQ(0.0f, terrain.ClimbCost(0, 0, 1, 0));
}

}  // namespace

TEST(Terrain, LoadReadsHeightsFromAlphaAndColoursFromRgb) {
  Terrain terrain;
  ASSERT_EQ(0, terrain.Load(WriteHeightMap(), true));
  EXPECT_EQ(2, terrain.width);
  EXPECT_EQ(2, terrain.depth);
  EXPECT_EQ((std::vector<float>{0.0f, 51 / 255.0f, 102 / 255.0f, 1.0f}), terrain.Heights());
  EXPECT_EQ((std::vector<float>{1, 0, 0, 0, 1, 0, 0, 0, 1, 10 / 255.0f, 20 / 255.0f, 30 / 255.0f}), terrain.colours);
  EXPECT_EQ(12u, terrain.normals.size());
  EXPECT_GT(terrain.normals[1], 0.0f);
}

TEST(Terrain, LoadOfCorruptFileFailsAndLeavesTerrainEmpty) {
  const std::string path = TempPath("corrupt.png");
  ASSERT_TRUE(FileBytes::Write(path, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'}));
  Terrain terrain;
  EXPECT_EQ(-4, terrain.Load(path, true));
  ExpectSafelyEmpty(terrain);
}

TEST(Terrain, LoadOfTruncatedFileFailsAndLeavesTerrainEmpty) {
  std::vector<unsigned char> bytes = FileBytes::Read(WriteHeightMap());
  bytes.resize(bytes.size() / 2);
  const std::string path = TempPath("truncated.png");
  ASSERT_TRUE(FileBytes::Write(path, bytes));
  Terrain terrain;
  EXPECT_EQ(-4, terrain.Load(path, true));
  ExpectSafelyEmpty(terrain);
}

TEST(Terrain, LoadOfMissingFileKeepsAnAlreadyLoadedMap) {
  Terrain terrain;
  ASSERT_EQ(0, terrain.Load(WriteHeightMap(), true));
  EXPECT_EQ(-4, terrain.Load(TempPath("missing.png"), true));
  EXPECT_EQ(2, terrain.width);
  EXPECT_EQ(1.0f, terrain.Heights()[3]);
}

TEST(Terrain, LoadOfMissingFileFailsAndLeavesTerrainEmpty) {
  Terrain terrain;
  EXPECT_EQ(-4, terrain.Load(TempPath("no-such-height-map.png"), true));
  ExpectSafelyEmpty(terrain);
}
