// Tests of the image generator: the committed images (runtime and scenario maps) are exactly what
// it makes, and each loads.
#include "tools/TextureSet.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "platform/PngPixels.h"

namespace {

std::vector<char> FileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class GeneratedFolder {
 public:
  GeneratedFolder()
      : path_(std::filesystem::temp_directory_path() / ("make-textures-test-" + std::to_string(getpid()))) {}
  ~GeneratedFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

TEST(TextureSet, RegeneratedImagesMatchTheCommittedOnesByteForByte) {
  GeneratedFolder folder;
  ASSERT_TRUE(TextureSet::WriteAll(folder.Path().string()));
  ASSERT_EQ(TextureSet::Entries().size(), 8u);
  for (const TextureSet::Entry& entry : TextureSet::Entries()) {
    const std::vector<char> committed = FileBytes(std::filesystem::path("Textures") / entry.fileName);
    ASSERT_FALSE(committed.empty()) << entry.fileName << " is not committed";
    EXPECT_TRUE(committed == FileBytes(folder.Path() / entry.fileName))
        << entry.fileName << " differs from the generator's output: re-run make-textures";
  }
}

TEST(TextureSet, RegeneratedScenarioMapsMatchTheCommittedOnesByteForByte) {
  GeneratedFolder folder;
  ASSERT_TRUE(TextureSet::WriteScenarioImages(folder.Path().string()));
  ASSERT_EQ(TextureSet::ScenarioEntries().size(), 4u);
  for (const TextureSet::Entry& entry : TextureSet::ScenarioEntries()) {
    const std::vector<char> committed = FileBytes(std::filesystem::path("scenarios") / entry.fileName);
    ASSERT_FALSE(committed.empty()) << entry.fileName << " is not committed";
    EXPECT_TRUE(committed == FileBytes(folder.Path() / entry.fileName))
        << entry.fileName << " differs from the generator's output: re-run make-textures --scenarios scenarios";
  }
}

TEST(TextureSet, EveryCommittedImageLoadsAsRgbaOfItsSize) {
  const std::map<std::string, int> sides{
      {"ASTest.png", 256},          {"Soldier_new.png", 128}, {"Archer_new.png", 128}, {"Berserker_new.png", 128},
      {"Squadleader_new.png", 128}, {"General_new.png", 128}, {"Blood.png", 64},       {"Arrow.png", 64}};
  for (const auto& [name, side] : sides) {
    PngRaw raw;
    ASSERT_TRUE(PngPixels::LoadRaw("Textures/" + name, raw)) << name;
    EXPECT_EQ(raw.width, side) << name;
    EXPECT_EQ(raw.height, side) << name;
    EXPECT_EQ(raw.components, 4) << name;
  }
}

TEST(TextureSet, BillboardsHaveTransparentCornersAndASolidMiddle) {
  for (const TextureSet::Entry& entry : TextureSet::Entries()) {
    if (entry.fileName == "ASTest.png") {
      continue;
    }
    const RgbaImage image = entry.paint();
    const auto alphaAt = [&image](int col, int row) {
      return image.bytes[(static_cast<std::size_t>(row) * image.width + col) * 4 + 3];
    };
    const int last = image.width - 1;
    EXPECT_EQ(alphaAt(0, 0) + alphaAt(last, 0) + alphaAt(0, last) + alphaAt(last, last), 0) << entry.fileName;
    // The blood splat is slightly translucent on purpose.
    EXPECT_GE(alphaAt(image.width / 2, image.height / 2), 230) << entry.fileName;
  }
}

TEST(TextureSet, UnwritableFolderFails) { EXPECT_FALSE(TextureSet::WriteAll("/proc/no-such-folder")); }
